#include "core/events/key_state.h"

#include <cstring>

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

namespace {

const uint32_t kKeyDownState = 3;
const uint32_t kKeyUpState = 0;

// The last pointer whose block of 20 codes lies wholly inside the tables.
const int kLastPointerIndex = (QV_KEY_CODE_COUNT - 1 - QV_KEY_POINTER_RIGHT_BUTTON(0)) / 20;

bool IsPointerEvent(uint32_t type)
{
    return type == EVENT_MOUSE_MOVE || type == EVENT_MOUSE_UP || type == EVENT_MOUSE_DOWN;
}

}  // namespace

void QVI_TrackKeyEvent(EngineEvent* event)
{
    if (event->type != EVENT_KEY_DOWN && event->type != EVENT_KEY_UP)
        return;
    EventKeyPayload key;
    memcpy(&key, event->payload, sizeof key);
    if (key.code <= 0 || key.code >= QV_KEY_CODE_COUNT)
        return;

    const uint32_t code = static_cast<uint32_t>(key.code);
    const uint32_t previous = QVI_PeekKeyState(code);
    if (event->type == EVENT_KEY_DOWN) {
        key.flag = previous == 0 ? 1 : 0;
        QV_SetKey(code, kKeyDownState);
    } else {
        key.flag = previous != 0 ? 1 : 0;
        QV_SetKey(code, kKeyUpState);
    }
    memcpy(event->payload, &key, sizeof key);
}

void QVI_TrackPointerEvent(EngineEvent* event)
{
    if (!IsPointerEvent(event->type))
        return;
    EventMousePayload mouse;
    memcpy(&mouse, event->payload, sizeof mouse);
    const int pointer = mouse.pointer;
    if (pointer < 0 || pointer > kLastPointerIndex)
        return;

    mouse.previousX = QVI_TruncateToInt(QV_GetAxis(QV_KEY_POINTER_X(pointer)));
    mouse.previousY = QVI_TruncateToInt(QV_GetAxis(QV_KEY_POINTER_Y(pointer)));
    QV_SetAxis(QV_KEY_POINTER_X(pointer), static_cast<float>(mouse.x));
    QV_SetAxis(QV_KEY_POINTER_Y(pointer), static_cast<float>(mouse.y));

    const bool hasButtonValue = event->type != EVENT_MOUSE_MOVE;
    const uint32_t buttonValue = event->type == EVENT_MOUSE_DOWN ? kKeyDownState : kKeyUpState;
    if (hasButtonValue && mouse.button == QV_KEY_MOUSE_BUTTON_LEFT)
        QV_SetKey(QV_KEY_POINTER_LEFT_BUTTON(pointer), buttonValue);
    if (hasButtonValue && mouse.button == QV_KEY_MOUSE_BUTTON_RIGHT)
        QV_SetKey(QV_KEY_POINTER_RIGHT_BUTTON(pointer), buttonValue);

    if (pointer == 0) {
        QV_SetKey(QV_KEY_MOUSE_X, static_cast<uint32_t>(mouse.x));
        QV_SetKey(QV_KEY_MOUSE_Y, static_cast<uint32_t>(mouse.y));
        QV_SetAxis(QV_KEY_MOUSE_X, static_cast<float>(mouse.x));
        QV_SetAxis(QV_KEY_MOUSE_Y, static_cast<float>(mouse.y));
        // The button code comes from the poster: SetKey ignores one outside the table.
        if (hasButtonValue)
            QV_SetKey(mouse.button, buttonValue);
    }
    memcpy(event->payload, &mouse, sizeof mouse);
}

namespace {

struct KeyName {
    const char* name;
    KeyCode code;
};

// Keyboard keys (Windows virtual-key numbers) and the other named codes outside the
// gamepads. Letters and digits are handled apart: they are their own character code.
const KeyName kNamedKeys[] = {
    {"BACK", QV_KEY_BACK},
    {"BACKSPACE", QV_KEY_BACKSPACE},
    {"TAB", QV_KEY_TAB},
    {"CLEAR", QV_KEY_CLEAR},
    {"RETURN", QV_KEY_RETURN},
    {"SHIFT", QV_KEY_SHIFT},
    {"CONTROL", QV_KEY_CONTROL},
    {"ALT", QV_KEY_ALT},
    {"ESCAPE", QV_KEY_ESCAPE},
    {"SPACE", QV_KEY_SPACE},
    {"PAGEUP", QV_KEY_PAGEUP},
    {"PAGEDOWN", QV_KEY_PAGEDOWN},
    {"END", QV_KEY_END},
    {"HOME", QV_KEY_HOME},
    {"LEFT", QV_KEY_LEFT},
    {"UP", QV_KEY_UP},
    {"RIGHT", QV_KEY_RIGHT},
    {"DOWN", QV_KEY_DOWN},
    {"SELECT", QV_KEY_SELECT},
    {"INSERT", QV_KEY_INSERT},
    {"DELETE", QV_KEY_DELETE},
    {"HELP", QV_KEY_HELP},
    {"NUMPAD0", QV_KEY_NUMPAD0},
    {"NUMPAD1", QV_KEY_NUMPAD0 + 1},
    {"NUMPAD2", QV_KEY_NUMPAD0 + 2},
    {"NUMPAD3", QV_KEY_NUMPAD0 + 3},
    {"NUMPAD4", QV_KEY_NUMPAD0 + 4},
    {"NUMPAD5", QV_KEY_NUMPAD0 + 5},
    {"NUMPAD6", QV_KEY_NUMPAD0 + 6},
    {"NUMPAD7", QV_KEY_NUMPAD0 + 7},
    {"NUMPAD8", QV_KEY_NUMPAD0 + 8},
    {"NUMPAD9", QV_KEY_NUMPAD0 + 9},
    {"MULTIPLY", QV_KEY_MULTIPLY},
    {"ADD", QV_KEY_ADD},
    {"SEPARATOR", QV_KEY_SEPARATOR},
    {"SUBTRACT", QV_KEY_SUBTRACT},
    {"DECIMAL", QV_KEY_DECIMAL},
    {"DIVIDE", QV_KEY_DIVIDE},
    {"MENU", QV_KEY_MENU},
    {"MOUSE_X", QV_KEY_MOUSE_X},
    {"MOUSE_Y", QV_KEY_MOUSE_Y},
    {"MOUSE_Z", QV_KEY_MOUSE_Z},
    {"MOUSE_WHEEL", QV_KEY_MOUSE_WHEEL},
    {"MOUSE_BUTTON_0", QV_KEY_MOUSE_BUTTON_0},
    {"MOUSE_BUTTON_1", QV_KEY_MOUSE_BUTTON_0 + 1},
    {"MOUSE_BUTTON_2", QV_KEY_MOUSE_BUTTON_0 + 2},
    {"MOUSE_BUTTON_3", QV_KEY_MOUSE_BUTTON_0 + 3},
    {"MOUSE_BUTTON_4", QV_KEY_MOUSE_BUTTON_0 + 4},
    {"MOUSE_BUTTON_5", QV_KEY_MOUSE_BUTTON_0 + 5},
    {"MOUSE_BUTTON_6", QV_KEY_MOUSE_BUTTON_0 + 6},
    {"MOUSE_BUTTON_7", QV_KEY_MOUSE_BUTTON_0 + 7},
    {"MOUSE_BUTTON_LEFT", QV_KEY_MOUSE_BUTTON_LEFT},
    {"MOUSE_BUTTON_RIGHT", QV_KEY_MOUSE_BUTTON_RIGHT},
    {"ACCELEROMETER_X", QV_KEY_ACCELEROMETER_X},
    {"ACCELEROMETER_Y", QV_KEY_ACCELEROMETER_Y},
    {"ACCELEROMETER_Z", QV_KEY_ACCELEROMETER_Z},
    {"VOLUME_UP", QV_KEY_VOLUME_UP},
    {"VOLUME_DOWN", QV_KEY_VOLUME_DOWN},
};

// The controls of one gamepad, as the b in GAMEPAD_n_name (code 800 + 64n + b). The
// connection state (b = 0) has no name.
const KeyName kGamepadControls[] = {
    {"LEFT_TRIGGER", QV_GAMEPAD_LEFT_TRIGGER},
    {"RIGHT_TRIGGER", QV_GAMEPAD_RIGHT_TRIGGER},
    {"LEFT_THUMB_X", QV_GAMEPAD_LEFT_THUMB_X},
    {"LEFT_THUMB_Y", QV_GAMEPAD_LEFT_THUMB_Y},
    {"RIGHT_THUMB_X", QV_GAMEPAD_RIGHT_THUMB_X},
    {"RIGHT_THUMB_Y", QV_GAMEPAD_RIGHT_THUMB_Y},
    {"DPAD_UP", QV_GAMEPAD_DPAD_UP},
    {"DPAD_DOWN", QV_GAMEPAD_DPAD_DOWN},
    {"DPAD_LEFT", QV_GAMEPAD_DPAD_LEFT},
    {"DPAD_RIGHT", QV_GAMEPAD_DPAD_RIGHT},
    {"BUTTON_START", QV_GAMEPAD_BUTTON_START},
    {"BUTTON_BACK", QV_GAMEPAD_BUTTON_BACK},
    {"BUTTON_LEFT_THUMB", QV_GAMEPAD_BUTTON_LEFT_THUMB},
    {"BUTTON_RIGHT_THUMB", QV_GAMEPAD_BUTTON_RIGHT_THUMB},
    {"BUTTON_LEFT_SHOULDER", QV_GAMEPAD_BUTTON_LEFT_SHOULDER},
    {"BUTTON_RIGHT_SHOULDER", QV_GAMEPAD_BUTTON_RIGHT_SHOULDER},
    {"BUTTON_A", QV_GAMEPAD_BUTTON_A},
    {"BUTTON_B", QV_GAMEPAD_BUTTON_B},
    {"BUTTON_X", QV_GAMEPAD_BUTTON_X},
    {"BUTTON_Y", QV_GAMEPAD_BUTTON_Y},
};

template <size_t N>
KeyCode FindInTable(const KeyName (&table)[N], const char* name)
{
    for (const KeyName& entry : table) {
        if (strcmp(entry.name, name) == 0)
            return entry.code;
    }
    return 0;
}

KeyCode SingleCharacterCode(char character)
{
    if (character >= '0' && character <= '9')
        return character;
    if (character >= 'A' && character <= 'Z')
        return character;
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 'A';
    return 0;
}

// "GAMEPAD_n_control" with n a single digit 0-3.
KeyCode GamepadCode(const char* name)
{
    static const char kPrefix[] = "GAMEPAD_";
    const size_t prefixLength = sizeof kPrefix - 1;
    if (strncmp(name, kPrefix, prefixLength) != 0)
        return 0;
    const char padDigit = name[prefixLength];
    if (padDigit < '0' || padDigit >= '0' + kGamepadCount || name[prefixLength + 1] != '_')
        return 0;
    const KeyCode control = FindInTable(kGamepadControls, name + prefixLength + 2);
    if (control == 0)
        return 0;
    return QV_KEY_GAMEPAD(padDigit - '0', control);
}

}  // namespace

KeyCode QVI_KeyCodeFromName(const char* name)
{
    if (!name || !name[0])
        return 0;
    if (!name[1])
        return SingleCharacterCode(name[0]);
    const KeyCode named = FindInTable(kNamedKeys, name);
    if (named != 0)
        return named;
    return GamepadCode(name);
}
