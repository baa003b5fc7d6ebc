// A font's atlas: its glyph images packed into one texture, uploaded on the renderer's
// thread or queued for the frame, and small letters a LATIN-1 font lacks drawn with their
// capitals.
#include "text/fonts/font_pool.h"

#include <cstdlib>
#include <cstring>

#include "core/array.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "quaven/api.h"
#include "text/text_api.h"

namespace {

// Fonts whose atlas waits for the main thread; each at most once. Guarded by RESOURCE_QUEUE.
Array<Font*> g_fontUploadQueue;

const int kMostPackedGlyphs = 4096;
const int kFontsPerFrame = 10;
const int kLatin1GlyphCount = 256;
const int kCaseDistance = 'a' - 'A';
// Packing a font needs no device; without one it is packed at the largest atlas and
// packed again when a renderer comes up.
const int kAtlasSideWithoutRenderer = 4096;

const char* NameOf(const Font* font)
{
    return font && font->header.name ? font->header.name : "null";
}

bool HasOwnPixels(const FontGlyph& glyph)
{
    return glyph.image.pixels && !glyph.image.sharedWith && glyph.image.width > 0 && glyph.image.height > 0;
}

// The glyph images show the atlas's texture (or forget it when it is gone).
void ShareAtlasTexture(Font* font)
{
    const BitmapHardwareData& atlas = font->atlas.hardware;
    for (int i = 0; font->glyphs && i < font->glyphCount; ++i) {
        BitmapHardwareData& image = font->glyphs[i].image.hardware;
        image.loaded = atlas.loaded;
        image.rendererData = atlas.rendererData;
        image.textureFullWidth = atlas.textureFullWidth;
        image.textureFullHeight = atlas.textureFullHeight;
    }
}

void ReleaseAtlasTexture(Font* font)
{
    if (font->atlas.hardware.loaded)
        QVI_ReleaseBitmapHardwareData(&font->atlas);
    ShareAtlasTexture(font);
}

void ReleaseAtlas(Font* font)
{
    ReleaseAtlasTexture(font);
    QVI_ReleaseBitmapResources(&font->atlas);
    free(font->atlas.header.name);
    memset(&font->atlas, 0, sizeof(font->atlas));
}

// A LATIN-1 font without small letters draws them with its capitals, kerned as the capitals.
void BorrowCapitals(Font* font)
{
    if (font->isUTF8 || font->glyphCount != kLatin1GlyphCount || !font->glyphs)
        return;
    FontGlyph* glyphs = font->glyphs;
    for (int small = 'a'; small <= 'z'; ++small) {
        const int capital = small - kCaseDistance;
        FontGlyph& target = glyphs[small];
        if (HasOwnPixels(target) || !HasOwnPixels(glyphs[capital]))
            continue;
        if (target.image.pixels && !target.image.sharedWith)
            free(target.image.pixels);
        int8_t* row = target.kerning;
        const uint32_t codePoint = target.codePoint;
        target = glyphs[capital];
        target.codePoint = codePoint;
        // The copy shows the capital's pixels: the capital alone frees them.
        target.image.sharedWith = &glyphs[capital].image;
        if (glyphs[capital].kerning) {
            if (!row)
                row = static_cast<int8_t*>(malloc(kLatin1GlyphCount));
            if (row)
                memcpy(row, glyphs[capital].kerning, kLatin1GlyphCount);
        } else {
            free(row);
            row = nullptr;
        }
        target.kerning = row;
        for (int i = 0; i < kLatin1GlyphCount; ++i) {
            if (glyphs[i].kerning)
                glyphs[i].kerning[small] = glyphs[i].kerning[capital];
        }
    }
}

bool MayUploadHere()
{
    if (QV_IsMainThread())
        return true;
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer && (renderer->GetThreadingCapabilities() & QV_THREADING_BITMAP_TEXTURES) != 0;
}

}  // namespace

void QVI_LockFont(Font* font)
{
    for (;;) {
        QVI_LockMutexById(MUTEX_SHARED_BITMAP);
        const bool taken = font->locked == 0;
        if (taken)
            font->locked = 1;
        QVI_UnlockMutexById(MUTEX_SHARED_BITMAP);
        if (taken)
            return;
        if (qv && qv->Sleep)
            qv->Sleep(1);
    }
}

void QVI_UnlockFont(Font* font)
{
    QVI_LockMutexById(MUTEX_SHARED_BITMAP);
    const bool wasLocked = font->locked != 0;
    font->locked = 0;
    QVI_UnlockMutexById(MUTEX_SHARED_BITMAP);
    if (!wasLocked && g_core.developerMode)
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_UnlockFont called on unlocked font ('%s').", NameOf(font));
}

namespace {

bool RecreateAtlas(Font* font)
{
    if (font->height <= 0) {
        // An empty font (one whose file was damaged, say) keeps no texture of glyphs it lost.
        if (font->atlas.pixels || font->atlas.hardware.loaded)
            ReleaseAtlas(font);
        return false;
    }
    Array<Bitmap*> images;
    for (int i = 0; font->glyphs && i < font->glyphCount; ++i) {
        if (!HasOwnPixels(font->glyphs[i]))
            continue;
        images.Add(&font->glyphs[i].image);
        if (images.count == kMostPackedGlyphs) {
            QVI_ReportPopup(QV_LOG_WARNING,
                            "QVI_RecreateFontAtlas too many glyphs (%d) in font '%s' for bitmap buffer. Ignoring some "
                            "of them.",
                            font->glyphCount, NameOf(font));
            break;
        }
    }
    ReleaseAtlasTexture(font);
    if (images.count == 0) {
        // Nothing to draw (a font of blanks): no atlas, and nothing failed.
        BorrowCapitals(font);
        return true;
    }
    int side = QV_Graphics_GetMaximumTextureSize();
    if (side <= 0)
        side = kAtlasSideWithoutRenderer;
    if (!QVI_PackBitmaps(&font->atlas, images.data, images.count, side, side)) {
        QVI_Report(QV_LOG_WARNING, "Font '%s': its %d glyph images do not fit one atlas.", NameOf(font),
                   images.count);
        return false;
    }
    font->atlas.state = BITMAP_LOADING;
    QVI_QueueFontUpload(font);
    BorrowCapitals(font);
    return true;
}

}  // namespace

bool QVI_RecreateFontAtlas(Font* font)
{
    if (!font || !font->header.name)
        return false;
    // The frame may be uploading this atlas from the pixels about to be packed anew.
    QVI_LockFont(font);
    const bool packed = RecreateAtlas(font);
    QVI_UnlockFont(font);
    return packed;
}

bool QVI_RecreateHeldFontAtlas(Font* font)
{
    return font && font->header.name && RecreateAtlas(font);
}

void QVI_QueueFontUpload(Font* font)
{
    if (!font || !font->header.name)
        return;
    if (MayUploadHere()) {
        // Uploaded already (a queued font that renderer set-up has packed again meanwhile).
        if (font->atlas.hardware.loaded || !font->atlas.pixels)
            return;
        if (!QVI_RegainRenderer())
            return;
        QVI_UploadBitmap(&font->atlas);
        if (!font->atlas.hardware.loaded)
            return;
        ShareAtlasTexture(font);
        font->atlas.state = BITMAP_READY;
        return;
    }
    EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
    if (g_fontUploadQueue.Contains(font)) {
        QVI_Report(QV_LOG_WARNING, "Font '%s' already exists in upload queue, not adding twice.", NameOf(font));
        return;
    }
    g_fontUploadQueue.Add(font);
}

void QVI_ProcessFontUploadQueue()
{
    Array<Font*> pending;
    {
        EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
        if (g_fontUploadQueue.count == 0)
            return;
        pending = g_fontUploadQueue;
    }
    for (int i = 0; i < pending.count && i < kFontsPerFrame; ++i) {
        Font* font = pending.data[i];
        // A font released since it was queued has lost its name: it only leaves the queue.
        if (font->header.name) {
            QVI_LockFont(font);
            QVI_QueueFontUpload(font);
            QVI_UnlockFont(font);
        }
        EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
        g_fontUploadQueue.Remove(font);
    }
}

int QVI_GetQueuedFontUploadCount()
{
    EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
    return g_fontUploadQueue.count;
}

void QVI_DropFontUpload(Font* font)
{
    EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
    while (g_fontUploadQueue.Remove(font)) {
    }
}

void QVI_ReleaseFontAtlas(Font* font)
{
    if (font)
        ReleaseAtlas(font);
}

void QVI_RecreateFontAtlases()
{
    const int count = QVI_GetPooledFontCount();
    for (int slot = 0; slot < count; ++slot) {
        Font* font = QVI_GetPooledFont(slot);
        if (font && font->header.name)
            QVI_RecreateFontAtlas(font);
    }
}

void QVI_ReleaseFontShaderAndGlyphData()
{
    // The shader pool releases its own renderer objects; fonts and the glyph cache are here.
    const int count = QVI_GetPooledFontCount();
    for (int slot = 0; slot < count; ++slot) {
        Font* font = QVI_GetPooledFont(slot);
        if (font && font->header.name) {
            // A game thread may be packing this atlas again (and releasing its texture).
            QVI_LockFont(font);
            ReleaseAtlasTexture(font);
            QVI_UnlockFont(font);
        }
    }
    QVI_ReleaseGlobalGlyphTextures();
}
