#pragma once

#include <cstdint>

#include "input/interface/input_imp.h"
#include "platform/windows/win32.h"

#include <xinput.h>

// Up to four XInput game pads: each frame their sticks and triggers become axis values,
// their connection a key state, and changes of buttons, triggers and sticks key events
// with the codes 800 + 64n + b; the axes 840 and 841 (+64n) that the program writes drive
// the pad's two motors. The library is loaded at run time, "XInput1_4.dll" first, else
// the older "xinput1_3.dll", which must also be told about focus changes.
class InputImpXInput : public InputImp {
public:
    static const int kPadCount = 4;

    struct Pad {
        XINPUT_STATE previous;  // kept for the record; nothing reads it
        XINPUT_STATE current;
        DWORD result;           // of the last XInputGetState
        XINPUT_VIBRATION vibration;  // the last motor speeds sent
    };

    bool IsSupported() override;
    const char* GetName() override;  // "XInput"
    bool Init(CoreState* state) override;
    void Shutdown() override;
    void SetActive(bool active) override;
    void Update() override;
    void EndFrame() override;
    const char* Command(const char* name, const char* argument) override;

    // Polls pads 0-3, writes their values and queues the key events of what changed.
    void ReadControllers();

    bool UsesEnable() const { return usesEnable_; }
    // The record of pad n, null outside 0-3.
    const Pad* GetPad(int n) const;

private:
    using EnableFunction = void(WINAPI*)(BOOL enable);
    using GetStateFunction = DWORD(WINAPI*)(DWORD pad, XINPUT_STATE* state);
    using SetStateFunction = DWORD(WINAPI*)(DWORD pad, XINPUT_VIBRATION* vibration);

    void ReadPad(int n);
    void SendVibration(int n);

    bool usesEnable_ = false;
    bool usable_ = false;
    HMODULE library_ = nullptr;
    EnableFunction enable_ = nullptr;
    GetStateFunction getState_ = nullptr;
    SetStateFunction setState_ = nullptr;
    CoreState* state_ = nullptr;
    Pad pads_[kPadCount] = {};
};

// The process's one XInput implementation, made on the first call.
InputImpXInput* QVI_GetXInputImplementation();
