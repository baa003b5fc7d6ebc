// The font-generation benchmark's baseline: FreeType alone rendering the same code points of
// the same TrueType file at the same pixel sizes as the engine's font generation, with as
// little around it as a program can have: per size the library and the face are opened
// (as the engine opens them per rendering), the size set, and every character loaded and
// rendered to an 8-bit coverage bitmap, which is summed so that each one is looked at.
//
//   bare_freetype.exe latin1|utf8 PASSES
//
// Reports "bench work_ms" (the mean of one pass over every size), "bench glyphs" (the code
// points loaded in one pass) and "bench coverage" (the sum of one pass's coverage bytes).
#include <windows.h>

#include <cstdlib>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

#include "bench_fonts.h"
#include "bench_report.h"

namespace {

// One size: false when FreeType fails; adds the glyphs it loads and their coverage.
bool RenderSize(const std::string& path, int size, const std::vector<uint32_t>& codes, long* glyphs,
                unsigned long long* coverage)
{
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return false;
    bool ok = FT_New_Face(library, path.c_str(), 0, &face) == 0 && FT_Select_Charmap(face, FT_ENCODING_UNICODE) == 0 &&
              FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(size)) == 0;
    for (size_t i = 0; ok && i < codes.size(); ++i) {
        if (FT_Get_Char_Index(face, codes[i]) == 0)
            continue;
        if (FT_Load_Char(face, codes[i], FT_LOAD_RENDER) != 0)
            continue;
        ++*glyphs;
        const FT_Bitmap& bitmap = face->glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const unsigned char* line = bitmap.buffer + static_cast<long>(row) * bitmap.pitch;
            for (unsigned x = 0; x < bitmap.width; ++x)
                *coverage += line[x];
        }
    }
    if (face)
        FT_Done_Face(face);
    FT_Done_FreeType(library);
    return ok;
}

}  // namespace

int main(int argc, char** argv)
{
    const long passes = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    if (passes <= 0 || !Bench_IsFontKind(argv[1])) {
        Bench_Report("error", "usage: bare_freetype.exe latin1|utf8 PASSES");
        return 2;
    }
    const std::vector<uint32_t> codes = Bench_FontCodePoints(argv[1]);
    const std::string path = std::string(kFontFolder) + "/" + kFontFileName;
    long glyphs = 0;
    unsigned long long coverage = 0;
    const double startMs = Bench_NowMs();
    for (long pass = 0; pass < passes; ++pass) {
        glyphs = 0;
        coverage = 0;
        for (int size : kFontSizes) {
            if (!RenderSize(path, size, codes, &glyphs, &coverage)) {
                Bench_Report("error", "FreeType could not render '%s' at %d px", path.c_str(), size);
                return 1;
            }
        }
    }
    Bench_Report("work_ms", "%.4f", (Bench_NowMs() - startMs) / passes);
    Bench_Report("glyphs", "%ld", glyphs);
    Bench_Report("coverage", "%llu", coverage);
    return 0;
}
