#pragma once

#include <cmath>
#include <cstdint>

#include "quaven/events.h"

// The key-state table (bit 0 down, bit 1 pressed and not yet read) and the axis table,
// one entry per KeyCode 0-2047. Both belong to the main thread; the accessors take no
// lock, since every access is one aligned word. Codes outside the tables are ignored:
// reads answer 0 and writes do nothing.

// API members.
uint32_t QV_GetKey(uint32_t code);   // reading clears bit 1 for codes up to 255
void QV_SetKey(uint32_t code, uint32_t state);
float QV_GetAxis(uint32_t code);
void QV_SetAxis(uint32_t code, float value);

inline bool QVI_IsKeyCodeInTable(uint32_t code)
{
    return code < QV_KEY_CODE_COUNT;
}

// The key-state word without the read side effect of GetKey.
uint32_t QVI_PeekKeyState(uint32_t code);

// Focus loss: releases the keyboard keys 0-254 and every gamepad control but the
// connection states. Mouse buttons, axes and code 255 keep their values.
void QVI_ReleaseAllKeys();

// The dispatcher's bookkeeping of input, run before the program sees the event. Both
// may write the event: the first-press / was-down flag and the previous position.

// EVENT_KEY_DOWN / EVENT_KEY_UP: flag and key-state word. Codes outside 1-2047 leave
// the table alone.
void QVI_TrackKeyEvent(EngineEvent* event);

// EVENT_MOUSE_MOVE / _UP / _DOWN: the pointer's position and buttons, and for pointer 0
// the mouse codes. Pointers whose codes would fall outside the tables (indices other
// than 0-75) and button codes outside the key table are ignored.
void QVI_TrackPointerEvent(EngineEvent* event);

// The KeyCode of a key name as prog.xml's "console_toggle_key" writes it ("ESCAPE",
// "a", "7", "GAMEPAD_1_BUTTON_A", ...). Names are compared exactly; an unknown name,
// an empty one or null gives 0.
KeyCode QVI_KeyCodeFromName(const char* name);

// Float to int toward zero without the undefined behaviour of an out-of-range cast:
// positions come from window messages and from axes the program may have set to
// anything, NaN and infinities included. NaN gives 0; values beyond int32 are clamped.
inline int32_t QVI_TruncateToInt(float value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0f)
        return INT32_MAX;
    if (value <= -2147483648.0f)
        return INT32_MIN;
    return static_cast<int32_t>(value);
}
