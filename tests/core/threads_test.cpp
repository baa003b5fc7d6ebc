#include "core/threads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "core/core_state.h"
#include "core/locks.h"
#include "support/engine_table.h"
#include "support/process.h"

namespace {

using quaven_test::LogCapture;

std::atomic<int> g_sleepCalls{0};
void (*g_onSleep)() = nullptr;

// What a test thread reports from inside, and the events that pace it.
struct Probe {
    HANDLE entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;   // a waitable handle of the thread itself
    uint32_t id = 0;
    bool isMain = true;
    std::string recordName = "(none)";
    int runningSeenInside = -1;

    ~Probe() {
        for (HANDLE handle : {entered, release, thread})
            if (handle)
                CloseHandle(handle);
    }

    // Lets the thread return and waits until it has fully ended, past the engine's clean-up.
    void Finish() {
        SetEvent(release);
        ASSERT_NE(thread, nullptr);
        WaitForSingleObject(thread, INFINITE);
    }
};

void ReportAndWait(void* argument) {
    Probe* probe = static_cast<Probe*>(argument);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &probe->thread, SYNCHRONIZE,
                    FALSE, 0);
    probe->id = QV_GetThreadId();
    probe->isMain = QV_IsMainThread();
    ThreadRecord* record = QVI_GetThreadRecord();
    probe->recordName = record && record->name ? record->name : "(null)";
    probe->runningSeenInside = QVI_GetRunningThreadCount();
    SetEvent(probe->entered);
    WaitForSingleObject(probe->release, INFINITE);
}

// The whole API table and core state come back afterwards; Sleep only counts.
class ThreadsTest : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        qv->Sleep = [](uint32_t) {
            ++g_sleepCalls;
            if (g_onSleep)
                g_onSleep();
        };
        g_sleepCalls = 0;
        g_onSleep = nullptr;
    }

    // Starts ReportAndWait and waits until it has reported from inside the thread.
    uint32_t StartProbe(const char* name, Probe* probe) {
        uint32_t id = QV_CreateThread(name, ReportAndWait, probe, 0);
        if (id != 0)
            WaitForSingleObject(probe->entered, INFINITE);
        return id;
    }
};

const char* const kFreshProcessVariable = "QUAVEN_THREADS_TEST_FRESH_PROCESS";

// Ids are counted per process, so the check runs in a fresh copy of this executable.
TEST_F(ThreadsTest, MainThreadIsOneEngineThreadsCountFromTwoAndOtherThreadsAreZero) {
    if (!getenv(kFreshProcessVariable)) {
        quaven_test::ChildProcess child;
        ASSERT_TRUE(child.StartSelf(quaven_test::CurrentTestFilter(), {{kFreshProcessVariable, "1"}}));
        DWORD exitCode = 1;
        ASSERT_TRUE(child.Wait(60000, &exitCode));
        EXPECT_EQ(exitCode, 0u) << "the check failed in the fresh process";
        return;
    }

    EXPECT_EQ(QV_GetThreadId(), 1u);
    EXPECT_TRUE(QV_IsMainThread());
    Probe first, second;
    EXPECT_EQ(StartProbe("First", &first), 2u);
    EXPECT_EQ(StartProbe("Second", &second), 3u);
    EXPECT_EQ(std::make_pair(first.id, second.id), std::make_pair(2u, 3u)) << "as seen inside";
    EXPECT_FALSE(first.isMain || second.isMain);
    first.Finish();
    second.Finish();

    uint32_t id = 99;
    bool isMain = true;
    std::thread([&] {
        id = QV_GetThreadId();
        isMain = QV_IsMainThread();
    }).join();
    EXPECT_EQ(id, 0u);
    EXPECT_FALSE(isMain);
}

struct MainLoopWaiter {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::atomic<bool> started{false};
    std::atomic<bool> gotLock{false};
    bool lockedInside = false;
    bool lockedAfter = true;
};

Probe* g_releasedOnSleep = nullptr;

TEST_F(ThreadsTest, RunningCountThreadListAndTheWaitForThreadsFollowTheirLivesAndLockMainLoopWaitsForTheFrame) {
    EXPECT_EQ(QVI_GetRunningThreadCount(), 0);
    ASSERT_NE(QVI_GetThreadRecord(), nullptr);   // the main thread's nameless record
    int recordsBefore = QVI_GetThreadRecordCount();

    Probe probe;
    uint32_t id = QV_CreateThread("Loader", ReportAndWait, &probe, 0);
    ASSERT_NE(id, 0u);
    // Counted from the moment CreateThread answers, whether or not it has begun.
    EXPECT_EQ(QVI_GetRunningThreadCount(), 1);
    WaitForSingleObject(probe.entered, INFINITE);
    EXPECT_EQ(probe.runningSeenInside, 1) << "the thread must not count itself a second time";
    EXPECT_EQ(probe.recordName, "Loader");
    EXPECT_EQ(QVI_GetThreadRecordCount(), recordsBefore + 1);

    QVI_LogThreadsAlive(QV_LOG_INFO);
    std::vector<std::string> texts = LogCapture::Texts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts[0], "List of threads alive:");
    EXPECT_EQ(texts.back(), "#" + std::to_string(recordsBefore) + ". 'Loader' (id " + std::to_string(id) + ")");
    EXPECT_EQ(LogCapture::CountContaining(". '<null>' (id 1)"), 1) << "the nameless main thread";

    probe.Finish();
    EXPECT_EQ(QVI_GetRunningThreadCount(), 0);
    EXPECT_EQ(QVI_GetThreadRecordCount(), recordsBefore);

    EXPECT_EQ(QVI_WaitForProgramThreads(60, 200), 0);
    EXPECT_EQ(g_sleepCalls, 0) << "no threads, no waiting";
    Probe stubborn;
    ASSERT_NE(StartProbe("Stubborn", &stubborn), 0u);
    EXPECT_EQ(QVI_WaitForProgramThreads(3, 200), 1);
    EXPECT_EQ(g_sleepCalls, 3);
    // A thread that ends during the first sleep stops the wait there.
    g_sleepCalls = 0;
    g_releasedOnSleep = &stubborn;
    g_onSleep = [] { g_releasedOnSleep->Finish(); };
    EXPECT_EQ(QVI_WaitForProgramThreads(60, 200), 0);
    EXPECT_EQ(g_sleepCalls, 1);
    // LockMainLoop waits for the frame in progress.
    Mutex* mainLoop = g_core.locks[MUTEX_MAIN_LOOP];
    QVI_LockMutexById(MUTEX_MAIN_LOOP);   // a frame is running

    MainLoopWaiter waiter;
    const auto lockMainLoopOnce = [](void* argument) {
        MainLoopWaiter* waiter = static_cast<MainLoopWaiter*>(argument);
        waiter->started = true;
        QV_LockMainLoop();
        waiter->gotLock = true;
        waiter->lockedInside = QV_IsMainLoopLocked();
        QV_UnlockMainLoop();
        waiter->lockedAfter = QV_IsMainLoopLocked();
        SetEvent(waiter->done);
    };
    ASSERT_NE(QV_CreateThread("Worker", lockMainLoopOnce, &waiter, 0), 0u);
    // Until the worker either blocks on MAIN_LOOP (a waiter shows in the Windows critical
    // section that is the lock record) or, wrongly, gets through.
    const CRITICAL_SECTION* section = reinterpret_cast<const CRITICAL_SECTION*>(mainLoop->cs);
    while (!waiter.started || (section->LockCount <= 0 && !waiter.gotLock))
        Sleep(1);
    EXPECT_FALSE(waiter.gotLock) << "LockMainLoop returned while a frame held MAIN_LOOP";

    QVI_UnlockMutexById(MUTEX_MAIN_LOOP);   // the frame ends
    WaitForSingleObject(waiter.done, INFINITE);
    CloseHandle(waiter.done);
    EXPECT_TRUE(waiter.gotLock);
    EXPECT_TRUE(waiter.lockedInside);
    EXPECT_FALSE(waiter.lockedAfter);
}

TEST_F(ThreadsTest, RefusedCreationsUseNoIdANullNameWarnsOnlyDevelopersAndConcurrentCreationsGetDistinctIds) {
    Probe before;
    uint32_t firstId = StartProbe("Before", &before);
    ASSERT_NE(firstId, 0u);
    before.Finish();

    auto neverCalled = [](void*) { ADD_FAILURE() << "a refused thread must not run"; };
    EXPECT_EQ(QV_CreateThread("Refused", neverCalled, nullptr, 1), 0u);
    EXPECT_EQ(LogCapture::CountPopups("QV_CreateThread flags parm must be set to zero - reserved for future use.",
                                      QV_LOG_WARNING),
              1);
    EXPECT_EQ(QV_CreateThread("NoFunction", nullptr, nullptr, 0), 0u);
    EXPECT_EQ(QVI_GetRunningThreadCount(), 0);

    for (uint8_t developerMode : {0, 1}) {
        g_core.developerMode = developerMode;
        LogCapture::Clear();
        Probe probe;
        EXPECT_EQ(StartProbe(nullptr, &probe), firstId + 1 + developerMode) << "the refused ones took no id";
        EXPECT_EQ(probe.recordName, "");
        EXPECT_EQ(LogCapture::CountPopups("QV_CreateThread trying to create thread with null name.", QV_LOG_WARNING),
                  developerMode);
        probe.Finish();
    }

    const int kCreators = 8, kEach = 25;
    std::vector<std::vector<uint32_t>> ids(kCreators);
    std::vector<std::thread> creators;
    for (int c = 0; c < kCreators; ++c) {
        creators.emplace_back([&ids, c] {
            for (int i = 0; i < kEach; ++i)
                ids[c].push_back(QV_CreateThread("Burst", [](void*) {}, nullptr, 0));
        });
    }
    for (std::thread& creator : creators)
        creator.join();

    std::vector<uint32_t> all;
    for (const std::vector<uint32_t>& some : ids)
        all.insert(all.end(), some.begin(), some.end());
    std::sort(all.begin(), all.end());
    EXPECT_EQ(std::adjacent_find(all.begin(), all.end()), all.end()) << "an id was handed out twice";
    EXPECT_EQ(std::count(all.begin(), all.end(), 0u), 0);
    // Every thread ends by itself; the count must come back to exactly zero.
    while (QVI_GetRunningThreadCount() > 0)
        Sleep(1);
    EXPECT_EQ(QVI_GetRunningThreadCount(), 0);
}

}  // namespace
