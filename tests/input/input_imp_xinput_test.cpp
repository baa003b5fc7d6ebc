// Gamepads through the XInput implementation and the engine's input list, with the fake
// XInput library (tests/fixtures/fake_xinput) loaded in place of Wine's: pads plugged in,
// pressed, pushed and pulled out by the test, their events dispatched as the frame does.
#include <cmath>
#include <string>
#include <vector>

#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "fake_xinput/fake_xinput.h"
#include "input/input.h"
#include "platform/window_seams.h"
#include "platform/windows/input/input_imp_xinput.h"
#include "support/engine_table.h"

namespace {

using quaven_test::LogCapture;

int Code(int pad, int control) { return QV_KEY_GAMEPAD(pad, control); }

class Gamepads : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        g_core.api = qv;
        library_ = LoadLibraryA(LibraryName());
        ASSERT_NE(library_, nullptr);
        fake_ = Function<FakeXInputStateFunction>("FakeXInputState")();
        setPad_ = Function<FakeXInputSetPadFunction>("FakeXInputSetPad");
        unplug_ = Function<FakeXInputUnplugFunction>("FakeXInputUnplug");
        Function<FakeXInputResetFunction>("FakeXInputReset")();
        ReleaseEverything();
    }
    void TearDown() override {
        QVI_ClearInputImplementations();
        ReleaseEverything();
        FreeLibrary(library_);
    }
    virtual const char* LibraryName() const { return "xinput1_4.dll"; }

    template <typename F>
    F Function(const char* name) {
        F function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(library_, name)));
        EXPECT_NE(function, nullptr) << name;
        return function;
    }
    static void ReleaseEverything() {
        for (int code = 800; code < 800 + 64 * 4; ++code)
            QV_SetKey(code, 0), QV_SetAxis(code, 0.0f);
    }
    void Plug(int pad, WORD buttons, BYTE left = 0, BYTE right = 0, SHORT lx = 0, SHORT ly = 0, SHORT rx = 0,
              SHORT ry = 0) {
        XINPUT_GAMEPAD controls = {buttons, left, right, lx, ly, rx, ry};
        setPad_(pad, &controls);
    }
    // One frame's input step: the implementations polled, then the queued events
    // dispatched as the frame does. Answers "down CODE" / "up CODE" for each event.
    static std::vector<std::string> Frame() {
        QVI_UpdateInputImplementations();
        Array<EngineEvent> events;
        QVI_TakeQueuedEvents(events);
        std::vector<std::string> seen;
        for (int i = 0; i < events.count; ++i) {
            EventKeyPayload key;
            memcpy(&key, events.data[i].payload, sizeof key);
            seen.push_back((events.data[i].type == EVENT_KEY_DOWN ? "down " : "up ") + std::to_string(key.code));
            QVI_DispatchEvent(&events.data[i]);
        }
        return seen;
    }
    static float Axis(int pad, int control) { return QV_GetAxis(Code(pad, control)); }
    static uint32_t Key(int pad, int control) { return QVI_PeekKeyState(Code(pad, control)); }

    HMODULE library_ = nullptr;
    FakeXInput* fake_ = nullptr;
    FakeXInputSetPadFunction setPad_ = nullptr;
    FakeXInputUnplugFunction unplug_ = nullptr;
};

using Strings = std::vector<std::string>;

TEST_F(Gamepads, PlugPressPushAndPullOutAPadAsKeyEventsAxesWithDeadZonesAndAConnectionState) {
    QVI_AddStaticInputImplementations();
    ASSERT_EQ(QVI_GetInputImplementationCount(), 1);
    QVI_InitInputImplementations(&g_core);
    InputImpXInput* xinput = QVI_GetXInputImplementation();
    EXPECT_STREQ(xinput->GetName(), "XInput");
    EXPECT_FALSE(xinput->UsesEnable());
    EXPECT_EQ(QVI_AskInputImplementations("GetRegion"), nullptr);

    // No pads: all four asked every frame, nothing happens.
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_EQ(fake_->getStateCalls, 4);
    // Pad 1 plugged in with its left stick resting a little off centre: connected without an
    // event, the stick reads exactly 0.
    Plug(1, 0, 0, 0, 3000, -3000);
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_EQ(Key(1, QV_GAMEPAD_CONNECTED), 1u);
    EXPECT_EQ(Key(0, QV_GAMEPAD_CONNECTED), 0u);
    EXPECT_EQ(Axis(1, QV_GAMEPAD_LEFT_THUMB_X), 0.0f);
    EXPECT_EQ(Axis(1, QV_GAMEPAD_LEFT_THUMB_Y), 0.0f);

    // Buttons, a trigger just past 0.2 and one just short of it, the left stick fully right,
    // the right one fully up and right: triggers, buttons, then sticks.
    Plug(1, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_Y, 51, 50, 32767, 0, 32767, 32767);
    EXPECT_EQ(Frame(), (Strings{"down 865", "down 874", "down 890", "down 893", "down 868", "down 870", "down 871"}));
    EXPECT_FLOAT_EQ(Axis(1, QV_GAMEPAD_LEFT_TRIGGER), 51.0f / 255.0f);
    EXPECT_FLOAT_EQ(Axis(1, QV_GAMEPAD_RIGHT_TRIGGER), 50.0f / 255.0f);
    EXPECT_NEAR(Axis(1, QV_GAMEPAD_LEFT_THUMB_X), 1.0f, 1e-4);
    EXPECT_EQ(Axis(1, QV_GAMEPAD_LEFT_THUMB_Y), 0.0f);
    const float rx = Axis(1, QV_GAMEPAD_RIGHT_THUMB_X), ry = Axis(1, QV_GAMEPAD_RIGHT_THUMB_Y);
    EXPECT_NEAR(std::sqrt(rx * rx + ry * ry), 1.0f, 1e-5) << "a full diagonal is one long";
    EXPECT_LT(ry, 0.0f) << "up is negative";
    EXPECT_EQ(Key(1, QV_GAMEPAD_BUTTON_A), 3u);
    // The same again posts nothing; the stick swung across in one frame stays down.
    EXPECT_EQ(Frame(), Strings{});
    Plug(1, XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_Y, 51, 50, -24000, 0, 32767, 32767);
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_LT(Axis(1, QV_GAMEPAD_LEFT_THUMB_X), -0.4f);
    // Let go of A, the trigger and the left stick: key-up events in the same order.
    Plug(1, XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_Y, 0, 50, 0, 0, 32767, 32767);
    EXPECT_EQ(Frame(), (Strings{"up 865", "up 890", "up 868"}));
    EXPECT_EQ(Key(1, QV_GAMEPAD_BUTTON_A), 0u);

    // Motors follow the axes the program writes, clamped; NaN stops a motor.
    QV_SetAxis(Code(1, QV_GAMEPAD_LEFT_MOTOR), 2.0f);
    QV_SetAxis(Code(1, QV_GAMEPAD_RIGHT_MOTOR), 0.5f);
    Frame();
    EXPECT_EQ(fake_->pads[1].vibration.wLeftMotorSpeed, 65535);
    EXPECT_EQ(fake_->pads[1].vibration.wRightMotorSpeed, 32767);
    QV_SetAxis(Code(1, QV_GAMEPAD_LEFT_MOTOR), -1.0f);
    QV_SetAxis(Code(1, QV_GAMEPAD_RIGHT_MOTOR), std::nanf(""));
    Frame();
    EXPECT_EQ(fake_->pads[1].vibration.wLeftMotorSpeed, 0);
    EXPECT_EQ(fake_->pads[1].vibration.wRightMotorSpeed, 0);
    EXPECT_EQ(fake_->pads[0].setStateCalls, 0) << "an absent pad is not sent motor speeds";

    // Pulled out while held: only the connection falls; focus loss releases the rest.
    unplug_(1);
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_EQ(Key(1, QV_GAMEPAD_CONNECTED), 0u);
    EXPECT_EQ(Key(1, QV_GAMEPAD_DPAD_UP), 3u);
    EXPECT_GT(Axis(1, QV_GAMEPAD_RIGHT_THUMB_X), 0.4f);
    QVI_ReleaseAllKeys();
    EXPECT_EQ(Key(1, QV_GAMEPAD_DPAD_UP), 0u);

    // Pads past the fourth are never asked for, and their codes are only table entries.
    QV_SetAxis(Code(5, QV_GAMEPAD_LEFT_MOTOR), 1.0f);
    Frame();
    EXPECT_EQ(fake_->badIndexCalls, 0);
    EXPECT_EQ(xinput->GetPad(4), nullptr);
    EXPECT_EQ(xinput->GetPad(-1), nullptr);
    EXPECT_EQ(Key(7, QV_GAMEPAD_CONNECTED), 0u);
    EXPECT_TRUE(LogCapture::Texts().empty());
}

TEST_F(Gamepads, AllFourPadsAreReadEachWithItsOwnCodes) {
    QVI_AddStaticInputImplementations();
    QVI_InitInputImplementations(&g_core);
    for (int pad = 0; pad < 4; ++pad)
        Plug(pad, XINPUT_GAMEPAD_B, 0, 255, 0, -32768);
    EXPECT_EQ(Frame(), (Strings{"down 802", "down 827", "down 805", "down 866", "down 891", "down 869", "down 930",
                                "down 955", "down 933", "down 994", "down 1019", "down 997"}));
    for (int pad = 0; pad < 4; ++pad) {
        EXPECT_EQ(Key(pad, QV_GAMEPAD_CONNECTED), 1u);
        EXPECT_FLOAT_EQ(Axis(pad, QV_GAMEPAD_LEFT_THUMB_Y), 1.0f) << "full down is +1";
        EXPECT_FLOAT_EQ(Axis(pad, QV_GAMEPAD_RIGHT_TRIGGER), 1.0f);
    }
}

class GamepadsOlderLibrary : public Gamepads {
protected:
    const char* LibraryName() const override { return "xinput1_3.dll"; }
};

TEST_F(GamepadsOlderLibrary, FallsBackToXInput13AndSwitchesItWithTheWindowFocus) {
    ASSERT_EQ(GetModuleHandleA("XInput1_4.dll"), nullptr);
    QVI_AddStaticInputImplementations();
    QVI_InitInputImplementations(&g_core);
    InputImpXInput* xinput = QVI_GetXInputImplementation();
    EXPECT_TRUE(xinput->UsesEnable());
    EXPECT_EQ(fake_->enableCalls, 1);
    EXPECT_EQ(fake_->enabled, 1);
    Plug(2, XINPUT_GAMEPAD_START);
    EXPECT_EQ(Frame(), Strings{"down 948"});
    // The window's focus changes reach the library through the list.
    QVI_SetInputImplementationsActive(false);
    EXPECT_EQ(fake_->enabled, 0);
    QVI_SetInputImplementationsActive(true);
    EXPECT_EQ(fake_->enabled, 1);
    xinput->Shutdown();
    EXPECT_EQ(fake_->enabled, 0);
    EXPECT_EQ(fake_->enableCalls, 4);
    // Shut down, it polls nothing.
    const int calls = fake_->getStateCalls;
    Frame();
    EXPECT_EQ(fake_->getStateCalls, calls);
}

}  // namespace
