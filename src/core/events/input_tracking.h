#pragma once

#include "quaven/events.h"

// The dispatcher's bookkeeping of input, run before the program sees the event. Both
// may write the event: the first-press / was-down flag and the previous position.

// EVENT_KEY_DOWN / EVENT_KEY_UP: flag and key-state word. Codes outside 1-2047 leave
// the table alone.
void QVI_TrackKeyEvent(EngineEvent* event);

// EVENT_MOUSE_MOVE / _UP / _DOWN: the pointer's position and buttons, and for pointer 0
// the mouse codes. Pointers whose codes would fall outside the tables (indices other
// than 0-75) and button codes outside the key table are ignored.
void QVI_TrackPointerEvent(EngineEvent* event);
