#pragma once

#include "quaven/services.h"

// The one event (EVENT_LEADERBOARDS) with which every accepted leaderboard request answers.
// The texts and the score array come from the engine heap (the API's Malloc), travel with the
// event and are freed by the engine after the program's OnEvent; senders never free them.

// "GLOBAL", "FRIENDS", else "ERROR".
const char* QVI_LeaderboardFilterName(LeaderboardFilter filter);

// A copy in a block from the API's Malloc; null for null or when the allocation fails.
char* QVI_StrDupApi(const char* text);

// Posts a scores event. scores (from the API's Malloc) is handed over, not copied; when
// count is 0 or less the event carries no array and a given one is freed here.
void QVI_SendLeaderboardScoresEvent(const char* category, LeaderboardFilter filter, int first, int count,
                                    ScoreRecord* scores, int total);

// Posts an error event; category and reason are copied.
void QVI_SendLeaderboardErrorEvent(const char* category, LeaderboardFilter filter, const char* reason);
