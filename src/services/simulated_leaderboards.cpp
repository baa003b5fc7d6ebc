// Simulated leaderboards: invented score lists that answer like a slow network service.
#include "services/simulated_leaderboards.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "services/leaderboard_events.h"
#include "data/datamanager/data_manager.h"
#include "data/datamanager/database.h"

namespace {

const char* const kCategoryFile = "leaderboards/leaderboards.xml";
const char* const kOtherPlayerPrefix = "OTHER_PLAYER_";
const char* const kLocalUserPrefix = "LOCAL_USER_";
const int kNameWordCount = 62;

// Fifty-three given names, then nine short words: what invented display names are made of.
const char* const kGivenNames =
    "Aino,Bruno,Carla,Dario,Edith,Felix,Greta,Hugo,Ilse,Jonas,Kaisa,Lars,Mira,Nils,Olga,Pavel,Quinn,"
    "Rosa,Sami,Tilda,Urs,Vera,Wim,Xenia,Yann,Zora,Anton,Bea,Cyril,Dora,Emil,Fanny,Gustav,Hanna,Ivo,"
    "Jana,Kurt,Lena,Milo,Nora,Oskar,Pia,Rafael,Selma,Teo,Ulla,Viktor,Wanda,Yusuf,Zeno,Alma,Boris,Cleo";
const char* const kShortWords[] = {"X", "Q", "Z", "Fox", "Owl", "Ace", "Jet", "Sky", "Rex"};

bool StartsWith(const char* text, const char* prefix)
{
    return text && strncmp(text, prefix, strlen(prefix)) == 0;
}

bool IsLowestScoreFirst(const char* category)
{
    return qv->leaderboards && qv->leaderboards->IsLowestScoreFirst &&
           qv->leaderboards->IsLowestScoreFirst(category);
}

bool IsFriend(const Array<String>& friends, const char* id)
{
    for (int i = 0; i < friends.count; ++i) {
        if (friends.data[i].text && strcmp(friends.data[i].text, id) == 0)
            return true;
    }
    return false;
}

int CompareAscending(const void* a, const void* b)
{
    const int32_t x = static_cast<const ScoreRecord*>(a)->points;
    const int32_t y = static_cast<const ScoreRecord*>(b)->points;
    return x < y ? -1 : (x > y ? 1 : 0);
}

int CompareDescending(const void* a, const void* b)
{
    return CompareAscending(b, a);
}

void ZeroRecord(ScoreRecord* record)
{
    memset(record, 0, sizeof *record);
}

// What a delivery thread needs: the event it will post, in the leaderboards event's layout.
struct DeliveryRequest {
    LeaderboardsEvent event;
};

void Deliver(DeliveryRequest* request)
{
    LeaderboardsEvent& e = request->event;
    if (e.kind == QV_LEADERBOARDS_EVENT_ERROR)
        QVI_SendLeaderboardErrorEvent(e.category, e.filter, e.reason);
    else
        QVI_SendLeaderboardScoresEvent(e.category, e.filter, e.first, e.count, e.scores, e.total);
    qv->Free(e.category);
    qv->Free(e.reason);
    qv->Free(request);
}

void DeliveryThread(void* argument)
{
    qv->Sleep(static_cast<uint32_t>(rand() % 2500 + 501));
    Deliver(static_cast<DeliveryRequest*>(argument));
}

// Every accepted request ends in exactly one event: when no thread can be started the
// answer goes out at once from the caller's thread.
void StartDelivery(int kind, const char* reason, const char* category, LeaderboardFilter filter, int first,
                   int count, ScoreRecord* scores, int total)
{
    DeliveryRequest* request = static_cast<DeliveryRequest*>(qv->Malloc(sizeof(DeliveryRequest)));
    if (!request) {
        if (scores)
            qv->Free(scores);
        QVI_SendLeaderboardErrorEvent(category, filter, "Out of memory.");
        return;
    }
    LeaderboardsEvent& e = request->event;
    qv->InitEvent(reinterpret_cast<EngineEvent*>(&e), EVENT_LEADERBOARDS);
    e.kind = kind;
    e.reason = QVI_StrDupApi(reason);
    e.category = QVI_StrDupApi(category ? category : "");
    e.total = total;
    e.filter = filter;
    e.first = first;
    e.count = count;
    e.scores = scores;
    if (!qv->CreateThread("SimulatedLeaderboards", DeliveryThread, request, 0)) {
        QVI_Report(QV_LOG_WARNING, "SimulatedLeaderboards: no delivery thread; the answer is sent at once.");
        Deliver(request);
    }
}

} // namespace

SimulatedLeaderboardsImplementation::SimulatedLeaderboardsImplementation()
{
    for (int p = 0; p < 4; ++p)
        localUserIds[p].Format("LOCAL_USER_%d", p);
    const String given(kGivenNames);
    for (int i = 0;; ++i) {
        String word = given.Token(i, ",");
        if (!word.text)
            break;
        names.Add(word);
    }
    for (const char* word : kShortWords)
        names.Add(String(word));
}

SimulatedLeaderboardsImplementation::~SimulatedLeaderboardsImplementation()
{
    categories.DeleteAll();
}

const char* SimulatedLeaderboardsImplementation::RandomName()
{
    const int index = rand() % kNameWordCount;
    return index < names.count ? names.data[index].text : "";
}

bool QV_MEMBER SimulatedLeaderboardsImplementation::Init()
{
    if (!qv->HasFeature || !qv->HasFeature("LEADERBOARDS"))
        return false;
    const DataArray* list = DataManager::GetDatabase(kCategoryFile)->FindArray("CATEGORIES");
    if (!list)
        return false;
    for (int i = 0; i < list->nodes.count; ++i) {
        const DataNode* node = list->nodes.data[i];
        FillCategory(node && node->id ? node->id : "", i);
    }
    return true;
}

void SimulatedLeaderboardsImplementation::FillCategory(const char* name, int index)
{
    SimulatedCategory* category = new SimulatedCategory();
    category->name.Assign(name);
    categories.Add(category);

    const int n = rand() % 50001;
    QVI_Report(QV_LOG_INFO, "Initializing category '%s' with %d fake scores.", name, n);
    Array<ScoreRecord>& scores = category->scores;
    scores.SetCapacity(n > 0 ? n : 1);
    const uint32_t now = qv->GetCalendarTime();
    int32_t points = 0;
    for (int k = 0; k < n; ++k) {
        ScoreRecord& record = scores.AddInPlace();
        ZeroRecord(&record);
        const char* second = RandomName();
        const char* firstWord = RandomName();
        snprintf(record.name, sizeof record.name, "%s %d %s", firstWord, k, second);
        snprintf(record.id, sizeof record.id, "OTHER_PLAYER_%d", k);
        if (k > 0)
            points += 1 + rand() % 10000;
        record.points = points;
        record.rank = n - k;
        record.time = static_cast<int32_t>(now - static_cast<uint32_t>(rand() % 10000));
    }
    for (int a = 0, b = n - 1; a < b; ++a, --b) {
        const ScoreRecord swap = scores.data[a];
        scores.data[a] = scores.data[b];
        scores.data[b] = swap;
    }
    if (n >= 1) {
        for (int p = 0; p < 4; ++p) {
            const char* id = GetPlayerId(p);
            if (!id)
                continue;
            ScoreRecord& record = scores.data[rand() % n];
            snprintf(record.name, sizeof record.name, "Local Player %d", p);
            snprintf(record.id, sizeof record.id, "%s", id);
        }
    }
    if (scores.count > index) {
        const char* id = scores.data[index].id;
        if (StartsWith(id, kOtherPlayerPrefix) && !IsFriend(friends, id))
            friends.Add(String(id));
    }
    SortCategory(category);
}

SimulatedCategory* SimulatedLeaderboardsImplementation::FindCategory(const char* name)
{
    if (!name)
        return nullptr;
    for (int i = 0; i < categories.count; ++i) {
        SimulatedCategory* category = categories.data[i];
        if (category->name.text && strcmp(category->name.text, name) == 0)
            return category;
    }
    return nullptr;
}

ScoreRecord* SimulatedLeaderboardsImplementation::FindPlayerScore(int player, SimulatedCategory* category)
{
    const char* id = GetPlayerId(player);
    if (!category || !id)
        return nullptr;
    for (int i = 0; i < category->scores.count; ++i) {
        if (strcmp(category->scores.data[i].id, id) == 0)
            return &category->scores.data[i];
    }
    return nullptr;
}

void SimulatedLeaderboardsImplementation::SortCategory(SimulatedCategory* category)
{
    Array<ScoreRecord>& scores = category->scores;
    if (scores.count > 1)
        qsort(scores.data, static_cast<size_t>(scores.count), sizeof(ScoreRecord),
              IsLowestScoreFirst(category->name.text) ? CompareAscending : CompareDescending);
    for (int i = 0; i < scores.count; ++i)
        scores.data[i].rank = i + 1;
}

void SimulatedLeaderboardsImplementation::RefreshCategory(SimulatedCategory* category)
{
    Array<ScoreRecord>& scores = category->scores;
    if (scores.count > 0) {
        for (int i = 0; i < 3; ++i) {
            ScoreRecord& record = scores.data[rand() % scores.count];
            if (StartsWith(record.id, kOtherPlayerPrefix))
                record.points += 1 + rand() % 50000;
        }
    }
    if (rand() % 4 == 0) {
        const uint32_t now = qv->GetCalendarTime();
        for (int k = 0; k < 3; ++k) {
            ScoreRecord record;
            ZeroRecord(&record);
            const char* second = RandomName();
            const char* firstWord = RandomName();
            snprintf(record.name, sizeof record.name, "%s %d %s", firstWord, k, second);
            snprintf(record.id, sizeof record.id, "OTHER_PLAYER_NEW_%x_%d", now, k);
            record.points = rand() % 100000;
            record.rank = 1;
            record.time = static_cast<int32_t>(now - static_cast<uint32_t>(rand() % 10000));
            scores.Add(record);
        }
    }
    if (rand() % 4 == 0) {
        for (int i = 0; i < 3 && scores.count > 0; ++i) {
            const int index = rand() % scores.count;
            if (StartsWith(scores.data[index].id, kOtherPlayerPrefix))
                scores.RemoveAt(index);
        }
    }
    SortCategory(category);
}

void QV_MEMBER SimulatedLeaderboardsImplementation::SubmitScore(int player, ScoreRecord score, const char* category)
{
    SimulatedCategory* record = FindCategory(category);
    if (!record)
        return;
    const char* id = GetPlayerId(player);
    snprintf(score.id, sizeof score.id, "%s", id ? id : "");
    snprintf(score.name, sizeof score.name, "Local Player %d", player);
    if (score.dataLength < 0)
        score.dataLength = 0;
    if (score.dataLength > static_cast<int>(sizeof score.data))
        score.dataLength = static_cast<int>(sizeof score.data);

    ScoreRecord* existing = nullptr;
    for (int i = 0; i < record->scores.count; ++i) {
        if (strcmp(record->scores.data[i].id, score.id) == 0) {
            existing = &record->scores.data[i];
            break;
        }
    }
    if (existing)
        existing->points = score.points;
    else
        record->scores.Add(score);
    RefreshCategory(record);
    SortCategory(record);
}

bool QV_MEMBER SimulatedLeaderboardsImplementation::RequestScores(int first, int count, LeaderboardFilter filter,
                                                        const char* category)
{
    SimulatedCategory* record = FindCategory(category);
    if (!record) {
        String reason = String::FromFormat("Unknown leaderboard category '%s'.", category ? category : "");
        StartDelivery(QV_LEADERBOARDS_EVENT_ERROR, reason.text, category, filter, 0, 0, nullptr, 0);
        return true;
    }
    SortCategory(record);

    // The list the filter leaves, best first, with the ranks it answers.
    Array<const ScoreRecord*> list;
    int total = 0;
    const bool friendsOnly = filter == QV_LEADERBOARD_FILTER_FRIENDS;
    if (filter == QV_LEADERBOARD_FILTER_GLOBAL || friendsOnly) {
        for (int i = 0; i < record->scores.count; ++i) {
            const ScoreRecord* score = &record->scores.data[i];
            if (friendsOnly && !StartsWith(score->id, kLocalUserPrefix) && !IsFriend(friends, score->id))
                continue;
            list.Add(score);
        }
        total = list.count;
    }

    int64_t begin = static_cast<int64_t>(first) - 1;
    int64_t end = begin + (count > 0 ? count : 0);
    if (begin < 0)
        begin = 0;
    if (end > list.count)
        end = list.count;
    const int taken = end > begin ? static_cast<int>(end - begin) : 0;

    ScoreRecord* scores = nullptr;
    if (taken > 0) {
        scores = static_cast<ScoreRecord*>(qv->Malloc(static_cast<uint32_t>(taken * sizeof(ScoreRecord))));
        if (!scores) {
            StartDelivery(QV_LEADERBOARDS_EVENT_ERROR, "Out of memory.", category, filter, 0, 0, nullptr, 0);
            return true;
        }
        for (int i = 0; i < taken; ++i) {
            const int position = static_cast<int>(begin) + i;
            scores[i] = *list.data[position];
            if (friendsOnly)
                scores[i].rank = position + 1;
        }
    }
    StartDelivery(QV_LEADERBOARDS_EVENT_SCORES, nullptr, category, filter, first, taken, scores, total);
    return true;
}

bool QV_MEMBER SimulatedLeaderboardsImplementation::RequestScoresAroundUserRank(int player, int count, const char* category)
{
    const ScoreRecord* score = FindPlayerScore(player, FindCategory(category));
    int64_t first = 1;
    if (score) {
        first = static_cast<int64_t>(score->rank) - count / 2;
        if (first < 1)
            first = 1;
        if (first > INT32_MAX)
            first = INT32_MAX;
    }
    return RequestScores(static_cast<int>(first), count, QV_LEADERBOARD_FILTER_GLOBAL, category);
}

const char* QV_MEMBER SimulatedLeaderboardsImplementation::GetPlayerId(int player)
{
    if (static_cast<uint32_t>(player) > 3)
        return nullptr;
    return localUserIds[player].text;
}

int QV_MEMBER SimulatedLeaderboardsImplementation::GetLoginState(int)
{
    return 2;
}

LeaderboardsImplementation* QVI_CreateSimulatedLeaderboardsImplementation()
{
    return new SimulatedLeaderboardsImplementation();
}
