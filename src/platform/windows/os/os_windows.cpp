#include "platform/os.h"

#include "platform/windows/win32.h"

#include <cstdlib>
#include <new>

struct OsLock {
    CRITICAL_SECTION section;
};

OsLock* QVI_OsCreateLock()
{
    OsLock* lock = static_cast<OsLock*>(malloc(sizeof(OsLock)));
    if (lock)
        InitializeCriticalSection(&lock->section);
    return lock;
}

void QVI_OsDeleteLock(OsLock* lock)
{
    if (!lock)
        return;
    DeleteCriticalSection(&lock->section);
    free(lock);
}

void QVI_OsEnterLock(OsLock* lock)
{
    EnterCriticalSection(&lock->section);
}

bool QVI_OsTryEnterLock(OsLock* lock)
{
    return TryEnterCriticalSection(&lock->section) != 0;
}

void QVI_OsLeaveLock(OsLock* lock)
{
    LeaveCriticalSection(&lock->section);
}

bool QVI_OsIsLockHeldByCaller(OsLock* lock)
{
    HANDLE caller = reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId()));
    return lock->section.OwningThread == caller && lock->section.RecursionCount > 0;
}

namespace {

struct ThreadStart {
    void (*entry)(void*);
    void* argument;
};

DWORD WINAPI RunThread(LPVOID parameter)
{
    ThreadStart start = *static_cast<ThreadStart*>(parameter);
    delete static_cast<ThreadStart*>(parameter);
    start.entry(start.argument);
    return 0;
}

// The caller waits for this one, so its record stays on the caller's stack.
DWORD WINAPI RunOwnStackWork(LPVOID parameter)
{
    const ThreadStart* start = static_cast<const ThreadStart*>(parameter);
    start->entry(start->argument);
    return 0;
}

typedef DWORD(WINAPI* TimeGetTimeFunction)(void);

// The multimedia clock (1 ms steps, same epoch and 32-bit wrap as GetTickCount). It is
// looked up at run time so that the engine needs no import library for one function; the
// tick count stands in where winmm is missing.
TimeGetTimeFunction ResolveMultimediaClock()
{
    HMODULE winmm = LoadLibraryA("winmm.dll");
    if (!winmm)
        return nullptr;
    return reinterpret_cast<TimeGetTimeFunction>(reinterpret_cast<void*>(GetProcAddress(winmm, "timeGetTime")));
}

}  // namespace

bool QVI_OsStartThread(void (*entry)(void*), void* argument, uint32_t* error)
{
    ThreadStart* start = new (std::nothrow) ThreadStart{entry, argument};
    if (!start) {
        *error = ERROR_NOT_ENOUGH_MEMORY;
        return false;
    }
    HANDLE thread = CreateThread(nullptr, 0, RunThread, start, 0, nullptr);
    if (!thread) {
        *error = GetLastError();
        delete start;
        return false;
    }
    // Nobody joins engine threads: the thread list, not the handle, tracks them.
    CloseHandle(thread);
    return true;
}

void* QVI_OsCurrentThreadHandle()
{
    return GetCurrentThread();
}

uint32_t QVI_OsCurrentThreadId()
{
    return GetCurrentThreadId();
}

bool QVI_OsRunOnOwnStack(void (*work)(void*), void* argument, uint64_t stackBytes)
{
    // Only reserved: the pages are committed as the walk reaches them.
    if (!work || stackBytes == 0 || stackBytes > 0x7FFFFFFFu)
        return false;
    ThreadStart start = {work, argument};
    HANDLE thread = CreateThread(nullptr, static_cast<SIZE_T>(stackBytes), RunOwnStackWork, &start,
                                 STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!thread)
        return false;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    return true;
}

uint32_t QVI_OsMilliseconds()
{
    static const TimeGetTimeFunction multimediaClock = ResolveMultimediaClock();
    if (multimediaClock)
        return multimediaClock();
    return GetTickCount();
}

void QVI_OsSleep(uint32_t milliseconds)
{
    Sleep(milliseconds);
}

bool QVI_OsReplaceFile(const char* temporaryPath, const char* targetPath)
{
    return temporaryPath && targetPath &&
           MoveFileExA(temporaryPath, targetPath, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool QVI_OsIsReadOnlyFile(const char* nativePath)
{
    const DWORD attributes = GetFileAttributesA(nativePath);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY);
}

void QVI_OsPrimaryScreenSize(int32_t* width, int32_t* height)
{
    *width = GetSystemMetrics(SM_CXSCREEN);
    *height = GetSystemMetrics(SM_CYSCREEN);
}

// A slim reader/writer lock is one pointer, zero when free (SRWLOCK_INIT), so the seam's
// zeroed record is one without start-up or exit code.
static_assert(sizeof(OsReaderWriterLock) == sizeof(SRWLOCK), "the seam's lock must be an SRWLOCK");
static_assert(alignof(OsReaderWriterLock) >= alignof(SRWLOCK), "the seam's lock must be an SRWLOCK");

namespace {

PSRWLOCK SlimLock(OsReaderWriterLock* lock)
{
    return reinterpret_cast<PSRWLOCK>(lock);
}

}  // namespace

void QVI_OsEnterExclusive(OsReaderWriterLock* lock)
{
    AcquireSRWLockExclusive(SlimLock(lock));
}

void QVI_OsLeaveExclusive(OsReaderWriterLock* lock)
{
    ReleaseSRWLockExclusive(SlimLock(lock));
}

void QVI_OsEnterShared(OsReaderWriterLock* lock)
{
    AcquireSRWLockShared(SlimLock(lock));
}

void QVI_OsLeaveShared(OsReaderWriterLock* lock)
{
    ReleaseSRWLockShared(SlimLock(lock));
}
