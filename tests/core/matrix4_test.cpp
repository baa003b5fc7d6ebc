#include "quaven/types.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

Matrix4 Identity()
{
    Matrix4 m;
    m.SetIdentity();
    return m;
}

void ExpectNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

TEST(Matrix4Multiply, ComputesAByBInRowMajorOrder)
{
    // a has a single 1 at (0, 1), b a single 1 at (1, 2): a x b has its only 1 at
    // (0, 2). A transposed layout or swapped operands put it elsewhere.
    Matrix4 a = {};
    Matrix4 b = {};
    a.m[0 * 4 + 1] = 1.0f;
    b.m[1 * 4 + 2] = 1.0f;
    Matrix4 out;
    for (float& e : out.m)
        e = 9.0f;
    Matrix4::Multiply(&out, &a, &b);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], i == 0 * 4 + 2 ? 1.0f : 0.0f) << "element " << i;

    Matrix4::Multiply(&out, &b, &a);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], 0.0f) << "element " << i;
}

TEST(Matrix4Invert, ZeroMatrixYieldsNonFiniteElements)
{
    Matrix4 m = {};
    m.Invert();
    for (float e : m.m)
        EXPECT_FALSE(std::isfinite(e));
}

TEST(Matrix4Invert, RandomInvertibleMatricesTimesTheirInverseGiveIdentity)
{
    std::mt19937 generator(20240611u);
    std::uniform_real_distribution<float> element(-1.0f, 1.0f);
    for (int trial = 0; trial < 50; ++trial) {
        // A dominant diagonal keeps the matrix well away from singular.
        Matrix4 original;
        for (int i = 0; i < 16; ++i)
            original.m[i] = element(generator);
        for (int d = 0; d < 4; ++d)
            original.m[d * 5] += (original.m[d * 5] < 0.0f ? -5.0f : 5.0f);

        Matrix4 inverse = original;
        inverse.Invert();

        Matrix4 product;
        Matrix4::Multiply(&product, &inverse, &original);
        ExpectNear(product, Identity(), 1e-5f);
        Matrix4::Multiply(&product, &original, &inverse);
        ExpectNear(product, Identity(), 1e-5f);
    }
}

} // namespace
