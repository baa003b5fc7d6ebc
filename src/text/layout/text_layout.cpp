// Line breaking and measuring: LATIN-1 text is broken in place in its buffer (line ends
// become 0 bytes), UTF-8 text as code points with line ends inserted. Widths are in font
// pixels; the callers turn them into drawn units.
#include "text/layout/text_layout.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/threads.h"
#include "text/fonts/font_pool.h"

namespace {

const float kSmallestTextScale = 1e-6f;
const float kNoWrapWidth = 64000.0f;
const int kMissingBlankAdvance = 4;
const uint32_t kIdeographicFullStop = 0x3002;
const uint32_t kFullwidthComma = 0xFF0C;
// Characters above this may be broken between (scripts written without blanks).
const uint32_t kBreakAnywhereAbove = 0x600;
// Past this many glyphs a layout keeps scanning rather than index (the index would be 32 MB).
const int kLargestIndexedFont = 1 << 21;

bool IsBlank(unsigned char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsImageTag(const char* tag)
{
    return tag[0] == 'i' || tag[0] == 'I';
}

int GlyphAdvance(const FontGlyph* glyph)
{
    return glyph ? glyph->advance : 0;
}

// Advance and kerning of one LATIN-1 byte after prev.
int LatinCharacterWidth(Font* font, unsigned char c, unsigned prev)
{
    const FontGlyph* glyph = QVI_LatinGlyph(font, c);
    return glyph ? glyph->advance + QVI_GlyphKerning(font, glyph, prev) : 0;
}

// The number after "scale=" in a deprecated scale tag (at most 15 characters up to the next
// '|'); 0 when there is none.
float DeprecatedTagScale(const char* tag)
{
    const char* value = strstr(tag, "scale=");
    const char* end = QVI_FindTagEnd(tag);
    if (!value || !end || value > end)
        return 0.0f;
    value += 6;
    char digits[16] = {};
    for (int i = 0; i < 15 && value + i < end; ++i)
        digits[i] = value[i];
    return static_cast<float>(atof(digits));
}

// Records the width of the line that ends here and starts the next one after it; false at
// the line limit.
template <typename Char>
bool EndLine(Char* end, Char** lineStarts, int32_t* lineWidths, int* lines, int maxLines, int32_t* width)
{
    *end = 0;
    lineWidths[*lines - 1] = *width;
    *width = 0;
    if (*lines >= maxLines)
        return false;
    lineStarts[(*lines)++] = end + 1;
    return true;
}

}  // namespace

float QVI_FontScale(const Font* font)
{
    return font && font->scale > kSmallestTextScale && std::isfinite(font->scale) ? font->scale : 1.0f;
}

void QVI_GetTextScale(float* scaleX, float* scaleY)
{
    const ThreadLocalState* state = QVI_GetThreadLocalState();
    *scaleX = state->scaleX >= kSmallestTextScale && std::isfinite(state->scaleX) ? state->scaleX : 1.0f;
    *scaleY = state->scaleY >= kSmallestTextScale && std::isfinite(state->scaleY) ? state->scaleY : 1.0f;
}

float QVI_GetTextWrapWidth()
{
    const float width = QVI_GetThreadLocalState()->maxWidth;
    return width >= 0.1f && std::isfinite(width) ? width : kNoWrapWidth;
}

namespace {

// Widths past any text a 2048-byte buffer holds mean no limit; kept inside them, sums of
// widths never overflow.
const double kLargestTextPixels = 1e9;

int ToTextPixels(double width)
{
    if (!(width > -kLargestTextPixels))
        return -static_cast<int>(kLargestTextPixels);
    return width < kLargestTextPixels ? static_cast<int>(width) : static_cast<int>(kLargestTextPixels);
}

}  // namespace

int QVI_WrapWidthInFontPixels(float drawnWidth, float scale)
{
    return ToTextPixels(static_cast<double>(drawnWidth) / scale);
}

TextGlyphLookup::~TextGlyphLookup()
{
    free(index_);
}

FontGlyph* TextGlyphLookup::Remember(int slot, uint32_t codePoint)
{
    FontGlyph* glyph = FindInFont(codePoint);
    used_[slot] = true, keys_[slot] = codePoint, glyphs_[slot] = glyph;
    return glyph;
}

FontGlyph* TextGlyphLookup::FindInFont(uint32_t codePoint)
{
    if (!index_ && (++scans_ <= kScansBeforeIndex || !BuildIndex()))
        return QVI_FindFontGlyph(font_, codePoint);
    for (uint32_t slot = (codePoint * 2654435761u) >> indexShift_;; slot = (slot + 1) & indexMask_) {
        const IndexEntry& entry = index_[slot];
        if (entry.glyph < 0)
            break;
        if (entry.codePoint == codePoint)
            return &font_->glyphs[entry.glyph];
    }
    // Not one of the font's own: the global glyph cache, as the scan falls back to it.
    return QVI_FindFontGlyph(font_, codePoint);
}

bool TextGlyphLookup::BuildIndex()
{
    // A font without a name finds nothing, and a font without glyphs has nothing to index.
    if (!font_ || !font_->header.name || !font_->glyphs || font_->glyphCount <= 0 ||
        font_->glyphCount > kLargestIndexedFont)
        return false;
    // At most half full, so that a missing code point meets an empty entry soon.
    int bits = 4;
    while ((1 << bits) < 2 * static_cast<int64_t>(font_->glyphCount))
        ++bits;
    index_ = static_cast<IndexEntry*>(malloc(sizeof(IndexEntry) << bits));
    if (!index_)
        return false;
    indexMask_ = (1u << bits) - 1;
    indexShift_ = 32 - bits;
    memset(index_, 0xFF, sizeof(IndexEntry) << bits);
    for (int i = 0; i < font_->glyphCount; ++i) {
        const uint32_t codePoint = font_->glyphs[i].codePoint;
        uint32_t slot = (codePoint * 2654435761u) >> indexShift_;
        while (index_[slot].glyph >= 0 && index_[slot].codePoint != codePoint)
            slot = (slot + 1) & indexMask_;
        // The first glyph of a code point is kept.
        if (index_[slot].glyph < 0)
            index_[slot] = IndexEntry{codePoint, i};
    }
    return true;
}

const char* QVI_FindTagEnd(const char* tag)
{
    return tag ? strchr(tag, '|') : nullptr;
}

const uint32_t* QVI_FindTagEndUTF32(const uint32_t* tag)
{
    for (; tag && *tag; ++tag) {
        if (*tag == '|')
            return tag;
    }
    return nullptr;
}

bool QVI_CopyTagUTF32(const uint32_t* tag, const uint32_t* end, char out[kMaxTagValue + 1])
{
    if (end - tag >= kMaxTagValue) {
        out[0] = 0;
        return false;
    }
    int n = 0;
    for (; tag < end; ++tag)
        out[n++] = *tag < 256 ? static_cast<char>(*tag) : '?';
    out[n] = '|';  // the attribute reader stops at the closing '|'
    out[n + 1] = 0;
    return true;
}

int QVI_ImageTagWidth(Font* font, const char* tag)
{
    float scale = 1.0f;
    Bitmap* image = QVI_ParseTextTag(tag, nullptr, nullptr, &scale, nullptr, nullptr);
    return image ? ToTextPixels(image->width * (static_cast<double>(scale) / QVI_FontScale(font))) : 0;
}

namespace {

// The width of the word at text as QVI_MeasureWord gives it; *plain tells whether the word
// is glyphs alone (no '|' in it), *end where measuring stopped.
int MeasureWordAt(Font* font, const char* text, bool* plain, const char** end)
{
    int width = 0;
    unsigned prev = 0;
    const char* p = text;
    *plain = true;
    while (*p && !IsBlank(*p) && *p != '\n') {
        if (*p == '|')
            *plain = false;
        if (p[0] == '|' && p[1] == '|') {
            width += LatinCharacterWidth(font, '|', prev);
            prev = '|';
            p += 2;
            continue;
        }
        if (p[0] == '|') {
            const char* end = QVI_FindTagEnd(p + 1);
            if (!end)
                break;
            if (IsImageTag(p + 1)) {
                width += QVI_ImageTagWidth(font, p + 1);
                prev = 0;
            }
            p = end + 1;
            if (*p == 0 || *p == ' ')
                break;
            continue;
        }
        const unsigned char c = static_cast<unsigned char>(*p++);
        width += LatinCharacterWidth(font, c, prev);
        prev = c;
    }
    *end = p;
    return width;
}

}  // namespace

int QVI_MeasureWord(Font* font, const char* text)
{
    bool plain;
    const char* end;
    return MeasureWordAt(font, text, &plain, &end);
}

int QVI_BreakTextLines(Font* font, int maxWidth, char* text, char** lineStarts, int32_t* lineWidths, int maxLines)
{
    if (!font || !text || !lineStarts || !lineWidths || maxLines < 1)
        return 0;
    const int blank = GlyphAdvance(QVI_LatinGlyph(font, ' '));
    int lines = 1;
    lineStarts[0] = text;
    int32_t width = 0;
    unsigned prev = 0;
    char* p = text;
    for (;;) {
        const unsigned char c = static_cast<unsigned char>(*p);
        if (c == 0)
            break;
        if (IsBlank(c) || c == '\n') {
            bool plain;
            const char* wordEnd;
            const int word = MeasureWordAt(font, p + 1, &plain, &wordEnd);
            if (c == '\n' || static_cast<int64_t>(blank) + word + width >= maxWidth) {
                if (!EndLine(p, lineStarts, lineWidths, &lines, maxLines, &width))
                    return lines;
                prev = 0;
                ++p;
                continue;
            }
            if (plain && wordEnd > p + 1) {
                // A word of glyphs alone stays on the line as measured, save that its first
                // glyph is kerned against the blank instead of against nothing.
                width += LatinCharacterWidth(font, c, prev);
                const unsigned char first = static_cast<unsigned char>(p[1]);
                const FontGlyph* firstGlyph = QVI_LatinGlyph(font, first);
                width += word - QVI_GlyphKerning(font, firstGlyph, 0) + QVI_GlyphKerning(font, firstGlyph, c);
                prev = static_cast<unsigned char>(wordEnd[-1]);
                p = const_cast<char*>(wordEnd);
                continue;
            }
        } else if (c == '|' && p[1] != '|') {
            char* end = const_cast<char*>(QVI_FindTagEnd(p + 1));
            if (!end)
                break;  // an unterminated tag ends the text
            if (IsImageTag(p + 1)) {
                width += QVI_ImageTagWidth(font, p + 1);
                prev = 0;
            } else if (strncmp(p + 1, "scale", 5) == 0) {
                if (g_core.developerMode)
                    QVI_ReportPopup(QV_LOG_WARNING, "|scale=x| tag is deprecated. Remove all references to it.");
                const float scale = DeprecatedTagScale(p + 1);
                if (scale > 0.0f && std::isfinite(scale))
                    maxWidth = ToTextPixels(maxWidth / static_cast<double>(scale));
            }
            p = end + 1;
            continue;
        }
        // A character: "||" is the '|' glyph.
        width += LatinCharacterWidth(font, c, prev);
        prev = c;
        p += (c == '|') ? 2 : 1;
        while (*p == '\n') {
            if (!EndLine(p, lineStarts, lineWidths, &lines, maxLines, &width))
                return lines;
            prev = 0;
            ++p;
        }
    }
    lineWidths[lines - 1] = width;
    return lines;
}

namespace {

// The width of the word at text as QVI_MeasureWordUTF32 gives it; *plain tells whether the
// word is glyphs alone that never break a line (no '|', nothing past kBreakAnywhereAbove),
// *end where measuring stopped.
int MeasureWordUTF32At(TextGlyphLookup* lookup, Font* font, const uint32_t* text, bool* plain,
                       const uint32_t** end)
{
    int width = 0;
    const uint32_t* p = text;
    *plain = true;
    while (*p && *p != ' ' && *p != '\n') {
        if (*p == '|')
            *plain = false;
        if (p[0] == '|' && p[1] != '|') {
            const uint32_t* end = QVI_FindTagEndUTF32(p + 1);
            if (!end)
                break;
            char tag[kMaxTagValue + 1];
            if ((p[1] == 'i' || p[1] == 'I') && QVI_CopyTagUTF32(p + 1, end, tag))
                width += QVI_ImageTagWidth(font, tag);
            p = end + 1;
            if (*p == 0 || *p == ' ')
                break;
            continue;
        }
        const uint32_t c = *p;
        p += (c == '|') ? 2 : 1;
        const FontGlyph* glyph = lookup->Find(c);
        width += GlyphAdvance(glyph);
        if (c > kBreakAnywhereAbove || (glyph && glyph->codePoint > kBreakAnywhereAbove))
            *plain = false;
        if (c > kBreakAnywhereAbove)
            break;
    }
    *end = p;
    return width;
}

}  // namespace

int QVI_MeasureWordUTF32(TextGlyphLookup* lookup, Font* font, const uint32_t* text)
{
    bool plain;
    const uint32_t* end;
    return MeasureWordUTF32At(lookup, font, text, &plain, &end);
}

int QVI_MeasureWordUTF32(Font* font, const uint32_t* text)
{
    if (!font || !text)
        return 0;
    TextGlyphLookup lookup(font);
    return QVI_MeasureWordUTF32(&lookup, font, text);
}

int QVI_BreakTextLinesUTF32(TextGlyphLookup* lookup, Font* font, int maxWidth, uint32_t* text,
                            uint32_t** lineStarts, int32_t* lineWidths, int maxLines)
{
    if (!font || !text || !lineStarts || !lineWidths || maxLines < 1)
        return 0;
    const FontGlyph* blankGlyph = lookup->Find(' ');
    const int blank = blankGlyph ? blankGlyph->advance : kMissingBlankAdvance;
    int lines = 1;
    lineStarts[0] = text;
    int32_t width = 0;
    uint32_t* p = text;
    while (*p) {
        const uint32_t c = *p;
        if (c == ' ') {
            bool plain;
            const uint32_t* wordEnd;
            const int word = MeasureWordUTF32At(lookup, font, p + 1, &plain, &wordEnd);
            if (static_cast<int64_t>(word) + blank + width < maxWidth) {
                width += blank;
                if (plain) {
                    // Glyphs alone, none of which may break: the word stays whole as measured.
                    width += word;
                    p = const_cast<uint32_t*>(wordEnd);
                    continue;
                }
            } else if (!EndLine(p, lineStarts, lineWidths, &lines, maxLines, &width)) {
                return lines;
            }
            ++p;
            continue;
        }
        if (c == '\n') {
            if (!EndLine(p, lineStarts, lineWidths, &lines, maxLines, &width))
                return lines;
            ++p;
            continue;
        }
        if (c == '|' && p[1] != '|') {
            const uint32_t* end = QVI_FindTagEndUTF32(p + 1);
            if (!end) {
                *p = 0;  // an unterminated tag ends the text
                break;
            }
            char tag[kMaxTagValue + 1];
            if ((p[1] == 'i' || p[1] == 'I') && QVI_CopyTagUTF32(p + 1, end, tag))
                width += QVI_ImageTagWidth(font, tag);
            p = const_cast<uint32_t*>(end) + 1;
            continue;
        }
        const FontGlyph* glyph = lookup->Find(c);
        const int step = (c == '|') ? 2 : 1;
        if (!glyph) {
            p += step;
            continue;
        }
        // Scripts without blanks break before the character that reaches the wrap width,
        // but never before closing punctuation; a line that holds nothing yet keeps it.
        if (width > 0 && static_cast<int64_t>(width) + glyph->advance >= maxWidth &&
            glyph->codePoint > kBreakAnywhereAbove && c != kIdeographicFullStop && c != kFullwidthComma &&
            c != '.' && c != ',') {
            lineWidths[lines - 1] = width;
            if (lines >= maxLines) {
                *p = 0;
                return lines;
            }
            // The buffer has room for one inserted line end per line.
            size_t rest = 0;
            while (p[rest])
                ++rest;
            memmove(p + 1, p, (rest + 1) * sizeof(uint32_t));
            *p = 0;
            lineStarts[lines++] = ++p;
            width = 0;
        }
        width += glyph->advance;
        p += step;
    }
    lineWidths[lines - 1] = width;
    return lines;
}

int QVI_BreakTextLinesUTF32(Font* font, int maxWidth, uint32_t* text, uint32_t** lineStarts, int32_t* lineWidths,
                            int maxLines)
{
    if (!font)
        return 0;
    TextGlyphLookup lookup(font);
    return QVI_BreakTextLinesUTF32(&lookup, font, maxWidth, text, lineStarts, lineWidths, maxLines);
}

void QVI_MeasureTextLines(Font* font, char* text, float* width, float* height)
{
    float w = 0.0f, h = 0.0f;
    if (font && font->height > 0 && text && *text) {
        float scaleX, scaleY;
        QVI_GetTextScale(&scaleX, &scaleY);
        const float fontScale = QVI_FontScale(font);
        const int wrap = QVI_WrapWidthInFontPixels(QVI_GetTextWrapWidth(), scaleX * fontScale);
        static_assert(kMaxTextLines == 1024, "line tables");
        int32_t widths[kMaxTextLines];
        int lines = 0;
        if (font->isUTF8) {
            const int length = static_cast<int>(strlen(text));
            uint32_t* codePoints = QVI_ConvertUTF8ToUTF32(text, length + kMaxTextLines);
            if (codePoints) {
                uint32_t* starts[kMaxTextLines];
                lines = QVI_BreakTextLinesUTF32(font, wrap, codePoints, starts, widths, kMaxTextLines - 1);
                free(codePoints);
            }
        } else {
            char* starts[kMaxTextLines];
            lines = QVI_BreakTextLines(font, wrap, text, starts, widths, kMaxTextLines);
        }
        int32_t widest = 0;
        for (int i = 0; i < lines; ++i)
            widest = widths[i] > widest ? widths[i] : widest;
        if (lines > 0) {
            w = scaleX * fontScale * static_cast<float>(widest);
            const int first = font->height > font->lineSpacing ? font->height : font->lineSpacing;
            h = (static_cast<float>(first) + static_cast<float>(lines - 1) * font->lineSpacing) * scaleY;
        }
    }
    if (width)
        *width = w;
    if (height)
        *height = h;
}
