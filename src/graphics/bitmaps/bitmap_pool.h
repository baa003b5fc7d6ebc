#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/bitmap.h"

// The pool of 3072 bitmap records, found by name and counted by reference. Records never
// move: a Bitmap* stays valid for the whole run.
//
// Locks: GET_BITMAP guards the search, the choice of a free record, the high-water count
// and the reference counts; each record has its own lock byte (QVI_LockBitmap), taken
// after GET_BITMAP, never before it. RESOURCE_QUEUE guards the two queues below and is
// taken after a record lock, never before it.
//
// GPU work (texture creation, upload, release) runs on the main thread, or anywhere when
// the renderer's GetThreadingCapabilities includes QV_THREADING_BITMAP_TEXTURES; other
// threads queue it, and so does the main thread while the device is down.

const int kBitmapPoolSize = 3072;

// Bitmap::flags.
const uint8_t kBitmapHasAlpha = 1;
const uint8_t kBitmapReloadable = 2;      // the record has a source to load from
const uint8_t kBitmapRenderTarget = 4;
const uint8_t kBitmapGetReference = 8;    // the one reference GetBitmapEx takes is held

// Bitmap::state.
enum BitmapState : uint16_t {
    BITMAP_FREE = 0,
    BITMAP_REGISTERED = 1,  // named, nothing loaded (also after hibernation)
    BITMAP_LOADING = 2,
    BITMAP_READY = 3        // also after a failed load
};

// The cache-mode byte renderer set-up gives a bitmap before it applies the bitmap's mode
// again, so that the mode counts as a change and the bitmap is uploaded anew. No mode is
// ever stored as this byte.
const int8_t kCacheModeReuploadMarker = -1;

// Reference counts never go past this (the field is 16 bits wide).
const int kMaxBitmapReferences = 32767;
// LoadBitmap and CreateBitmap stop counting here.
const int kSuspiciousBitmapReferences = 4096;

// EngineEvent type sent when renderer set-up has made a render target again (its old
// contents are gone); bytes 0-3 of the payload hold the Bitmap*.
const uint32_t kRenderTargetRecreatedEvent = 15;

// Bitmaps whose texture the main thread must create or fill, each at most once.
extern Array<Bitmap*> g_bitmapUploadQueue;
// Heap copies of hardware data whose textures the main thread must destroy; the frame
// frees each copy after QVI_CallRendererToFreeBitmap.
extern Array<BitmapHardwareData*> g_bitmapReleaseQueue;

// ---- The pool (bitmap_pool.cpp) ----

// The record at slot, or null outside the used range.
Bitmap* QVI_GetPooledBitmap(int slot);
// The high-water count: records at or above it were never used.
int QVI_GetPooledBitmapCount();

// The record's own lock: waits (sleeping 1 ms) while another thread holds it.
void QVI_LockBitmap(Bitmap* bitmap);
void QVI_UnlockBitmap(Bitmap* bitmap);
// A zeroed record with a heap copy of the name (null gives ""), its hash, type 1,
// state 1 and one reference.
void QVI_InitBitmapRecord(Bitmap* bitmap, const char* name);
// Releases texture, pixels and sequence data and frees the name: the record is free.
void QVI_DestroyBitmapRecord(Bitmap* bitmap);

// ---- Loading (bitmap_loading.cpp) ----

// Loads the pixels named by the bitmap's name (trying ".png", ".jpg", ".tga" and ".bms"
// for a name without extension); false on failure, the record then in state 3.
bool QVI_LoadBitmapPixels(Bitmap* bitmap);
bool QVI_LoadBitmap(Bitmap* bitmap, const char* path);

// ---- Upload and release (bitmap_upload.cpp) ----

// True on the main thread, or anywhere when the renderer makes bitmap textures anywhere.
bool QVI_IsBitmapRendererThread();
// True while a renderer takes textures: once renderer set-up has a device up (from its
// restore step until its release step) and while the renderer is ready.
bool QVI_RendererTakesTextures();
// Creates the texture (or render target) now on the main thread, else queues it.
void QVI_UploadBitmap(Bitmap* bitmap);
// True when a renderer exists that accepts textures now; waits up to 10 x 100 ms for a
// lost renderer pointer to come back.
bool QVI_RegainRenderer();
// Main-thread texture work: a render target or other texture without pixels, a texture
// from the pixels, and the release of a texture (unbound from the batch's stages first;
// the hardware data is zeroed).
bool QVI_CallRendererToCreateBitmap(Bitmap* bitmap);
bool QVI_CallRendererToLoadBitmap(Bitmap* bitmap);
void QVI_CallRendererToFreeBitmap(BitmapHardwareData* hardware);
// Takes the record's texture off every stage it is bound to and releases it (queued for
// the main thread when called elsewhere).
void QVI_ReleaseBitmapHardwareData(Bitmap* bitmap);
// Moves a loaded texture's hardware data to the release queue; the caller holds
// RESOURCE_QUEUE.
void QVI_QueueBitmapHardwareDataRelease(Bitmap* bitmap);
// Frees the pixels of the record that owns them (through an atlas, every frame's).
void QVI_FreeBitmapPixels(Bitmap* bitmap);
// A copy of the record sized as its pixels are: a manifest can give a bitmap a drawing size
// of its own (larger, 0 or negative), and reading the pixels at that size would run past them.
Bitmap QVI_StoredImageOf(const Bitmap* bitmap);
// Frees the sequence frames and the atlas (calloc'd blocks) and zeroes the hardware data.
void QVI_FreeBitmapData(Bitmap* bitmap);
// All three above for a record given back for good, internal names ('!') included.
void QVI_ReleaseBitmapResources(Bitmap* bitmap);

// The other sources: an http:// address (bitmap_sources_http.cpp), a ".bms" sequence, and
// numbered frame files matching a pattern with '*' (bitmap_sequences.cpp). Each answers false
// on failure with the record in state 3.
bool QVI_LoadBitmapHTTP(Bitmap* bitmap, const char* url);
bool QVI_LoadBitmapSequence(Bitmap* bitmap);
bool QVI_LoadBitmapSequenceFrames(Bitmap* bitmap, const char* pattern);
// Deletes the cache file an earlier QVI_LoadBitmapHTTP of the url left, so that the next load
// downloads it again.
void QVI_DeleteBitmapHTTPCache(const char* url);
