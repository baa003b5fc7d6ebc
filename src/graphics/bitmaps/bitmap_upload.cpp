// Bitmaps on the device: textures and render targets created, filled and released on the
// renderer's thread, queued from every other thread and while the device is down, and the
// whole pool restored after and released before each device set-up.
#include "graphics/bitmaps/bitmap_pool.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/threads.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/device_resources.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"

Array<Bitmap*> g_bitmapUploadQueue;
Array<BitmapHardwareData*> g_bitmapReleaseQueue;

namespace {

const int kRegainTries = 10;
const uint32_t kRegainWaitMs = 100;
const int kMaxFormatCandidates = 3;

// Set from the moment renderer set-up has a running device (its restore step) until its
// release step: the ready flag is clear in between, yet set-up itself uploads.
bool g_deviceUp = false;

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "null";
}

bool IsIgnoredName(const Bitmap* bitmap)
{
    return !bitmap || !bitmap->header.name || bitmap->header.name[0] == '!';
}

void QueueUploadLocked(Bitmap* bitmap)
{
    if (!g_bitmapUploadQueue.Contains(bitmap))
        g_bitmapUploadQueue.Add(bitmap);
}

// The formats a render target may fall back to, best first.
int FormatCandidates(int format, int candidates[kMaxFormatCandidates])
{
    switch (format) {
    case QV_TEXTURE_FORMAT_D24S8:
        candidates[0] = QV_TEXTURE_FORMAT_D24S8, candidates[1] = QV_TEXTURE_FORMAT_D16;
        return 2;
    case QV_TEXTURE_FORMAT_D32F:
        candidates[0] = QV_TEXTURE_FORMAT_D32F, candidates[1] = QV_TEXTURE_FORMAT_D24S8;
        candidates[2] = QV_TEXTURE_FORMAT_D16;
        return 3;
    case QV_TEXTURE_FORMAT_R32F:
        candidates[0] = QV_TEXTURE_FORMAT_R32F, candidates[1] = QV_TEXTURE_FORMAT_R16F;
        return 2;
    default:
        candidates[0] = format;
        return 1;
    }
}

bool CreateTarget(RendererImplementation* renderer, Bitmap* bitmap)
{
    if (!renderer->CreateRenderTarget(bitmap))
        return false;
    bitmap->hardware.loaded = 1;
    return true;
}

// A sequence's frames share the atlas's texture, or each has its own; frames with equal
// pixels share another frame's.
void UploadFrames(Bitmap* bitmap)
{
    if (bitmap->atlas) {
        Bitmap* atlas = bitmap->atlas;
        if (!atlas->hardware.loaded)
            QVI_CallRendererToLoadBitmap(atlas);
        for (int i = 0; i < bitmap->frameCount; ++i) {
            BitmapHardwareData& frame = bitmap->frames[i].hardware;
            frame.loaded = atlas->hardware.loaded;
            frame.textureFullWidth = atlas->hardware.textureFullWidth;
            frame.textureFullHeight = atlas->hardware.textureFullHeight;
            frame.rendererData = atlas->hardware.rendererData;
        }
    } else {
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap* frame = &bitmap->frames[i];
            if (!frame->sharedWith && !QVI_CallRendererToLoadBitmap(frame))
                QVI_Report(QV_LOG_WARNING, "Unable to upload bitmap '%s' (%dx%d) to renderer.", NameOf(frame),
                           frame->width, frame->height);
        }
    }
    for (int i = 0; i < bitmap->frameCount; ++i) {
        Bitmap* frame = &bitmap->frames[i];
        if (frame->sharedWith)
            frame->hardware = frame->sharedWith->hardware;
    }
    QV_Graphics_SetBitmapFrame(bitmap, bitmap->currentFrame);
}

// Frames that showed a texture another record owned forget it.
void ForgetSharedTextures(Bitmap* bitmap)
{
    for (int i = 0; i < bitmap->frameCount && bitmap->frames; ++i) {
        bitmap->frames[i].hardware.loaded = 0;
        bitmap->frames[i].hardware.rendererData = nullptr;
    }
    bitmap->hardware.loaded = 0;
    bitmap->hardware.rendererData = nullptr;
}

// Off the renderer's thread: the textures go to the release queue.
void QueueHardwareRelease(Bitmap* bitmap)
{
    EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
    // A render target resized from another thread waits in the upload queue with the old
    // texture still attached: it leaves the queue, and the texture goes on to be released.
    if (g_bitmapUploadQueue.Remove(bitmap)) {
        while (g_bitmapUploadQueue.Remove(bitmap)) {
        }
        QVI_Report(QV_LOG_WARNING, "Bitmap '%s' still in hardware upload queue. Removing it.", NameOf(bitmap));
    }
    if (!bitmap->atlas && bitmap->frameCount > 0) {
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap* frame = &bitmap->frames[i];
            if (!frame->sharedWith && frame->hardware.loaded)
                QVI_QueueBitmapHardwareDataRelease(frame);
        }
        ForgetSharedTextures(bitmap);
        memset(&bitmap->hardware, 0, sizeof(bitmap->hardware));
        return;
    }
    Bitmap* owner = bitmap->atlas ? bitmap->atlas : bitmap;
    if (owner->hardware.loaded)
        QVI_QueueBitmapHardwareDataRelease(owner);
    if (bitmap->atlas)
        ForgetSharedTextures(bitmap);
}

void ReleaseHardware(Bitmap* bitmap)
{
    if (!QVI_IsBitmapRendererThread()) {
        QueueHardwareRelease(bitmap);
        return;
    }
    if (!bitmap->atlas && bitmap->frameCount <= 0 && !bitmap->hardware.loaded)
        return;
    // A renderer that exists takes the release even while it is not ready (its operations
    // are safe then), so no texture outlives its record.
    QVI_RegainRenderer();
    if (!QVI_GetRenderer())
        return;
    if (bitmap->atlas) {
        ReleaseHardware(bitmap->atlas);
        ForgetSharedTextures(bitmap);
    } else if (bitmap->frameCount > 0) {
        bitmap->pixels = nullptr;
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap* frame = &bitmap->frames[i];
            if (!frame->sharedWith && frame->hardware.loaded)
                QVI_CallRendererToFreeBitmap(&frame->hardware);
        }
        ForgetSharedTextures(bitmap);
        memset(&bitmap->hardware, 0, sizeof(bitmap->hardware));
    } else if (bitmap->hardware.loaded) {
        QVI_CallRendererToFreeBitmap(&bitmap->hardware);
    }
}

// The record that owns the pixels: a sequence packed into an atlas keeps them there.
void FreePixels(Bitmap* bitmap)
{
    ImageLoaderImp* loader = QVI_GetImageLoader();
    Bitmap* owner = bitmap;
    while (owner->atlas) {
        if (!owner->atlas->header.name || owner->atlas->header.name[0] == '!')
            return;
        owner = owner->atlas;
    }
    if (owner != bitmap)
        bitmap->pixels = nullptr;  // it showed one frame of the owner's pixels
    if (owner->frameCount > 0 && owner->frames) {
        for (int i = 0; i < owner->frameCount; ++i) {
            Bitmap* frame = &owner->frames[i];
            if (!frame->sharedWith)
                loader->FreeImagePixels(frame);
        }
        owner->pixels = nullptr;
    } else if (owner->pixels) {
        loader->FreeImagePixels(owner);
    }
}

void FreeData(Bitmap* bitmap)
{
    if (bitmap->frames) {
        for (int i = 0; i < bitmap->frameCount; ++i) {
            Bitmap* frame = &bitmap->frames[i];
            frame->atlas = nullptr;
            FreeData(frame);
            free(frame->header.name);
            free(frame->sourcePath);
            if (g_core.developerMode)
                memset(frame, 0, sizeof(*frame));
        }
        free(bitmap->frames);
    }
    bitmap->frames = nullptr;
    bitmap->frameCount = 0;
    memset(&bitmap->hardware, 0, sizeof(bitmap->hardware));
    if (bitmap->atlas) {
        Bitmap* atlas = bitmap->atlas;
        bitmap->atlas = nullptr;
        QVI_GetImageLoader()->FreeImagePixels(atlas);
        FreeData(atlas);
        free(atlas->header.name);
        free(atlas);
    }
}

// Renderer set-up: a render target made again, and what its program hears of it.
void RestoreRenderTarget(Bitmap* bitmap)
{
    QVI_LockBitmap(bitmap);
    QVI_CallRendererToCreateBitmap(bitmap);
    QVI_UnlockBitmap(bitmap);
    EngineEvent event;
    QV_InitEvent(&event, kRenderTargetRecreatedEvent);
    memcpy(event.payload, &bitmap, sizeof(bitmap));
    QVI_QueueEvent(&event);
}

}  // namespace

bool QVI_IsBitmapRendererThread()
{
    if (QV_IsMainThread())
        return true;
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer && (renderer->GetThreadingCapabilities() & QV_THREADING_BITMAP_TEXTURES) != 0;
}

bool QVI_RendererTakesTextures()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    return renderer && (g_deviceUp || QVI_IsRendererReady()) && renderer->IsReady();
}

bool QVI_RegainRenderer()
{
    if (!QVI_GetRenderer()) {
        QVI_Report(QV_LOG_INFO, "Renderer implementation lost, trying to regain...\n");
        for (int attempt = 1; attempt <= kRegainTries; ++attempt) {
            if (qv->Sleep)
                qv->Sleep(kRegainWaitMs);
            if (QVI_GetRenderer() && QVI_GetRenderer()->IsReady()) {
                QVI_Report(QV_LOG_INFO, "Renderer reclaimed at try #%d.\n", attempt);
                break;
            }
        }
    }
    return QVI_RendererTakesTextures();
}

void QVI_UploadBitmap(Bitmap* bitmap)
{
    if (!bitmap || !bitmap->header.name)
        return;
    // Off the renderer's thread, and while the device is down, the upload waits in the
    // queue that the frame empties once the renderer is ready.
    if (!QVI_IsBitmapRendererThread() || !QVI_RegainRenderer()) {
        EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
        QueueUploadLocked(bitmap);
        return;
    }
    if (bitmap->frameCount > 0 && bitmap->frames) {
        UploadFrames(bitmap);
        return;
    }
    const bool sized = bitmap->width > 0 && bitmap->height > 0;
    if (!sized || !QVI_CallRendererToLoadBitmap(bitmap))
        QVI_Report(QV_LOG_WARNING, "Unable to upload bitmap '%s' (%dx%d) to renderer.", NameOf(bitmap), bitmap->width,
                   bitmap->height);
}

bool QVI_CallRendererToCreateBitmap(Bitmap* bitmap)
{
    if (!bitmap) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToCreateBitmap: bitmap is null.");
        return false;
    }
    // Outside developer mode too: a device call from the wrong thread is never safe.
    if (!QVI_IsBitmapRendererThread()) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QVI_CallRendererToCreateBitmap: called from non-renderer thread, fix the code!");
        return false;
    }
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !QVI_RendererTakesTextures()) {
        QVI_Report(QV_LOG_WARNING, "QVI_CallRendererToCreateBitmap: no renderer is ready for bitmap '%s'.",
                   NameOf(bitmap));
        return false;
    }
    BatchRenderer::Flush();
    if (bitmap->hardware.loaded) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QVI_CallRendererToCreateBitmap: bitmap '%s' is already loaded to GPU, freeing...",
                        NameOf(bitmap));
        QVI_CallRendererToFreeBitmap(&bitmap->hardware);
    }

    int candidates[kMaxFormatCandidates];
    const int count = FormatCandidates(bitmap->format, candidates);
    if (count == 1 && CreateTarget(renderer, bitmap))
        return true;
    for (int i = 0; i < count && count > 1; ++i) {
        BitmapDescription description = {};
        description.format = candidates[i];
        description.textureType = bitmap->textureType;
        description.mipLevels = bitmap->mipLevels;
        description.width = bitmap->width;
        description.height = bitmap->height;
        description.depth = bitmap->depth;
        description.renderTarget = (bitmap->flags & kBitmapRenderTarget) ? 1 : 0;
        if (!renderer->IsTextureFormatSupported(&description))
            continue;
        bitmap->format = candidates[i];
        if (CreateTarget(renderer, bitmap))
            return true;
    }
    // A target the device cannot make leaves the bitmap without one, quietly: the game
    // learns it from the bitmap's loaded byte.
    return false;
}

bool QVI_CallRendererToLoadBitmap(Bitmap* bitmap)
{
    if (!QVI_IsBitmapRendererThread()) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToLoadBitmap from non-renderer thread. Code fix required.");
        return false;
    }
    if (!bitmap) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToLoadBitmap: parameter is null bitmap.");
        return false;
    }
    if (!bitmap->pixels) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToLoadBitmap: Bitmap '%s' missing pixels.", NameOf(bitmap));
        return false;
    }
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !QVI_RendererTakesTextures()) {
        QVI_Report(QV_LOG_WARNING, "QVI_CallRendererToLoadBitmap: no renderer is ready for bitmap '%s'.",
                   NameOf(bitmap));
        return false;
    }
    BatchRenderer::Flush();
    if (bitmap->hardware.loaded) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToLoadBitmap: Bitmap '%s' already loaded to gpu. Freeing...",
                        NameOf(bitmap));
        QVI_CallRendererToFreeBitmap(&bitmap->hardware);
    }
    if (!renderer->CreateTexture(bitmap))
        return false;
    bitmap->hardware.loaded = 1;
    return true;
}

void QVI_CallRendererToFreeBitmap(BitmapHardwareData* hardware)
{
    if (!QVI_IsBitmapRendererThread()) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToFreeBitmap from non-renderer thread. Code fix required.");
        return;
    }
    if (!hardware) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_CallRendererToFreeBitmap: parameter is null bitmap hw data.");
        return;
    }
    if (!hardware->loaded) {
        if (hardware->rendererData)
            QVI_ReportPopup(QV_LOG_WARNING,
                            "QVI_CallRendererToFreeBitmap: Bitmap %x not loaded to gpu but implementation data exists.",
                            static_cast<unsigned>(reinterpret_cast<uintptr_t>(hardware)));
        return;
    }
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return;
    // What is queued may still sample the texture: it is drawn first, then the texture
    // leaves every stage that holds it.
    BatchRenderer::Flush();
    BatchRenderer::Flush();
    for (int stage = 0; hardware->rendererData && stage < kBatchTextureStages; ++stage) {
        if (g_batch.stageTextures[stage] != hardware->rendererData)
            continue;
        BatchRenderer::SetTexture(stage, nullptr);
        // The white texture itself stands in for "no texture": it leaves its stage here.
        if (g_batch.stageTextures[stage] == hardware->rendererData) {
            renderer->SetTexture(stage, nullptr);
            g_batch.stageBitmaps[stage] = nullptr;
            g_batch.stageTextures[stage] = nullptr;
        }
    }
    renderer->DestroyTexture(hardware);
    memset(hardware, 0, sizeof(*hardware));
}

void QVI_ReleaseBitmapHardwareData(Bitmap* bitmap)
{
    if (IsIgnoredName(bitmap))
        return;
    ReleaseHardware(bitmap);
}

void QVI_QueueBitmapHardwareDataRelease(Bitmap* bitmap)
{
    if (!bitmap)
        return;
    if (!bitmap->hardware.loaded) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "QVI_QueueBitmapHardwareDataRelease: Bitmap '%s' hw data is not ready. No reason to release.",
                        NameOf(bitmap));
        return;
    }
    BitmapHardwareData* copy = static_cast<BitmapHardwareData*>(malloc(sizeof(BitmapHardwareData)));
    if (!copy) {
        QVI_Report(QV_LOG_ERROR, "QVI_QueueBitmapHardwareDataRelease: out of memory for bitmap '%s'.", NameOf(bitmap));
        return;
    }
    *copy = bitmap->hardware;
    memset(&bitmap->hardware, 0, sizeof(bitmap->hardware));
    g_bitmapReleaseQueue.Add(copy);
}

Bitmap QVI_StoredImageOf(const Bitmap* bitmap)
{
    Bitmap image = *bitmap;
    if (image.textureWidth > 0 && image.textureHeight > 0) {
        image.width = image.textureWidth;
        image.height = image.textureHeight;
    }
    return image;
}

void QVI_FreeBitmapPixels(Bitmap* bitmap)
{
    if (IsIgnoredName(bitmap))
        return;
    FreePixels(bitmap);
}

void QVI_FreeBitmapData(Bitmap* bitmap)
{
    if (IsIgnoredName(bitmap))
        return;
    FreeData(bitmap);
}

void QVI_ReleaseBitmapResources(Bitmap* bitmap)
{
    if (!bitmap)
        return;
    ReleaseHardware(bitmap);
    FreePixels(bitmap);
    FreeData(bitmap);
    if (bitmap->pixels)
        QVI_GetImageLoader()->FreeImagePixels(bitmap);
}

void QVI_RestorePooledBitmaps()
{
    g_deviceUp = true;
    const int count = QVI_GetPooledBitmapCount();
    for (int slot = 0; slot < count; ++slot) {
        Bitmap* bitmap = QVI_GetPooledBitmap(slot);
        // Unreferenced bitmaps are hibernated and load again when asked for.
        if (IsIgnoredName(bitmap) || bitmap->header.refCount <= 0)
            continue;
        bool queued;
        {
            EngineLockHold queue(MUTEX_RESOURCE_QUEUE);
            queued = g_bitmapUploadQueue.Contains(bitmap);
        }
        if (queued) {
            QVI_Report(QV_LOG_INFO, "Bitmap '%s' already queued for upload.", NameOf(bitmap));
            continue;
        }
        if (bitmap->flags & kBitmapRenderTarget) {
            RestoreRenderTarget(bitmap);
        } else {
            const int8_t mode = bitmap->cacheMode;
            bitmap->cacheMode = kCacheModeReuploadMarker;
            QV_Graphics_SetBitmapCacheMode(bitmap, mode);
            if (bitmap->cacheMode == kCacheModeReuploadMarker)
                bitmap->cacheMode = mode;  // refused (nothing to upload from): unchanged
        }
        QV_Graphics_SetBitmapFrame(bitmap, 0);
    }
}

void QVI_ReleasePooledBitmapData()
{
    const int count = QVI_GetPooledBitmapCount();
    for (int slot = 0; slot < count; ++slot) {
        Bitmap* bitmap = QVI_GetPooledBitmap(slot);
        if (!bitmap->header.name)
            continue;
        QVI_LockBitmap(bitmap);
        QVI_ReleaseBitmapHardwareData(bitmap);
        QVI_UnlockBitmap(bitmap);
    }
    g_deviceUp = false;
}
