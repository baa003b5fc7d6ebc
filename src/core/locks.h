#pragma once

#include <cstdint>

#include "quaven/types.h"

struct OsLock;

// A recursive lock with a name. The program holds it only as an opaque pointer.
struct Mutex {
    char* name;             // heap copy, owned by the record
    OsLock* cs;             // the OS lock (recursive)
    uint8_t locked;         // informative only: 1 while held (a nested unlock clears it)
};

// The engine's own locks, created in this order during pre-initialisation and kept in
// g_core.locks. They are not in the registry of named user mutexes.
enum MutexId {
    MUTEX_PRINT = 0,
    MUTEX_GET_MUTEX,
    MUTEX_CREATE_DIR,
    MUTEX_GET_PATH,
    MUTEX_GET_BITMAP,
    MUTEX_GET_SOUND,
    MUTEX_GET_FONT,
    MUTEX_GET_SHADER,
    MUTEX_MAIN_LOOP,
    MUTEX_RESOURCE_QUEUE,
    MUTEX_SHARED_BITMAP,
    MUTEX_CORE_IMP,
    MUTEX_CORE_VARIABLE,
    MUTEX_COUNT
};

// API members: named user mutexes.
Mutex* QV_CreateMutex(const char* name);   // get-or-create by name; "" or null always creates
Mutex* QVI_GetOrCreateMutex(const char* name);
void QV_DestroyMutex(Mutex* mutex);        // only mutexes in the registry are freed
void QV_LockMutex(Mutex* mutex);           // null is ignored
void QV_UnlockMutex(Mutex* mutex);         // null is ignored

// The engine locks by id; a lock that does not exist (yet, or any more) is ignored.
void QVI_LockMutexById(MutexId id);
void QVI_UnlockMutexById(MutexId id);

// Holds an engine lock for the life of a scope; Release gives it back earlier.
class EngineLockHold {
public:
    explicit EngineLockHold(MutexId id) : id_(id) { QVI_LockMutexById(id_); }
    ~EngineLockHold() { Release(); }
    EngineLockHold(const EngineLockHold&) = delete;
    EngineLockHold& operator=(const EngineLockHold&) = delete;
    void Release()
    {
        if (held_)
            QVI_UnlockMutexById(id_);
        held_ = false;
    }

private:
    MutexId id_;
    bool held_ = true;
};
const char* QVI_GetMutexName(int id);      // "UNKNOWN" outside 0..12

void QVI_CreateEngineLocks();              // the 13 engine locks, in id order
void QVI_DeleteEngineLocks();              // shutdown: deletes and clears the 13 engine locks

// Shutdown and process exit.
void QVI_DeleteUserMutexes();              // deletes every mutex left in the registry and empties it
int QVI_GetUserMutexCount();

// A free-standing lock record (name copied, critical section initialised, unlocked), and
// its release. Used for locks that live outside the registry, such as "QVT_TIM".
Mutex* QVI_NewMutexRecord(const char* name);
void QVI_FreeMutexRecord(Mutex* mutex);
