// The floors under the CPU bitmap benchmarks, plain C over the same pixels:
//  - resize: a 2 x 2 box filter halving the 2048 x 2048 picture to 1024 x 1024 (each target
//    pixel the average of the four source pixels it covers);
//  - atlas: the 256 glyph bitmaps copied row by row onto shelves of a 512 x 512 atlas, two
//    pixels apart, the size known beforehand (no search, no bleeding).
//
//   bare_bitmaps.exe resize N | atlas N   reports "bench work_ms" per operation and
//                                         "bench pixels", the pixels written per operation.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "bench_bitmaps.h"
#include "bench_report.h"

namespace {

const int kAtlasSide = 512;

// Out of line, so the work of every round is done.
__attribute__((noinline)) void Halve(const uint8_t* source, int sourceSide, uint8_t* target)
{
    const int side = sourceSide / 2;
    for (int y = 0; y < side; ++y) {
        const uint8_t* row0 = source + static_cast<size_t>(2 * y) * sourceSide * 4;
        const uint8_t* row1 = row0 + static_cast<size_t>(sourceSide) * 4;
        uint8_t* out = target + static_cast<size_t>(y) * side * 4;
        for (int x = 0; x < side; ++x) {
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = static_cast<uint8_t>(
                    (row0[x * 8 + c] + row0[x * 8 + 4 + c] + row1[x * 8 + c] + row1[x * 8 + 4 + c] + 2) >> 2);
        }
    }
}

__attribute__((noinline)) bool Shelve(uint8_t* const* glyphs, uint8_t* atlas)
{
    memset(atlas, 0, static_cast<size_t>(kAtlasSide) * kAtlasSide * 4);
    int tallest = 0;
    for (int i = 0; i < kGlyphCount; ++i)
        tallest = Bench_GlyphHeight(i) > tallest ? Bench_GlyphHeight(i) : tallest;
    int x = 2, y = 2;
    for (int i = 0; i < kGlyphCount; ++i) {
        const int width = Bench_GlyphWidth(i), height = Bench_GlyphHeight(i);
        if (x + 2 + width > kAtlasSide) {
            x = 2;
            y += tallest + 2;
        }
        if (y + tallest + 2 > kAtlasSide)
            return false;
        for (int row = 0; row < height; ++row)
            memcpy(atlas + (static_cast<size_t>(y + row) * kAtlasSide + x) * 4, glyphs[i] + row * width * 4,
                   static_cast<size_t>(width) * 4);
        x += 2 + width;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    if (rounds <= 0 || (strcmp(argv[1], "resize") != 0 && strcmp(argv[1], "atlas") != 0)) {
        Bench_Report("error", "usage: bare_bitmaps.exe resize|atlas ROUNDS");
        return 2;
    }
    double startMs = 0;
    int pixels = 0;
    unsigned checksum = 0;
    if (strcmp(argv[1], "resize") == 0) {
        uint8_t* source = static_cast<uint8_t*>(malloc(size_t(kResizeSourceSide) * kResizeSourceSide * 4));
        uint8_t* target = static_cast<uint8_t*>(malloc(size_t(kResizeTargetSide) * kResizeTargetSide * 4));
        Bench_FillPicture(source, kResizeSourceSide, kResizeSourceSide);
        startMs = Bench_NowMs();
        for (long i = 0; i < rounds; ++i)
            Halve(source, kResizeSourceSide, target);
        pixels = kResizeTargetSide * kResizeTargetSide;
        checksum = target[pixels * 2];
        free(source);
        free(target);
    } else {
        uint8_t* glyphs[kGlyphCount];
        for (int i = 0; i < kGlyphCount; ++i) {
            glyphs[i] = static_cast<uint8_t*>(malloc(size_t(Bench_GlyphWidth(i)) * Bench_GlyphHeight(i) * 4));
            Bench_FillGlyph(glyphs[i], Bench_GlyphWidth(i), Bench_GlyphHeight(i), i);
        }
        uint8_t* atlas = static_cast<uint8_t*>(malloc(size_t(kAtlasSide) * kAtlasSide * 4));
        startMs = Bench_NowMs();
        for (long i = 0; i < rounds; ++i) {
            if (!Shelve(glyphs, atlas)) {
                Bench_Report("error", "the glyphs do not fit");
                return 1;
            }
        }
        pixels = kAtlasSide * kAtlasSide;
        checksum = atlas[(2 * kAtlasSide + 2) * 4 + 3];
        free(atlas);
        for (uint8_t* glyph : glyphs)
            free(glyph);
    }
    const double workMs = (Bench_NowMs() - startMs) / rounds;
    Bench_Report("work_ms", "%.4f", workMs);
    Bench_Report("pixels", "%d", pixels);
    Bench_Report("checksum", "%u", checksum);
    return 0;
}
