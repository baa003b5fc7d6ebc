#include "platform/windows/input/input_imp_xinput.h"

#include <cmath>
#include <cstring>

#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "quaven/events.h"

namespace {

// A trigger or stick counts as pressed past these values.
const float kTriggerDownValue = 0.2f;
const float kStickDownValue = 0.4f;
// Sticks: a radial dead zone, the rest of the travel stretched to reach 1 at full deflection.
const double kStickDeadZone = 0.2;
const double kStickStretch = 1.25;
const double kThumbScale = 32768.0;
const float kTriggerScale = 1.0f / 255.0f;
const float kMotorFullSpeed = 65535.0f;

struct ButtonCode {
    WORD bit;
    int control;
};

const ButtonCode kButtons[] = {
    {XINPUT_GAMEPAD_DPAD_UP, QV_GAMEPAD_DPAD_UP},
    {XINPUT_GAMEPAD_DPAD_DOWN, QV_GAMEPAD_DPAD_DOWN},
    {XINPUT_GAMEPAD_DPAD_LEFT, QV_GAMEPAD_DPAD_LEFT},
    {XINPUT_GAMEPAD_DPAD_RIGHT, QV_GAMEPAD_DPAD_RIGHT},
    {XINPUT_GAMEPAD_START, QV_GAMEPAD_BUTTON_START},
    {XINPUT_GAMEPAD_BACK, QV_GAMEPAD_BUTTON_BACK},
    {XINPUT_GAMEPAD_LEFT_THUMB, QV_GAMEPAD_BUTTON_LEFT_THUMB},
    {XINPUT_GAMEPAD_RIGHT_THUMB, QV_GAMEPAD_BUTTON_RIGHT_THUMB},
    {XINPUT_GAMEPAD_LEFT_SHOULDER, QV_GAMEPAD_BUTTON_LEFT_SHOULDER},
    {XINPUT_GAMEPAD_RIGHT_SHOULDER, QV_GAMEPAD_BUTTON_RIGHT_SHOULDER},
    {XINPUT_GAMEPAD_A, QV_GAMEPAD_BUTTON_A},
    {XINPUT_GAMEPAD_B, QV_GAMEPAD_BUTTON_B},
    {XINPUT_GAMEPAD_X, QV_GAMEPAD_BUTTON_X},
    {XINPUT_GAMEPAD_Y, QV_GAMEPAD_BUTTON_Y},
};

const int kButtonCount = sizeof kButtons / sizeof kButtons[0];

// One stick's two axes, up turned negative.
void ShapeStick(SHORT thumbX, SHORT thumbY, float* outX, float* outY)
{
    double x = thumbX / kThumbScale;
    double y = -static_cast<double>(thumbY) / kThumbScale;
    const double lengthSquared = x * x + y * y;
    const double length = std::sqrt(lengthSquared);
    const double clamped = length < 1.0 ? length : 1.0;
    if (clamped < kStickDeadZone) {
        *outX = *outY = 0.0f;
        return;
    }
    if (lengthSquared != 0.0) {
        x /= length;
        y /= length;
    }
    const double scale = (clamped - kStickDeadZone) * kStickStretch;
    *outX = static_cast<float>(x * scale);
    *outY = static_cast<float>(y * scale);
}

// A motor axis as the program left it, as a motor speed; NaN and anything below 0 stop it.
WORD MotorSpeed(float level)
{
    if (!(level > 0.0f))
        return 0;
    if (level > 1.0f)
        level = 1.0f;
    return static_cast<WORD>(level * kMotorFullSpeed);
}

void QueueKeyEvent(EngineEventType type, int code)
{
    EngineEvent event;
    memset(&event, 0, sizeof event);
    event.type = type;
    EventKeyPayload key;
    memset(&key, 0, sizeof key);
    key.code = code;
    memcpy(event.payload, &key, sizeof key);
    QVI_QueueEvent(&event);
}

}  // namespace

bool InputImpXInput::IsSupported()
{
    return true;
}

const char* InputImpXInput::GetName()
{
    return "XInput";
}

bool InputImpXInput::Init(CoreState* state)
{
    state_ = state;
    memset(pads_, 0, sizeof pads_);
    usable_ = false;
    if (!library_) {
        usesEnable_ = false;
        library_ = LoadLibraryA("XInput1_4.dll");
        if (!library_) {
            library_ = LoadLibraryA("xinput1_3.dll");
            usesEnable_ = library_ != nullptr;
        }
    }
    if (!library_ || !state_ || !state_->api)
        return false;
    enable_ = reinterpret_cast<EnableFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "XInputEnable")));
    getState_ =
        reinterpret_cast<GetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "XInputGetState")));
    setState_ =
        reinterpret_cast<SetStateFunction>(reinterpret_cast<void*>(GetProcAddress(library_, "XInputSetState")));
    if ((usesEnable_ && !enable_) || !getState_ || !setState_)
        return false;
    if (usesEnable_)
        enable_(TRUE);
    usable_ = true;
    return true;
}

void InputImpXInput::Shutdown()
{
    if (usesEnable_ && enable_)
        enable_(FALSE);
    usable_ = false;
    if (library_)
        FreeLibrary(library_);
    library_ = nullptr;
    enable_ = nullptr;
    getState_ = nullptr;
    setState_ = nullptr;
}

void InputImpXInput::SetActive(bool active)
{
    if (usable_ && usesEnable_)
        enable_(active ? TRUE : FALSE);
}

void InputImpXInput::Update()
{
    ReadControllers();
}

void InputImpXInput::EndFrame()
{
}

const char* InputImpXInput::Command(const char*, const char*)
{
    return nullptr;
}

const InputImpXInput::Pad* InputImpXInput::GetPad(int n) const
{
    if (n < 0 || n >= kPadCount)
        return nullptr;
    return &pads_[n];
}

void InputImpXInput::ReadControllers()
{
    // Without every entry point there is nothing safe to call.
    if (!usable_)
        return;
    for (int n = 0; n < kPadCount; ++n)
        ReadPad(n);
    for (int n = 0; n < kPadCount; ++n)
        SendVibration(n);
}

void InputImpXInput::ReadPad(int n)
{
    QuavenAPI* api = state_->api;
    Pad& pad = pads_[n];
    pad.previous = pad.current;
    pad.result = getState_(static_cast<DWORD>(n), &pad.current);
    const bool connected = pad.result == ERROR_SUCCESS && pad.current.dwPacketNumber > 0;
    api->SetKey(QV_KEY_GAMEPAD(n, QV_GAMEPAD_CONNECTED), connected ? 1 : 0);
    // An unplugged pad keeps its last values: focus loss is what releases its keys.
    if (!connected)
        return;

    const XINPUT_GAMEPAD& input = pad.current.Gamepad;
    const float leftTrigger = input.bLeftTrigger * kTriggerScale;
    const float rightTrigger = input.bRightTrigger * kTriggerScale;
    api->SetAxis(QV_KEY_GAMEPAD(n, QV_GAMEPAD_LEFT_TRIGGER), leftTrigger);
    api->SetAxis(QV_KEY_GAMEPAD(n, QV_GAMEPAD_RIGHT_TRIGGER), rightTrigger);

    float sticks[4];
    ShapeStick(input.sThumbLX, input.sThumbLY, &sticks[0], &sticks[1]);
    ShapeStick(input.sThumbRX, input.sThumbRY, &sticks[2], &sticks[3]);
    for (int i = 0; i < 4; ++i)
        api->SetAxis(QV_KEY_GAMEPAD(n, QV_GAMEPAD_LEFT_THUMB_X + i), sticks[i]);

    // Every control in event order, with whether it is down now; the key states follow
    // when the frame dispatches the events.
    struct Control {
        int code;
        bool down;
    };
    Control controls[2 + kButtonCount + 4];
    int count = 0;
    controls[count++] = {QV_KEY_GAMEPAD(n, QV_GAMEPAD_LEFT_TRIGGER), leftTrigger > kTriggerDownValue};
    controls[count++] = {QV_KEY_GAMEPAD(n, QV_GAMEPAD_RIGHT_TRIGGER), rightTrigger > kTriggerDownValue};
    for (const ButtonCode& button : kButtons)
        controls[count++] = {QV_KEY_GAMEPAD(n, button.control), (input.wButtons & button.bit) != 0};
    for (int i = 0; i < 4; ++i)
        controls[count++] = {QV_KEY_GAMEPAD(n, QV_GAMEPAD_LEFT_THUMB_X + i), std::fabs(sticks[i]) > kStickDownValue};
    for (int i = 0; i < count; ++i) {
        const bool wasDown = api->GetKey(static_cast<uint32_t>(controls[i].code)) != 0;
        if (!wasDown && controls[i].down)
            QueueKeyEvent(EVENT_KEY_DOWN, controls[i].code);
        else if (wasDown && !controls[i].down)
            QueueKeyEvent(EVENT_KEY_UP, controls[i].code);
    }
}

void InputImpXInput::SendVibration(int n)
{
    Pad& pad = pads_[n];
    if (pad.result != ERROR_SUCCESS)
        return;
    QuavenAPI* api = state_->api;
    pad.vibration.wLeftMotorSpeed = MotorSpeed(api->GetAxis(QV_KEY_GAMEPAD(n, QV_GAMEPAD_LEFT_MOTOR)));
    pad.vibration.wRightMotorSpeed = MotorSpeed(api->GetAxis(QV_KEY_GAMEPAD(n, QV_GAMEPAD_RIGHT_MOTOR)));
    // A pad that refuses is asked again next frame.
    setState_(static_cast<DWORD>(n), &pad.vibration);
}

InputImpXInput* QVI_GetXInputImplementation()
{
    static InputImpXInput implementation;
    return &implementation;
}
