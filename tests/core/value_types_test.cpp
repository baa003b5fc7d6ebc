#include "quaven/types.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

TEST(Matrix4, MultiplyIsRowMajorAByBAndInverseTimesTheMatrixGivesIdentity) {
    // a has a single 1 at (0, 1), b a single 1 at (1, 2): a x b has its only 1 at
    // (0, 2). A transposed layout or swapped operands put it elsewhere.
    Matrix4 a = {};
    Matrix4 b = {};
    a.m[0 * 4 + 1] = 1.0f;
    b.m[1 * 4 + 2] = 1.0f;
    Matrix4 out;
    std::fill(std::begin(out.m), std::end(out.m), 9.0f);
    Matrix4::Multiply(&out, &a, &b);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], i == 0 * 4 + 2 ? 1.0f : 0.0f) << "element " << i;
    Matrix4::Multiply(&out, &b, &a);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], 0.0f) << "element " << i;

    Matrix4 identity;
    identity.SetIdentity();
    std::mt19937 generator(20240611u);
    std::uniform_real_distribution<float> element(-1.0f, 1.0f);
    for (int trial = 0; trial < 50; ++trial) {
        // A dominant diagonal keeps the matrix well away from singular.
        Matrix4 original;
        for (float& e : original.m)
            e = element(generator);
        for (int d = 0; d < 4; ++d)
            original.m[d * 5] += (original.m[d * 5] < 0.0f ? -5.0f : 5.0f);
        Matrix4 inverse = original;
        inverse.Invert();
        Matrix4 left;
        Matrix4 right;
        Matrix4::Multiply(&left, &inverse, &original);
        Matrix4::Multiply(&right, &original, &inverse);
        for (int i = 0; i < 16; ++i) {
            ASSERT_NEAR(left.m[i], identity.m[i], 1e-5f) << "trial " << trial << " element " << i;
            ASSERT_NEAR(right.m[i], identity.m[i], 1e-5f) << "trial " << trial << " element " << i;
        }
    }
    Matrix4 zero = {};
    zero.Invert();
    for (float e : zero.m)
        EXPECT_FALSE(std::isfinite(e));
}

const Color kSentinel = {0.25f, 0.5f, 0.75f, 0.125f};

void ExpectColor(const Color& c, float r, float g, float b, float a) {
    EXPECT_FLOAT_EQ(c.r, r);
    EXPECT_FLOAT_EQ(c.g, g);
    EXPECT_FLOAT_EQ(c.b, b);
    EXPECT_FLOAT_EQ(c.a, a);
}

TEST(Color, HashIsOptionalAlphaComesOnlyFromEightDigitsShortTextsChangeNothingAndBadDigitsReadAsZero) {
    Color c = kSentinel;
    c.SetFromHex("#aAbB00");
    ExpectColor(c, 0xAA / 255.0f, 0xBB / 255.0f, 0.0f, 1.0f);
    c.SetFromHex("FF00008000");   // characters after the eighth are ignored
    ExpectColor(c, 1.0f, 0.0f, 0.0f, 128.0f / 255.0f);
    // A previous alpha must not survive a six- or seven-digit colour.
    c.SetFromHex("#1020304");
    EXPECT_EQ(c.a, 1.0f);

    for (const char* text : {static_cast<const char*>(nullptr), "", "#12345", "#\0FFFFFF"}) {
        Color c = kSentinel;
        c.SetFromHex(text);
        ExpectColor(c, kSentinel.r, kSentinel.g, kSentinel.b, kSentinel.a);
    }
    c = kSentinel;
    // The second digit of a pair still counts when the first is invalid.
    c.SetFromHex("zFxF-F");
    ExpectColor(c, 15 / 255.0f, 15 / 255.0f, 15 / 255.0f, 1.0f);
    // char is signed: bytes from 0x80 up must not be taken as negative digit values.
    c.SetFromHex("\xE6\xC6\xFF\x80\xB9\xA1");
    ExpectColor(c, 0.0f, 0.0f, 0.0f, 1.0f);
}

} // namespace
