#include "modules/local_fallbacks.h"

#include <cstring>

#include "services/fallback_implementations.h"

bool QV_MEMBER ExtensionModuleLocalFallbacks::Init(QuavenAPI* api)
{
    if (!api)
        return true;
    if (api->HasFeature("SIMULATED_LEADERBOARDS")) {
        simulatedLeaderboards = true;
        leaderboards = QVI_CreateSimulatedLeaderboardsImplementation();
    } else {
        simulatedLeaderboards = false;
        leaderboards = api->HasFeature("LOCAL_LEADERBOARDS") ? QVI_CreateLocalLeaderboardsImplementation() : nullptr;
    }
    cloud = api->HasFeature("SIMULATED_CLOUD") ? QVI_CreateSimulatedCloudImplementation() : nullptr;
    social = api->HasFeature("SIMULATED_SOCIAL") ? QVI_CreateSimulatedSocialImplementation() : nullptr;
    return true;
}

void QV_MEMBER ExtensionModuleLocalFallbacks::Shutdown()
{
    QVI_DeleteImplementation(leaderboards);
    QVI_DeleteImplementation(cloud);
    QVI_DeleteImplementation(social);
    leaderboards = nullptr;
    cloud = nullptr;
    social = nullptr;
}

const char* QV_MEMBER ExtensionModuleLocalFallbacks::Command(const char* command, const char* argument)
{
    if (command && simulatedLeaderboards && strcmp(command, "GetPlayerOnlineID") == 0)
        return "SimulatedPlayer";
    return nullptr;
}

BaseImplementation* QV_MEMBER ExtensionModuleLocalFallbacks::GetImplementation(ImplementationKind kind)
{
    switch (kind) {
    case IMPLEMENTATION_CLOUD:
        return cloud;
    case IMPLEMENTATION_LEADERBOARDS:
        return leaderboards;
    case IMPLEMENTATION_SOCIAL:
        return social;
    default:
        return nullptr;
    }
}
