#include "core/locks.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/core_state.h"
#include "core/threads.h"
#include "platform/os.h"
#include "support/log_capture.h"

namespace {

using quaven_test::LogCapture;

// Whether another thread could take the lock right now (it would not block).
bool FreeForOtherThreads(Mutex* mutex) {
    bool entered = false;
    std::thread other([&] {
        entered = QVI_OsTryEnterLock(mutex->cs);
        if (entered)
            QVI_OsLeaveLock(mutex->cs);
    });
    other.join();
    return entered;
}

bool HeldByCaller(const Mutex* mutex) {
    return QVI_OsIsLockHeldByCaller(mutex->cs);
}

class LocksTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedApi_ = *qv;
        QVI_InitializeThreading();
        QVI_CreateEngineLocks();
    }

    void TearDown() override {
        QVI_DeleteUserMutexes();
        *qv = savedApi_;
    }

private:
    quaven_test::LogCapture log_;   // installed before SetUp saves the table
    QuavenAPI savedApi_;
};

TEST_F(LocksTest, DestroyFreesOnlyLiveMutexesOneNameGivesOneRecordRecursiveLocksReleaseLastAndBadIdsAreIgnored) {
    QV_LockMutex(nullptr);
    QV_UnlockMutex(nullptr);
    QV_DestroyMutex(nullptr);
    EXPECT_TRUE(LogCapture::Lines().empty());

    Mutex* mutex = QV_CreateMutex("Twice");
    Mutex* other = QV_CreateMutex("Other");
    QV_DestroyMutex(mutex);
    QV_DestroyMutex(mutex);   // only compared against the registry, never read
    EXPECT_EQ(QVI_GetUserMutexCount(), 1);
    EXPECT_EQ(QV_CreateMutex("Other"), other);
    EXPECT_NE(QV_CreateMutex("Twice"), nullptr) << "the name can be created again";
    // A record that would crash the engine if it were freed or its section deleted.
    char name[] = "stranger";
    Mutex foreign = {name, reinterpret_cast<OsLock*>(0x10), 1};
    QV_DestroyMutex(&foreign);
    EXPECT_EQ(foreign.cs, reinterpret_cast<OsLock*>(0x10));
    EXPECT_EQ(LogCapture::CountContaining("is not a live mutex", QV_LOG_WARNING), 2);

    Mutex* mainLoop = g_core.locks[MUTEX_MAIN_LOOP];
    QV_DestroyMutex(mainLoop);
    EXPECT_EQ(g_core.locks[MUTEX_MAIN_LOOP], mainLoop);
    EXPECT_EQ(LogCapture::CountContaining("'MAIN_LOOP' is an engine lock", QV_LOG_WARNING), 1);
    QVI_LockMutexById(MUTEX_MAIN_LOOP);
    EXPECT_TRUE(HeldByCaller(mainLoop)) << "still a working lock";
    QVI_UnlockMutexById(MUTEX_MAIN_LOOP);
    EXPECT_TRUE(FreeForOtherThreads(mainLoop));
    // One name gives one record, logged once, even from many threads; no name always a new one.
    Mutex* first = QV_CreateMutex("Loader");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(QV_CreateMutex("Loader"), first);
    EXPECT_EQ(LogCapture::Count("Created Mutex 'Loader'.."), 1);
    EXPECT_NE(QV_CreateMutex("LOADER"), first) << "names compare exactly";
    // Engine locks are not named user mutexes: asking for one by name makes a new lock.
    EXPECT_NE(QV_CreateMutex("PRINT"), g_core.locks[MUTEX_PRINT]);
    // Empty and null names always create new records.
    Mutex* unnamed = QV_CreateMutex(nullptr);
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(unnamed->name, "");
    EXPECT_NE(QV_CreateMutex(nullptr), unnamed);
    EXPECT_NE(QV_CreateMutex(""), QV_CreateMutex(""));
    // Threads asking for the same names at once all get one record per name.
    const int before = QVI_GetUserMutexCount();
    const int kThreads = 4, kNames = 50;
    std::vector<std::vector<Mutex*>> seen(kThreads, std::vector<Mutex*>(kNames));
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t) {
        workers.emplace_back([&seen, t] {
            for (int n = 0; n < kNames; ++n)
                seen[t][n] = QV_CreateMutex(("shared-" + std::to_string(n)).c_str());
        });
    }
    for (std::thread& worker : workers)
        worker.join();
    for (int n = 0; n < kNames; ++n) {
        for (int t = 1; t < kThreads; ++t)
            EXPECT_EQ(seen[t][n], seen[0][n]) << "name " << n;
        EXPECT_EQ(LogCapture::Count("Created Mutex 'shared-" + std::to_string(n) + "'.."), 1);
    }
    EXPECT_EQ(QVI_GetUserMutexCount(), before + kNames);

    Mutex* held = QV_CreateMutex("Held");
    QV_LockMutex(held);
    QV_LockMutex(held);
    std::thread stranger([&] { QV_UnlockMutex(held); });
    stranger.join();

    EXPECT_TRUE(HeldByCaller(held));
    EXPECT_EQ(held->locked, 1);
    EXPECT_EQ(LogCapture::CountContaining("'Held' is not held by this thread", QV_LOG_WARNING), 1);
    QV_UnlockMutex(held);
    EXPECT_FALSE(FreeForOtherThreads(held)) << "the outer lock is still held";
    QV_UnlockMutex(held);
    EXPECT_EQ(held->locked, 0);
    EXPECT_TRUE(FreeForOtherThreads(held));
    // An unlock with nothing held leaves the lock usable.
    QV_UnlockMutex(held);
    QV_LockMutex(held);
    EXPECT_TRUE(HeldByCaller(held));
    QV_UnlockMutex(held);

    EXPECT_STREQ(QVI_GetMutexName(-1), "UNKNOWN");
    EXPECT_STREQ(QVI_GetMutexName(MUTEX_COUNT), "UNKNOWN");
    QVI_LockMutexById(static_cast<MutexId>(MUTEX_COUNT));
    QVI_UnlockMutexById(static_cast<MutexId>(MUTEX_COUNT));

    QVI_DeleteEngineLocks();
    QVI_LockMutexById(MUTEX_PRINT);
    QVI_UnlockMutexById(MUTEX_PRINT);
    // The registry still works without its guard (start-up and shutdown run single-threaded).
    EXPECT_NE(QV_CreateMutex("NoGuard"), nullptr);

    QVI_CreateEngineLocks();
    EXPECT_NE(g_core.locks[MUTEX_GET_MUTEX], nullptr);
}

}  // namespace
