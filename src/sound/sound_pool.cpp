// The sound pool: records found by name, reference counts, hibernation and reloading.
#include "sound/sound_api.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "sound/interface/sound_implementation.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_module.h"

namespace {

Sound g_sounds[kSoundPoolSize];
int32_t g_highWater = 0;

const char kSilentName[] = "!NONE";
const uint8_t kLoaded = QV_SOUND_LOAD;
const uint32_t kLookupOnly = QV_SOUND_LOOKUP_ONLY;
const uint32_t kCountedByGetSound = 1;
const int kSuspiciousReferences = 4096;
const int kMostReferences = INT16_MAX;
const int kPathBytes = 512;
const char* const kExtensions[] = {"%s.wav", "%s.ogg", "%s.mp3"};

void TraceReferences(const char* format, const Sound* sound)
{
    if (g_core.traceReferenceCounts)
        QVI_Report(QV_LOG_INFO, format, sound->header.name, sound->header.refCount);
}

// GET_SOUND is held.
Sound* FindRecord(const char* name, uint32_t hash)
{
    for (int32_t i = 0; i < g_highWater; ++i) {
        Sound* record = &g_sounds[i];
        if (record->header.hash == hash && record->header.name && strcmp(record->header.name, name) == 0)
            return record;
    }
    return nullptr;
}

// The first free record below the high-water count, else the next one; null when all 512
// are taken. GET_SOUND is held.
Sound* TakeFreeRecord()
{
    for (int32_t i = 0; i < g_highWater; ++i) {
        if (!g_sounds[i].header.name)
            return &g_sounds[i];
    }
    if (g_highWater >= kSoundPoolSize)
        return nullptr;
    return &g_sounds[g_highWater++];
}

// Zeroes the record and gives it the name with a count of 1. False when the name could not
// be copied (the record stays free). GET_SOUND is held.
bool InitSound(Sound* sound, const char* name)
{
    memset(sound, 0, sizeof(*sound));
    sound->header.name = QVI_StrDup(name);
    if (!sound->header.name)
        return false;
    sound->header.hash = QVI_HashString(sound->header.name);
    sound->header.type = kSoundResourceType;
    sound->header.slot = static_cast<int32_t>(sound - g_sounds);
    sound->header.refCount = 1;
    sound->unused = -1;
    return true;
}

// A new record for the name, or null after the pool's complaint. GET_SOUND is held and is
// released on the way out either way.
Sound* CreateRecord(EngineLockHold& pool, const char* name)
{
    QVI_Report(QV_LOG_INFO, "..caching sound '%s'", name);
    Sound* record = TakeFreeRecord();
    if (!record || !InitSound(record, name)) {
        pool.Release();
        QVI_ReportPopup(QV_LOG_ERROR, " ! Quaven out of free sounds.");
        return nullptr;
    }
    return record;
}

void WarnSoundNameExtension(const char* name)
{
    if (!g_core.developerMode || !name)
        return;
    const size_t length = strlen(name);
    if (length < 5)
        return;
    if (memchr(name + length - 4, '.', 4))
        QVI_ReportPopup(QV_LOG_WARNING, "Sound name '%s' has file extension. Remove it from the file name.", name);
}

// A '.' after the last '/' (the first character does not count: ".wav" alone is a name).
bool HasExtension(const char* name)
{
    for (size_t i = strlen(name); i-- > 1;) {
        if (name[i] == '/')
            return false;
        if (name[i] == '.')
            return true;
    }
    return false;
}

void UnloadSoundData(Sound* sound)
{
    SoundImplementation* implementation = QVI_GetSoundModuleImplementation();
    if (sound->sample && implementation)
        implementation->UnloadSound(sound);
}

void ResolveOrComplain(Sound* sound)
{
    if (!QVI_ResolveSoundFile(sound))
        QVI_ReportPopup(QV_LOG_WARNING, "Sound resource '%s' not found.", sound->header.name);
}

// Loads (state 4) or hibernates (state 0) the record's data. Hibernation runs with GET_SOUND
// held, loading without it.
void SetSoundResidency(Sound* sound, uint8_t state)
{
    if (sound->residency == state)
        return;
    if (state & kLoaded) {
        ResolveOrComplain(sound);
        sound->residency = state;
    } else if (state == 0) {
        UnloadSoundData(sound);
        sound->sample = nullptr;
        sound->dataSize = 0;
        sound->residency = 0;
    }
}

// How a lookup counts the caller's reference: LoadSound counts every call, GetSound one
// reference per record, however often it is asked.
enum Counting { kCountEveryCall, kCountOnce };

struct PoolAnswer {
    Sound* record = nullptr;  // null: the pool is full, or a lookup only found nothing
    bool created = false;     // a new record, its data still to be loaded
    bool reawakened = false;  // LoadSound brought a hibernated record's count back to 1
};

// The lookup LoadSound and GetSoundEx share: the record of the name with the caller's
// reference counted, or a new record whose first count is the caller's. Silent names are
// never counted; a lookup only creates and counts nothing.
PoolAnswer TakeRecord(const char* name, Counting counting, bool lookupOnly)
{
    PoolAnswer answer;
    const uint32_t hash = QVI_HashString(name);
    EngineLockHold pool(MUTEX_GET_SOUND);
    Sound* found = FindRecord(name, hash);
    if (found) {
        answer.record = found;
        if (lookupOnly || QVI_IsSilentSoundName(found->header.name)) {
            answer.reawakened = counting == kCountEveryCall && found->header.refCount == 1;
            return answer;
        }
        if (counting == kCountOnce) {
            if (found->flags & kCountedByGetSound)
                return answer;
            if (found->header.refCount < kMostReferences)
                ++found->header.refCount;
            found->flags |= kCountedByGetSound;
            pool.Release();
            TraceReferences("'%s' ref count++ (GetSound): now %d", found);
            return answer;
        }
        const int count = found->header.refCount + 1;
        if (g_core.traceReferenceCounts)
            QVI_Report(QV_LOG_INFO, "'%s' ref count++: now %d", name, count);
        const bool capped = count > kSuspiciousReferences;
        found->header.refCount = static_cast<int16_t>(capped ? kSuspiciousReferences : count);
        answer.reawakened = found->header.refCount == 1;
        pool.Release();
        if (capped)
            QVI_ReportPopup(QV_LOG_WARNING, "Sound '%s' reference count suspiciously high: capping at %d.", name,
                            kSuspiciousReferences);
        return answer;
    }
    if (lookupOnly)
        return answer;

    Sound* record = CreateRecord(pool, name);
    if (!record)
        return answer;
    if (counting == kCountOnce)
        record->flags |= kCountedByGetSound;
    pool.Release();
    TraceReferences(counting == kCountOnce ? "'%s' ref count = %d (GetSound)" : "'%s' ref count = %d", record);
    answer.record = record;
    answer.created = true;
    return answer;
}

// A new record takes its first load state: "!NONE" only notes it (it has no file), and
// without an implementation the record stays unloaded.
void SettleNewRecord(Sound* record, uint8_t state)
{
    if (strcmp(record->header.name, kSilentName) == 0)
        record->residency = state;
    else if (QVI_GetSoundModuleImplementation())
        SetSoundResidency(record, state);
}

}  // namespace

bool QVI_ResolveSoundFile(Sound* sound)
{
    if (!sound || !sound->header.name)
        return false;
    SoundImplementation* implementation = QVI_GetSoundModuleImplementation();
    const char* name = sound->header.name;
    if (HasExtension(name))
        return implementation ? implementation->LoadSound(sound, name) : true;

    char candidate[kPathBytes];
    for (const char* pattern : kExtensions) {
        const int written = snprintf(candidate, sizeof candidate, pattern, name);
        if (written < 0 || written >= kPathBytes) {
            QVI_Report(QV_LOG_WARNING, "Sound '%s': name too long for a file path.", name);
            return false;
        }
        if (!implementation || implementation->LoadSound(sound, candidate)) {
            char* path = QVI_StrDup(candidate);
            QVI_Free(sound->resolvedPath);
            sound->resolvedPath = path;
            return true;
        }
    }
    return false;
}

Sound* QV_LoadSound(const char* name)
{
    WarnSoundNameExtension(name);
    if (!name) {
        // Every null would otherwise take a record of its own: the pool would fill up.
        QVI_ReportPopup(QV_LOG_WARNING, "qv->LoadSound called with null parameter (forbidden).");
        return nullptr;
    }
    const PoolAnswer answer = TakeRecord(name, kCountEveryCall, false);
    if (answer.created)
        SettleNewRecord(answer.record, kLoaded);
    else if (answer.reawakened)
        SetSoundResidency(answer.record, kLoaded);
    return answer.record;
}

Sound* QV_GetSoundEx(const char* name, uint32_t flags)
{
    WarnSoundNameExtension(name);
    if (!name) {
        QVI_ReportPopup(QV_LOG_WARNING, "QV_GetSoundEx called with null parameter (forbidden).");
        return nullptr;
    }
    // The data of a hibernated record are not loaded again here; LoadSound and AddSoundRef do.
    const PoolAnswer answer = TakeRecord(name, kCountOnce, flags == kLookupOnly);
    if (answer.created)
        SettleNewRecord(answer.record, static_cast<uint8_t>(flags));
    return answer.record;
}

Sound* QV_GetSound(const char* name)
{
    return QV_GetSoundEx(name, QV_SOUND_LOAD);
}

void QV_AddSoundRef(Sound* sound, const uint32_t* count)
{
    if (!sound || !count || *count == 0)
        return;
    if (!QVI_IsSoundPoolRecord(sound) || !sound->header.name) {
        QVI_Report(QV_LOG_WARNING, "QV_AddSoundRef: %p is not a sound of the pool; ignored.",
                   static_cast<void*>(sound));
        return;
    }
    const int amount = static_cast<int>(*count & 0xFFFFu);
    if (amount == 0)
        return;

    EngineLockHold pool(MUTEX_GET_SOUND);
    const int before = sound->header.refCount;
    // Saturating: a 16-bit count that wrapped would turn negative and hibernate a sound in use.
    const int after = before + amount > kMostReferences ? kMostReferences : before + amount;
    sound->header.refCount = static_cast<int16_t>(after);
    pool.Release();
    if (before == 0 && sound->residency != kLoaded) {
        ResolveOrComplain(sound);
        sound->residency = kLoaded;
    }
}

void QV_ReleaseSound(Sound* sound)
{
    if (!sound)
        return;
    if (!QVI_IsSoundPoolRecord(sound)) {
        QVI_Report(QV_LOG_WARNING, "QV_ReleaseSound: %p is not a sound of the pool; ignored.",
                   static_cast<void*>(sound));
        return;
    }
    if (!sound->header.name || QVI_IsSilentSoundName(sound->header.name))
        return;

    EngineLockHold pool(MUTEX_GET_SOUND);
    if (!g_core.referenceCounting) {
        UnloadSoundData(sound);
        sound->sample = nullptr;
        sound->residency = 0;
        QVI_Free(sound->header.name);
        sound->header.name = nullptr;
        QVI_Free(sound->resolvedPath);
        sound->resolvedPath = nullptr;
        sound->dataSize = 0;
        return;
    }

    --sound->header.refCount;
    if (g_core.traceReferenceCounts)
        QVI_Report(QV_LOG_INFO, "ReleaseSound: '%s' ref count--: now %d", sound->header.name, sound->header.refCount);
    if ((sound->flags & kCountedByGetSound) && sound->header.refCount == 0)
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Releasing sound '%s' too many times: ref counting will get messed up. NOTE: sound has been "
                        "accessed using GetSound which increses ref count by 1 once.",
                        sound->header.name);
    if (sound->header.refCount == 0) {
        QVI_Report(QV_LOG_INFO, "Hibernating sound '%s'..", sound->header.name);
        SetSoundResidency(sound, 0);
    } else if (sound->header.refCount < 0) {
        sound->header.refCount = 0;
        QVI_ReportPopup(QV_LOG_WARNING, "Sound '%s' reference count less than zero.", sound->header.name);
    }
}

bool QVI_IsSilentSoundName(const char* name)
{
    return name && name[0] == '!';
}

Sound* QVI_GetSoundPoolRecords()
{
    return g_sounds;
}

int32_t QVI_GetSoundPoolUsedCount()
{
    return g_highWater;
}

bool QVI_IsSoundPoolRecord(const Sound* sound)
{
    const uintptr_t address = reinterpret_cast<uintptr_t>(sound);
    const uintptr_t first = reinterpret_cast<uintptr_t>(g_sounds);
    if (address < first || address >= first + sizeof g_sounds)
        return false;
    return (address - first) % sizeof(Sound) == 0;
}

void QVI_ReloadPooledSounds()
{
    EngineLockHold pool(MUTEX_GET_SOUND);
    for (int32_t i = 0; i < g_highWater; ++i) {
        Sound* sound = &g_sounds[i];
        const char* name = sound->header.name;
        if (!name || QVI_IsSilentSoundName(name) || (sound->residency == 0 && sound->header.refCount <= 0))
            continue;
        if (!QVI_ResolveSoundFile(sound))
            QVI_Report(QV_LOG_WARNING, "Unable to reload sound '%s'", name);
        // A record in use that had no implementation to load it holds its data from now on.
        if (sound->residency == 0)
            sound->residency = kLoaded;
    }
}
