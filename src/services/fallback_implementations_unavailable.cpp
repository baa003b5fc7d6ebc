// The local and simulated implementations until they arrive: none is created, so their kinds
// stay without an implementation and the sub-tables give their defaults.
#include "services/fallback_implementations.h"

#include "core/missing_member.h"

LeaderboardsImplementation* QVI_CreateSimulatedLeaderboardsImplementation()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards (SIMULATED_LEADERBOARDS)");
    return nullptr;
}

LeaderboardsImplementation* QVI_CreateLocalLeaderboardsImplementation()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards (LOCAL_LEADERBOARDS)");
    return nullptr;
}

CloudImplementation* QVI_CreateSimulatedCloudImplementation()
{
    QVI_REPORT_MISSING_MEMBER("cloud (SIMULATED_CLOUD)");
    return nullptr;
}

SocialImplementation* QVI_CreateSimulatedSocialImplementation()
{
    QVI_REPORT_MISSING_MEMBER("social (SIMULATED_SOCIAL)");
    return nullptr;
}
