#include "quaven/types.h"

#include <gtest/gtest.h>

namespace {

const float kUnit128 = 128.0f / 255.0f;   // 0.5019608

Color Sentinel()
{
    Color c;
    c.r = 0.25f;
    c.g = 0.5f;
    c.b = 0.75f;
    c.a = 0.125f;
    return c;
}

void ExpectColor(const Color& c, float r, float g, float b, float a)
{
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

TEST(ColorSetFromHex, HashIsOptionalAndAlphaComesOnlyFromEightDigits)
{
    Color c = Sentinel();
    c.SetFromHex("#aAbB00");
    ExpectColor(c, 0xAA / 255.0f, 0xBB / 255.0f, 0.0f, 1.0f);
    c.SetFromHex("FF00008000");   // characters after the eighth are ignored
    ExpectColor(c, 1.0f, 0.0f, 0.0f, kUnit128);
    // A previous alpha must not survive a six- or seven-digit colour.
    c.SetFromHex("#1020304");
    EXPECT_EQ(c.a, 1.0f);
}

TEST(ColorSetFromHex, NullEmptyAndShortTextsLeaveTheColourUnchanged)
{
    const Color s = Sentinel();
    for (const char* text : {static_cast<const char*>(nullptr), "", "#12345", "#\0FFFFFF"}) {
        Color c = Sentinel();
        c.SetFromHex(text);
        ExpectColor(c, s.r, s.g, s.b, s.a);
    }
}

TEST(ColorSetFromHex, InvalidDigitsAndBytesAboveAsciiReadAsZero)
{
    Color c = Sentinel();
    // The second digit of a pair still counts when the first is invalid.
    c.SetFromHex("zFxF-F");
    ExpectColor(c, 15 / 255.0f, 15 / 255.0f, 15 / 255.0f, 1.0f);
    // char is signed: bytes from 0x80 up must not be taken as negative digit values.
    c.SetFromHex("\xE6\xC6\xFF\x80\xB9\xA1");
    ExpectColor(c, 0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace
