#include "events_fixture.h"

#include "core/events/key_state.h"

namespace {

using events_test::EventsTest;
using events_test::KeyTablesAreEmpty;

class KeyState : public EventsTest {};

TEST_F(KeyState, ReadingClearsThePressedBitOnlyForCodesUpTo255)
{
    QV_SetKey(65, 3);
    EXPECT_EQ(QV_GetKey(65), 3u);
    EXPECT_EQ(QV_GetKey(65), 1u);
    QV_SetKey(255, 3);
    QV_GetKey(255);
    EXPECT_EQ(QV_GetKey(255), 1u);
    QV_SetKey(256, 3);
    QV_GetKey(256);
    EXPECT_EQ(QV_GetKey(256), 3u);
    // Only bit 1 goes: other bits a program stored stay.
    QV_SetKey(13, 0xF6);
    EXPECT_EQ(QV_GetKey(13), 0xF6u);
    EXPECT_EQ(QV_GetKey(13), 0xF4u);
}

TEST_F(KeyState, CodesOutsideTheTablesAreIgnored)
{
    const uint32_t hostile[] = {2048, 0x80000000u, 0xFFFFFFFFu};
    for (uint32_t code : hostile) {
        QV_SetKey(code, 3);
        QV_SetAxis(code, 5.0f);
        EXPECT_EQ(QV_GetKey(code), 0u) << code;
        EXPECT_EQ(QV_GetAxis(code), 0.0f) << code;
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
}

TEST_F(KeyState, ReleaseAllKeysClearsKeyboardAndPadControlsOnly)
{
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) {
        QV_SetKey(code, 3);
        QV_SetAxis(code, 0.5f);
    }
    QVI_ReleaseAllKeys();

    for (uint32_t code = 0; code <= 254; ++code)
        ASSERT_EQ(QVI_PeekKeyState(code), 0u) << code;
    EXPECT_EQ(QVI_PeekKeyState(255), 3u);
    EXPECT_EQ(QVI_PeekKeyState(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    for (int pad = 0; pad < 4; ++pad) {
        EXPECT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_CONNECTED)), 3u) << pad;
        for (int control = 1; control < 64; ++control)
            ASSERT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(pad, control)), 0u) << pad << " " << control;
    }
    EXPECT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(4, 0)), 3u);   // 1056 is no pad code
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code)
        ASSERT_EQ(QV_GetAxis(code), 0.5f) << code;
}

TEST(KeyNames, CharactersKeyboardMouseDeviceAndGamepadNames)
{
    EXPECT_EQ(QVI_KeyCodeFromName("a"), 65);
    EXPECT_EQ(QVI_KeyCodeFromName("Z"), 90);
    EXPECT_EQ(QVI_KeyCodeFromName("9"), 57);
    EXPECT_EQ(QVI_KeyCodeFromName("BACK"), 8);
    EXPECT_EQ(QVI_KeyCodeFromName("NUMPAD9"), 105);
    EXPECT_EQ(QVI_KeyCodeFromName("MENU"), 300);
    EXPECT_EQ(QVI_KeyCodeFromName("MOUSE_BUTTON_7"), 517);
    EXPECT_EQ(QVI_KeyCodeFromName("VOLUME_DOWN"), 1633);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_0_LEFT_TRIGGER"), 801);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_3_BUTTON_Y"), 1021);
}

TEST(KeyNames, UnknownOrMalformedNamesGiveZero)
{
    const char* unknown[] = {
        nullptr, "", "!", "\xA7" /* negative as char */, "escape", "ESCAPE ", "MOUSE_DELTA_X",
        "GAMEPAD_4_BUTTON_A", "GAMEPAD_-1_BUTTON_A", "GAMEPAD_1_", "GAMEPAD_1BUTTON_A", "GAMEPAD_1_ESCAPE", "10",
    };
    for (const char* name : unknown)
        EXPECT_EQ(QVI_KeyCodeFromName(name), 0) << (name ? name : "(null)");
}

}  // namespace
