// The floors under the CPU bitmap benchmarks, plain C over the same pixels:
//  - resize: the 2048 x 2048 picture shrunk to 1024 x 1024 by the engine's own sampling,
//    written plainly: the area average of bilinear samples one source pixel apart over each
//    target pixel's box (nine at this ratio), 11-bit fixed-point weights, colour and alpha
//    summed in double. The sample positions and weights of every column and every row are
//    found once, and each byte's share of a sum (byte / 255) is looked up; each sample
//    fetches its four corners. The picture is opaque and has no alpha flag, so nothing is
//    bled and no corner outside it needs its alpha cleared. It reports "bench
//    pixels_digest", a digest of the bytes, which must equal the engine's;
//  - box: other work, for scale: a 2 x 2 box filter halving the same picture (each target
//    pixel the rounded average of the four source pixels it covers);
//  - atlas: the 256 glyph bitmaps copied row by row onto shelves of a 512 x 512 atlas, two
//    pixels apart, the size known beforehand (no search, no bleeding).
//
//   bare_bitmaps.exe resize N | box N | atlas N
//                 reports "bench work_ms" per operation and "bench pixels", the pixels
//                 written per operation.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_bitmaps.h"
#include "bench_report.h"

namespace {

const int kAtlasSide = 512;

// One bilinear sample position along an axis: the source index before it, clamped with
// the one after it into the picture, and the 11-bit weight of the one after.
struct Tap {
    int before;
    int after;
    int weight;
};

// The sample positions of every target index: from the box's start (index x source size /
// target size) one pixel apart while not past its end, each turned into a coordinate and
// back as the sampling function does; target index t owns taps[first[t]] up to first[t + 1].
void FindTaps(int sourceSize, int targetSize, std::vector<Tap>* taps, std::vector<int>* first)
{
    const double box = static_cast<double>(sourceSize) / targetSize;
    for (int t = 0; t < targetSize; ++t) {
        first->push_back(static_cast<int>(taps->size()));
        const double start = sourceSize * (static_cast<double>(t) / targetSize);
        for (double position = start; position <= start + box; position += 1.0) {
            const double at = sourceSize * (position / sourceSize);
            const int index = static_cast<int>(at);
            const int weight = static_cast<int>((at - index) * 2048);
            taps->push_back({index < sourceSize ? index : sourceSize - 1,
                             index + 1 < sourceSize ? index + 1 : sourceSize - 1, weight});
        }
    }
    first->push_back(static_cast<int>(taps->size()));
}

uint8_t UnitToByte(double value)
{
    return !(value > 0.0) ? 0 : value >= 1.0 ? 255 : static_cast<uint8_t>(value * 255.0);
}

struct Sampling {
    std::vector<Tap> columns, rows;
    std::vector<int> firstColumn, firstRow;
    double unit[256];  // byte / 255.0, the share each sample adds to a sum
};

__attribute__((noinline)) void Sample(const uint8_t* source, int sourceSide, const Sampling& sampling,
                                      int targetSide, uint8_t* target)
{
    const size_t pitch = static_cast<size_t>(sourceSide) * 4;
    for (int y = 0; y < targetSide; ++y) {
        for (int x = 0; x < targetSide; ++x) {
            double sums[4] = {0.0, 0.0, 0.0, 0.0};
            int covered = 0, samples = 0;
            for (int j = sampling.firstRow[y]; j < sampling.firstRow[y + 1]; ++j) {
                const Tap& row = sampling.rows[j];
                const uint8_t* top = source + row.before * pitch;
                const uint8_t* bottom = source + row.after * pitch;
                for (int i = sampling.firstColumn[x]; i < sampling.firstColumn[x + 1]; ++i) {
                    const Tap& column = sampling.columns[i];
                    const int w00 = (2048 - column.weight) * (2048 - row.weight);
                    const int w10 = column.weight * (2048 - row.weight);
                    const int w01 = (2048 - column.weight) * row.weight;
                    const int w11 = column.weight * row.weight;
                    const uint8_t* p00 = top + column.before * 4;
                    const uint8_t* p10 = top + column.after * 4;
                    const uint8_t* p01 = bottom + column.before * 4;
                    const uint8_t* p11 = bottom + column.after * 4;
                    uint8_t value[4];
                    for (int c = 0; c < 4; ++c)
                        value[c] = static_cast<uint8_t>(
                            (static_cast<unsigned>(p00[c] * w00 + p10[c] * w10 + p01[c] * w01 + p11[c] * w11)) >> 22);
                    if (value[3] > 0) {
                        for (int c = 0; c < 3; ++c)
                            sums[c] += sampling.unit[value[c]];
                        ++covered;
                    }
                    sums[3] += sampling.unit[value[3]];
                    ++samples;
                }
            }
            uint8_t* out = target + (static_cast<size_t>(y) * targetSide + x) * 4;
            for (int c = 0; c < 3; ++c)
                out[c] = covered > 0 ? UnitToByte(sums[c] / covered) : 255;
            out[3] = UnitToByte(sums[3] / samples);
        }
    }
}

// FNV-1a, 64 bits, as the engine's run digests its result.
unsigned long long Digest(const uint8_t* bytes, size_t count)
{
    unsigned long long hash = 14695981039346656037ull;
    for (size_t i = 0; i < count; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

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
    const bool resize = rounds > 0 && strcmp(argv[1], "resize") == 0;
    const bool box = rounds > 0 && strcmp(argv[1], "box") == 0;
    if (rounds <= 0 || (!resize && !box && strcmp(argv[1], "atlas") != 0)) {
        Bench_Report("error", "usage: bare_bitmaps.exe resize|box|atlas ROUNDS");
        return 2;
    }
    double startMs = 0;
    int pixels = 0;
    unsigned checksum = 0;
    if (resize || box) {
        uint8_t* source = static_cast<uint8_t*>(malloc(size_t(kResizeSourceSide) * kResizeSourceSide * 4));
        uint8_t* target = static_cast<uint8_t*>(malloc(size_t(kResizeTargetSide) * kResizeTargetSide * 4));
        Bench_FillPicture(source, kResizeSourceSide, kResizeSourceSide);
        startMs = Bench_NowMs();
        for (long i = 0; i < rounds; ++i) {
            if (box) {
                Halve(source, kResizeSourceSide, target);
                continue;
            }
            // The positions are found again every time, as every resize of the engine does.
            Sampling sampling;
            for (int b = 0; b < 256; ++b)
                sampling.unit[b] = b / 255.0;
            FindTaps(kResizeSourceSide, kResizeTargetSide, &sampling.columns, &sampling.firstColumn);
            FindTaps(kResizeSourceSide, kResizeTargetSide, &sampling.rows, &sampling.firstRow);
            Sample(source, kResizeSourceSide, sampling, kResizeTargetSide, target);
        }
        const double workMs = (Bench_NowMs() - startMs) / rounds;
        pixels = kResizeTargetSide * kResizeTargetSide;
        if (resize)
            Bench_Report("pixels_digest", "%016llx", Digest(target, size_t(pixels) * 4));
        checksum = target[pixels * 2];
        free(source);
        free(target);
        Bench_Report("work_ms", "%.4f", workMs);
        Bench_Report("pixels", "%d", pixels);
        Bench_Report("checksum", "%u", checksum);
        return 0;
    }
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
    const double workMs = (Bench_NowMs() - startMs) / rounds;
    Bench_Report("work_ms", "%.4f", workMs);
    Bench_Report("pixels", "%d", pixels);
    Bench_Report("checksum", "%u", checksum);
    return 0;
}
