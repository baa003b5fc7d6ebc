// What the engine run and the bare run of the bitmap benchmarks share, so that they work on
// the same pixels: the 2048 x 2048 picture that is halved, and the 256 glyph-sized bitmaps
// that are packed into one atlas.
#pragma once

#include <cstdint>

constexpr int kResizeSourceSide = 2048;
constexpr int kResizeTargetSide = 1024;
constexpr int kGlyphCount = 256;

// An opaque picture with detail in every channel, 4 bytes (R, G, B, A) a pixel.
inline void Bench_FillPicture(uint8_t* pixels, int width, int height)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = pixels + (static_cast<long long>(y) * width + x) * 4;
            pixel[0] = static_cast<uint8_t>(x ^ y);
            pixel[1] = static_cast<uint8_t>(x * 3 + y);
            pixel[2] = static_cast<uint8_t>((x * y) >> 4);
            pixel[3] = 255;
        }
    }
}

// Glyph i's size: 8 to 23 wide, 12 to 27 high, as a 20-pixel font's glyphs vary.
inline int Bench_GlyphWidth(int i) { return 8 + (i * 7) % 16; }
inline int Bench_GlyphHeight(int i) { return 12 + (i * 5) % 16; }

// A glyph's coverage in alpha over white, transparent around the shape, as fonts make them.
inline void Bench_FillGlyph(uint8_t* pixels, int width, int height, int i)
{
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            uint8_t* pixel = pixels + (y * width + x) * 4;
            const bool inside = x > 0 && y > 0 && x < width - 1 && y < height - 1 && ((x + y + i) % 5) != 0;
            pixel[0] = pixel[1] = pixel[2] = 255;
            pixel[3] = inside ? static_cast<uint8_t>(128 + (x * y + i) % 128) : 0;
        }
    }
}
