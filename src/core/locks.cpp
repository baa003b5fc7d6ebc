#include "core/locks.h"

#include <cstdlib>

#include "core/array.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "platform/os.h"

namespace {

const char* const kEngineLockNames[MUTEX_COUNT] = {
    "PRINT",     "GET_MUTEX",      "CREATE_DIR",    "GET_PATH", "GET_BITMAP",
    "GET_SOUND", "GET_FONT",       "GET_SHADER",    "MAIN_LOOP", "RESOURCE_QUEUE",
    "SHARED_BITMAP", "CORE_IMP",   "CORE_VARIABLE",
};

static_assert(sizeof(g_core.locks) / sizeof(g_core.locks[0]) == MUTEX_COUNT,
              "the core state holds one pointer per engine lock");

// Named user mutexes in creation order, guarded by GET_MUTEX.
Array<Mutex*> g_userMutexes;

bool IsEngineLock(const Mutex* mutex)
{
    for (int id = 0; id < MUTEX_COUNT; ++id) {
        if (g_core.locks[id] == mutex)
            return true;
    }
    return false;
}

Mutex* FindUserMutex(const char* name)
{
    for (int32_t i = 0; i < g_userMutexes.count; ++i) {
        Mutex* mutex = g_userMutexes.data[i];
        if (mutex && QVI_StrEqual(mutex->name, name))
            return mutex;
    }
    return nullptr;
}

void Enter(Mutex* mutex)
{
    if (!mutex || !mutex->cs)
        return;
    QVI_OsEnterLock(mutex->cs);
    mutex->locked = 1;
}

// Leaving a critical section that the caller does not hold corrupts it, so such an
// unlock is refused; answers whether the lock was left.
bool LeaveIfHeld(Mutex* mutex)
{
    if (!mutex || !mutex->cs)
        return false;
    if (!QVI_OsIsLockHeldByCaller(mutex->cs))
        return false;
    mutex->locked = 0;
    QVI_OsLeaveLock(mutex->cs);
    return true;
}

Mutex* EngineLock(MutexId id)
{
    if (id < 0 || id >= MUTEX_COUNT)
        return nullptr;
    return g_core.locks[id];
}

}  // namespace

Mutex* QVI_NewMutexRecord(const char* name)
{
    Mutex* mutex = static_cast<Mutex*>(calloc(1, sizeof(Mutex)));
    if (!mutex)
        return nullptr;
    mutex->name = QVI_StrDup(name);
    mutex->cs = QVI_OsCreateLock();
    if (!mutex->name || !mutex->cs) {
        QVI_Free(mutex->name);
        QVI_OsDeleteLock(mutex->cs);
        free(mutex);
        return nullptr;
    }
    mutex->locked = 0;
    return mutex;
}

void QVI_FreeMutexRecord(Mutex* mutex)
{
    if (!mutex)
        return;
    QVI_OsDeleteLock(mutex->cs);
    QVI_Free(mutex->name);
    free(mutex);
}

Mutex* QVI_GetOrCreateMutex(const char* name)
{
    if (!name)
        name = "";

    QVI_LockMutexById(MUTEX_GET_MUTEX);
    // An empty name never matches: every anonymous lock is a lock of its own.
    if (name[0] != '\0') {
        Mutex* existing = FindUserMutex(name);
        if (existing) {
            QVI_UnlockMutexById(MUTEX_GET_MUTEX);
            return existing;
        }
    }
    Mutex* created = QVI_NewMutexRecord(name);
    if (created)
        g_userMutexes.Add(created);
    QVI_UnlockMutexById(MUTEX_GET_MUTEX);

    // Logged outside GET_MUTEX: the log writer takes locks of its own.
    if (created && qv->Log)
        qv->Log("Created Mutex '%s'..", name);
    return created;
}

Mutex* QV_CreateMutex(const char* name)
{
    return QVI_GetOrCreateMutex(name);
}

void QV_DestroyMutex(Mutex* mutex)
{
    if (!mutex)
        return;
    // The engine's own locks live until shutdown, whoever asks.
    if (IsEngineLock(mutex)) {
        if (qv->LogEx)
            qv->LogEx(QV_LOG_WARNING, "DestroyMutex: '%s' is an engine lock and is not destroyed.", mutex->name);
        return;
    }

    QVI_LockMutexById(MUTEX_GET_MUTEX);
    bool found = g_userMutexes.Remove(mutex);
    QVI_UnlockMutexById(MUTEX_GET_MUTEX);

    // Only a record still in the registry is known to be alive: anything else (a foreign
    // pointer, a second destroy) must not be touched at all.
    if (!found) {
        if (qv->LogEx)
            qv->LogEx(QV_LOG_WARNING, "DestroyMutex: %p is not a live mutex from CreateMutex; ignored.",
                      static_cast<void*>(mutex));
        return;
    }
    QVI_FreeMutexRecord(mutex);
}

void QV_LockMutex(Mutex* mutex)
{
    Enter(mutex);
}

void QV_UnlockMutex(Mutex* mutex)
{
    if (!mutex || LeaveIfHeld(mutex))
        return;
    // The log writer unlocks mutexes too: a fault there must not report itself forever.
    static thread_local bool reporting = false;
    if (reporting || !qv->LogEx)
        return;
    reporting = true;
    qv->LogEx(QV_LOG_WARNING, "UnlockMutex: '%s' is not held by this thread; ignored.", mutex->name ? mutex->name : "");
    reporting = false;
}

void QVI_LockMutexById(MutexId id)
{
    Enter(EngineLock(id));
}

void QVI_UnlockMutexById(MutexId id)
{
    LeaveIfHeld(EngineLock(id));
}

const char* QVI_GetMutexName(int id)
{
    if (id < 0 || id >= MUTEX_COUNT)
        return "UNKNOWN";
    return kEngineLockNames[id];
}

void QVI_CreateEngineLocks()
{
    for (int id = 0; id < MUTEX_COUNT; ++id) {
        if (!g_core.locks[id])
            g_core.locks[id] = QVI_NewMutexRecord(kEngineLockNames[id]);
    }
}

void QVI_DeleteEngineLocks()
{
    for (int id = 0; id < MUTEX_COUNT; ++id) {
        Mutex* mutex = g_core.locks[id];
        g_core.locks[id] = nullptr;
        QVI_FreeMutexRecord(mutex);
    }
}

void QVI_DeleteUserMutexes()
{
    // Runs after the engine locks are gone, so GET_MUTEX is not taken.
    for (int32_t i = 0; i < g_userMutexes.count; ++i)
        QVI_FreeMutexRecord(g_userMutexes.data[i]);
    g_userMutexes.Release();
}

int QVI_GetUserMutexCount()
{
    QVI_LockMutexById(MUTEX_GET_MUTEX);
    int count = g_userMutexes.count;
    QVI_UnlockMutexById(MUTEX_GET_MUTEX);
    return count;
}
