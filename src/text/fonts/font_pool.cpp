// The font pool: 32 records found by name and counted by reference, their loading from
// .mft files (or from the font's source through generation) and their release.
#include "text/fonts/font_pool.h"

#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "data/datamanager/database.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "quaven/api.h"
#include "quaven/filesystem.h"
#include "text/generation/font_generation.h"
#include "text/text_api.h"

namespace {

Font g_fonts[kFontPoolSize];
int32_t g_fontHighWater = 0;

const int kGlyphsOfNewFont = 256;

const char* NameOf(const Font* font)
{
    return font && font->header.name ? font->header.name : "null";
}

Font* FindFont(const char* name, uint32_t hash)
{
    for (int32_t i = 0; i < g_fontHighWater; ++i) {
        Font* font = &g_fonts[i];
        if (font->header.name && font->header.hash == hash && strcmp(font->header.name, name) == 0)
            return font;
    }
    return nullptr;
}

// GetFont counts one reference per font, once; LoadFont one per call.
Font* GetOrCreate(const char* name, bool referencePerCall)
{
    if (!name)
        name = "";
    const uint32_t hash = QVI_HashString(name);
    EngineLockHold pool(MUTEX_GET_FONT);
    if (Font* found = FindFont(name, hash)) {
        if (name[0] != '!') {
            if (referencePerCall) {
                ++found->header.refCount;
                if (g_core.traceReferenceCounts)
                    QVI_Report(QV_LOG_INFO, "'%s' ref count++: now %d", name, found->header.refCount);
            } else if (!(found->flags & FONT_FROM_GET_FONT)) {
                ++found->header.refCount;
                // The next release that reaches zero is the one that gives this back.
                found->flags |= FONT_FROM_GET_FONT;
                if (g_core.traceReferenceCounts)
                    QVI_Report(QV_LOG_INFO, "'%s' ref count++ (GetFont): now %d", name, found->header.refCount);
            }
        }
        return found;
    }
    Font* font = QVI_AllocateFontRecord(name);
    if (!font)
        return nullptr;
    if (!referencePerCall)
        font->flags |= FONT_FROM_GET_FONT;
    if (g_core.traceReferenceCounts)
        QVI_Report(QV_LOG_INFO, referencePerCall ? "'%s' ref count = 1" : "'%s' ref count = 1 (GetFont)", name);
    pool.Release();

    if (g_core.developerMode && qv && qv->fileSystem) {
        FileInfo info = {};
        if (qv->fileSystem->GetFileInfo(name, &info))
            font->fileTime = info.modified;
    }
    QVI_Report(QV_LOG_INFO, referencePerCall ? "..caching font '%s' " : "..caching font '%s'", name);
    // Fonts are drawn, never read back: the texture is what the record keeps, as GetBitmap does.
    font->cacheMode = QV_CACHE_TEXTURE;
    QVI_AllocateFontGlyphs(font, kGlyphsOfNewFont);
    if (qv && qv->ReloadFont)
        qv->ReloadFont(font);
    else
        QV_ReloadFont(font);
    return font;
}

// The manifests' entry for a resource name, newest manifest first.
const DataNode* FindManifestNode(const char* name)
{
    const Array<DataArray*>& manifests = g_config.manifestArrays;
    for (int i = 0; i < manifests.count; ++i) {
        if (const DataNode* node = manifests.data[i] ? manifests.data[i]->FindNode(name) : nullptr)
            return node;
    }
    return nullptr;
}

// A manifest height draws the font at that size, whatever its glyphs were made at.
void ApplyManifestHeight(Font* font, const char* name)
{
    if (font->height <= 1 || (font->flags & FONT_DISTANCE_FIELD))
        return;
    const DataNode* node = FindManifestNode(name);
    const char* text = node ? node->GetParameter("h") : nullptr;
    const int h = text ? atoi(text) : 0;
    if (h <= 1)
        return;
    font->scale = static_cast<float>(h) / static_cast<float>(font->height);
    font->height = h;
    font->lineSpacing = static_cast<int32_t>(font->lineSpacing * font->scale);
    font->baseline = static_cast<int32_t>(font->baseline * font->scale);
}

// Every glyph image is a plain 2D RGBA texture without mip levels, whatever made it.
void SetGlyphImageFormats(Font* font)
{
    for (int i = 0; font->glyphs && i < font->glyphCount; ++i) {
        Bitmap& image = font->glyphs[i].image;
        image.depth = 1;
        image.format = QV_TEXTURE_FORMAT_RGBA8;
        image.textureType = QV_TEXTURE_TYPE_2D;
        image.mipLevels = 1;
    }
}

// Reference counting off: the font and everything it holds go, and the record is free.
void DestroyFont(Font* font)
{
    QVI_Report(QV_LOG_INFO, "Releasing font '%s'...", NameOf(font));
    QVI_ForgetGlobalGlyphs(font);
    QVI_DropFontUpload(font);
    // The frame may be uploading the atlas right now: it finishes first.
    QVI_LockFont(font);
    // Glyphs uploaded one by one own their textures; packed ones borrow the atlas's.
    if (font->atlas.width == 0 && QVI_IsBitmapRendererThread()) {
        for (int i = 0; font->glyphs && i < font->glyphCount; ++i) {
            Bitmap& image = font->glyphs[i].image;
            if (image.hardware.loaded && !image.sharedWith)
                QVI_CallRendererToFreeBitmap(&image.hardware);
        }
    }
    QVI_FreeFontGlyphs(font);
    QVI_ReleaseFontAtlas(font);
    free(font->header.name);
    // The name goes before the lock: a frame that waited for it finds the record free.
    memset(font, 0, offsetof(Font, locked));
    memset(&font->fileTime, 0, sizeof(*font) - offsetof(Font, fileTime));
    QVI_UnlockFont(font);
}

}  // namespace

Font* QVI_AllocateFontRecord(const char* name)
{
    int32_t position = g_fontHighWater;
    for (int32_t i = 0; i < g_fontHighWater; ++i) {
        if (!g_fonts[i].header.name) {
            position = i;
            break;
        }
    }
    if (position >= kFontPoolSize) {
        QVI_ReportPopup(QV_LOG_WARNING, "Out of free fonts.");
        return nullptr;
    }
    if (position == g_fontHighWater)
        ++g_fontHighWater;
    Font* font = &g_fonts[position];
    memset(font, 0, sizeof(*font));
    font->header.name = QVI_StrDup(name ? name : "");
    font->header.hash = name ? QVI_HashString(font->header.name) : 0;
    font->header.type = kFontResourceType;
    font->header.slot = position;
    font->header.refCount = 1;
    font->scale = 1.0f;
    return font;
}

Font* QVI_GetPooledFont(int slot)
{
    return slot >= 0 && slot < g_fontHighWater ? &g_fonts[slot] : nullptr;
}

int QVI_GetPooledFontCount()
{
    return g_fontHighWater;
}

Font* QVI_GetFont(const char* name)
{
    return GetOrCreate(name, false);
}

Font* QVI_LoadFont(const char* name)
{
    return GetOrCreate(name, true);
}

bool QVI_LoadFontFile(Font* font, const char* name)
{
    if (!font)
        return false;
    if (!name)
        name = "";
    bool generated = false;
    bool loaded = false;
    for (;;) {
        if (strstr(name, "!NONE")) {
            loaded = true;
            break;
        }
        const bool fontFile = strstr(name, ".mft") != nullptr;
        if (fontFile && QVI_ReadFontFile(font)) {
            loaded = true;
            break;
        }
        if (generated) {
            QVI_Report(QV_LOG_INFO, "Failed: bad or unfound font file '%s'", name);
            break;
        }
        if (!QVI_GenerateFontFromSource(font)) {
            QVI_Report(QV_LOG_INFO, "Failed: bad or unfound font file '%s'", name);
            break;
        }
        const char* path = QVI_ResolveFilePath(name, false);
        if (path) {
            if (qv && qv->SaveFont)
                qv->SaveFont(font, path);
            else
                QV_SaveFont(font, path);
        }
        // A ".mft" name is read back from the file just written. Any other name has no font
        // file to read: the next pass fails it, and the generated glyphs stay in the record
        // for the atlas.
        generated = true;
    }
    if (loaded) {
        ApplyManifestHeight(font, name);
        QVI_Report(QV_LOG_INFO, "Font size %dpx.", font->height);
    }
    SetGlyphImageFormats(font);
    return loaded;
}

Font* QV_GetFont(const char* name)
{
    return QVI_GetFont(name);
}

Font* QV_LoadFont(const char* name)
{
    return QVI_LoadFont(name);
}

bool QV_ReloadFont(Font* font)
{
    if (!font || !font->header.name) {
        QVI_Report(QV_LOG_WARNING, "QV_ReloadFont: font is %s.", font ? "released" : "null");
        return false;
    }
    // Loading frees and replaces the glyphs that the frame's upload and a renderer
    // re-creation read: the font's locked byte is held from the load through the new atlas.
    QVI_LockFont(font);
    if (!QVI_LoadFontFile(font, font->header.name))
        QVI_ReportPopup(QV_LOG_WARNING, "Unable to load font '%s'.", font->header.name);
    const bool packed = QVI_RecreateHeldFontAtlas(font);
    QVI_UnlockFont(font);
    return packed;
}

void QV_ReleaseFont(Font* font)
{
    if (!font) {
        QVI_ReportPopup(QV_LOG_WARNING, "Trying to release a null font.");
        return;
    }
    EngineLockHold pool(MUTEX_GET_FONT);
    if (!font->header.name) {
        QVI_Report(QV_LOG_WARNING, "Trying to release a font that was released already.");
        return;
    }
    if (!g_core.referenceCounting) {
        DestroyFont(font);
        return;
    }
    --font->header.refCount;
    if (g_core.traceReferenceCounts)
        QVI_Report(QV_LOG_INFO, "ReleaseFont '%s' ref count--: now %d", NameOf(font), font->header.refCount);
    if ((font->flags & FONT_FROM_GET_FONT) && font->header.refCount == 0)
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Releasing font '%s' too many times: ref counting will get messed up. NOTE: font has been "
                        "accessed using GetFont which increses ref count by 1 once.",
                        NameOf(font));
    if (font->header.refCount == 0) {
        QVI_Report(QV_LOG_INFO, "Hibernating Font '%s'..", NameOf(font));
    } else if (font->header.refCount < 0) {
        font->header.refCount = 0;
        QVI_ReportPopup(QV_LOG_WARNING, "Font '%s' reference count less than zero.", NameOf(font));
    }
}

bool QV_SaveFont(Font* font, const char* path)
{
    return QVI_SaveFontFile(font, path);
}
