#pragma once

#include "quaven/events.h"

// Handles one event on the main thread, in this order: the console's toggle key, the
// open console, the key-state and pointer tables, then the program's OnEvent (only
// once core initialisation has finished). May write the event's flags and previous
// positions. Answers the console's or the program's answer, else 0.
int QVI_DispatchEvent(EngineEvent* event);
