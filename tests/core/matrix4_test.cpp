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

Matrix4 Filled(float value)
{
    Matrix4 m;
    for (float& e : m.m)
        e = value;
    return m;
}

void ExpectNear(const Matrix4& actual, const Matrix4& expected, float tolerance)
{
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual.m[i], expected.m[i], tolerance) << "element " << i;
}

TEST(Matrix4SetIdentity, OverwritesEveryElement)
{
    Matrix4 m = Filled(7.0f);
    m.SetIdentity();
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(m.m[row * 4 + column], row == column ? 1.0f : 0.0f);
}

TEST(Matrix4Multiply, ComputesAByBInRowMajorOrder)
{
    // a has a single 1 at (0, 1), b a single 1 at (1, 2): a x b has its only 1 at
    // (0, 2). A transposed layout or swapped operands put it elsewhere.
    Matrix4 a = Filled(0.0f);
    Matrix4 b = Filled(0.0f);
    a.m[0 * 4 + 1] = 1.0f;
    b.m[1 * 4 + 2] = 1.0f;
    Matrix4 out = Filled(9.0f);
    Matrix4::Multiply(&out, &a, &b);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], i == 0 * 4 + 2 ? 1.0f : 0.0f) << "element " << i;

    Matrix4::Multiply(&out, &b, &a);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(out.m[i], 0.0f) << "element " << i;
}

TEST(Matrix4Multiply, TranslationTimesScaleKeepsTheTranslation)
{
    // Column vectors: (T x S) scales first, then translates.
    Matrix4 translate = Identity();
    translate.m[3] = 5.0f;
    translate.m[7] = -2.0f;
    Matrix4 scale = Identity();
    scale.m[0] = 3.0f;
    scale.m[5] = 4.0f;

    Matrix4 out;
    Matrix4::Multiply(&out, &translate, &scale);
    EXPECT_EQ(out.m[0], 3.0f);
    EXPECT_EQ(out.m[5], 4.0f);
    EXPECT_EQ(out.m[3], 5.0f);
    EXPECT_EQ(out.m[7], -2.0f);

    Matrix4::Multiply(&out, &scale, &translate);
    EXPECT_EQ(out.m[3], 15.0f);
    EXPECT_EQ(out.m[7], -8.0f);
}

TEST(Matrix4Invert, IdentityStaysIdentity)
{
    Matrix4 m = Identity();
    m.Invert();
    ExpectNear(m, Identity(), 0.0f);
}

TEST(Matrix4Invert, ScaleByTwoBecomesScaleByHalf)
{
    Matrix4 m = Identity();
    m.m[0] = m.m[5] = m.m[10] = 2.0f;
    m.Invert();
    Matrix4 expected = Identity();
    expected.m[0] = expected.m[5] = expected.m[10] = 0.5f;
    ExpectNear(m, expected, 1e-7f);
}

TEST(Matrix4Invert, TranslationBecomesOppositeTranslation)
{
    Matrix4 m = Identity();
    m.m[3] = 10.0f;
    m.m[7] = -4.0f;
    m.m[11] = 0.5f;
    m.Invert();
    Matrix4 expected = Identity();
    expected.m[3] = -10.0f;
    expected.m[7] = 4.0f;
    expected.m[11] = -0.5f;
    ExpectNear(m, expected, 1e-6f);
}

TEST(Matrix4Invert, ZeroMatrixYieldsNonFiniteElements)
{
    Matrix4 m = Filled(0.0f);
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

TEST(Matrix4Invert, GeneralMatrixWithOffDiagonalTerms)
{
    // Rotation by 90 degrees about z plus a translation: a case where rows and
    // columns differ, so a transposed adjugate would fail.
    Matrix4 m = Identity();
    m.m[0] = 0.0f;
    m.m[1] = -1.0f;
    m.m[4] = 1.0f;
    m.m[5] = 0.0f;
    m.m[3] = 2.0f;
    Matrix4 inverse = m;
    inverse.Invert();

    Matrix4 expected = Identity();
    expected.m[0] = 0.0f;
    expected.m[1] = 1.0f;
    expected.m[4] = -1.0f;
    expected.m[5] = 0.0f;
    expected.m[7] = 2.0f;   // -R^T t with t = (2, 0, 0)
    ExpectNear(inverse, expected, 1e-6f);
}

} // namespace
