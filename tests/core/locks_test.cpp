#include "core/locks.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "core/api_pointer.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "support/log_capture.h"

namespace {

using quaven_test::LogCapture;

// Whether another thread could take the lock right now (it would not block).
bool FreeForOtherThreads(Mutex* mutex)
{
    bool entered = false;
    std::thread other([&] {
        entered = TryEnterCriticalSection(mutex->cs) != 0;
        if (entered)
            LeaveCriticalSection(mutex->cs);
    });
    other.join();
    return entered;
}

bool HeldByCaller(const Mutex* mutex)
{
    return mutex->cs->OwningThread == reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(GetCurrentThreadId())) &&
           mutex->cs->RecursionCount > 0;
}

class LocksTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedApi_ = *qv;
        QVI_InitializeThreading();
        QVI_CreateEngineLocks();
    }

    void TearDown() override
    {
        QVI_DeleteUserMutexes();
        *qv = savedApi_;
    }

private:
    quaven_test::LogCapture log_;   // installed before SetUp saves the table
    QuavenAPI savedApi_;
};

TEST_F(LocksTest, SameNameGivesSameRecordAndLogsOnce)
{
    Mutex* first = QV_CreateMutex("Loader");
    Mutex* second = QV_CreateMutex("Loader");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_STREQ(first->name, "Loader");
    EXPECT_EQ(first->locked, 0);
    EXPECT_EQ(LogCapture::Count("Created Mutex 'Loader'.."), 1);
    EXPECT_EQ(QVI_GetUserMutexCount(), 1);
}

TEST_F(LocksTest, NamesCompareExactly)
{
    Mutex* lower = QV_CreateMutex("Lock");
    Mutex* upper = QV_CreateMutex("LOCK");
    Mutex* longer = QV_CreateMutex("Lock2");
    EXPECT_NE(lower, upper);
    EXPECT_NE(lower, longer);
    EXPECT_EQ(QV_CreateMutex("LOCK"), upper);
}

TEST_F(LocksTest, EmptyAndNullNamesAlwaysCreateNewRecords)
{
    Mutex* emptyA = QV_CreateMutex("");
    Mutex* emptyB = QV_CreateMutex("");
    Mutex* nullA = QV_CreateMutex(nullptr);
    Mutex* nullB = QV_CreateMutex(nullptr);
    ASSERT_NE(emptyA, nullptr);
    ASSERT_NE(nullA, nullptr);
    EXPECT_NE(emptyA, emptyB);
    EXPECT_NE(nullA, nullB);
    EXPECT_NE(emptyA, nullA);
    EXPECT_STREQ(nullA->name, "");
    EXPECT_EQ(LogCapture::Count("Created Mutex ''.."), 4);
    EXPECT_EQ(QVI_GetUserMutexCount(), 4);
}

TEST_F(LocksTest, HolderMayLockAgainAndReleasesOnlyOnLastUnlock)
{
    Mutex* mutex = QV_CreateMutex("Recursive");
    QV_LockMutex(mutex);
    QV_LockMutex(mutex);
    EXPECT_EQ(mutex->locked, 1);
    EXPECT_FALSE(FreeForOtherThreads(mutex));

    QV_UnlockMutex(mutex);
    EXPECT_FALSE(FreeForOtherThreads(mutex)) << "the outer lock is still held";

    QV_UnlockMutex(mutex);
    EXPECT_EQ(mutex->locked, 0);
    EXPECT_TRUE(FreeForOtherThreads(mutex));
}

TEST_F(LocksTest, UnlockByAThreadThatDoesNotHoldTheLockIsIgnored)
{
    Mutex* mutex = QV_CreateMutex("Held");
    QV_LockMutex(mutex);
    std::thread stranger([&] { QV_UnlockMutex(mutex); });
    stranger.join();

    EXPECT_TRUE(HeldByCaller(mutex));
    EXPECT_EQ(mutex->locked, 1);
    EXPECT_EQ(LogCapture::CountContaining("'Held' is not held by this thread", QV_LOG_WARNING), 1);
    QV_UnlockMutex(mutex);
    EXPECT_TRUE(FreeForOtherThreads(mutex));

    // An unlock with nothing held leaves the lock usable.
    QV_UnlockMutex(mutex);
    QV_LockMutex(mutex);
    EXPECT_TRUE(HeldByCaller(mutex));
    QV_UnlockMutex(mutex);
}

TEST_F(LocksTest, NullMutexIsIgnoredEverywhere)
{
    QV_LockMutex(nullptr);
    QV_UnlockMutex(nullptr);
    QV_DestroyMutex(nullptr);
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(LocksTest, DestroyRemovesTheRecordSoTheNameCanBeCreatedAgain)
{
    Mutex* first = QV_CreateMutex("Again");
    QV_DestroyMutex(first);
    EXPECT_EQ(QVI_GetUserMutexCount(), 0);

    Mutex* second = QV_CreateMutex("Again");
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(QVI_GetUserMutexCount(), 1);
    EXPECT_EQ(LogCapture::Count("Created Mutex 'Again'.."), 2);
}

TEST_F(LocksTest, DestroyKeepsInsertionOrderOfTheOthers)
{
    Mutex* a = QV_CreateMutex("A");
    Mutex* b = QV_CreateMutex("B");
    Mutex* c = QV_CreateMutex("C");
    QV_DestroyMutex(b);
    EXPECT_EQ(QV_CreateMutex("A"), a);
    EXPECT_EQ(QV_CreateMutex("C"), c);
    EXPECT_EQ(QVI_GetUserMutexCount(), 2);
}

TEST_F(LocksTest, DestroyingTwiceIsLoggedAndIgnored)
{
    Mutex* mutex = QV_CreateMutex("Twice");
    Mutex* other = QV_CreateMutex("Other");
    QV_DestroyMutex(mutex);
    QV_DestroyMutex(mutex);   // only compared against the registry, never read
    EXPECT_EQ(LogCapture::CountContaining("is not a live mutex", QV_LOG_WARNING), 1);
    EXPECT_EQ(QVI_GetUserMutexCount(), 1);
    EXPECT_EQ(QV_CreateMutex("Other"), other);
}

TEST_F(LocksTest, DestroyingAnUnknownPointerLeavesItUntouched)
{
    // A record that would crash the engine if it were freed or its section deleted.
    char name[] = "stranger";
    Mutex foreign = {name, reinterpret_cast<CRITICAL_SECTION*>(0x10), 1};
    QV_DestroyMutex(&foreign);
    EXPECT_EQ(foreign.name, name);
    EXPECT_EQ(foreign.cs, reinterpret_cast<CRITICAL_SECTION*>(0x10));
    EXPECT_EQ(LogCapture::CountContaining("is not a live mutex", QV_LOG_WARNING), 1);
}

TEST_F(LocksTest, EngineLocksCannotBeDestroyed)
{
    Mutex* mainLoop = g_core.locks[MUTEX_MAIN_LOOP];
    ASSERT_NE(mainLoop, nullptr);
    QV_DestroyMutex(mainLoop);
    EXPECT_EQ(g_core.locks[MUTEX_MAIN_LOOP], mainLoop);
    EXPECT_EQ(LogCapture::CountContaining("'MAIN_LOOP' is an engine lock", QV_LOG_WARNING), 1);

    // Still a working lock.
    QVI_LockMutexById(MUTEX_MAIN_LOOP);
    EXPECT_TRUE(HeldByCaller(mainLoop));
    QVI_UnlockMutexById(MUTEX_MAIN_LOOP);
    EXPECT_TRUE(FreeForOtherThreads(mainLoop));
}

TEST_F(LocksTest, EngineLocksAreCreatedInIdOrderWithTheirNames)
{
    const char* expected[MUTEX_COUNT] = {"PRINT",     "GET_MUTEX",      "CREATE_DIR",    "GET_PATH", "GET_BITMAP",
                                         "GET_SOUND", "GET_FONT",       "GET_SHADER",    "MAIN_LOOP", "RESOURCE_QUEUE",
                                         "SHARED_BITMAP", "CORE_IMP",   "CORE_VARIABLE"};
    for (int id = 0; id < MUTEX_COUNT; ++id) {
        ASSERT_NE(g_core.locks[id], nullptr) << id;
        EXPECT_STREQ(g_core.locks[id]->name, expected[id]) << id;
        EXPECT_STREQ(QVI_GetMutexName(id), expected[id]) << id;
        EXPECT_EQ(g_core.locks[id]->locked, 0) << id;
    }
    // Engine locks are not named user mutexes: asking for one by name makes a new lock.
    EXPECT_NE(QV_CreateMutex("PRINT"), g_core.locks[MUTEX_PRINT]);
}

TEST_F(LocksTest, NameOfAnIdOutsideTheTableIsUnknown)
{
    EXPECT_STREQ(QVI_GetMutexName(MUTEX_COUNT), "UNKNOWN");
    EXPECT_STREQ(QVI_GetMutexName(-1), "UNKNOWN");
    EXPECT_STREQ(QVI_GetMutexName(0x7FFFFFFF), "UNKNOWN");
}

TEST_F(LocksTest, ByIdOperationsIgnoreMissingLocksAndBadIds)
{
    QVI_LockMutexById(static_cast<MutexId>(MUTEX_COUNT));
    QVI_UnlockMutexById(static_cast<MutexId>(MUTEX_COUNT));

    QVI_DeleteEngineLocks();
    for (int id = 0; id < MUTEX_COUNT; ++id)
        EXPECT_EQ(g_core.locks[id], nullptr);
    QVI_LockMutexById(MUTEX_PRINT);
    QVI_UnlockMutexById(MUTEX_PRINT);
    // The registry still works without its guard (start-up and shutdown run single-threaded).
    EXPECT_NE(QV_CreateMutex("NoGuard"), nullptr);

    QVI_CreateEngineLocks();
    EXPECT_NE(g_core.locks[MUTEX_GET_MUTEX], nullptr);
}

TEST_F(LocksTest, RegistryIsSafeAgainstConcurrentCreation)
{
    const int kThreads = 4;
    const int kNames = 50;
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
    EXPECT_EQ(QVI_GetUserMutexCount(), kNames);
}

TEST_F(LocksTest, DeleteUserMutexesEmptiesTheRegistry)
{
    QV_CreateMutex("One");
    QV_CreateMutex("Two");
    QVI_DeleteUserMutexes();
    EXPECT_EQ(QVI_GetUserMutexCount(), 0);
    EXPECT_NE(QV_CreateMutex("One"), nullptr);
    EXPECT_EQ(QVI_GetUserMutexCount(), 1);
}

}  // namespace
