// What the engine run and the bare run of the font-generation benchmark share, so that they
// render the same glyphs: the TrueType file, the pixel sizes and the code points of each
// font kind. The engine run writes its font sources from these lists; the bare run hands the
// same code points to FreeType.
#pragma once

#include <cstdint>
#include <cstring>
#include <vector>

// DejaVuSans.ttf, copied into the inputs by the build (from Debian's fonts-dejavu-core).
constexpr const char* kFontFolder = "inputs/fonts";
constexpr const char* kFontFileName = "DejaVuSans.ttf";
constexpr int kFontSizes[] = {16, 32};

// "latin1": a 256-glyph LATIN-1 font holding the printable bytes (32 to 126, 160 to 255).
// "utf8": a UTF-8 font of the fixed characters every UTF-8 font holds (U+0020 to U+007E but
// '%', ':', ';', '`', '{', '}', '~', and U+00A0), the Polish letters and the Cyrillic block,
// as a font source with strings "!" and character_sets "polish cyrillic" asks for.
inline bool Bench_IsFontKind(const char* kind)
{
    return kind && (strcmp(kind, "latin1") == 0 || strcmp(kind, "utf8") == 0);
}

inline std::vector<uint32_t> Bench_FontCodePoints(const char* kind)
{
    std::vector<uint32_t> codes;
    if (strcmp(kind, "latin1") == 0) {
        for (uint32_t c = 32; c <= 255; ++c) {
            if (c <= 126 || c >= 160)
                codes.push_back(c);
        }
        return codes;
    }
    for (uint32_t c = 32; c <= 126; ++c) {
        if (!strchr("%:;`{}~", static_cast<int>(c)))
            codes.push_back(c);
    }
    codes.push_back(0xA0);
    const uint32_t polish[] = {0xD3,  0xF3,  0x104, 0x105, 0x106, 0x107, 0x118, 0x119, 0x141,
                               0x142, 0x143, 0x144, 0x15A, 0x15B, 0x179, 0x17A, 0x17B, 0x17C};
    codes.insert(codes.end(), polish, polish + sizeof polish / sizeof polish[0]);
    for (uint32_t c = 0x400; c <= 0x4FF; ++c)
        codes.push_back(c);
    return codes;
}
