// The engine side of the font-generation benchmark: fonts built from a TrueType file as a
// game's missing ".mft" file is built, each step a game's first GetFont takes: the source
// read, every glyph rendered through FreeType and post-processed (kerning pairs of a LATIN-1
// font included), the glyph images packed into the atlas (its upload costs nothing on the
// renderer without a device) and the ".mft" file written.
//
//   font_bench.exe latin1|utf8 PASSES   PASSES times, every size of bench_fonts.h
//
// The font sources ("inputs/fonts/<kind>_<size>.xml") are written before the clock starts,
// from the code points the bare run renders. Reports "bench work_ms" (the mean of one pass
// over every size), its three parts "bench generate_ms", "bench atlas_ms" and "bench save_ms",
// and "bench glyphs" (the glyphs with a code point made in one pass).
#include "platform/windows/win32.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_engine.h"
#include "bench_fonts.h"
#include "bench_report.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"

namespace {

BenchRenderer g_renderer;

// Milliseconds summed over all passes: the whole, and the part of each step.
struct StepTimes {
    double work = 0.0;
    double generate = 0.0;
    double atlas = 0.0;
    double save = 0.0;
};

std::string FontName(const char* kind, int size)
{
    return std::string("fonts/") + kind + "_" + std::to_string(size);
}

// The font source of one size: LATIN-1 names its glyphs (so that the bytes without a
// character stay empty instead of being reported missing); UTF-8 takes the fixed characters
// and the two character sets.
bool WriteSource(const char* kind, int size)
{
    const std::string path = std::string(kFontFolder) + "/" + kind + "_" + std::to_string(size) + ".xml";
    FILE* out = fopen(path.c_str(), "wb");
    if (!out)
        return false;
    const bool latin1 = strcmp(kind, "latin1") == 0;
    fprintf(out, "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>\n  <array id=\"settings\">\n");
    fprintf(out, "    <node id=\"VERSION\" value=\"2\"/>\n");
    fprintf(out, "    <node id=\"INPUT\" ttf=\"%s\" size_px=\"%d\"%s/>\n", kFontFileName, size,
            latin1 ? "" : " strings=\"!\" character_sets=\"polish cyrillic\"");
    fprintf(out, "  </array>\n");
    if (latin1) {
        fprintf(out, "  <array id=\"glyphs\">\n");
        for (uint32_t code : Bench_FontCodePoints(kind))
            fprintf(out, "    <node id=\"%u\"/>\n", static_cast<unsigned>(code));
        fprintf(out, "  </array>\n");
    }
    fprintf(out, "</root>\n");
    return fclose(out) == 0;
}

// Gives back what generation, the atlas and the upload made, so that every pass starts alike.
void FreeFont(Font* font)
{
    QVI_FreeFontGlyphs(font);
    if (font->atlas.hardware.loaded)
        QVI_ReleaseBitmapHardwareData(&font->atlas);
    QVI_GetImageLoader()->FreeImagePixels(&font->atlas);
    free(font->atlas.header.name);
    free(font->header.name);
    memset(font, 0, sizeof *font);
}

// One font of one size, start to file; -1 when a step fails.
long MakeFont(const char* kind, int size, StepTimes* times)
{
    const std::string name = FontName(kind, size);
    const std::string output = "res://inputs/" + name + ".mft";
    Font font = {};
    font.header.name = strdup(name.c_str());
    font.header.type = kFontResourceType;
    font.scale = 1.0f;
    const double startMs = Bench_NowMs();
    bool made = QVI_GenerateFontFromSource(&font);
    const double generatedMs = Bench_NowMs();
    made = made && QVI_RecreateFontAtlas(&font);
    const double packedMs = Bench_NowMs();
    made = made && QVI_SaveFontFile(&font, output.c_str());
    const double endMs = Bench_NowMs();
    times->work += endMs - startMs;
    times->generate += generatedMs - startMs;
    times->atlas += packedMs - generatedMs;
    times->save += endMs - packedMs;
    long glyphs = 0;
    for (int i = 0; i < font.glyphCount; ++i)
        glyphs += font.glyphs[i].codePoint != 0;
    FreeFont(&font);
    return made ? glyphs : -1;
}

}  // namespace

int main(int argc, char** argv)
{
    const long passes = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    if (passes <= 0 || !Bench_IsFontKind(argv[1])) {
        Bench_Report("error", "usage: font_bench.exe latin1|utf8 PASSES");
        return 2;
    }
    const char* kind = argv[1];
    if (!Bench_SetUpEngine(&g_renderer)) {
        Bench_Report("error", "the renderer did not come up");
        return 1;
    }
    for (int size : kFontSizes) {
        if (!WriteSource(kind, size)) {
            Bench_Report("error", "cannot write the font source of %s at %d px", kind, size);
            return 1;
        }
    }
    // The names as a game gives them, found through the search paths.
    qv->fileSystem->AddSearchPath("res://inputs", true);
    StepTimes times;
    long glyphs = 0;
    for (long pass = 0; pass < passes; ++pass) {
        glyphs = 0;
        for (int size : kFontSizes) {
            const long made = MakeFont(kind, size, &times);
            if (made < 0) {
                Bench_Report("error", "the %s font of %d px was not made", kind, size);
                return 1;
            }
            glyphs += made;
        }
    }
    Bench_Report("work_ms", "%.4f", times.work / passes);
    Bench_Report("generate_ms", "%.4f", times.generate / passes);
    Bench_Report("atlas_ms", "%.4f", times.atlas / passes);
    Bench_Report("save_ms", "%.4f", times.save / passes);
    Bench_Report("glyphs", "%ld", glyphs);
    return 0;
}
