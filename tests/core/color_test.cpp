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

void ExpectUnchanged(const Color& c)
{
    Color s = Sentinel();
    EXPECT_EQ(c.r, s.r);
    EXPECT_EQ(c.g, s.g);
    EXPECT_EQ(c.b, s.b);
    EXPECT_EQ(c.a, s.a);
}

TEST(ColorSetFromHex, HashIsOptionalAndDigitsAreCaseInsensitive)
{
    Color withHash = Sentinel();
    withHash.SetFromHex("#FF8000");
    ExpectColor(withHash, 1.0f, kUnit128, 0.0f, 1.0f);

    Color bare = Sentinel();
    bare.SetFromHex("ff8000");
    ExpectColor(bare, 1.0f, kUnit128, 0.0f, 1.0f);

    Color mixed = Sentinel();
    mixed.SetFromHex("aAbBcC");
    ExpectColor(mixed, 0xAA / 255.0f, 0xBB / 255.0f, 0xCC / 255.0f, 1.0f);
}

TEST(ColorSetFromHex, FullByteIsExactlyOne)
{
    Color c = Sentinel();
    c.SetFromHex("FFFFFFFF");
    EXPECT_EQ(c.r, 1.0f);
    EXPECT_EQ(c.a, 1.0f);
}

TEST(ColorSetFromHex, AlphaOnlyFromEightDigitsOtherwiseOpaque)
{
    Color c = Sentinel();
    c.SetFromHex("#00000080");
    ExpectColor(c, 0.0f, 0.0f, 0.0f, kUnit128);

    // A previous alpha must not survive a six-digit colour.
    c.SetFromHex("#102030");
    EXPECT_EQ(c.a, 1.0f);

    // Seven digits are not enough for alpha.
    c.a = 0.0f;
    c.SetFromHex("#1020304");
    EXPECT_EQ(c.a, 1.0f);
}

TEST(ColorSetFromHex, CharactersAfterTheEighthAreIgnored)
{
    Color c = Sentinel();
    c.SetFromHex("#FF000080FF");
    ExpectColor(c, 1.0f, 0.0f, 0.0f, kUnit128);
}

TEST(ColorSetFromHex, NullEmptyAndShortTextsLeaveTheColourUnchanged)
{
    const char* inputs[] = {nullptr, "", "#", "#12345", "12345", "#\0FFFFFF"};
    for (const char* text : inputs) {
        Color c = Sentinel();
        c.SetFromHex(text);
        ExpectUnchanged(c);
    }
}

TEST(ColorSetFromHex, InvalidDigitsReadAsZero)
{
    Color c = Sentinel();
    c.SetFromHex("GG0000");
    ExpectColor(c, 0.0f, 0.0f, 0.0f, 1.0f);

    // The second digit of a pair still counts when the first is invalid.
    c.SetFromHex("zFxF-F");
    ExpectColor(c, 15 / 255.0f, 15 / 255.0f, 15 / 255.0f, 1.0f);
}

TEST(ColorSetFromHex, BytesAboveAsciiReadAsZero)
{
    // char is signed: bytes from 0x80 up must not be taken as negative digit values.
    Color c = Sentinel();
    c.SetFromHex("\xE6\xC6\xFF\x80\xB9\xA1");
    ExpectColor(c, 0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace
