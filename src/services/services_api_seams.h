#pragma once

#include "quaven/api.h"

// Stand-ins for the online services until they arrive: fills the sub-tables achievements,
// cloud, leaderboards, notifications, social, statistics and ugc (and their pointers in the
// API table) with members that report once that they are not available and answer what a
// game sees when no service of the kind is present: false, 0 or null, and true from ugc
// Call2, whose documented answer without a service is true.
void QVI_FillServicesAPI(QuavenAPI* api);
