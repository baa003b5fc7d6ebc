// Local leaderboards: one player's scores per category in "user://leaderboards-db.xml".
// Each category is an array of the database, each score a node without id holding the
// submission time ("player"), the points and the attached bytes ("data", decimal numbers
// separated by single spaces). The file is rewritten whole after every stored score.
#include "services/local_leaderboards.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/array.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "services/leaderboard_events.h"
#include "core/engine_string.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"

const char* const kLocalLeaderboardsFile = "user://leaderboards-db.xml";

namespace {

const int kMaxEntriesPerCategory = 100;
const int kMaxDataBytes = static_cast<int>(sizeof(ScoreRecord{}.data));

static_assert(sizeof(void*) != 4 || sizeof(ScoreRecord) == 332, "ScoreRecord crosses the program boundary");

// Holds the store's lock for a scope, so that no return path keeps it.
class StoreGuard {
public:
    explicit StoreGuard(Mutex* mutex) : mutex_(mutex) { qv->LockMutex(mutex_); }
    ~StoreGuard() { qv->UnlockMutex(mutex_); }
    StoreGuard(const StoreGuard&) = delete;
    StoreGuard& operator=(const StoreGuard&) = delete;

private:
    Mutex* mutex_;
};

bool IsLowestScoreFirst(const char* category)
{
    return qv->leaderboards && qv->leaderboards->IsLowestScoreFirst &&
           qv->leaderboards->IsLowestScoreFirst(category);
}

int PointsOf(const DataNode* node)
{
    const char* points = node ? node->GetParameter("points") : nullptr;
    return points ? atoi(points) : 0;
}

// The existing file, read now; null (and the file left alone) when it cannot be read.
Database* LoadExistingDatabase()
{
    if (Database* cached = DataManager::FindDatabase(kLocalLeaderboardsFile))
        return cached;
    Database* database = new Database();
    if (!database->Load(kLocalLeaderboardsFile)) {
        delete database;
        QVI_Report(QV_LOG_ERROR,
                   "Local leaderboards: '%s' could not be read. Scores are not stored this run, so the file stays as it is.",
                   kLocalLeaderboardsFile);
        return nullptr;
    }
    if (!DataManager::AddDatabase(database)) {
        // Another store cached it meanwhile.
        delete database;
        return DataManager::FindDatabase(kLocalLeaderboardsFile);
    }
    return database;
}

Database* CreateEmptyDatabase()
{
    if (Database* cached = DataManager::FindDatabase(kLocalLeaderboardsFile))
        return cached;
    Database* database = new Database();
    database->fileName = QVI_CopyTextOrNull(kLocalLeaderboardsFile);
    if (!DataManager::AddDatabase(database)) {
        delete database;
        return DataManager::FindDatabase(kLocalLeaderboardsFile);
    }
    return database;
}

// "12 0 255": each byte as an unsigned decimal number, single spaces between.
String FormatData(const uint8_t* bytes, int length)
{
    String text("");
    for (int i = 0; i < length; ++i)
        text.AppendFormat(i == 0 ? "%u" : " %u", static_cast<unsigned>(bytes[i]));
    return text;
}

// Fills data and dataLength from the "data" text. More numbers than the record holds
// leave it without data.
void ParseData(const char* text, ScoreRecord* record)
{
    if (!text || !text[0])
        return;
    int tokens = 1;
    for (const char* p = text; *p; ++p) {
        if (*p == ' ' && p[1] != '\0')
            ++tokens;
    }
    if (tokens > kMaxDataBytes)
        return;
    const char* p = text;
    for (int i = 0; i < tokens; ++i) {
        record->data[i] = static_cast<uint8_t>(atoi(p));
        const char* space = strchr(p, ' ');
        if (!space)
            break;
        p = space + 1;
    }
    record->dataLength = tokens;
}

void CopyText(char* target, size_t size, const char* text)
{
    snprintf(target, size, "%s", text ? text : "");
}

// The worst entry goes; among equally bad entries the last one.
void RemoveWorstEntry(DataArray* array, bool lowestFirst)
{
    int candidate = 0;
    int candidatePoints = PointsOf(array->nodes.data[0]);
    for (int i = 1; i < array->nodes.count; ++i) {
        const int points = PointsOf(array->nodes.data[i]);
        if (lowestFirst ? points >= candidatePoints : points <= candidatePoints) {
            candidate = i;
            candidatePoints = points;
        }
    }
    DataNode* removed = array->nodes.data[candidate];
    array->nodes.RemoveAt(candidate);
    delete removed;
}

// Reads the nodes into records ranked best first; equal points keep the stored order.
Array<ScoreRecord> RankedRecords(const DataArray* array, bool lowestFirst)
{
    Array<ScoreRecord> ranked;
    ranked.SetCapacity(array->nodes.count > 0 ? array->nodes.count : 1);
    for (int n = 0; n < array->nodes.count; ++n) {
        const DataNode* node = array->nodes.data[n];
        if (!node)
            continue;
        ScoreRecord record;
        memset(&record, 0, sizeof record);
        CopyText(record.name, sizeof record.name, node->GetParameter("player"));
        record.points = PointsOf(node);
        snprintf(record.id, sizeof record.id, "%x", static_cast<unsigned>(reinterpret_cast<uintptr_t>(node)));
        ParseData(node->GetParameter("data"), &record);

        int position = ranked.count;
        for (int i = 0; i < ranked.count; ++i) {
            const int other = ranked.data[i].points;
            if (lowestFirst ? record.points < other : record.points > other) {
                position = i;
                break;
            }
        }
        ranked.Add(record);
        for (int i = ranked.count - 1; i > position; --i)
            ranked.data[i] = ranked.data[i - 1];
        ranked.data[position] = record;
    }
    return ranked;
}

} // namespace

LocalScoreStore::LocalScoreStore() : database(nullptr), mutex(nullptr)
{
    if (qv->fileSystem && qv->fileSystem->FileExists(kLocalLeaderboardsFile))
        database = LoadExistingDatabase();
    else
        database = CreateEmptyDatabase();
    mutex = qv->CreateMutex("LOCAL_LEADERBOARDS");
}

void LocalScoreStore::StoreScore(ScoreRecord* record, const char* category)
{
    StoreGuard guard(mutex);
    if (!database || !record)
        return;
    if (!category) {
        QVI_Report(QV_LOG_WARNING, "Local leaderboards: a score without a category is not stored.");
        return;
    }
    // A category becomes the id of its array. One whose tag the file could not hold would
    // make every later save of the whole database fail, losing the scores of every
    // category; only that category is refused.
    if (!Database::CanWriteArrayId(category)) {
        QVI_Report(QV_LOG_WARNING,
                   "Local leaderboards: category '%.40s...' (%d characters) is too long for the score file; the score is not stored.",
                   category, static_cast<int>(strlen(category)));
        return;
    }
    DataArray* array = database->FindArray(category);
    if (!array) {
        array = new DataArray(category);
        database->arrays.Add(array);
    }

    const DateTime now = qv->GetDateTime();
    snprintf(record->name, 31, "%d-%.2d-%.2d %.2d:%.2d", now.year, now.month, now.day, now.hour, now.minute);

    DataNode* node = new DataNode(nullptr);
    array->nodes.Add(node);
    node->SetParameter("player", record->name);
    String points = String::FromFormat("%d", record->points);
    node->SetParameter("points", points.text);
    int dataLength = record->dataLength;
    if (dataLength > kMaxDataBytes)
        dataLength = kMaxDataBytes;
    if (dataLength > 0) {
        String data = FormatData(record->data, dataLength);
        node->SetParameter("data", data.text);
    }

    if (array->nodes.count > kMaxEntriesPerCategory)
        RemoveWorstEntry(array, IsLowestScoreFirst(category));

    database->Save(kLocalLeaderboardsFile, !g_core.developerMode);
}

void LocalScoreStore::QueryScores(int first, int count, LeaderboardFilter filter, const char* category)
{
    if (!database) {
        QVI_SendLeaderboardErrorEvent(category, filter, "Not yet initialized.");
        return;
    }
    if (filter != QV_LEADERBOARD_FILTER_GLOBAL) {
        // Local lists have no friends.
        QVI_SendLeaderboardScoresEvent(category, filter, 0, 0, nullptr, 0);
        return;
    }

    StoreGuard guard(mutex);
    const DataArray* array = category ? database->FindArray(category) : nullptr;
    if (!array) {
        QVI_Report(QV_LOG_INFO, "No scores in category '%s', returning 0 scores.", category ? category : "");
        QVI_SendLeaderboardScoresEvent(category, QV_LEADERBOARD_FILTER_GLOBAL, first, 0, nullptr, 0);
        return;
    }

    Array<ScoreRecord> ranked = RankedRecords(array, IsLowestScoreFirst(category));
    // Positions first - 1 to first + count - 2, in 64 bits, cut to the list.
    int64_t begin = static_cast<int64_t>(first) - 1;
    int64_t end = begin + (count > 0 ? count : 0);
    if (begin < 0)
        begin = 0;
    if (end > ranked.count)
        end = ranked.count;
    const int taken = end > begin ? static_cast<int>(end - begin) : 0;

    ScoreRecord* scores = nullptr;
    if (taken > 0) {
        scores = static_cast<ScoreRecord*>(qv->Malloc(static_cast<uint32_t>(taken * sizeof(ScoreRecord))));
        if (!scores) {
            QVI_SendLeaderboardErrorEvent(category, filter, "Out of memory.");
            return;
        }
        for (int i = 0; i < taken; ++i) {
            const int position = static_cast<int>(begin) + i;
            scores[i] = ranked.data[position];
            scores[i].rank = position + 1;
        }
    }
    QVI_SendLeaderboardScoresEvent(category, QV_LEADERBOARD_FILTER_GLOBAL, first, taken, scores, array->nodes.count);
}

LocalLeaderboardsImplementation::LocalLeaderboardsImplementation()
    : store(new LocalScoreStore()), submitCounter(1)
{
    MakePlayerId();
}

LocalLeaderboardsImplementation::~LocalLeaderboardsImplementation()
{
    delete store;
}

void LocalLeaderboardsImplementation::MakePlayerId()
{
    snprintf(playerId, sizeof playerId, "%d_%d", static_cast<int>(qv->GetCalendarTime()), submitCounter);
}

void QV_MEMBER LocalLeaderboardsImplementation::SubmitScore(int, ScoreRecord score, const char* category)
{
    ++submitCounter;
    MakePlayerId();
    ScoreRecord record = score;
    if (record.dataLength < 0)
        record.dataLength = 0;
    CopyText(record.id, sizeof record.id, playerId);
    store->StoreScore(&record, category);
}

bool QV_MEMBER LocalLeaderboardsImplementation::RequestScores(int first, int count, LeaderboardFilter filter,
                                                    const char* category)
{
    store->QueryScores(first, count, filter, category);
    return true;
}

bool QV_MEMBER LocalLeaderboardsImplementation::RequestScoresAroundUserRank(int, int count, const char* category)
{
    store->QueryScores(1, count, QV_LEADERBOARD_FILTER_GLOBAL, category);
    return true;
}

const char* QV_MEMBER LocalLeaderboardsImplementation::GetPlayerId(int)
{
    return playerId;
}

int QV_MEMBER LocalLeaderboardsImplementation::GetLoginState(int)
{
    return 2;
}

LeaderboardsImplementation* QVI_CreateLocalLeaderboardsImplementation()
{
    return new LocalLeaderboardsImplementation();
}
