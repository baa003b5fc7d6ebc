#include "services/resolved_implementations.h"

namespace {

BaseImplementation* g_resolved[IMPLEMENTATION_KIND_COUNT] = {};

bool IsKind(int kind)
{
    return kind >= 0 && kind < IMPLEMENTATION_KIND_COUNT;
}

}  // namespace

void QVI_DeleteImplementation(BaseImplementation* implementation)
{
    if (implementation)
        implementation->DeletingDestructor(1u);
}

BaseImplementation* QVI_GetResolvedImplementation(int kind)
{
    return IsKind(kind) ? g_resolved[kind] : nullptr;
}

void QVI_SetResolvedImplementation(int kind, BaseImplementation* implementation)
{
    if (IsKind(kind))
        g_resolved[kind] = implementation;
}

void QVI_ClearResolvedImplementations()
{
    for (BaseImplementation*& implementation : g_resolved)
        implementation = nullptr;
}

// Each kind's pointer was resolved by asking for that kind, so it is of that family.
CloudImplementation* QVI_CloudImplementation()
{
    return static_cast<CloudImplementation*>(g_resolved[IMPLEMENTATION_CLOUD]);
}

LeaderboardsImplementation* QVI_LeaderboardsImplementation()
{
    return static_cast<LeaderboardsImplementation*>(g_resolved[IMPLEMENTATION_LEADERBOARDS]);
}

AchievementsImplementation* QVI_AchievementsImplementation()
{
    return static_cast<AchievementsImplementation*>(g_resolved[IMPLEMENTATION_ACHIEVEMENTS]);
}

InAppPurchaseImplementation* QVI_InAppPurchaseImplementation()
{
    return static_cast<InAppPurchaseImplementation*>(g_resolved[IMPLEMENTATION_IN_APP_PURCHASE]);
}

SocialImplementation* QVI_SocialImplementation()
{
    return static_cast<SocialImplementation*>(g_resolved[IMPLEMENTATION_SOCIAL]);
}

UGCImplementation* QVI_UGCImplementation()
{
    return static_cast<UGCImplementation*>(g_resolved[IMPLEMENTATION_UGC]);
}

NotificationImplementation* QVI_NotificationImplementation()
{
    return static_cast<NotificationImplementation*>(g_resolved[IMPLEMENTATION_NOTIFICATION]);
}

StatisticImplementation* QVI_StatisticImplementation()
{
    return static_cast<StatisticImplementation*>(g_resolved[IMPLEMENTATION_STATISTIC]);
}
