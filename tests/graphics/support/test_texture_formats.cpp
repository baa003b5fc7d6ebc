#include "graphics/support/test_texture_formats.h"

#include <cmath>

namespace {

float Clamp01(float v)
{
    if (!(v > 0.0f))
        return 0.0f;
    return v < 1.0f ? v : 1.0f;
}

float Quantize(float v, float steps)
{
    return std::floor(Clamp01(v) * steps + 0.5f) / steps;
}

} // namespace

bool IsEightBitColorFormat(int format)
{
    return format == QV_TEXTURE_FORMAT_RGBA8 || format == QV_TEXTURE_FORMAT_RGB8;
}

void StoreTexel(TestTexture* texture, int face, int x, int y, const float color[4])
{
    float* texel = texture->ColorAt(face, x, y);
    switch (texture->format) {
    case QV_TEXTURE_FORMAT_RGBA8:
        for (int i = 0; i < 4; ++i)
            texel[i] = Quantize(color[i], 255.0f);
        break;
    case QV_TEXTURE_FORMAT_RGB8:
        for (int i = 0; i < 3; ++i)
            texel[i] = Quantize(color[i], 255.0f);
        texel[3] = 1.0f;
        break;
    case QV_TEXTURE_FORMAT_R16F:
    case QV_TEXTURE_FORMAT_R32F:
        texel[0] = color[0];
        texel[1] = 0.0f;
        texel[2] = 0.0f;
        texel[3] = 1.0f;
        break;
    default:
        for (int i = 0; i < 4; ++i)
            texel[i] = color[i];
        break;
    }
}

float StoreDepthValue(int format, float depth)
{
    switch (format) {
    case QV_TEXTURE_FORMAT_D16:
        return Quantize(depth, 65535.0f);
    case QV_TEXTURE_FORMAT_D24S8:
        return Quantize(depth, 16777215.0f);
    default:
        return Clamp01(depth);
    }
}

int RoundUpToPowerOfTwo(int x)
{
    if (x <= 0)
        return 0;
    int64_t power = 1;
    while (power < x)
        power *= 2;
    return power > INT32_MAX ? INT32_MAX : static_cast<int>(power);
}
