// The glyph array of a font record: allocation and release, shared by the .mft reader,
// font generation and ReleaseFont.
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "text/fonts/font_pool.h"

void QVI_FreeFontGlyphs(Font* font)
{
    if (!font || !font->glyphs)
        return;
    for (int i = 0; i < font->glyphCount; ++i) {
        FontGlyph& glyph = font->glyphs[i];
        // A small letter drawn with its capital's image points at the capital's pixels.
        if (!glyph.image.sharedWith)
            free(glyph.image.pixels);
        free(glyph.kerning);
    }
    free(font->glyphs);
    font->glyphs = nullptr;
    font->glyphCount = 0;
}

bool QVI_AllocateFontGlyphs(Font* font, int count)
{
    if (!font)
        return false;
    QVI_FreeFontGlyphs(font);
    if (count < 0) {
        QVI_Report(QV_LOG_WARNING, "Font '%s': glyph count %d refused.", font->header.name ? font->header.name : "",
                   count);
        return false;
    }
    if (count == 0)
        return true;
    font->glyphs = static_cast<FontGlyph*>(calloc(static_cast<size_t>(count), sizeof(FontGlyph)));
    if (!font->glyphs) {
        QVI_Report(QV_LOG_ERROR, "Font '%s': no memory for %d glyphs.", font->header.name ? font->header.name : "",
                   count);
        return false;
    }
    font->glyphCount = count;
    return true;
}
