// The global glyph cache: code points a UTF-8 font lacks, rendered at the font's height
// from the global TrueType font "global.ttf" and kept per font for the whole run. Text is
// measured on game threads, so the cache and the FreeType face are used under GET_FONT.
#include "text/fonts/font_pool.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/array.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "core/engine_time.h"
#include "core/locks.h"
#include "filesystem/open_files.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/graphics_api.h"
#include "quaven/api.h"
#include "quaven/filesystem.h"
#include "text/generation/font_generation.h"
#include "text/text_api.h"

namespace {

struct GlyphList {
    Font* key;
    Array<FontGlyph*> glyphs;
};

struct GlobalGlyphCache {
    Array<GlyphList*> lists;
    uint8_t ready;
    FT_Library library;
    FT_Face face;
    String path;
    uint8_t* fileData;
    int32_t fileSize;
};

GlobalGlyphCache g_glyphCache;

const int kLargestPixelSize = 65535;
// Without a renderer to ask: the side of the largest atlas.
const int kLargestUnknownTexture = 4096;
const uint32_t kIdeographicFullStop = 0x3002;
const uint32_t kFullwidthComma = 0xFF0C;

GlyphList* FindList(GlobalGlyphCache& cache, const Font* font)
{
    for (int i = 0; i < cache.lists.count; ++i) {
        if (cache.lists.data[i]->key == font)
            return cache.lists.data[i];
    }
    return nullptr;
}

// The face and its file go together; a second start opens them afresh.
void CloseFace(GlobalGlyphCache& cache)
{
    if (cache.face)
        FT_Done_Face(cache.face);
    cache.face = nullptr;
    free(cache.fileData);
    cache.fileData = nullptr;
    cache.fileSize = 0;
    cache.ready = 0;
}

uint8_t* ReadFontFile(const char* path, int32_t* size)
{
    FileHandle* file = qv->fileSystem->OpenFile(path, "r");
    if (!file)
        return nullptr;
    uint64_t length = 0;
    uint8_t* data = QVI_ReadWholeFile(file, &length);
    qv->fileSystem->CloseFile(file);
    if (!data || length == 0 || length > INT32_MAX) {
        free(data);
        return nullptr;
    }
    *size = static_cast<int32_t>(length);
    return data;
}

// The glyph image is a texture of its own, so that it uploads and draws like any bitmap;
// its pixels stay for the next device.
void PrepareImage(Bitmap& image, uint32_t codePoint)
{
    char name[48];
    snprintf(name, sizeof name, "!global glyph U+%04X", static_cast<unsigned>(codePoint));
    image.header.name = QVI_StrDup(name);
    image.header.hash = QVI_HashString(name);
    image.header.type = 1;
    image.header.refCount = 1;
    image.cacheMode = QV_CACHE_PIXELS_AND_TEXTURE;
    image.depth = 1;
    image.format = QV_TEXTURE_FORMAT_RGBA8;
    image.textureType = QV_TEXTURE_TYPE_2D;
    image.mipLevels = 1;
    image.textureWidth = image.width;
    image.textureHeight = image.height;
    image.state = BITMAP_READY;
    if (image.pixels)
        image.flags |= kBitmapHasAlpha;
}

FontGlyph* GenerateGlobalFontGlyph(GlobalGlyphCache& cache, uint32_t codePoint, float sizePx)
{
    QVI_Report(QV_LOG_INFO, "Adding glyph unicode %d.", static_cast<int>(codePoint));
    int pixels = sizePx >= kLargestPixelSize ? kLargestPixelSize : static_cast<int>(sizePx);
    pixels = pixels < 1 ? 1 : pixels;
    // A glyph larger than a texture could never be drawn; a damaged font's height must not
    // make FreeType render one.
    int largest = QV_Graphics_GetMaximumTextureSize();
    largest = largest > 0 && largest < kLargestPixelSize ? largest : kLargestUnknownTexture;
    if (pixels > largest) {
        QVI_Report(QV_LOG_WARNING, "GenerateGlobalFontGlyph: size %dpx is past the largest texture, %dpx taken.",
                   pixels, largest);
        pixels = largest;
    }
    FT_Error error = FT_Set_Pixel_Sizes(cache.face, static_cast<FT_UInt>(pixels), static_cast<FT_UInt>(pixels));
    if (error)
        QVI_ReportPopup(QV_LOG_WARNING, "GenerateGlobalFontGlyph::FT_Set_Pixel_Sizes error %d", error);
    FT_Set_Transform(cache.face, nullptr, nullptr);

    FontGlyph* glyph = static_cast<FontGlyph*>(calloc(1, sizeof(FontGlyph)));
    if (!glyph) {
        QVI_Report(QV_LOG_ERROR, "GenerateGlobalFontGlyph: no memory for unicode %d.", static_cast<int>(codePoint));
        return nullptr;
    }
    glyph->codePoint = codePoint;
    error = FT_Load_Char(cache.face, codePoint, FT_LOAD_RENDER);
    if (error)
        QVI_ReportPopup(QV_LOG_WARNING, "GenerateGlobalFontGlyph::FT_Load_Char unicode %d error %d",
                        static_cast<int>(codePoint), error);
    const FT_GlyphSlot slot = cache.face->glyph;
    const FT_Bitmap& coverage = slot->bitmap;
    if (!error)
        QVI_ConvertGlyphToBitmap(coverage.buffer, static_cast<int>(coverage.width), static_cast<int>(coverage.rows),
                                 coverage.pitch, &glyph->image, 0);
    PrepareImage(glyph->image, codePoint);
    // Placed at the size rendered: a size cut to the largest texture must not push the glyph
    // off its line or wrap its advance round.
    const float renderedPx = sizePx > static_cast<float>(pixels) + 1.0f ? static_cast<float>(pixels) : sizePx;
    glyph->offsetY = renderedPx - static_cast<float>(error ? 0 : slot->bitmap_top);
    glyph->offsetX = 0;
    const float gap = codePoint == kIdeographicFullStop || codePoint == kFullwidthComma ? 0.4f : 0.025f;
    const int advance = glyph->image.width + 1 + static_cast<int>(renderedPx * gap);
    glyph->advance = static_cast<int16_t>(advance < INT16_MAX ? advance : INT16_MAX);
    return glyph;
}

}  // namespace

bool InitializeGlobalFont()
{
    if (!qv || !qv->fileSystem)
        return false;
    EngineLockHold lock(MUTEX_GET_FONT);
    GlobalGlyphCache& cache = g_glyphCache;
    CloseFace(cache);
    const QuavenFileSystemAPI* files = qv->fileSystem;
    const char* path = "global.ttf";
    if (!files->FileExists(path)) {
        path = "fonts/global.ttf";
        if (!files->FileExists(path))
            return false;
    }
    cache.path = String(path);
    const uint32_t start = QV_GetMilliseconds();
    if (!cache.library) {
        const FT_Error error = FT_Init_FreeType(&cache.library);
        if (error) {
            QVI_ReportPopup(QV_LOG_WARNING, "InitializeGlobalFont::FT_Init_FreeType error %d", error);
            cache.library = nullptr;
        }
    }
    cache.fileData = ReadFontFile(path, &cache.fileSize);
    FT_Error error = cache.fileData && cache.library
                         ? FT_New_Memory_Face(cache.library, cache.fileData, cache.fileSize, 0, &cache.face)
                         : FT_Err_Cannot_Open_Resource;
    if (error) {
        QVI_ReportPopup(QV_LOG_WARNING, "InitializeGlobalFont::FT_New_Face error %d. Does the font file and path '%s' exist?",
                        error, path);
        cache.face = nullptr;
        CloseFace(cache);
        return false;
    }
    error = FT_Select_Charmap(cache.face, FT_ENCODING_UNICODE);
    if (error) {
        QVI_ReportPopup(QV_LOG_WARNING, "InitializeGlobalFont::FT_Select_Charmap error %d", error);
        CloseFace(cache);
        return false;
    }
    QVI_Report(QV_LOG_INFO, "TrueType font '%s' rendering initialized. (%d msecs)", path,
               static_cast<int>(QV_GetMilliseconds() - start));
    cache.ready = 1;
    return true;
}

void QVI_InitializeGlobalFont()
{
    InitializeGlobalFont();
}

FontGlyph* QVI_FindFontGlyph(Font* font, uint32_t codePoint)
{
    if (!font || !font->header.name)
        return nullptr;
    for (int i = 0; font->glyphs && i < font->glyphCount; ++i) {
        if (font->glyphs[i].codePoint == codePoint)
            return &font->glyphs[i];
    }
    EngineLockHold lock(MUTEX_GET_FONT);
    GlobalGlyphCache& cache = g_glyphCache;
    if (!cache.ready) {
        QVI_ReportPopup(QV_LOG_WARNING, "Font '%s' Missing unicode %d (0x%x) ('%c')", font->header.name,
                        static_cast<int>(codePoint), codePoint, static_cast<int>(codePoint & 0xFF));
        return nullptr;
    }
    GlyphList* list = FindList(cache, font);
    if (!list) {
        list = new GlyphList();
        list->key = font;
        list->glyphs.autoShrink = true;
        cache.lists.Add(list);
    }
    for (int i = 0; i < list->glyphs.count; ++i) {
        if (list->glyphs.data[i]->codePoint == codePoint)
            return list->glyphs.data[i];
    }
    FontGlyph* glyph = GenerateGlobalFontGlyph(cache, codePoint, static_cast<float>(font->height));
    if (!glyph)
        return nullptr;
    if (glyph->image.pixels)
        QVI_UploadBitmap(&glyph->image);
    list->glyphs.Add(glyph);
    return glyph;
}

void QVI_ForgetGlobalGlyphs(Font* font)
{
    EngineLockHold lock(MUTEX_GET_FONT);
    GlyphList* list = FindList(g_glyphCache, font);
    if (!list)
        return;
    g_glyphCache.lists.Remove(list);
    for (int i = 0; i < list->glyphs.count; ++i) {
        FontGlyph* glyph = list->glyphs.data[i];
        // The frame must not upload a glyph that is gone.
        const bool here = QVI_IsBitmapRendererThread();
        QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
        while (g_bitmapUploadQueue.Remove(&glyph->image)) {
        }
        if (glyph->image.hardware.loaded && !here)
            QVI_QueueBitmapHardwareDataRelease(&glyph->image);
        QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
        if (glyph->image.hardware.loaded)
            QVI_CallRendererToFreeBitmap(&glyph->image.hardware);
        free(glyph->image.pixels);
        free(glyph->image.header.name);
        free(glyph->kerning);
        free(glyph);
    }
    delete list;
}

void QVI_ReuploadGlyphCache()
{
    EngineLockHold lock(MUTEX_GET_FONT);
    for (int i = 0; i < g_glyphCache.lists.count; ++i) {
        const GlyphList* list = g_glyphCache.lists.data[i];
        for (int j = 0; j < list->glyphs.count; ++j) {
            Bitmap* image = &list->glyphs.data[j]->image;
            if (image->hardware.loaded || !image->pixels)
                continue;
            // One that waits in the bitmap queue is uploaded by the frame.
            QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
            const bool queued = g_bitmapUploadQueue.Contains(image);
            QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
            if (!queued)
                QVI_UploadBitmap(image);
        }
    }
}

void QVI_ReleaseGlobalGlyphTextures()
{
    EngineLockHold lock(MUTEX_GET_FONT);
    for (int i = 0; i < g_glyphCache.lists.count; ++i) {
        const GlyphList* list = g_glyphCache.lists.data[i];
        for (int j = 0; j < list->glyphs.count; ++j) {
            Bitmap* image = &list->glyphs.data[j]->image;
            if (image->hardware.loaded)
                QVI_CallRendererToFreeBitmap(&image->hardware);
        }
    }
}
