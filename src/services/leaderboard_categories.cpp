#include "services/leaderboard_categories.h"

#include <cstring>

#include "core/engine_log.h"
#include "data/datamanager/data_manager.h"

namespace {

const char kCategoryFile[] = "leaderboards/leaderboards.xml";
const int kMaxCategoryIdLength = 31;

DataArray* Categories()
{
    Database* database = DataManager::GetDatabase(kCategoryFile);
    return database ? database->FindArray("CATEGORIES") : nullptr;
}

DataNode* FindCategory(const char* id)
{
    DataArray* categories = Categories();
    return categories && id ? categories->FindNode(id) : nullptr;
}

bool IsEnglishLetter(unsigned char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool IsIdCharacter(unsigned char c)
{
    return IsEnglishLetter(c) || (c >= '0' && c <= '9') || c == '_';
}

}  // namespace

int QVI_GetCategoryCount()
{
    DataArray* categories = Categories();
    return categories ? categories->nodes.count : 0;
}

const char* QVI_GetCategoryId(int index)
{
    DataArray* categories = Categories();
    DataNode* node = categories ? categories->GetNode(index) : nullptr;
    return node ? node->id : nullptr;
}

int QVI_GetCategoryIndex(const char* id)
{
    DataArray* categories = Categories();
    if (!categories || !id)
        return -1;
    for (int32_t i = 0; i < categories->nodes.count; ++i) {
        const DataNode* node = categories->nodes.data[i];
        if (node && node->id && strcmp(node->id, id) == 0)
            return i;
    }
    return -1;
}

bool QVI_IsLowestScoreFirst(const char* id)
{
    DataNode* node = FindCategory(id);
    const char* sort = node ? node->GetParameter("sort") : nullptr;
    return sort && (strcmp(sort, "LOWEST_SCORE_FIRST") == 0 || strcmp(sort, "ASCENDING") == 0);
}

const char* QVI_GetCategoryValue(const char* id, const char* key)
{
    DataNode* node = FindCategory(id);
    return node ? node->GetParameter(key) : nullptr;
}

void QVI_ValidateLeaderboardCategories()
{
    const int count = qv->leaderboards->GetCategoryCount();
    for (int i = 0; i < count; ++i) {
        const char* id = qv->leaderboards->GetCategoryId(i);
        if (!id || !id[0]) {
            QVI_ReportPopup(QV_LOG_WARNING, "Leaderboard category with index %d has no id. Id is required.", i);
            continue;
        }
        if (strlen(id) > kMaxCategoryIdLength)
            QVI_ReportPopup(QV_LOG_WARNING, "Leaderboard category id '%s' is too long (can be max 31 characters).",
                            id);
        if (!IsEnglishLetter(static_cast<unsigned char>(id[0]))) {
            QVI_ReportPopup(QV_LOG_WARNING, "Leaderboard category id '%s' has to start with an English alphabet.", id);
            continue;
        }
        for (const char* c = id; *c; ++c) {
            if (!IsIdCharacter(static_cast<unsigned char>(*c)))
                QVI_ReportPopup(QV_LOG_WARNING,
                                "Leaderboard category id '%s' can only contain English alphabets, digits, and '_' "
                                "character.",
                                id);
        }
    }
}
