// Gamepads through the XInput implementation and the engine's input list, with the fake
// XInput (tests/fixtures/fake_xinput) in place of Wine's: pads plugged in, pressed, pushed
// and pulled out by the test, their events dispatched as the frame does.
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "fake_xinput/fake_xinput.h"
#include "input/input.h"
#include "platform/window_seams.h"
#include "platform/windows/input/input_imp_xinput.h"
#include "support/engine_table.h"

namespace {

using Strings = std::vector<std::string>;

template <typename Function>
Function Export(HMODULE library, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

class Gamepads : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        g_core.api = qv;
        library_ = LoadLibraryA(LibraryName());
        ASSERT_NE(library_, nullptr);
        fake_ = Export<FakeXInputStateFunction>(library_, "FakeXInputState")();
        setPad_ = Export<FakeXInputSetPadFunction>(library_, "FakeXInputSetPad");
        QVI_AddStaticInputImplementations();
        QVI_InitInputImplementations(&g_core);
    }
    void TearDown() override { QVI_ClearInputImplementations(), FreeLibrary(library_); }
    virtual const char* LibraryName() const { return "xinput1_4.dll"; }

    // Buttons, triggers and sticks in XINPUT_GAMEPAD's order; the ones left out are 0.
    void Plug(int pad, WORD buttons, BYTE left = 0, BYTE right = 0, SHORT lx = 0, SHORT ly = 0, SHORT rx = 0,
              SHORT ry = 0) {
        XINPUT_GAMEPAD controls = {buttons, left, right, lx, ly, rx, ry};
        setPad_(pad, &controls);
    }
    // One frame's input step: the pads polled, the queued events dispatched ("down CODE" each).
    static Strings Frame() {
        QVI_UpdateInputImplementations();
        Array<EngineEvent> events;
        QVI_TakeQueuedEvents(events);
        Strings seen;
        for (int i = 0; i < events.count; ++i) {
            EventKeyPayload key;
            memcpy(&key, events.data[i].payload, sizeof key);
            seen.push_back((events.data[i].type == EVENT_KEY_DOWN ? "down " : "up ") + std::to_string(key.code));
            QVI_DispatchEvent(&events.data[i]);
        }
        return seen;
    }
    static float Axis(int pad, int control) { return QV_GetAxis(QV_KEY_GAMEPAD(pad, control)); }
    static uint32_t Key(int pad, int control) { return QVI_PeekKeyState(QV_KEY_GAMEPAD(pad, control)); }

    HMODULE library_ = nullptr;
    FakeXInput* fake_ = nullptr;
    FakeXInputSetPadFunction setPad_ = nullptr;
};

TEST_F(Gamepads, PlugPressPushAndPullOutPadsAsKeyEventsAxesWithDeadZonesMotorsAndAConnectionState) {
    ASSERT_EQ(QVI_GetInputImplementationCount(), 1);
    InputImpXInput* xinput = QVI_GetXInputImplementation();
    EXPECT_FALSE(xinput->UsesEnable());
    EXPECT_EQ(QVI_AskInputImplementations("GetRegion"), nullptr);
    // No pads: all four asked, nothing happens. Pad 1 plugged in with its left stick resting
    // a little off centre: connected without an event, the stick reads exactly 0.
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_EQ(fake_->getStateCalls, 4);
    Plug(1, 0, 0, 0, 3000, -3000);
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_TRUE(Key(1, QV_GAMEPAD_CONNECTED) == 1 && Key(0, QV_GAMEPAD_CONNECTED) == 0);
    EXPECT_TRUE(Axis(1, QV_GAMEPAD_LEFT_THUMB_X) == 0.0f && Axis(1, QV_GAMEPAD_LEFT_THUMB_Y) == 0.0f);

    // Buttons, a trigger just past 0.2 and one just short of it, the left stick fully right,
    // the right one fully up and right: triggers, buttons, then sticks. Pad 3 pulls its stick down.
    const WORD held = XINPUT_GAMEPAD_A | XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_Y;
    Plug(1, held, 51, 50, 32767, 0, 32767, 32767);
    Plug(3, XINPUT_GAMEPAD_B, 0, 255, 0, -32768);
    EXPECT_EQ(Frame(), (Strings{"down 865", "down 874", "down 890", "down 893", "down 868", "down 870", "down 871",
                                "down 994", "down 1019", "down 997"}));
    EXPECT_NEAR(Axis(1, QV_GAMEPAD_LEFT_THUMB_X), 1.0f, 1e-4);
    const float rx = Axis(1, QV_GAMEPAD_RIGHT_THUMB_X), ry = Axis(1, QV_GAMEPAD_RIGHT_THUMB_Y);
    EXPECT_NEAR(std::sqrt(rx * rx + ry * ry), 1.0f, 1e-5) << "a full diagonal is one long";
    EXPECT_LT(ry, 0.0f) << "up is negative";
    EXPECT_FLOAT_EQ(Axis(3, QV_GAMEPAD_LEFT_THUMB_Y), 1.0f);
    // The left stick swung across in one frame stays down; then A, the trigger and the stick let go.
    Plug(1, held, 51, 50, -24000, 0, 32767, 32767);
    EXPECT_EQ(Frame(), Strings{});
    Plug(1, XINPUT_GAMEPAD_DPAD_UP | XINPUT_GAMEPAD_Y, 0, 50, 0, 0, 32767, 32767);
    EXPECT_EQ(Frame(), (Strings{"up 865", "up 890", "up 868"}));

    // Motors follow the axes the program writes, clamped; NaN and negatives stop them.
    const XINPUT_VIBRATION& motors = fake_->pads[1].vibration;
    for (auto [left, right, leftSpeed, rightSpeed] : {std::make_tuple(2.0f, 0.5f, 65535, 32767),
                                                      std::make_tuple(-1.0f, std::nanf(""), 0, 0)}) {
        QV_SetAxis(QV_KEY_GAMEPAD(1, QV_GAMEPAD_LEFT_MOTOR), left);
        QV_SetAxis(QV_KEY_GAMEPAD(1, QV_GAMEPAD_RIGHT_MOTOR), right);
        Frame();
        EXPECT_TRUE(motors.wLeftMotorSpeed == leftSpeed && motors.wRightMotorSpeed == rightSpeed) << left;
    }
    EXPECT_EQ(fake_->pads[0].setStateCalls, 0) << "an absent pad gets no motor speeds";

    // Pulled out while held: only the connection falls; focus loss releases the rest.
    Export<FakeXInputUnplugFunction>(library_, "FakeXInputUnplug")(1);
    EXPECT_EQ(Frame(), Strings{});
    EXPECT_TRUE(Key(1, QV_GAMEPAD_CONNECTED) == 0 && Key(1, QV_GAMEPAD_DPAD_UP) == 3);
    EXPECT_GT(Axis(1, QV_GAMEPAD_RIGHT_THUMB_X), 0.4f);
    QVI_ReleaseAllKeys();
    EXPECT_EQ(Key(1, QV_GAMEPAD_DPAD_UP), 0u);
    // Pads past the fourth are never asked for.
    EXPECT_EQ(fake_->badIndexCalls, 0);
    EXPECT_TRUE(xinput->GetPad(4) == nullptr && xinput->GetPad(-1) == nullptr);
}

class GamepadsOlderLibrary : public Gamepads {
    const char* LibraryName() const override { return "xinput1_3.dll"; }
};

TEST_F(GamepadsOlderLibrary, FallsBackToXInput13AndSwitchesItWithTheWindowFocus) {
    ASSERT_EQ(GetModuleHandleA("XInput1_4.dll"), nullptr);
    InputImpXInput* xinput = QVI_GetXInputImplementation();
    EXPECT_TRUE(xinput->UsesEnable());
    EXPECT_TRUE(fake_->enableCalls == 1 && fake_->enabled == 1);
    Plug(2, XINPUT_GAMEPAD_START);
    EXPECT_EQ(Frame(), Strings{"down 948"});
    QVI_SetInputImplementationsActive(false);  // as the window reports focus changes
    EXPECT_EQ(fake_->enabled, 0);
    QVI_SetInputImplementationsActive(true);
    EXPECT_EQ(fake_->enabled, 1);
    xinput->Shutdown();
    EXPECT_TRUE(fake_->enableCalls == 4 && fake_->enabled == 0);
    const int calls = fake_->getStateCalls;
    Frame();
    EXPECT_EQ(fake_->getStateCalls, calls) << "shut down, it polls nothing";
}

}  // namespace
