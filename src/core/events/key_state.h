#pragma once

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
