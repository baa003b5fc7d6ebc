#pragma once

#include "quaven/program.h"

// Puts the engine's configuration into the program's record once the library is loaded:
// the whole default record is copied over it, and only the program's interface version
// and its five callbacks are kept (its developer-mode byte goes into the default record
// first). The record becomes the settings in force, and its command line is the engine's
// copy again. Null does nothing.
void QVI_AdoptProgramConfiguration(ProgramInterface* record);
