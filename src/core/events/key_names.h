#pragma once

#include "quaven/events.h"

// The KeyCode of a key name as prog.xml's "console_toggle_key" writes it ("ESCAPE",
// "a", "7", "GAMEPAD_1_BUTTON_A", ...). Names are compared exactly; an unknown name,
// an empty one or null gives 0.
KeyCode QVI_KeyCodeFromName(const char* name);
