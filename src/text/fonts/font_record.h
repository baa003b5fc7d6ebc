#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/bitmap.h"
#include "quaven/types.h"

// A bitmap font: glyph images with their metrics, packed into one atlas texture. The game
// holds these by pointer only; the layout is fixed because tools and the console read it.

struct FontGlyph {
    uint32_t codePoint;  // Unicode code point (UTF-8 fonts); a LATIN-1 glyph's index is its byte
    float offsetY;       // from the line's top to the top of the image, in font pixels
    int16_t offsetX;     // from the pen position to the image's left edge
    int16_t advance;     // how far the pen moves after this glyph
    int8_t* kerning;     // glyphCount signed bytes: entry p is added after glyph p; null for none
    Bitmap image;        // RGBA pixels; after packing, its texture rectangle lies in the atlas
};

enum FontFlags : uint8_t {
    FONT_FROM_GET_FONT = 1,   // GetFont has counted its one reference
    FONT_DISTANCE_FIELD = 2,
};

struct Font {
    ResourceHeader header;  // name, hash, type 3, slot, reference count
    uint8_t cacheMode;      // the default bitmap cache mode when the record was made
    uint8_t locked;         // held while the main thread uploads the atlas
    uint8_t padding22[2];
    uint32_t fileTime;      // developer mode: modification time of the font's file
    uint8_t flags;          // FontFlags
    uint8_t isUTF8;         // 0: LATIN-1, glyphs indexed by byte
    uint8_t padding30[2];
    int32_t baseline;       // from the top of a line to the baseline
    int32_t height;         // line height; 0 or less draws nothing
    int32_t lineSpacing;    // from one line's top to the next
    FontGlyph* glyphs;
    int32_t glyphCount;
    Bitmap atlas;           // every glyph image, packed; one texture for the whole font
    float scale;            // drawn size / glyph image size
    float smoothing;        // distance-field smoothing
    float spread;           // distance-field spread in pixels; above 0 for distance-field fonts
    uint8_t reserved[12];
};

const int kFontPoolSize = 32;
const uint32_t kFontResourceType = 3;

static_assert(sizeof(void*) != 4 || sizeof(FontGlyph) == 148, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(FontGlyph, offsetY) == 4, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(FontGlyph, offsetX) == 8, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(FontGlyph, advance) == 10, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(FontGlyph, kerning) == 12, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(FontGlyph, image) == 16, "FontGlyph layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, cacheMode) == 20, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, locked) == 21, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, fileTime) == 24, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, flags) == 28, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, isUTF8) == 29, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, baseline) == 32, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, height) == 36, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, lineSpacing) == 40, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, glyphs) == 44, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, glyphCount) == 48, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, atlas) == 52, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, scale) == 184, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, smoothing) == 188, "Font layout");
static_assert(sizeof(void*) != 4 || offsetof(Font, spread) == 192, "Font layout");
static_assert(sizeof(void*) != 4 || sizeof(Font) == 208, "Font layout");
