#include "core/events/key_state.h"

namespace {

// Zero from the start of the run; only events, SetKey/SetAxis and QVI_ReleaseAllKeys
// change them.
uint32_t keyStates[QV_KEY_CODE_COUNT];
float axisValues[QV_KEY_CODE_COUNT];

// GetKey consumes the "pressed" bit only for keyboard codes: mouse and pad buttons
// report it until they are released.
const uint32_t kLastCodeWithReadClear = 255;
const uint32_t kPressedBit = 2;

// Focus loss releases the keyboard codes below this one; 255 and everything above it
// (mouse buttons, axes, pads' connection states) keep their values.
const uint32_t kReleasedKeyboardCodeEnd = 255;
const int kGamepadCount = 4;
const int kGamepadControlCount = 64;

}  // namespace

uint32_t QV_GetKey(uint32_t code)
{
    if (!QVI_IsKeyCodeInTable(code))
        return 0;
    const uint32_t state = keyStates[code];
    if (code <= kLastCodeWithReadClear)
        keyStates[code] = state & ~kPressedBit;
    return state;
}

void QV_SetKey(uint32_t code, uint32_t state)
{
    if (!QVI_IsKeyCodeInTable(code))
        return;
    keyStates[code] = state;
}

float QV_GetAxis(uint32_t code)
{
    if (!QVI_IsKeyCodeInTable(code))
        return 0.0f;
    return axisValues[code];
}

void QV_SetAxis(uint32_t code, float value)
{
    if (!QVI_IsKeyCodeInTable(code))
        return;
    axisValues[code] = value;
}

uint32_t QVI_PeekKeyState(uint32_t code)
{
    if (!QVI_IsKeyCodeInTable(code))
        return 0;
    return keyStates[code];
}

void QVI_ReleaseAllKeys()
{
    for (uint32_t code = 0; code < kReleasedKeyboardCodeEnd; ++code)
        QV_SetKey(code, 0);
    for (int pad = 0; pad < kGamepadCount; ++pad) {
        for (int control = 1; control < kGamepadControlCount; ++control)
            QV_SetKey(QV_KEY_GAMEPAD(pad, control), 0);
    }
}
