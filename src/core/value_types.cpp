#include "quaven/types.h"

#include <cstring>

#include "core/cstring_utils.h"

void Matrix4::SetIdentity()
{
    memset(m, 0, sizeof(m));
    m[0] = 1.0f;
    m[5] = 1.0f;
    m[10] = 1.0f;
    m[15] = 1.0f;
}

// Inverse by the adjugate: the cofactors are built from the twelve 2x2
// sub-determinants of the top two and bottom two rows. A singular matrix is not
// caught: dividing by a zero determinant leaves infinities or NaNs, which callers
// that only invert well-formed transforms never meet.
void Matrix4::Invert()
{
    const float* a = m;

    // 2x2 determinants of rows 0 and 1.
    float s0 = a[0] * a[5] - a[4] * a[1];
    float s1 = a[0] * a[6] - a[4] * a[2];
    float s2 = a[0] * a[7] - a[4] * a[3];
    float s3 = a[1] * a[6] - a[5] * a[2];
    float s4 = a[1] * a[7] - a[5] * a[3];
    float s5 = a[2] * a[7] - a[6] * a[3];

    // 2x2 determinants of rows 2 and 3.
    float c0 = a[8] * a[13] - a[12] * a[9];
    float c1 = a[8] * a[14] - a[12] * a[10];
    float c2 = a[8] * a[15] - a[12] * a[11];
    float c3 = a[9] * a[14] - a[13] * a[10];
    float c4 = a[9] * a[15] - a[13] * a[11];
    float c5 = a[10] * a[15] - a[14] * a[11];

    float adj[16];
    adj[0] = a[5] * c5 - a[6] * c4 + a[7] * c3;
    adj[1] = -a[1] * c5 + a[2] * c4 - a[3] * c3;
    adj[2] = a[13] * s5 - a[14] * s4 + a[15] * s3;
    adj[3] = -a[9] * s5 + a[10] * s4 - a[11] * s3;

    adj[4] = -a[4] * c5 + a[6] * c2 - a[7] * c1;
    adj[5] = a[0] * c5 - a[2] * c2 + a[3] * c1;
    adj[6] = -a[12] * s5 + a[14] * s2 - a[15] * s1;
    adj[7] = a[8] * s5 - a[10] * s2 + a[11] * s1;

    adj[8] = a[4] * c4 - a[5] * c2 + a[7] * c0;
    adj[9] = -a[0] * c4 + a[1] * c2 - a[3] * c0;
    adj[10] = a[12] * s4 - a[13] * s2 + a[15] * s0;
    adj[11] = -a[8] * s4 + a[9] * s2 - a[11] * s0;

    adj[12] = -a[4] * c3 + a[5] * c1 - a[6] * c0;
    adj[13] = a[0] * c3 - a[1] * c1 + a[2] * c0;
    adj[14] = -a[12] * s3 + a[13] * s1 - a[14] * s0;
    adj[15] = a[8] * s3 - a[9] * s1 + a[10] * s0;

    // First row times its cofactors (the first column of the adjugate).
    float determinant = a[0] * adj[0] + a[1] * adj[4] + a[2] * adj[8] + a[3] * adj[12];
    float scale = 1.0f / determinant;
    for (int i = 0; i < 16; ++i)
        m[i] = adj[i] * scale;
}

void Matrix4::Multiply(Matrix4* out, const Matrix4* a, const Matrix4* b)
{
    if (!out || !a || !b)
        return;
    // Callers must not pass out as an operand; the temporary keeps such a mistake
    // from producing a half-updated product all the same.
    float product[16];
    for (int row = 0; row < 4; ++row) {
        for (int column = 0; column < 4; ++column) {
            float sum = 0.0f;
            for (int k = 0; k < 4; ++k)
                sum += a->m[row * 4 + k] * b->m[k * 4 + column];
            product[row * 4 + column] = sum;
        }
    }
    memcpy(out->m, product, sizeof(product));
}

namespace {

// Exactly the float nearest to 1/255, so 0xFF maps to 1.0f.
const float kByteToUnit = 1.0f / 255.0f;

// Anything that is not a hexadecimal digit reads as 0, so malformed colours
// degrade to darker channels instead of being rejected.
int HexDigitValue(char digit)
{
    const int value = QVI_HexDigitValue(digit);
    return value < 0 ? 0 : value;
}

float HexPairToUnit(const char* pair)
{
    int byte = HexDigitValue(pair[0]) * 16 + HexDigitValue(pair[1]);
    return static_cast<float>(byte) * kByteToUnit;
}

// Length of text, but counting no further than limit (colour texts can be long
// strings from data files; only the first eight digits matter).
int LengthUpTo(const char* text, int limit)
{
    int length = 0;
    while (length < limit && text[length] != '\0')
        ++length;
    return length;
}

} // namespace

void Color::SetFromHex(const char* text)
{
    if (!text || text[0] == '\0')
        return;
    if (text[0] == '#')
        ++text;

    int digits = LengthUpTo(text, 8);
    if (digits < 6)
        return;

    r = HexPairToUnit(text + 0);
    g = HexPairToUnit(text + 2);
    b = HexPairToUnit(text + 4);
    a = digits >= 8 ? HexPairToUnit(text + 6) : 1.0f;
}
