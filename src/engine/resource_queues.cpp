// The frame's side of the bitmap and font queues that other threads fill: textures to
// release, bitmaps and font atlases to upload, a few per frame so that a burst of loads
// never stalls one frame.
#include "engine/resource_queues.h"

#include <cstdlib>

#include "core/array.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/shaders/shader_pool.h"
#include "text/fonts/font_pool.h"

namespace {

const int kBitmapEntriesPerFrame = 10;

// The queue's entries as they stand now, taken under RESOURCE_QUEUE so that producers are
// held up only for the copy.
template <typename T>
void Snapshot(const Array<T*>& queue, Array<T*>& copy)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    copy = queue;
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
}

// Another thread may have taken the entry out meanwhile; then nothing happens.
template <typename T>
void Dequeue(Array<T*>& queue, T* entry)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    queue.Remove(entry);
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
}

void ReleaseQueuedTextures()
{
    if (g_bitmapReleaseQueue.count == 0)
        return;
    Array<BitmapHardwareData*> pending;
    Snapshot(g_bitmapReleaseQueue, pending);
    for (int i = 0; i < pending.count && i < kBitmapEntriesPerFrame; ++i) {
        BitmapHardwareData* hardware = pending.data[i];
        QVI_CallRendererToFreeBitmap(hardware);
        Dequeue(g_bitmapReleaseQueue, hardware);
        free(hardware);
    }
}

void UploadQueuedBitmap(Bitmap* bitmap)
{
    QVI_LockBitmap(bitmap);
    if (bitmap->flags & kBitmapRenderTarget) {
        if (bitmap->hardware.loaded)
            QVI_CallRendererToFreeBitmap(&bitmap->hardware);
        QVI_CallRendererToCreateBitmap(bitmap);
    } else if (bitmap->pixels || bitmap->frameCount > 0) {
        QVI_UploadBitmap(bitmap);
        if (!(bitmap->cacheMode & QV_CACHE_PIXELS))
            QVI_FreeBitmapPixels(bitmap);
    } else {
        QVI_Report(QV_LOG_WARNING,
                   "[QVI_ProcessBitmapResourceQueues] Data of bitmap '%s' is not valid anymore. Most likely it has "
                   "just been released.",
                   bitmap->header.name);
    }
    QVI_UnlockBitmap(bitmap);
}

void UploadQueuedBitmaps()
{
    if (g_bitmapUploadQueue.count == 0)
        return;
    Array<Bitmap*> pending;
    Snapshot(g_bitmapUploadQueue, pending);
    for (int i = 0; i < pending.count && i < kBitmapEntriesPerFrame; ++i) {
        Bitmap* bitmap = pending.data[i];
        // A bitmap released since it was queued has lost its name: it only leaves the queue.
        if (bitmap->header.name)
            UploadQueuedBitmap(bitmap);
        Dequeue(g_bitmapUploadQueue, bitmap);
    }
}

}  // namespace

void QVI_ProcessBitmapResourceQueues()
{
    ReleaseQueuedTextures();
    UploadQueuedBitmaps();
    QVI_ProcessFontUploadQueue();
}

void QVI_ProcessShaderUploadQueue()
{
    // The shader pool keeps its own queue; the frame only gives it the main thread.
    QVI_ProcessShaderUploads();
}
