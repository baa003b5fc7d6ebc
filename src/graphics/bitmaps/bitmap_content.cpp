// The members that change or read what a pooled bitmap shows: refreshing its texture from
// its pixels, resizing, the texture region, saving and reading a render target back.
#include "graphics/bitmaps/bitmap_pool.h"

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

namespace {

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "null";
}

bool IsRenderTarget(const Bitmap* bitmap)
{
    return (bitmap->flags & kBitmapRenderTarget) != 0;
}

// A member's bitmap argument: present and still in the pool.
bool IsLiveBitmap(const Bitmap* bitmap, const char* member)
{
    if (bitmap && bitmap->header.name)
        return true;
    QVI_Report(QV_LOG_WARNING, "%s: bitmap is %s.", member, bitmap ? "released" : "null");
    return false;
}

void SetSizes(Bitmap* bitmap, int width, int height)
{
    bitmap->width = bitmap->textureWidth = width;
    bitmap->height = bitmap->textureHeight = height;
}

void Swap(int32_t& a, int32_t& b)
{
    const int32_t kept = a;
    a = b;
    b = kept;
}

// The new pixels go into the bitmap, its old ones into the scratch record to be freed.
void ResizePixels(Bitmap* bitmap, int width, int height)
{
    QVI_LockBitmap(bitmap);
    // The stored image is what is scaled, not the drawing size.
    Bitmap image = QVI_StoredImageOf(bitmap);
    Bitmap scaled = {};
    if (QVI_CreateImageResized(&scaled, &image, width, height)) {
        Swap(bitmap->width, scaled.width);
        Swap(bitmap->height, scaled.height);
        Swap(bitmap->textureWidth, scaled.textureWidth);
        Swap(bitmap->textureHeight, scaled.textureHeight);
        uint8_t* old = bitmap->pixels;
        bitmap->pixels = scaled.pixels;
        scaled.pixels = old;
        QVI_GetImageLoader()->FreeImagePixels(&scaled);
    }
    QVI_UnlockBitmap(bitmap);
}

void ResizeRenderTarget(Bitmap* bitmap, int width, int height)
{
    if (bitmap->width == width && bitmap->height == height)
        return;
    // Off the renderer's thread, or while the device is down, the target is made again
    // from the upload queue. The record lock comes before RESOURCE_QUEUE, as everywhere.
    if (!QVI_IsBitmapRendererThread() || !QVI_RendererTakesTextures()) {
        QVI_LockBitmap(bitmap);
        SetSizes(bitmap, width, height);
        QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
        if (!g_bitmapUploadQueue.Contains(bitmap))
            g_bitmapUploadQueue.Add(bitmap);
        QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
        QVI_UnlockBitmap(bitmap);
        return;
    }
    QVI_Report(QV_LOG_INFO, "QV_ResizeBitmap resizing render target '%s' from %dx%d to %dx%d", NameOf(bitmap),
               bitmap->width, bitmap->height, width, height);
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    while (g_bitmapUploadQueue.Remove(bitmap)) {
    }
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
    QVI_LockBitmap(bitmap);
    SetSizes(bitmap, width, height);
    QVI_CallRendererToFreeBitmap(&bitmap->hardware);
    QVI_CallRendererToCreateBitmap(bitmap);
    QVI_UnlockBitmap(bitmap);
}

}  // namespace

void QV_Graphics_RefreshBitmap(Bitmap* bitmap)
{
    if (!IsLiveBitmap(bitmap, "QV_Graphics_RefreshBitmap"))
        return;
    if (QVI_StartsWith(bitmap->header.name, "http://")) {
        // A fresh copy from the server: the cached one goes, and emptying the bitmap and
        // restoring its mode loads it again.
        QVI_DeleteBitmapHTTPCache(bitmap->header.name);
        const BitmapCacheMode mode = static_cast<BitmapCacheMode>(bitmap->cacheMode);
        QV_Graphics_SetBitmapCacheMode(bitmap, QV_CACHE_NOTHING);
        QV_Graphics_SetBitmapCacheMode(bitmap, mode);
        return;
    }
    if (!QVI_IsBitmapRendererThread()) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Refreshing bitmaps from another thread than main has not been tested properly yet. Not "
                        "refreshing bitmap.");
        return;
    }
    BatchRenderer::Flush();
    if (IsRenderTarget(bitmap)) {
        QVI_Report(QV_LOG_WARNING,
                   "You should use qv->graphics->CopyBitmapRenderTargetDataToPixels to copy bitmap GPU data to pixels "
                   "instead of RefreshBitmap.");
        QV_Graphics_CopyBitmapRenderTargetDataToPixels(bitmap);
        return;
    }
    // The pixels in memory go up as they are; nothing is read from the source again.
    QVI_LockBitmap(bitmap);
    if (bitmap->hardware.loaded)
        QVI_CallRendererToFreeBitmap(&bitmap->hardware);
    bitmap->state = BITMAP_LOADING;
    QVI_UploadBitmap(bitmap);
    bitmap->state = BITMAP_READY;
    QVI_UnlockBitmap(bitmap);
}

void QV_Graphics_ResizeBitmap(Bitmap* bitmap, int width, int height)
{
    if (!IsLiveBitmap(bitmap, "QV_ResizeBitmap"))
        return;
    if (width == bitmap->width && height == bitmap->height && width == bitmap->textureWidth &&
        height == bitmap->textureHeight)
        return;
    // A side below 1 has no pixels to scale into. A render target the device cannot make
    // at the new size is left without its GPU target, like one created at that size.
    if (width < 1 || height < 1) {
        QVI_Report(QV_LOG_ERROR, "QV_ResizeBitmap: bitmap '%s' can't be resized to %dx%d.", NameOf(bitmap), width,
                   height);
        return;
    }
    // The texture stays as it is; RefreshBitmap uploads the new pixels.
    if (!IsRenderTarget(bitmap))
        ResizePixels(bitmap, width, height);
    else
        ResizeRenderTarget(bitmap, width, height);
}

void QV_Graphics_SetBitmapRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    // A negative width or height is a region mirrored on that axis (left past right).
    if (!IsLiveBitmap(bitmap, "QV_Graphics_SetBitmapRegion"))
        return;
    if (RendererImplementation* renderer = QVI_GetRenderer())
        renderer->SetTextureRegion(bitmap, x, y, width, height);
}

bool QV_Graphics_SaveBitmap(Bitmap* bitmap, const char* path, int quality)
{
    if (!IsLiveBitmap(bitmap, "QV_Graphics_SaveBitmap"))
        return false;
    if (!path) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SaveBitmap: path is null.");
        return false;
    }
    if (!bitmap->pixels) {
        if (IsRenderTarget(bitmap))
            QVI_Report(QV_LOG_WARNING,
                       "No pixel data present. Call  qv->graphics->CopyBitmapRenderTargetDataToPixels to fetch the "
                       "data from gpu.");
        QVI_Report(QV_LOG_ERROR, "Unable to save bitmap as pixels data is null.");
        return false;
    }
    QVI_LockBitmap(bitmap);
    const bool saved = QVI_GetImageLoader()->SaveImage(bitmap, path, quality);
    QVI_UnlockBitmap(bitmap);
    return saved;
}

bool QV_Graphics_CopyBitmapRenderTargetDataToPixels(Bitmap* bitmap)
{
    if (!IsLiveBitmap(bitmap, "QV_Graphics_CopyBitmapRenderTargetDataToPixels"))
        return false;
    if (!IsRenderTarget(bitmap)) {
        QVI_Report(QV_LOG_WARNING, "CopyBitmapRenderTargetDataToPixels: bitmap '%s' is not a render target.",
                   NameOf(bitmap));
        return false;
    }
    if (bitmap->format != QV_TEXTURE_FORMAT_RGBA8 && bitmap->format != QV_TEXTURE_FORMAT_RGB8) {
        QVI_Report(QV_LOG_ERROR, "Unsupported texture format in CopyBitmapRenderTargetDataToPixels.");
        return false;
    }
    if (bitmap->textureType != QV_TEXTURE_TYPE_2D) {
        QVI_Report(QV_LOG_ERROR, "Unsupported texture type in CopyBitmapRenderTargetDataToPixels.");
        return false;
    }
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !bitmap->hardware.loaded || !QVI_IsBitmapRendererThread()) {
        QVI_Report(QV_LOG_WARNING, "CopyBitmapRenderTargetDataToPixels: render target '%s' is not on the GPU here.",
                   NameOf(bitmap));
        return false;
    }
    // Drawing still queued for the target belongs in what is read back.
    BatchRenderer::Flush();
    return renderer->CopyRenderTargetToPixels(bitmap);
}
