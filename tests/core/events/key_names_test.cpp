#include "core/events/key_names.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyNames, SingleLettersAndDigitsAreTheirCapitalCharacter)
{
    EXPECT_EQ(QVI_KeyCodeFromName("a"), 65);
    EXPECT_EQ(QVI_KeyCodeFromName("A"), 65);
    EXPECT_EQ(QVI_KeyCodeFromName("z"), 90);
    EXPECT_EQ(QVI_KeyCodeFromName("Z"), 90);
    EXPECT_EQ(QVI_KeyCodeFromName("0"), 48);
    EXPECT_EQ(QVI_KeyCodeFromName("7"), 55);
    EXPECT_EQ(QVI_KeyCodeFromName("9"), 57);
}

TEST(KeyNames, OtherSingleCharactersHaveNoCode)
{
    EXPECT_EQ(QVI_KeyCodeFromName("!"), 0);
    EXPECT_EQ(QVI_KeyCodeFromName(" "), 0);
    EXPECT_EQ(QVI_KeyCodeFromName("\xA7"), 0);   // a byte above 127 is negative as char
    EXPECT_EQ(QVI_KeyCodeFromName("\xE9"), 0);
}

TEST(KeyNames, KeyboardMouseAndDeviceNames)
{
    EXPECT_EQ(QVI_KeyCodeFromName("BACKSPACE"), 8);
    EXPECT_EQ(QVI_KeyCodeFromName("BACK"), 8);
    EXPECT_EQ(QVI_KeyCodeFromName("ESCAPE"), 27);
    EXPECT_EQ(QVI_KeyCodeFromName("HELP"), 47);
    EXPECT_EQ(QVI_KeyCodeFromName("NUMPAD0"), 96);
    EXPECT_EQ(QVI_KeyCodeFromName("NUMPAD9"), 105);
    EXPECT_EQ(QVI_KeyCodeFromName("DIVIDE"), 111);
    EXPECT_EQ(QVI_KeyCodeFromName("MENU"), 300);
    EXPECT_EQ(QVI_KeyCodeFromName("MOUSE_WHEEL"), 507);
    EXPECT_EQ(QVI_KeyCodeFromName("MOUSE_BUTTON_LEFT"), 510);
    EXPECT_EQ(QVI_KeyCodeFromName("MOUSE_BUTTON_RIGHT"), 511);
    EXPECT_EQ(QVI_KeyCodeFromName("MOUSE_BUTTON_7"), 517);
    EXPECT_EQ(QVI_KeyCodeFromName("ACCELEROMETER_Z"), 1612);
    EXPECT_EQ(QVI_KeyCodeFromName("VOLUME_DOWN"), 1633);
}

TEST(KeyNames, GamepadControlsOfPadsZeroToThree)
{
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_0_LEFT_TRIGGER"), 801);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_1_BUTTON_A"), 890);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_3_DPAD_LEFT"), 1004);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_3_BUTTON_Y"), 1021);
    EXPECT_EQ(QVI_KeyCodeFromName("GAMEPAD_2_RIGHT_THUMB_Y"), 935);
}

TEST(KeyNames, UnknownOrMalformedNamesGiveZero)
{
    const char* unknown[] = {
        nullptr, "", "F1", "escape", "ESCAPE ", "Escape", "MOUSE_DELTA_X", "KEY_A",
        "GAMEPAD_4_BUTTON_A", "GAMEPAD_10_BUTTON_A", "GAMEPAD_-1_BUTTON_A", "GAMEPAD_1",
        "GAMEPAD_1_", "GAMEPAD_1_CONNECTED", "GAMEPAD_1BUTTON_A", "GAMEPAD__BUTTON_A",
        "GAMEPAD_1_BUTTON_A_", "GAMEPAD_1_ESCAPE", "aa", "10",
    };
    for (const char* name : unknown)
        EXPECT_EQ(QVI_KeyCodeFromName(name), 0) << (name ? name : "(null)");
}

}  // namespace
