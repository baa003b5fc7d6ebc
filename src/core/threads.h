#pragma once

#include <cstdint>

#include "quaven/types.h"

// Per-thread state, in thread-local storage; a new thread's block starts all zero.
struct ThreadLocalState {
    uint32_t thread_id;   // 1 main thread, 2 and up engine threads, 0 every other thread
    uint32_t alignment;   // text alignment bits
    float angle;          // text angle in radians
    float maxWidth;       // text wrap width
    float scaleX, scaleY; // text scale
};

// The calling thread's block, reached without a lock or a call into the OS.
ThreadLocalState* QVI_GetThreadLocalState();

// One entry of the thread list, guarded by the "QVT_TIM" lock.
struct ThreadRecord {
    void* reserved;   // always null
    char* name;       // owned; null for threads not started through QV_CreateThread
    void* thread;     // the OS pseudo-handle of the thread, meaningful only inside that thread
    uint32_t id;      // engine thread id, the key of the list
};

// The calling thread's record, created on first use. Threads of id 0 share one record.
ThreadRecord* QVI_GetThreadRecord();

// Pre-initialisation, first thing: the main thread's block (id 1) and the "QVT_TIM" lock.
void QVI_InitializeThreading();

// API members.
uint32_t QV_CreateThread(const char* name, QVThreadFunction function, void* argument, uint32_t flags);
uint32_t QV_GetThreadId();
bool QV_IsMainThread();
void QV_LockMainLoop();
void QV_UnlockMainLoop();
bool QV_IsMainLoopLocked();

// Engine threads that have been created and not yet returned from their function.
int QVI_GetRunningThreadCount();

// Shutdown support.
// Sleeps interval milliseconds (through the API's Sleep) while engine threads are still
// running, at most maxWaits times; answers the number still running afterwards.
int QVI_WaitForProgramThreads(int maxWaits, uint32_t intervalMs);
// At the given level, logs "List of threads alive:" and "#%d. '%s' (id %u)" for each thread
// record in list order, under "QVT_TIM".
void QVI_LogThreadsAlive(int level);
int QVI_GetThreadRecordCount();
// Deletes the "QVT_TIM" lock; no thread operation may run afterwards.
void QVI_DeleteThreadListLock();
