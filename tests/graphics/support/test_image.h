#pragma once

// An RGBA8 image read back from a renderer, and the pixel checks written against it.
//
// Every renderer under test offers the same read-back shape,
//     bool ReadRenderTargetPixels(const Bitmap* target, TestImage* out)
// with a null target meaning the back buffer: the tests' in-memory TestRenderer as a
// member, the Direct3D 11 renderer's test helpers through a staging texture, so the
// same checks run against both.
// Header-only so that every test suite can use it.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "quaven/bitmap.h"

struct Rgba8 {
    uint8_t r, g, b, a;
};

inline bool operator==(const Rgba8& x, const Rgba8& y)
{
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}

inline std::ostream& operator<<(std::ostream& out, const Rgba8& p)
{
    return out << "(" << int(p.r) << ", " << int(p.g) << ", " << int(p.b) << ", " << int(p.a) << ")";
}

struct TestImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgba;  // width x height x 4 bytes, rows top to bottom, R, G, B, A

    void Resize(int w, int h)
    {
        width = w > 0 ? w : 0;
        height = h > 0 ? h : 0;
        rgba.assign(static_cast<size_t>(width) * height * 4, 0);
    }

    bool Contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }

    // Outside the image: all zero.
    Rgba8 At(int x, int y) const
    {
        if (!Contains(x, y))
            return Rgba8{0, 0, 0, 0};
        const uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        return Rgba8{p[0], p[1], p[2], p[3]};
    }

    void Set(int x, int y, Rgba8 value)
    {
        if (!Contains(x, y))
            return;
        uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = value.r;
        p[1] = value.g;
        p[2] = value.b;
        p[3] = value.a;
    }
};

// The colour (r, g, b, a in 0 to 1) as a device stores it in an 8-bit target.
inline Rgba8 ToRgba8(float r, float g, float b, float a)
{
    auto byte = [](float v) {
        if (!(v > 0.0f))
            return uint8_t(0);
        if (v >= 1.0f)
            return uint8_t(255);
        return static_cast<uint8_t>(v * 255.0f + 0.5f);
    };
    return Rgba8{byte(r), byte(g), byte(b), byte(a)};
}

// Each channel within tolerance (in 0-255 steps) of the expected value.
inline ::testing::AssertionResult PixelNear(const TestImage& image, int x, int y, Rgba8 expected, int tolerance)
{
    if (!image.Contains(x, y))
        return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") lies outside the " << image.width
                                             << "x" << image.height << " image";
    Rgba8 actual = image.At(x, y);
    bool withinTolerance = std::abs(actual.r - expected.r) <= tolerance && std::abs(actual.g - expected.g) <= tolerance &&
                std::abs(actual.b - expected.b) <= tolerance && std::abs(actual.a - expected.a) <= tolerance;
    if (withinTolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "pixel (" << x << ", " << y << ") is " << actual << ", expected "
                                         << expected << " within " << tolerance;
}

// Every pixel of the rectangle [x0, x1) x [y0, y1) within tolerance.
inline ::testing::AssertionResult RegionNear(const TestImage& image, int x0, int y0, int x1, int y1, Rgba8 expected,
                                             int tolerance)
{
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            ::testing::AssertionResult result = PixelNear(image, x, y, expected, tolerance);
            if (!result)
                return result;
        }
    }
    return ::testing::AssertionSuccess();
}
