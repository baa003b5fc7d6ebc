// Interim leaderboard event helpers, until the shared ones land.
#include "services/local_service_bases.h"

#include <cstring>

#include "core/engine_log.h"

char* QVI_StrDupApi(const char* text)
{
    if (!text)
        return nullptr;
    size_t length = strlen(text);
    char* copy = static_cast<char*>(qv->Malloc(static_cast<uint32_t>(length + 1)));
    if (copy)
        memcpy(copy, text, length + 1);
    return copy;
}

void QVI_SendLeaderboardScoresEvent(const char* category, LeaderboardFilter filter, int first, int count,
                                    ScoreRecord* scores, int total)
{
    LeaderboardsEvent event;
    qv->InitEvent(reinterpret_cast<EngineEvent*>(&event), EVENT_LEADERBOARDS);
    event.kind = QV_LEADERBOARDS_EVENT_SCORES;
    event.category = QVI_StrDupApi(category);
    event.total = total;
    event.filter = filter;
    event.first = first;
    event.count = count;
    event.scores = count > 0 ? scores : nullptr;
    if (count <= 0 && scores)
        qv->Free(scores);
    qv->PostEvent(reinterpret_cast<EngineEvent*>(&event));
}

void QVI_SendLeaderboardErrorEvent(const char* category, LeaderboardFilter filter, const char* reason)
{
    LeaderboardsEvent event;
    qv->InitEvent(reinterpret_cast<EngineEvent*>(&event), EVENT_LEADERBOARDS);
    event.kind = QV_LEADERBOARDS_EVENT_ERROR;
    event.category = QVI_StrDupApi(category);
    event.reason = QVI_StrDupApi(reason);
    event.filter = filter;
    qv->PostEvent(reinterpret_cast<EngineEvent*>(&event));
}
