#pragma once

#include <cstdint>

// What the portable core needs of the operating system: a recursive lock, a thread, the clock.
// platform/windows implements these; core includes nothing else of the OS.

struct OsLock;  // opaque; a recursive lock

OsLock* QVI_OsCreateLock();                // null when memory runs out
void QVI_OsDeleteLock(OsLock* lock);       // null is ignored
void QVI_OsEnterLock(OsLock* lock);
bool QVI_OsTryEnterLock(OsLock* lock);      // false when another thread holds it
void QVI_OsLeaveLock(OsLock* lock);
// True when the calling thread holds the lock (at any depth): leaving a lock one does not
// hold corrupts it, so callers check first.
bool QVI_OsIsLockHeldByCaller(OsLock* lock);

// Holds a lock for the life of a scope.
class OsLockHold {
public:
    explicit OsLockHold(OsLock* lock) : lock_(lock) { QVI_OsEnterLock(lock_); }
    ~OsLockHold() { QVI_OsLeaveLock(lock_); }
    OsLockHold(const OsLockHold&) = delete;
    OsLockHold& operator=(const OsLockHold&) = delete;

private:
    OsLock* lock_;
};

// A lock that many readers hold at once and one writer alone. A zeroed lock is ready to use
// and needs no undoing, so one at namespace scope ("OsReaderWriterLock lock = {};") is
// constant-initialised: usable at any point of the process's life, before start-up code and
// after exit code. Not recursive: a thread that holds it must not take it again.
struct OsReaderWriterLock {
    void* state;  // the OS's; only the functions below touch it
};

void QVI_OsEnterExclusive(OsReaderWriterLock* lock);
void QVI_OsLeaveExclusive(OsReaderWriterLock* lock);
void QVI_OsEnterShared(OsReaderWriterLock* lock);
void QVI_OsLeaveShared(OsReaderWriterLock* lock);

// Starts entry(argument) on a new OS thread whose handle is not kept. False, with the OS's
// error code in *error, when the thread could not be started.
bool QVI_OsStartThread(void (*entry)(void*), void* argument, uint32_t* error);
// The calling thread's OS pseudo-handle (meaningful only inside that thread).
void* QVI_OsCurrentThreadHandle();
// The calling thread's OS id, unique among the process's running threads (engine threads or not).
uint32_t QVI_OsCurrentThreadId();
// Runs work(argument) to its end on a thread of its own whose stack reserves stackBytes, the
// caller waiting meanwhile: a recursive walk too deep for the caller's stack goes there. False
// when no such thread could be made (the address space has no room for the stack); work has
// not run then.
bool QVI_OsRunOnOwnStack(void (*work)(void*), void* argument, uint64_t stackBytes);

uint32_t QVI_OsMilliseconds();             // the 1 ms multimedia clock; wraps after ~49.7 days
void QVI_OsSleep(uint32_t milliseconds);

// Puts a finished temporary file in place of the target (native paths), replacing it and
// written through to the disk, so a crash leaves either the old file or the new one whole.
// False leaves both files as they were.
bool QVI_OsReplaceFile(const char* temporaryPath, const char* targetPath);
// True for a native path naming a file marked read-only.
bool QVI_OsIsReadOnlyFile(const char* nativePath);

// The primary screen's size in pixels.
void QVI_OsPrimaryScreenSize(int32_t* width, int32_t* height);
