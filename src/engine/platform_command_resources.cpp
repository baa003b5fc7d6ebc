// The developer's resource commands: reloading changed bitmaps and fonts, the memory
// estimates in key codes 2000 to 2005, and the resource listing. Each walk holds the lock of
// the pool it reads, one pool at a time.
#include "engine/platform_command.h"

#include <algorithm>
#include <cstring>

#include "core/array.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "core/engine_time.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/filesystem_api.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/drawing/user_buffers.h"
#include "graphics/graphics_api.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_api.h"
#include "text/fonts/font_pool.h"
#include "text/text_api.h"

namespace {

// A sound this large is streamed music: its memory is not the pool's.
const uint32_t kLargestCountedSound = 4194304;
const int kListingReserve = 4096;
const int kMemoryHogCount = 80;

// The name is a copy: the list is printed after the pool locks are released, when the
// record may have been given back.
struct ResourceUsageEntry {
    String name;
    const char* kind;  // "GFX", "SND" or "FNT"
    uint32_t bytes;
    int32_t width;
    int32_t height;
};

// The bytes one bitmap (or font atlas) takes; sizes wrap as unsigned 32-bit numbers.
struct BitmapBytes {
    uint32_t system;
    uint32_t gpu;
    uint32_t image;
};

BitmapBytes MeasureBitmap(const Bitmap& bitmap)
{
    BitmapBytes bytes = {0, 0, 0};
    if (bitmap.pixels)
        bytes.system = 4u * static_cast<uint32_t>(bitmap.width) * static_cast<uint32_t>(bitmap.height);
    if (!bitmap.hardware.loaded)
        return bytes;
    uint32_t full = static_cast<uint32_t>(bitmap.hardware.textureFullWidth) *
                    static_cast<uint32_t>(bitmap.hardware.textureFullHeight);
    uint32_t image = static_cast<uint32_t>(bitmap.textureWidth) * static_cast<uint32_t>(bitmap.textureHeight);
    if (bitmap.frameCount > 0 && bitmap.atlas) {
        full = static_cast<uint32_t>(bitmap.atlas->hardware.textureFullWidth) *
               static_cast<uint32_t>(bitmap.atlas->hardware.textureFullHeight);
        image = static_cast<uint32_t>(bitmap.atlas->textureWidth) * static_cast<uint32_t>(bitmap.atlas->textureHeight);
    } else if (bitmap.frameCount > 0) {
        full *= static_cast<uint32_t>(bitmap.frameCount);
        image *= static_cast<uint32_t>(bitmap.frameCount);
    }
    bytes.gpu = 4u * full;
    bytes.image = 4u * image;
    return bytes;
}

BitmapBytes MeasureFont(const Font& font)
{
    const Bitmap& atlas = font.atlas;
    BitmapBytes bytes = {0, 0, 0};
    const uint32_t area = static_cast<uint32_t>(atlas.width) * static_cast<uint32_t>(atlas.height);
    if (atlas.pixels)
        bytes.system = 4u * area;
    if (atlas.hardware.loaded) {
        bytes.gpu = 4u * static_cast<uint32_t>(atlas.hardware.textureFullWidth) *
                    static_cast<uint32_t>(atlas.hardware.textureFullHeight);
        bytes.image = 4u * area;
    }
    return bytes;
}

uint32_t CountedSoundBytes(const Sound& sound)
{
    return sound.dataSize > kLargestCountedSound ? 0 : sound.dataSize;
}

double InKB(uint64_t bytes)
{
    return static_cast<double>(bytes) / 1024.0;
}

double InMB(uint64_t bytes)
{
    return static_cast<double>(bytes) / 1048576.0;
}

// Unchanged when developer mode stored a time for the file and the file still has it.
bool IsUnchanged(const char* name, uint32_t storedTime)
{
    if (storedTime == 0 || !g_core.developerMode)
        return false;
    FileInfo info;
    return QV_FileSystem_GetFileInfo(name, &info) && info.modified == storedTime;
}

int ReloadBitmaps()
{
    int reloaded = 0;
    EngineLockHold pool(MUTEX_GET_BITMAP);
    const int count = QVI_GetPooledBitmapCount();
    for (int i = 0; i < count; ++i) {
        Bitmap* bitmap = QVI_GetPooledBitmap(i);
        if (!bitmap || !bitmap->header.name || bitmap->header.refCount <= 0 || !(bitmap->flags & kBitmapReloadable) ||
            bitmap->header.name[0] == '!')
            continue;
        if (IsUnchanged(bitmap->header.name, bitmap->sourceTime))
            continue;
        QVI_Report(QV_LOG_INFO, "Reloading '%s'...", bitmap->header.name);
        const BitmapCacheMode mode = bitmap->cacheMode;
        QV_Graphics_SetBitmapCacheMode(bitmap, QV_CACHE_NOTHING);
        QV_Graphics_SetBitmapCacheMode(bitmap, mode);
        ++reloaded;
    }
    return reloaded;
}

int ReloadFonts()
{
    int reloaded = 0;
    EngineLockHold pool(MUTEX_GET_FONT);
    const int count = QVI_GetPooledFontCount();
    for (int i = 0; i < count; ++i) {
        Font* font = QVI_GetPooledFont(i);
        if (!font || !font->header.name || font->header.refCount <= 0 || font->header.name[0] == '!')
            continue;
        if (IsUnchanged(font->header.name, font->fileTime))
            continue;
        QVI_Report(QV_LOG_INFO, "Reloading '%s'...", font->header.name);
        QV_ReloadFont(font);
        ++reloaded;
    }
    return reloaded;
}

}  // namespace

void QVI_ReloadChangedResources()
{
    // From another thread the reload runs the same way: the pools' locks guard the records,
    // and the uploads go through the resource queue to the main thread.
    uint32_t start = QV_GetMilliseconds();
    const int bitmaps = ReloadBitmaps();
    if (bitmaps > 0)
        QVI_Report(QV_LOG_INFO, "Reloaded %d changed bitmaps in %d msecs.", bitmaps,
                   static_cast<int>(QV_GetMilliseconds() - start));
    start = QV_GetMilliseconds();
    const int fonts = ReloadFonts();
    if (fonts > 0)
        QVI_Report(QV_LOG_INFO, "Reloading %d changed fonts in %d msecs.", fonts,
                   static_cast<int>(QV_GetMilliseconds() - start));
}

void QVI_RefreshMemoryUsageEstimates()
{
    uint32_t system = 0, gpu = 0, image = 0, sound = 0;
    {
        EngineLockHold pool(MUTEX_GET_BITMAP);
        for (int i = 0; i < kBitmapPoolSize; ++i) {
            const Bitmap* bitmap = QVI_GetPooledBitmap(i);
            if (!bitmap || !bitmap->header.name)
                continue;
            const BitmapBytes bytes = MeasureBitmap(*bitmap);
            system += bytes.system;
            gpu += bytes.gpu;
            image += bytes.image;
        }
    }
    {
        EngineLockHold pool(MUTEX_GET_FONT);
        for (int i = 0; i < kFontPoolSize; ++i) {
            const Font* font = QVI_GetPooledFont(i);
            if (!font || !font->header.name)
                continue;
            const BitmapBytes bytes = MeasureFont(*font);
            system += bytes.system;
            gpu += bytes.gpu;
            image += bytes.image;
        }
    }
    {
        EngineLockHold pool(MUTEX_GET_SOUND);
        const Sound* sounds = QVI_GetSoundPoolRecords();
        for (int i = 0; sounds && i < kSoundPoolSize; ++i) {
            if (sounds[i].header.name)
                sound += CountedSoundBytes(sounds[i]);
        }
    }
    const uint32_t vertex = static_cast<uint32_t>(QVI_GetUserBufferBytes());
    QV_SetKey(kMemoryEstimateTotalKey, system + gpu + sound + vertex);
    QV_SetKey(kMemoryEstimateSystemKey, system);
    QV_SetKey(kMemoryEstimateGpuKey, gpu);
    QV_SetKey(kMemoryEstimateImageKey, image);
    QV_SetKey(kMemoryEstimateSoundKey, sound);
    QV_SetKey(kMemoryEstimateVertexKey, vertex);
}

void QVI_ListResourceUsage()
{
    Array<ResourceUsageEntry> entries;
    entries.SetCapacity(kListingReserve);
    entries.autoShrink = true;
    uint64_t bitmapTotal = 0, soundTotal = 0, fontTotal = 0;
    QVI_Report(QV_LOG_SYSTEM, "Listing Resource Usage.");
    QVI_Report(QV_LOG_SYSTEM, "\nBitmaps:");
    {
        EngineLockHold pool(MUTEX_GET_BITMAP);
        for (int i = 0; i < kBitmapPoolSize; ++i) {
            Bitmap* bitmap = QVI_GetPooledBitmap(i);
            if (!bitmap || !bitmap->header.name)
                continue;
            const BitmapBytes bytes = MeasureBitmap(*bitmap);
            if (bytes.system != 0)
                QVI_Report(QV_LOG_INFO, "Bitmap #%.3d %dx%d '%s' refc=%d sysmem=%.1fKB gpumem=%.1fKB texture=%dx%d", i,
                           bitmap->width, bitmap->height, bitmap->header.name, bitmap->header.refCount,
                           InKB(bytes.system), InKB(bytes.gpu), bitmap->hardware.textureFullWidth,
                           bitmap->hardware.textureFullHeight);
            else
                QVI_Report(QV_LOG_INFO, "Bitmap #%.3d %dx%d '%s' refc=%d gpumem=%.1fKB  texture=%dx%d", i,
                           bitmap->width, bitmap->height, bitmap->header.name, bitmap->header.refCount,
                           InKB(bytes.gpu), bitmap->hardware.textureFullWidth, bitmap->hardware.textureFullHeight);
            const uint32_t sum = bytes.system + bytes.gpu;
            bitmapTotal += sum;
            if (bitmap->hardware.loaded)
                entries.Add({String(bitmap->header.name), "GFX", sum, bitmap->width, bitmap->height});
        }
    }
    QVI_Report(QV_LOG_SYSTEM, "\nSounds:");
    {
        EngineLockHold pool(MUTEX_GET_SOUND);
        const Sound* sounds = QVI_GetSoundPoolRecords();
        for (int j = 0; sounds && j < kSoundPoolSize; ++j) {
            const Sound& sound = sounds[j];
            if (!sound.header.name)
                continue;
            QVI_Report(QV_LOG_INFO, "Sound #%.3d '%s' sysmem=%.1fKB", j, sound.header.name, InKB(sound.dataSize));
            const uint32_t bytes = CountedSoundBytes(sound);
            if (sound.dataSize > kLargestCountedSound)
                QVI_Report(QV_LOG_INFO, "Assuming Sound #%.3d '%s' is music and not counting its memory", j,
                           sound.header.name);
            soundTotal += bytes;
            entries.Add({String(sound.header.name), "SND", bytes, 0, 0});
        }
    }
    QVI_Report(QV_LOG_SYSTEM, "\nFonts:");
    {
        EngineLockHold pool(MUTEX_GET_FONT);
        for (int k = 0; k < kFontPoolSize; ++k) {
            Font* font = QVI_GetPooledFont(k);
            if (!font || !font->header.name)
                continue;
            const BitmapBytes bytes = MeasureFont(*font);
            if (bytes.system != 0)
                QVI_Report(QV_LOG_INFO, "Font #%.3d '%s' sysmem=%.1fKB gpumem=%.1fKB", k, font->header.name,
                           InKB(bytes.system), InKB(bytes.gpu));
            else
                QVI_Report(QV_LOG_INFO, "Font #%.3d '%s' gpumem=%.1fKB", k, font->header.name, InKB(bytes.gpu));
            const uint32_t sum = bytes.system + bytes.gpu;
            fontTotal += sum;
            entries.Add({String(font->header.name), "FNT", sum, 0, 0});
        }
    }
    QVI_Report(QV_LOG_SYSTEM, "Total %.1fMB allocated for bitmaps in (system+gpu) memory.", InMB(bitmapTotal));
    QVI_Report(QV_LOG_SYSTEM, "Total %.1fMB allocated for sounds in system memory.", InMB(soundTotal));
    QVI_Report(QV_LOG_SYSTEM, "Total %.1fMB allocated for fonts in (system+gpu) memory.", InMB(fontTotal));
    QVI_Report(QV_LOG_SYSTEM, "Total %.1fKB allocated for all resources.", InKB(bitmapTotal + soundTotal + fontTotal));
    QVI_Report(QV_LOG_SYSTEM, "QUAVEN state size is %.1fKB.", InKB(sizeof(CoreState)));

    std::stable_sort(entries.data, entries.data + entries.count,
                     [](const ResourceUsageEntry& a, const ResourceUsageEntry& b) { return a.bytes > b.bytes; });
    const int shown = std::min(entries.count, kMemoryHogCount);
    QVI_Report(QV_LOG_INFO, "TOP%d Memory Hogs", shown);
    for (int n = 0; n < shown; ++n) {
        const ResourceUsageEntry& entry = entries.data[n];
        if (entry.width > 0)
            QVI_Report(QV_LOG_INFO, "#%.3d %s %.1fMB %dx%d %s", n + 1, entry.kind, InMB(entry.bytes), entry.width,
                       entry.height, entry.name.text);
        else
            QVI_Report(QV_LOG_INFO, "#%.3d %s %.1fMB %s", n + 1, entry.kind, InMB(entry.bytes), entry.name.text);
    }
}
