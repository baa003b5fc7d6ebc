// The engine side of the CPU bitmap benchmarks: a 2048 x 2048 bitmap scaled to 1024 x 1024
// (QVI_CreateImageResized, area sampling at this ratio) and 256 glyph-sized bitmaps packed
// into one atlas (QVI_PackBitmaps, the size search, copy and bleed included). Logging is not
// started, so the engine's log lines cost nothing.
//
//   bitmap_bench.exe resize N   N resizes; reports "bench work_ms" per resize
//   bitmap_bench.exe atlas N    N packings; reports "bench work_ms" per packing
//
// Also reports "bench pixels", the pixels written per operation, and for the resize "bench
// pixels_digest", a digest of the result's bytes, which the driver holds against the bare
// run's digest of the same sampling.
#include "platform/windows/win32.h"

#include <cstdlib>
#include <cstring>

#include "bench_bitmaps.h"
#include "bench_report.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/image_loader_portable.h"

namespace {

// FNV-1a, 64 bits, as the bare run digests its result.
unsigned long long Digest(const uint8_t* bytes, size_t count)
{
    unsigned long long hash = 14695981039346656037ull;
    for (size_t i = 0; i < count; ++i)
        hash = (hash ^ bytes[i]) * 1099511628211ull;
    return hash;
}

int Resize(long rounds)
{
    ImageLoaderImp* loader = QVI_GetImageLoader();
    Bitmap source = {};
    loader->AllocateImagePixels(&source, kResizeSourceSide, kResizeSourceSide);
    Bench_FillPicture(source.pixels, kResizeSourceSide, kResizeSourceSide);
    Bitmap target = {};
    const double startMs = Bench_NowMs();
    for (long i = 0; i < rounds; ++i) {
        if (!QVI_CreateImageResized(&target, &source, kResizeTargetSide, kResizeTargetSide)) {
            Bench_Report("error", "resize failed");
            return 1;
        }
    }
    Bench_Report("work_ms", "%.4f", (Bench_NowMs() - startMs) / rounds);
    Bench_Report("pixels", "%d", target.width * target.height);
    Bench_Report("pixels_digest", "%016llx", Digest(target.pixels, size_t(target.width) * target.height * 4));
    loader->FreeImagePixels(&target);
    loader->FreeImagePixels(&source);
    return 0;
}

int Pack(long rounds)
{
    ImageLoaderImp* loader = QVI_GetImageLoader();
    static Bitmap glyphs[kGlyphCount];
    Bitmap* list[kGlyphCount];
    for (int i = 0; i < kGlyphCount; ++i) {
        loader->AllocateImagePixels(&glyphs[i], Bench_GlyphWidth(i), Bench_GlyphHeight(i));
        Bench_FillGlyph(glyphs[i].pixels, glyphs[i].width, glyphs[i].height, i);
        glyphs[i].flags = 1;
        list[i] = &glyphs[i];
    }
    Bitmap atlas = {};
    const double startMs = Bench_NowMs();
    for (long i = 0; i < rounds; ++i) {
        if (!QVI_PackBitmaps(&atlas, list, kGlyphCount, 2048, 2048)) {
            Bench_Report("error", "packing failed");
            return 1;
        }
    }
    Bench_Report("work_ms", "%.4f", (Bench_NowMs() - startMs) / rounds);
    Bench_Report("pixels", "%d", atlas.width * atlas.height);
    loader->FreeImagePixels(&atlas);
    free(atlas.header.name);
    for (Bitmap& glyph : glyphs)
        loader->FreeImagePixels(&glyph);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    if (rounds <= 0 || (strcmp(argv[1], "resize") != 0 && strcmp(argv[1], "atlas") != 0)) {
        Bench_Report("error", "usage: bitmap_bench.exe resize|atlas ROUNDS");
        return 2;
    }
    return strcmp(argv[1], "resize") == 0 ? Resize(rounds) : Pack(rounds);
}
