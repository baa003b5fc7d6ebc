#pragma once

#include "quaven/api.h"

// The online services: fills the sub-tables achievements, cloud, leaderboards,
// notifications, social, statistics and ugc, and their pointers in the API table.
void QVI_FillServicesAPI(QuavenAPI* api);
