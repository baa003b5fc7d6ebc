// The bitmap pool: records found by name, reference counts, hibernation and cache modes.
#include "graphics/bitmaps/bitmap_pool.h"

#include <cstdlib>
#include <cstring>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/drawing/render_state.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/bitmap_texture_packer.h"
#include "graphics/renderer/texture_description.h"
#include "graphics/setup/renderer_setup.h"

namespace {

Bitmap g_records[kBitmapPoolSize];
int32_t g_highWater = 0;

const char kNoName[] = "!NONE";

bool IsInternalName(const char* name)
{
    return name && name[0] == '!';
}

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "null";
}

// The byte a mode is kept in. A mode whose byte would read as the re-upload marker is kept
// with bit 0 cleared: that bit means nothing, while a record holding the marker would see
// the mode renderer set-up applies again as no change, and never be uploaded again.
int8_t StoredCacheMode(BitmapCacheMode mode)
{
    const int8_t stored = static_cast<int8_t>(mode);
    return stored == kCacheModeReuploadMarker ? static_cast<int8_t>(stored & ~1) : stored;
}

void TraceReferences(const char* format, const Bitmap* bitmap)
{
    if (g_core.traceReferenceCounts)
        QVI_Report(QV_LOG_INFO, format, NameOf(bitmap), bitmap->header.refCount);
}

// Adds references, saturating at cap. GET_BITMAP is held.
void AddReferences(Bitmap* bitmap, int64_t amount, int cap)
{
    const int64_t count = static_cast<int64_t>(bitmap->header.refCount) + amount;
    bitmap->header.refCount = static_cast<int16_t>(count > cap ? cap : count);
}

// A null or empty name becomes "!NONE"; leading '/' are refused one by one.
const char* NormalizeName(const char* name)
{
    if (QVI_IsEmptyText(name))
        return kNoName;
    while (*name == '/') {
        QVI_ReportPopup(QV_LOG_WARNING, "Bitmap '%s' name path starting with '/'. Not allowed.", name);
        ++name;
    }
    return *name ? name : kNoName;
}

// The record of that name over the whole used range. GET_BITMAP is held.
Bitmap* FindRecord(const char* name, uint32_t hash)
{
    for (int32_t i = 0; i < g_highWater; ++i) {
        Bitmap* record = &g_records[i];
        if (record->header.name && record->header.hash == hash && strcmp(record->header.name, name) == 0)
            return record;
    }
    return nullptr;
}

// The first free record, growing the used range when there is no hole; null when the pool
// is full. GET_BITMAP is held.
Bitmap* TakeFreeRecord()
{
    for (int32_t i = 0; i < g_highWater; ++i) {
        if (!g_records[i].header.name)
            return &g_records[i];
    }
    if (g_highWater >= kBitmapPoolSize)
        return nullptr;
    return &g_records[g_highWater++];
}

// GetBitmapEx and LoadBitmap: the first takes one reference per record, once; the second
// one per call.
Bitmap* GetOrRegister(const char* requestedName, BitmapCacheMode mode, bool referencePerCall)
{
    const char* name = NormalizeName(requestedName);
    const uint32_t hash = QVI_HashString(name);
    const bool internal = IsInternalName(name);

    EngineLockHold pool(MUTEX_GET_BITMAP);
    Bitmap* found = FindRecord(name, hash);
    if (found) {
        if (mode == QV_CACHE_LOOKUP_ONLY)
            return found;
        bool capped = false;
        if (mode != QV_CACHE_NOTHING && !internal) {
            if (!referencePerCall && !(found->flags & kBitmapGetReference)) {
                AddReferences(found, 1, kMaxBitmapReferences);
                found->flags |= kBitmapGetReference;
                TraceReferences("'%s' ref count++ (GetBitmap): now %d", found);
            } else if (referencePerCall) {
                capped = found->header.refCount >= kSuspiciousBitmapReferences;
                AddReferences(found, 1, kSuspiciousBitmapReferences);
                TraceReferences("'%s' ref count++: now %d", found);
            }
        }
        pool.Release();
        if (capped)
            QVI_ReportPopup(QV_LOG_WARNING, "Bitmap '%s' reference count suspiciously high: capping at %d.", name,
                            kSuspiciousBitmapReferences);
        if (!referencePerCall || (found->flags & kBitmapReloadable)) {
            const BitmapCacheMode wanted = found->cacheMode | mode;
            if (wanted != found->cacheMode)
                QV_Graphics_SetBitmapCacheMode(found, wanted);
        }
        return found;
    }
    if (mode == QV_CACHE_LOOKUP_ONLY)
        return nullptr;

    QVI_Report(QV_LOG_INFO, "..caching bitmap '%s'", name);
    Bitmap* record = TakeFreeRecord();
    if (!record) {
        pool.Release();
        QVI_ReportPopup(QV_LOG_WARNING, " ! Quaven out of free bitmaps.");
        return nullptr;
    }
    QVI_InitBitmapRecord(record, name);
    record->flags = static_cast<uint8_t>(kBitmapReloadable | (referencePerCall ? 0 : kBitmapGetReference));
    record->header.slot = static_cast<int32_t>(record - g_records);
    record->format = QV_TEXTURE_FORMAT_RGBA8;
    record->textureType = QVI_GetTextureTypeFromName(name);
    record->mipLevels = strstr(name, "textures/") ? 0 : 1;
    record->depth = 1;
    QVI_LockBitmap(record);
    pool.Release();
    record->cacheMode = QV_CACHE_NOTHING;
    record->packMode = kPadTransparent;

    if (mode == QV_CACHE_NOTHING) {
        record->flags &= static_cast<uint8_t>(~kBitmapGetReference);
        record->header.refCount = 0;
        TraceReferences("'%s' ref count = %d (CACHE_NOTHING)", record);
        QVI_UnlockBitmap(record);
        return record;
    }
    TraceReferences("'%s' ref count = %d", record);
    QVI_UnlockBitmap(record);
    QV_Graphics_SetBitmapCacheMode(record, mode);
    // Every new record is checked, so that a cube map of the wrong size is reported when it
    // is asked for, frames or not.
    if (QVI_ValidateBitmapDescription(record) && record->frameCount > 0)
        QV_Graphics_SetBitmapFrame(record, 0);
    return record;
}

// A plain bitmap's pixels, made before it takes a record, so that a heap that cannot give
// them leaves no record behind; nor does a block the loader had to make smaller than asked,
// which the game would write past. A side below 1 (a negative or wrapped size) has none.
bool AllocateCreatedPixels(const char* name, const BitmapDescription* description, Bitmap* storage)
{
    if (description->width < 1 || description->height < 1) {
        QVI_Report(QV_LOG_ERROR, "QV_Graphics_CreateBitmap: bitmap '%s' has invalid size %dx%d.", name,
                   description->width, description->height);
        return false;
    }
    ImageLoaderImp* loader = QVI_GetImageLoader();
    loader->AllocateImagePixels(storage, description->width, description->height);
    if (storage->pixels && (storage->width != description->width || storage->height != description->height))
        loader->FreeImagePixels(storage);
    return storage->pixels != nullptr;
}

// CreateBitmap of a name the pool holds: one more reference, and the size the description
// asks for. GET_BITMAP is held on entry and released here.
Bitmap* ReuseCreatedName(Bitmap* found, const BitmapDescription* description, EngineLockHold& pool)
{
    AddReferences(found, 1, kSuspiciousBitmapReferences);
    TraceReferences("'%s' ref count++: now %d", found);
    pool.Release();
    if (found->width != description->width || found->height != description->height)
        QV_Graphics_ResizeBitmap(found, description->width, description->height);
    return found;
}

// A bitmap must not be released while it is drawn into: the back buffer is bound first.
void UnbindIfRenderTarget(const Bitmap* bitmap)
{
    const RenderTargetSet* current = QVI_GetCurrentRenderTargets();
    bool bound = current->depth == bitmap;
    for (const Bitmap* colour : current->colour)
        bound = bound || colour == bitmap;
    if (!bound)
        return;
    QVI_ReportPopup(QV_LOG_ERROR,
                    "QV_Graphics_ReleaseBitmap: releasing current render target bitmap '%s' is not allowed, set the "
                    "render target to NULL before releasing.",
                    NameOf(bitmap));
    const RenderTargetSet backBuffer = {};
    QVI_SetRenderTargets(&backBuffer);
}

void QueueUpload(Bitmap* bitmap)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    if (!g_bitmapUploadQueue.Contains(bitmap))
        g_bitmapUploadQueue.Add(bitmap);
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
}

}  // namespace

Bitmap* QVI_GetPooledBitmap(int slot)
{
    if (slot < 0 || slot >= g_highWater)
        return nullptr;
    return &g_records[slot];
}

int QVI_GetPooledBitmapCount()
{
    return g_highWater;
}

void QVI_LockBitmap(Bitmap* bitmap)
{
    if (!bitmap)
        return;
    for (;;) {
        QVI_LockMutexById(MUTEX_SHARED_BITMAP);
        const bool taken = bitmap->locked == 0;
        if (taken)
            bitmap->locked = 1;
        QVI_UnlockMutexById(MUTEX_SHARED_BITMAP);
        if (taken)
            return;
        if (qv->Sleep)
            qv->Sleep(1);
    }
}

void QVI_UnlockBitmap(Bitmap* bitmap)
{
    if (!bitmap)
        return;
    QVI_LockMutexById(MUTEX_SHARED_BITMAP);
    const bool wasLocked = bitmap->locked != 0;
    bitmap->locked = 0;
    QVI_UnlockMutexById(MUTEX_SHARED_BITMAP);
    if (!wasLocked && g_core.developerMode)
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_UnlockBitmap called on unlocked bitmap ('%s').",
                        bitmap->header.name ? bitmap->header.name : "NULL");
}

void QVI_InitBitmapRecord(Bitmap* bitmap, const char* name)
{
    memset(bitmap, 0, sizeof(*bitmap));
    bitmap->header.name = QVI_StrDup(name);
    bitmap->header.hash = QVI_HashString(bitmap->header.name);
    bitmap->header.type = 1;
    bitmap->header.refCount = 1;
    bitmap->state = BITMAP_REGISTERED;
}

void QVI_DestroyBitmapRecord(Bitmap* bitmap)
{
    if (!bitmap || !bitmap->header.name)
        return;
    QVI_ReleaseBitmapResources(bitmap);
    free(bitmap->sourcePath);
    bitmap->sourcePath = nullptr;
    bitmap->state = BITMAP_FREE;
    free(bitmap->header.name);
    bitmap->header.name = nullptr;
}

Bitmap* QV_Graphics_GetBitmap(const char* name)
{
    return GetOrRegister(name, QV_CACHE_TEXTURE, false);
}

Bitmap* QV_Graphics_GetBitmapEx(const char* name, BitmapCacheMode mode)
{
    return GetOrRegister(name, mode, false);
}

Bitmap* QV_Graphics_LoadBitmap(const char* name, BitmapCacheMode mode)
{
    return GetOrRegister(name, mode, true);
}

Bitmap* QV_Graphics_CreateBitmap(const char* name, const BitmapDescription* description)
{
    if (!name)
        name = "";
    if (!description) {
        QVI_Report(QV_LOG_ERROR, "QV_Graphics_CreateBitmap: bitmap '%s' has no description.", name);
        return nullptr;
    }
    const bool renderTarget = description->renderTarget != 0;
    const uint32_t hash = QVI_HashString(name);
    {
        EngineLockHold pool(MUTEX_GET_BITMAP);
        QVI_Report(QV_LOG_INFO, "..creating bitmap '%s' (%dx%d)", name, description->width, description->height);
        if (Bitmap* found = FindRecord(name, hash))
            return ReuseCreatedName(found, description, pool);
    }

    // The pool lock is not held while the loader allocates, as it may raise a popup; the
    // name is looked up again after, as another thread may have created it meanwhile.
    ImageLoaderImp* loader = QVI_GetImageLoader();
    Bitmap storage = {};
    if (!renderTarget && !AllocateCreatedPixels(name, description, &storage))
        return nullptr;
    EngineLockHold pool(MUTEX_GET_BITMAP);
    if (Bitmap* found = FindRecord(name, hash)) {
        loader->FreeImagePixels(&storage);
        return ReuseCreatedName(found, description, pool);
    }
    Bitmap* record = TakeFreeRecord();
    if (!record) {
        pool.Release();
        loader->FreeImagePixels(&storage);
        QVI_ReportPopup(QV_LOG_WARNING, "Failed to create bitmap '%s': Quaven is out of free bitmaps.", name);
        return nullptr;
    }
    QVI_InitBitmapRecord(record, name);
    record->header.slot = static_cast<int32_t>(record - g_records);
    TraceReferences("'%s' ref count = %d", record);
    QVI_LockBitmap(record);
    pool.Release();

    record->cacheMode = renderTarget ? QV_CACHE_TEXTURE : QV_CACHE_PIXELS_AND_TEXTURE;
    record->width = record->textureWidth = description->width;
    record->height = record->textureHeight = description->height;
    record->depth = description->depth;
    record->format = description->format;
    record->textureType = description->textureType;
    record->mipLevels = description->mipLevels;
    record->flags = renderTarget ? kBitmapRenderTarget : 0;
    record->packMode = kNoPadding;

    // A description the device could never take (a depth cube map, layers on a 2D bitmap,
    // cube faces that are not square powers of two) leaves the record unfinished.
    if (!QVI_ValidateBitmapDescription(record)) {
        QVI_UnlockBitmap(record);
        loader->FreeImagePixels(&storage);
        return record;
    }
    record->pixels = storage.pixels;
    // A render target that the device cannot make now is made at its next set-up
    // (QVI_RestorePooledBitmaps); one the device refuses stays without its GPU target.
    if (renderTarget && !QVI_IsBitmapRendererThread())
        QueueUpload(record);
    else if (renderTarget && QVI_RendererTakesTextures())
        QVI_CallRendererToCreateBitmap(record);
    record->state = BITMAP_READY;
    QVI_UnlockBitmap(record);
    return record;
}

Bitmap* QV_Graphics_GetBitmapByHandle(const int* slot)
{
    if (!slot) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_GetBitmapByHandle: slot is null.");
        return nullptr;
    }
    EngineLockHold pool(MUTEX_GET_BITMAP);
    Bitmap* record = QVI_GetPooledBitmap(*slot);
    return record && record->header.name ? record : nullptr;
}

int QV_Graphics_GetBitmapCount()
{
    return g_highWater;
}

void QV_Graphics_IncreaseBitmapReferenceCount(Bitmap* bitmap, const uint32_t* amount)
{
    if (!bitmap || !amount) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_IncreaseBitmapReferenceCount: %s is null.",
                   bitmap ? "amount" : "bitmap");
        return;
    }
    if (*amount < 1)
        return;
    EngineLockHold pool(MUTEX_GET_BITMAP);
    if (!bitmap->header.name) {
        pool.Release();
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_IncreaseBitmapReferenceCount: the bitmap has been released.");
        return;
    }
    const bool fromZero = bitmap->header.refCount == 0 && !(bitmap->flags & kBitmapReloadable);
    AddReferences(bitmap, *amount, kMaxBitmapReferences);
    pool.Release();
    if (fromZero)
        QVI_ReportPopup(QV_LOG_ERROR,
                        "Trying to increase bitmap '%s' reference count from 0 to 1. You need to load or create bitmap "
                        "first to set reference count to 1.",
                        NameOf(bitmap));
}

void QV_Graphics_ReleaseBitmap(Bitmap* bitmap)
{
    if (!bitmap) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_ReleaseBitmap: bitmap is null.");
        return;
    }
    if (!bitmap->header.name) {
        QVI_Report(QV_LOG_WARNING, "Trying to release null bitmap.");
        return;
    }
    if (IsInternalName(bitmap->header.name))
        return;
    UnbindIfRenderTarget(bitmap);

    EngineLockHold pool(MUTEX_GET_BITMAP);
    if (g_core.referenceCounting) {
        --bitmap->header.refCount;
        if (g_core.traceReferenceCounts)
            QVI_Report(QV_LOG_INFO, "QV_Graphics_ReleaseBitmap: '%s' ref count--: now %d", NameOf(bitmap),
                       bitmap->header.refCount);
        const bool popups = !QVI_HasFeature("DISABLE_REFERENCE_COUNT_ERROR_POPUPS");
        if (bitmap->header.refCount < 0) {
            bitmap->header.refCount = 0;
            pool.Release();
            if (popups)
                QVI_ReportPopup(QV_LOG_WARNING, "Bitmap '%s' reference count less than zero.", NameOf(bitmap));
            return;
        }
        if (bitmap->header.refCount > 0)
            return;
        // The GetBitmap reference is gone with the last one: the next GetBitmap takes it again.
        const bool heldGetReference = (bitmap->flags & kBitmapGetReference) != 0;
        bitmap->flags &= static_cast<uint8_t>(~kBitmapGetReference);
        if (heldGetReference && popups)
            QVI_ReportPopup(QV_LOG_WARNING,
                            "Releasing bitmap '%s' too many times: ref counting will get messed up. NOTE: bitmap has "
                            "been accessed using GetBitmap which increses ref count by 1 once.",
                            NameOf(bitmap));
        if (bitmap->flags & kBitmapReloadable) {
            QVI_Report(QV_LOG_INFO, "Hibernating bitmap '%s'..", NameOf(bitmap));
            pool.Release();
            QV_Graphics_SetBitmapCacheMode(bitmap, QV_CACHE_NOTHING);
            return;
        }
    }
    // Given back for good. Off the main thread the texture goes to the release queue, so
    // GET_BITMAP stays held until no other thread can find the record any more.
    QVI_Report(QV_LOG_INFO, "Releasing bitmap '%s'..", NameOf(bitmap));
    // Without reference counting every release frees at once, under the main thread's
    // drawing: another thread is told so and frees nothing. The last reference released
    // from another thread still frees the record, its texture going to the release queue.
    if (!g_core.referenceCounting && !QVI_IsBitmapRendererThread()) {
        pool.Release();
        QVI_ReportPopup(QV_LOG_ERROR,
                        "QV_Graphics_ReleaseBitmap '%s' without reference counting is not possible from non-main "
                        "thread.",
                        NameOf(bitmap));
        return;
    }
    QVI_LockBitmap(bitmap);
    QVI_DestroyBitmapRecord(bitmap);
    QVI_UnlockBitmap(bitmap);
}

void QV_Graphics_RemoveBitmapHandle(Bitmap* bitmap)
{
    if (!bitmap || !bitmap->header.name) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_RemoveBitmapHandle: bitmap is %s.",
                   bitmap ? "already removed" : "null");
        return;
    }
    QVI_Report(QV_LOG_INFO, "Removing bitmap '%s' handle permanently.", NameOf(bitmap));
    EngineLockHold pool(MUTEX_GET_BITMAP);
    QVI_LockBitmap(bitmap);
    const int held = (bitmap->flags & kBitmapGetReference) ? 1 : 0;
    if (bitmap->header.refCount != held)
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_RemoveBitmapHandle: bitmap '%s' is not fully release before this call.",
                   NameOf(bitmap));
    QVI_DestroyBitmapRecord(bitmap);
    QVI_UnlockBitmap(bitmap);
}

void QV_Graphics_SetBitmapCacheMode(Bitmap* bitmap, BitmapCacheMode mode)
{
    if (!bitmap) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SetBitmapCacheMode: bitmap is null.");
        return;
    }
    if (!bitmap->header.name || IsInternalName(bitmap->header.name) || bitmap->sharedWith ||
        mode == QV_CACHE_LOOKUP_ONLY)
        return;
    if (mode == bitmap->cacheMode)
        return;
    if (!(bitmap->flags & kBitmapReloadable) && !bitmap->pixels) {
        QVI_Report(QV_LOG_WARNING, "Bitmap '%s' not reloadable, can't change cache mode.", NameOf(bitmap));
        return;
    }
    const bool keeps = (mode & (QV_CACHE_PIXELS | QV_CACHE_TEXTURE)) != 0;
    if (g_core.unlimitedMemory && keeps) {
        // Such a bitmap is never hibernated by its own releases.
        EngineLockHold pool(MUTEX_GET_BITMAP);
        if (!(bitmap->flags & kBitmapGetReference)) {
            AddReferences(bitmap, 1, kMaxBitmapReferences);
            bitmap->flags |= kBitmapGetReference;
        }
    }

    QVI_LockBitmap(bitmap);
    // Another thread may have changed the mode while this one waited for the record.
    if (mode == bitmap->cacheMode) {
        QVI_UnlockBitmap(bitmap);
        return;
    }
    const bool reloadable = (bitmap->flags & kBitmapReloadable) != 0;
    const bool atlasHasPixels = bitmap->atlas && bitmap->atlas->pixels;
    if (reloadable && keeps && !bitmap->pixels && !atlasHasPixels) {
        bitmap->state = BITMAP_REGISTERED;
        QVI_LoadBitmapPixels(bitmap);
    }
    if ((mode & QV_CACHE_TEXTURE) && !bitmap->hardware.loaded)
        QVI_UploadBitmap(bitmap);
    if (reloadable && !(mode & QV_CACHE_PIXELS) && (bitmap->hardware.loaded || !(mode & QV_CACHE_TEXTURE)))
        QVI_FreeBitmapPixels(bitmap);
    if (bitmap->hardware.loaded && !(mode & QV_CACHE_TEXTURE))
        QVI_ReleaseBitmapHardwareData(bitmap);
    if (mode == QV_CACHE_NOTHING) {
        QVI_FreeBitmapData(bitmap);
        bitmap->state = BITMAP_REGISTERED;
    }
    bitmap->cacheMode = StoredCacheMode(mode);
    QVI_UnlockBitmap(bitmap);
}

void QV_Graphics_SetBitmapFrame(Bitmap* bitmap, int frame)
{
    if (!bitmap) {
        QVI_Report(QV_LOG_WARNING, "QV_Graphics_SetBitmapFrame: bitmap is null.");
        return;
    }
    if (!bitmap->frames || bitmap->frameCount <= 0)
        return;
    const int index = (frame > 0 ? frame : 0) % bitmap->frameCount;
    const Bitmap& shown = bitmap->frames[index];
    bitmap->currentFrame = index;
    bitmap->width = shown.width;
    bitmap->height = shown.height;
    bitmap->flags = static_cast<uint8_t>((bitmap->flags & ~kBitmapHasAlpha) | (shown.flags & kBitmapHasAlpha));
    bitmap->pixels = shown.pixels;
    bitmap->hardware = shown.hardware;
}
