#include "services/leaderboard_events.h"

#include <cstring>

#include "core/engine_log.h"

namespace {

LeaderboardsEvent NewEvent(int32_t kind, const char* category, LeaderboardFilter filter)
{
    EngineEvent event;
    qv->InitEvent(&event, EVENT_LEADERBOARDS);
    LeaderboardsEvent result;
    memcpy(&result, &event, sizeof result);
    result.kind = kind;
    result.category = QVI_StrDupApi(category);
    result.filter = filter;
    return result;
}

// Log lines name a missing text the way the C library would, without relying on it.
const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

// The last rank of a range, without overflowing at the top of the int range.
int LastRank(int first, int count)
{
    const int64_t last = static_cast<int64_t>(first) + count - 1;
    return last > INT32_MAX ? INT32_MAX : static_cast<int>(last);
}

void Post(const LeaderboardsEvent& result)
{
    EngineEvent event;
    memcpy(&event, &result, sizeof event);
    qv->PostEvent(&event);
}

}  // namespace

const char* QVI_LeaderboardFilterName(LeaderboardFilter filter)
{
    switch (filter) {
    case QV_LEADERBOARD_FILTER_GLOBAL:
        return "GLOBAL";
    case QV_LEADERBOARD_FILTER_FRIENDS:
        return "FRIENDS";
    default:
        return "ERROR";
    }
}

char* QVI_StrDupApi(const char* text)
{
    if (!text)
        return nullptr;
    const size_t length = strlen(text);
    if (length >= UINT32_MAX)
        return nullptr;
    char* copy = static_cast<char*>(qv->Malloc(static_cast<uint32_t>(length + 1)));
    if (copy)
        memcpy(copy, text, length + 1);
    return copy;
}

void QVI_SendLeaderboardScoresEvent(const char* category, LeaderboardFilter filter, int first, int count,
                                    ScoreRecord* scores, int total)
{
    if (count <= 0) {
        // An empty answer carries no array; one handed over anyway would otherwise leak.
        qv->Free(scores);
        scores = nullptr;
        count = 0;
    }
    LeaderboardsEvent result = NewEvent(QV_LEADERBOARDS_EVENT_SCORES, category, filter);
    result.total = total;
    result.first = first;
    result.count = count;
    result.scores = scores;
    const char* filterName = QVI_LeaderboardFilterName(filter);
    if (count >= 1)
        QVI_Report(QV_LOG_INFO, "Sending event with scores %d..%d (%d scores of %d) for category '%s' with filter '%s'",
                   first, LastRank(first, count), count, total, Printable(category), filterName);
    else
        QVI_Report(QV_LOG_INFO, "Sending event with no scores (%d scores in category) for category '%s' with filter '%s'",
                   total, Printable(category), filterName);
    Post(result);
}

void QVI_SendLeaderboardErrorEvent(const char* category, LeaderboardFilter filter, const char* reason)
{
    LeaderboardsEvent result = NewEvent(QV_LEADERBOARDS_EVENT_ERROR, category, filter);
    result.reason = QVI_StrDupApi(reason);
    QVI_Report(QV_LOG_INFO, "Sending leaderboards error event for category '%s' filter '%s' with reason '%s'.",
               Printable(category), QVI_LeaderboardFilterName(filter), Printable(reason));
    Post(result);
}
