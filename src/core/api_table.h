#pragma once

#include "quaven/api.h"

// Writes every member of the API table that the engine provides so far. Members of
// subsystems still to come stay null until their subsystems fill them.
void QVI_FillAPI(QuavenAPI* api);
