#pragma once

#include "quaven/api.h"

// The engine's own view of the API table: engine code logs and reaches the file
// system through it, as the program does. Points at a zero-filled table until
// pre-initialisation fills it.
extern QuavenAPI* qv;
