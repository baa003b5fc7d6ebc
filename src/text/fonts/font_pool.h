#pragma once

#include <cstdint>

#include "text/fonts/font_record.h"

// The font pool (32 records under the GET_FONT lock), the .mft font files, the atlas and its
// upload, and the global glyph cache that draws code points a UTF-8 font lacks.

// ---- The pool (font_pool.cpp) ----

Font* QVI_GetFont(const char* name);   // one reference per font, counted once
Font* QVI_LoadFont(const char* name);  // one reference per call
// A free record, zeroed and named (null: ""), hash, type 3, slot, one reference, scale 1;
// null with "Out of free fonts." when all 32 are taken. The caller holds GET_FONT.
Font* QVI_AllocateFontRecord(const char* name);
// The record at slot, or null outside the used range; and the high-water count.
Font* QVI_GetPooledFont(int slot);
int QVI_GetPooledFontCount();
// Fills the record from the .mft file of that name, generating the file from the font's
// source ("<name>.xml") when needed; at most one generation per call. A name without ".mft"
// is generated and written but has no file to read: it fails, its generated glyphs kept.
bool QVI_LoadFontFile(Font* font, const char* name);

// ---- The glyph array (font_glyphs.cpp) ----

// Frees every glyph's pixels (not those of an image whose sharedWith is set: it borrows
// another glyph's) and kerning row, and the glyph array; glyphCount becomes 0.
void QVI_FreeFontGlyphs(Font* font);
// A zeroed glyph array of count records (count >= 0) in place of the old one.
bool QVI_AllocateFontGlyphs(Font* font, int count);

// ---- .mft files (font_file.cpp) ----

bool QVI_ReadFontFile(Font* font);
bool QVI_SaveFontFile(Font* font, const char* path);

// ---- The atlas (font_atlas.cpp) ----

// Packs the glyph images into the atlas and uploads it (or queues the upload); true unless
// the font is empty or the packing fails.
bool QVI_RecreateFontAtlas(Font* font);
// The same for a caller that holds the font's locked byte already.
bool QVI_RecreateHeldFontAtlas(Font* font);
// On a thread that may touch the renderer: uploads the atlas now and points every glyph
// image at its texture. Elsewhere: queues the font (once) for the frame.
void QVI_QueueFontUpload(Font* font);
// The frame's font pass: at most 10 queued fonts, each uploaded under its locked byte.
void QVI_ProcessFontUploadQueue();
// Fonts waiting in the upload queue; and a font taken out of it (a font given back).
int QVI_GetQueuedFontUploadCount();
void QVI_DropFontUpload(Font* font);
// The atlas's texture, pixels and name released; the glyph images forget the texture.
// The caller holds the font's locked byte.
void QVI_ReleaseFontAtlas(Font* font);
// The font's locked byte (changed under SHARED_BITMAP; waits in 1 ms sleeps while another
// thread holds it): held while the glyphs are loaded and the atlas is packed, uploaded or
// released.
void QVI_LockFont(Font* font);
void QVI_UnlockFont(Font* font);

// ---- The global glyph cache (global_glyph_cache.cpp) ----

// The glyph for a code point of a UTF-8 font, else one rendered from "global.ttf" into the
// cache; null (reported) when neither has it.
FontGlyph* QVI_FindFontGlyph(Font* font, uint32_t codePoint);
// Opens "global.ttf" (else "fonts/global.ttf") through FreeType; false leaves the cache off.
// A second call opens the face afresh.
bool InitializeGlobalFont();
// A font given back for good takes its cached glyphs with it, so that a font made later in
// the same record never draws them.
void QVI_ForgetGlobalGlyphs(Font* font);
// Renderer shutdown: the GPU data of every cached glyph image.
void QVI_ReleaseGlobalGlyphTextures();
