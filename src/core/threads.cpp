#include "core/threads.h"

#include <atomic>
#include <climits>
#include <cstdlib>

#include "core/array.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "platform/os.h"

namespace {

// Handed from the creating thread to the new one.
struct ThreadStart {
    QVThreadFunction function;
    char* name;   // passes to the thread's ThreadRecord
    void* argument;
    uint32_t id;
    volatile uint8_t started;
};

thread_local ThreadLocalState t_state;   // all zero in every new thread

// "QVT_TIM": guards the id counter, the running count and the thread list.
Mutex* g_threadListLock = nullptr;
uint32_t g_nextThreadId = 2;
int32_t g_runningThreads = 0;
Array<ThreadRecord*> g_threadList;
std::atomic<uint8_t> g_mainLoopLocked{0};

const uint32_t kMainThreadId = 1;
const uint32_t kFirstEngineThreadId = 2;

void SetUpThreadState(uint32_t id)
{
    t_state.thread_id = id;
    t_state.alignment = 0;
    t_state.angle = 0.0f;
    t_state.maxWidth = 0.0f;
    t_state.scaleX = 1.0f;
    t_state.scaleY = 1.0f;
}

uint32_t TakeThreadId()
{
    uint32_t id = g_nextThreadId == UINT32_MAX ? kFirstEngineThreadId : g_nextThreadId;
    g_nextThreadId = id + 1;
    return id;
}

void FreeThreadRecord(ThreadRecord* record)
{
    if (!record)
        return;
    QVI_Free(record->name);
    QVI_Free(record->reserved);
    free(record);
}

// Takes the calling engine thread's record out of the list and frees it.
void RemoveOwnThreadRecord()
{
    QV_LockMutex(g_threadListLock);
    ThreadRecord* record = QVI_GetThreadRecord();   // takes QVT_TIM again (recursive)
    if (record)
        g_threadList.Remove(record);
    QV_UnlockMutex(g_threadListLock);
    FreeThreadRecord(record);
}

void ReportThreadEnded()
{
    QV_LockMutex(g_threadListLock);
    int32_t running = --g_runningThreads;
    QV_UnlockMutex(g_threadListLock);
    if (running < 0 && qv->LogEx)
        qv->LogEx(QV_LOG_WARNING, "Thread ref counter reporting %d", running);
}

// The creator had counted the thread as running; a thread that never ran is uncounted.
void UncountThread()
{
    QV_LockMutex(g_threadListLock);
    --g_runningThreads;
    QV_UnlockMutex(g_threadListLock);
}

void ThreadEntry(void* parameter)
{
    ThreadStart* start = static_cast<ThreadStart*>(parameter);
    start->started = 1;
    SetUpThreadState(start->id);

    // The running count was raised by the creator, before this thread existed.
    QV_LockMutex(g_threadListLock);
    ThreadRecord* record = QVI_GetThreadRecord();
    if (record) {
        record->name = start->name;
        record->thread = QVI_OsCurrentThreadHandle();
    } else {
        QVI_Free(start->name);
    }
    QV_UnlockMutex(g_threadListLock);

    start->function(start->argument);

    ReportThreadEnded();
    RemoveOwnThreadRecord();
    free(start);
}

}  // namespace

ThreadLocalState* QVI_GetThreadLocalState()
{
    return &t_state;
}

ThreadRecord* QVI_GetThreadRecord()
{
    uint32_t id = t_state.thread_id;
    QV_LockMutex(g_threadListLock);
    ThreadRecord* found = nullptr;
    for (int32_t i = 0; i < g_threadList.count; ++i) {
        if (g_threadList.data[i] && g_threadList.data[i]->id == id) {
            found = g_threadList.data[i];
            break;
        }
    }
    if (!found) {
        found = static_cast<ThreadRecord*>(calloc(1, sizeof(ThreadRecord)));
        if (found) {
            found->id = id;
            g_threadList.Add(found);
        }
    }
    QV_UnlockMutex(g_threadListLock);
    return found;
}

void QVI_InitializeThreading()
{
    SetUpThreadState(kMainThreadId);
    if (!g_threadListLock)
        g_threadListLock = QVI_NewMutexRecord("QVT_TIM");
}

uint32_t QV_CreateThread(const char* name, QVThreadFunction function, void* argument, uint32_t flags)
{
    if (!name) {
        if (g_core.developerMode && qv->LogPopup)
            qv->LogPopup(QV_LOG_WARNING, "QV_CreateThread trying to create thread with null name.");
        name = "";
    }
    if (flags != 0) {
        if (qv->LogPopup)
            qv->LogPopup(QV_LOG_WARNING, "QV_CreateThread flags parm must be set to zero - reserved for future use.");
        return 0;
    }
    // The new thread would call through it at once.
    if (!function) {
        if (qv->LogPopup)
            qv->LogPopup(QV_LOG_WARNING, "QV_CreateThread called without a thread function for thread '%s'.", name);
        return 0;
    }

    ThreadStart* start = static_cast<ThreadStart*>(calloc(1, sizeof(ThreadStart)));
    char* nameCopy = QVI_StrDup(name);
    if (!start || !nameCopy) {
        free(start);
        QVI_Free(nameCopy);
        return 0;
    }

    // Counted as running before it starts, so that shutdown waits for it even if it
    // has not yet reached its first instruction.
    QV_LockMutex(g_threadListLock);
    uint32_t id = TakeThreadId();
    ++g_runningThreads;
    QV_UnlockMutex(g_threadListLock);

    start->function = function;
    start->name = nameCopy;
    start->argument = argument;
    start->id = id;
    start->started = 0;

    uint32_t error = 0;
    if (!QVI_OsStartThread(ThreadEntry, start, &error)) {
        UncountThread();
        QVI_Free(start->name);
        free(start);
        if (qv->LogEx)
            qv->LogEx(QV_LOG_WARNING, "QV_CreateThread could not start thread '%s' (error %lu).", name,
                      static_cast<unsigned long>(error));
        return 0;
    }
    return id;
}

uint32_t QV_GetThreadId()
{
    return t_state.thread_id;
}

bool QV_IsMainThread()
{
    return t_state.thread_id == kMainThreadId;
}

void QV_LockMainLoop()
{
    g_mainLoopLocked = 1;
    if (!QV_IsMainThread())
        QVI_LockMutexById(MUTEX_MAIN_LOOP);
}

void QV_UnlockMainLoop()
{
    g_mainLoopLocked = 0;
    if (!QV_IsMainThread())
        QVI_UnlockMutexById(MUTEX_MAIN_LOOP);
}

bool QV_IsMainLoopLocked()
{
    if (QV_IsMainThread())
        return true;
    return g_mainLoopLocked != 0;
}

int QVI_GetRunningThreadCount()
{
    QV_LockMutex(g_threadListLock);
    int running = g_runningThreads;
    QV_UnlockMutex(g_threadListLock);
    return running;
}

int QVI_WaitForProgramThreads(int maxWaits, uint32_t intervalMs)
{
    int running = QVI_GetRunningThreadCount();
    for (int wait = 0; wait < maxWaits && running > 0; ++wait) {
        if (qv->Sleep)
            qv->Sleep(intervalMs);
        else
            QVI_OsSleep(intervalMs);
        running = QVI_GetRunningThreadCount();
    }
    return running;
}

void QVI_LogThreadsAlive(int level)
{
    if (!qv->LogEx)
        return;
    QV_LockMutex(g_threadListLock);
    qv->LogEx(level, "List of threads alive:");
    for (int32_t i = 0; i < g_threadList.count; ++i) {
        const ThreadRecord* record = g_threadList.data[i];
        if (!record)
            continue;
        qv->LogEx(level, "#%d. '%s' (id %u)", static_cast<int>(i), record->name ? record->name : "<null>",
                  static_cast<unsigned>(record->id));
    }
    QV_UnlockMutex(g_threadListLock);
}

int QVI_GetThreadRecordCount()
{
    QV_LockMutex(g_threadListLock);
    int count = g_threadList.count;
    QV_UnlockMutex(g_threadListLock);
    return count;
}

void QVI_DeleteThreadListLock()
{
    Mutex* lock = g_threadListLock;
    g_threadListLock = nullptr;
    QVI_FreeMutexRecord(lock);
}
