#pragma once

#include "services/service_implementation.h"

// The engine's own implementations that the Local Fallbacks module offers when no online
// service is present. Each creation runs only the constructor (Init follows only when the
// implementation is resolved); the caller owns the object and deletes it with
// QVI_DeleteImplementation. Null when the implementation is not available.

// Invented players and scores, answered after a delay from a thread of their own.
LeaderboardsImplementation* QVI_CreateSimulatedLeaderboardsImplementation();
// Scores kept in "user://leaderboards-db.xml".
LeaderboardsImplementation* QVI_CreateLocalLeaderboardsImplementation();
// Blobs kept in "user://simulated.cloud".
CloudImplementation* QVI_CreateSimulatedCloudImplementation();
// A fixed list of invented friends.
SocialImplementation* QVI_CreateSimulatedSocialImplementation();
