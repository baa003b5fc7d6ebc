#pragma once

#include <cstdint>

#include "text/fonts/font_record.h"

struct Shader;

// Text laid out in lines within the calling thread's wrap width, aligned, scaled and
// rotated, and drawn glyph by glyph through the batch renderer with inline tags.

const int kTextFormatBuffer = 2048;
const int kMaxTextLines = 1024;
// A tag's attribute value (and a UTF-8 tag copied to bytes) of this many characters or more
// is ignored.
const int kMaxTagValue = 512;

float QVI_DrawText(Font* font, const char* text, float x, float y);
float QVI_DrawTextLinesLatin1(Font* font, char* text, float x, float y);
float QVI_DrawTextLines(Font* font, const char* text, float x, float y);
// LATIN-1 text is broken in place in the caller's buffer.
void QVI_MeasureTextLines(Font* font, char* text, float* width, float* height);

// The UTF-32 text must have room for maxLines more code points: line ends are inserted.
int QVI_BreakTextLines(Font* font, int maxWidth, char* text, char** lineStarts, int32_t* lineWidths, int maxLines);
int QVI_BreakTextLinesUTF32(Font* font, int maxWidth, uint32_t* text, uint32_t** lineStarts, int32_t* lineWidths,
                            int maxLines);
int QVI_MeasureWord(Font* font, const char* text);
int QVI_MeasureWordUTF32(Font* font, const uint32_t* text);

// Reads a tag's attributes; every output may be null. Answers the bitmap an image tag names.
Bitmap* QVI_ParseTextTag(const char* tag, int* offset, float* angle, float* scale, float color[4], Shader** shader);
int QVI_ParseHexByte(char high, char low);
float QVI_GetTextCenterOffset(Font* font);

// One glyph quad in the current colour and depth: axis-aligned (nothing at alpha 0), or
// each corner p drawn at origin + matrix (p - origin), matrix row-major 2 x 2.
void QVI_AddGlyphQuad(Bitmap* image, float x, float y);
void QVI_AddRotatedGlyphQuad(Bitmap* image, const float matrix[4], const float origin[2], float x, float y);
// A point through the world-view-projection transform into viewport pixels (x, y) and depth.
void QVI_ProjectToScreen(float out[3], const float point[3]);

// ---- Shared by breaking, measuring and drawing (text_layout.cpp) ----

// The glyph of a LATIN-1 byte, read as unsigned; null past the font's glyphs. Inline: it
// is taken for every character laid out and drawn.
inline FontGlyph* QVI_LatinGlyph(Font* font, unsigned char c)
{
    return font && font->glyphs && c < font->glyphCount ? &font->glyphs[c] : nullptr;
}
// Kerning added before glyph when it follows prev (0 without a row).
inline int QVI_GlyphKerning(Font* font, const FontGlyph* glyph, unsigned prev)
{
    return glyph && glyph->kerning && static_cast<int>(prev) < font->glyphCount ? glyph->kerning[prev] : 0;
}
// The font's scale, a degenerate one (zero, negative, not a number) read as 1.
float QVI_FontScale(const Font* font);
// The calling thread's text scale and wrap width with the guards every layout applies: a
// scale below 1e-6 (a thread the engine did not start has all zeros) is 1; a wrap width
// below 0.1 means no wrapping (64000).
void QVI_GetTextScale(float* scaleX, float* scaleY);
float QVI_GetTextWrapWidth();
// A wrap width in drawn units as font pixels at that scale (truncated, bounded).
int QVI_WrapWidthInFontPixels(float drawnWidth, float scale);

// Per-layout memo of a UTF-8 font's glyph lookups (a linear scan each, and a report for a
// missing code point): every distinct code point is looked up once per layout. A text of
// more than a few distinct characters indexes the font's code points once instead of
// scanning the glyphs for each (the first glyph of a code point is the one found, as the
// scan finds it).
class TextGlyphLookup {
public:
    explicit TextGlyphLookup(Font* font) : font_(font) {}
    ~TextGlyphLookup();
    TextGlyphLookup(const TextGlyphLookup&) = delete;
    TextGlyphLookup& operator=(const TextGlyphLookup&) = delete;
    // Inline: every character laid out or drawn asks, nearly always for a code point met before.
    FontGlyph* Find(uint32_t codePoint)
    {
        const int slot = static_cast<int>(codePoint % kSlots);
        if (used_[slot] && keys_[slot] == codePoint)
            return glyphs_[slot];
        return Remember(slot, codePoint);
    }

private:
    static const int kSlots = 256;
    static const int kScansBeforeIndex = 8;
    struct IndexEntry {
        uint32_t codePoint;
        int32_t glyph;  // -1: an empty entry
    };
    FontGlyph* Remember(int slot, uint32_t codePoint);
    FontGlyph* FindInFont(uint32_t codePoint);
    bool BuildIndex();

    Font* font_;
    uint32_t keys_[kSlots];
    FontGlyph* glyphs_[kSlots];
    bool used_[kSlots] = {};
    int scans_ = 0;
    IndexEntry* index_ = nullptr;
    uint32_t indexMask_ = 0;
    int indexShift_ = 0;
};

int QVI_BreakTextLinesUTF32(TextGlyphLookup* lookup, Font* font, int maxWidth, uint32_t* text,
                            uint32_t** lineStarts, int32_t* lineWidths, int maxLines);
int QVI_MeasureWordUTF32(TextGlyphLookup* lookup, Font* font, const uint32_t* text);
// The closing '|' of a tag whose text starts at tag, or null when it has none.
const char* QVI_FindTagEnd(const char* tag);
const uint32_t* QVI_FindTagEndUTF32(const uint32_t* tag);
// Copies a UTF-8 tag's code points (from tag to end, at most 511) as bytes followed by its
// closing '|'; false when it is longer.
bool QVI_CopyTagUTF32(const uint32_t* tag, const uint32_t* end, char out[kMaxTagValue + 1]);
// The pen width an image tag takes in font pixels (0 when no bitmap is found).
int QVI_ImageTagWidth(Font* font, const char* tag);
