#pragma once

#include "services/service_implementation.h"

// The implementation chosen for each kind at start-up, or null when no module offers one.
// The module that supplied an implementation owns it. Written only on the main thread while
// the modules start; read afterwards without locking.

// Null for a kind outside 0 to 7.
BaseImplementation* QVI_GetResolvedImplementation(int kind);
// Ignored for a kind outside 0 to 7.
void QVI_SetResolvedImplementation(int kind, BaseImplementation* implementation);
void QVI_ClearResolvedImplementations();

// The typed views the sub-tables and commands use.
CloudImplementation* QVI_CloudImplementation();
LeaderboardsImplementation* QVI_LeaderboardsImplementation();
AchievementsImplementation* QVI_AchievementsImplementation();
InAppPurchaseImplementation* QVI_InAppPurchaseImplementation();
SocialImplementation* QVI_SocialImplementation();
UGCImplementation* QVI_UGCImplementation();
NotificationImplementation* QVI_NotificationImplementation();
StatisticImplementation* QVI_StatisticImplementation();
