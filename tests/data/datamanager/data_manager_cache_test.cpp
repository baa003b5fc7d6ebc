// The cache of databases by file name: one load per name, failures cached empty and
// reported once, and loader threads that never see a database half loaded.

#include "datamanager_fixture.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <vector>

namespace datamanager_test {
namespace {

using DataManagerCache = DataManagerTest;

TEST_F(DataManagerCache, SecondRequestGivesTheSameDatabaseUntilItIsUnloaded)
{
    PutFile("prog.xml", Doc("<root><array id=\"program\"><node id=\"title\" value=\"Game\"/></array></root>"));
    Database* first = DataManager::GetDatabase("res://prog.xml");
    ASSERT_NE(first, nullptr);
    EXPECT_STREQ(first->GetParameter("program", "title", "value"), "Game");
    // Changing the file does not change the cached database.
    PutFile("prog.xml", Doc("<root><array id=\"v2\"/></root>"));
    EXPECT_EQ(DataManager::GetDatabase("res://prog.xml"), first);
    EXPECT_EQ(first->arrays.count, 1);

    // Unloading forgets it, so the file is read again; strangers are left alone.
    DataManager::UnloadDatabase(first);
    EXPECT_EQ(DataManager::FindDatabase("res://prog.xml"), nullptr);
    EXPECT_NE(DataManager::GetDatabase("res://prog.xml")->FindArray("v2"), nullptr);
    Database stranger;
    const int before = DataManager::databases.count;
    DataManager::UnloadDatabase(&stranger);
    DataManager::UnloadDatabase(nullptr);
    EXPECT_EQ(DataManager::databases.count, before);
}

TEST_F(DataManagerCache, MissingOrBrokenFileIsCachedEmptyAndReportedOnce)
{
    PutFile("half.xml", Doc("<root><array id=\"a\"><node v=\"1\"/></array><array id=\"b\">"));
    Database* half = DataManager::GetDatabase("res://half.xml");
    ASSERT_NE(half, nullptr);
    EXPECT_EQ(half->arrays.count, 0) << "never half loaded";
    ClearLines();

    Database* first = DataManager::GetDatabase("res://developer.xml");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->arrays.count, 0);
    EXPECT_STREQ(first->fileName, "res://developer.xml");
    Database* second = DataManager::GetDatabase("res://developer.xml");
    EXPECT_EQ(second, first);
    EXPECT_EQ(Popups(), std::vector<std::string>{"XML Array File 'res://developer.xml' not found!"});
}

TEST_F(DataManagerCache, AddedDatabaseIsFoundAndSavedLater)
{
    Database* fresh = new Database();
    fresh->fileName = strdup("res://leaderboards-db.xml");
    ASSERT_TRUE(DataManager::AddDatabase(fresh));
    EXPECT_EQ(DataManager::FindDatabase("res://leaderboards-db.xml"), fresh);
    EXPECT_EQ(DataManager::GetDatabase("res://leaderboards-db.xml"), fresh) << "no load for a cached name";
    EXPECT_TRUE(Popups().empty());

    Database duplicate;
    duplicate.fileName = strdup("res://leaderboards-db.xml");
    EXPECT_FALSE(DataManager::AddDatabase(&duplicate)) << "one database per name";
    Database unnamed;
    EXPECT_FALSE(DataManager::AddDatabase(&unnamed));
    Database* nameless = DataManager::GetDatabase(nullptr);
    ASSERT_NE(nameless, nullptr) << "a null name still gives a database";
    EXPECT_EQ(DataManager::GetDatabase(nullptr), nameless);
}

const int kLoaderThreads = 8;
// Large enough that loading takes a while and the threads overlap.
const int kArrays = 3000;

struct LoaderThreadContext {
    HANDLE start = nullptr;
    std::atomic<int> nextSlot{0};
    std::atomic<int> complete{0};
    Database* results[kLoaderThreads] = {};
};

DWORD WINAPI LoadInThread(void* argument)
{
    auto* context = static_cast<LoaderThreadContext*>(argument);
    int slot = context->nextSlot.fetch_add(1);
    WaitForSingleObject(context->start, INFINITE);
    Database* database = DataManager::GetDatabase("res://big.xml");
    context->results[slot] = database;
    // What a loader thread sees is the whole file, never part of it.
    if (database && database->arrays.count == kArrays && database->arrays.data[kArrays - 1]->nodes.count == 5)
        context->complete.fetch_add(1);
    return 0;
}

TEST_F(DataManagerCache, LoaderThreadsShareOneCompleteDatabase)
{
    std::string body = "<root>\n";
    for (int a = 0; a < kArrays; ++a) {
        body += "<array id=\"a" + std::to_string(a) + "\">";
        for (int n = 0; n < 5; ++n)
            body += "<node id=\"n" + std::to_string(n) + "\" v=\"" + std::to_string(a * n) + "\"/>";
        body += "</array>\n";
    }
    body += "</root>\n";
    PutFile("big.xml", Doc(body));

    for (int round = 0; round < 3; ++round) {
        // Each round starts with the file not cached, so the threads race to load it.
        DataManager::UnloadDatabase(DataManager::FindDatabase("res://big.xml"));
        LoaderThreadContext context;
        context.start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        HANDLE threads[kLoaderThreads];
        for (HANDLE& thread : threads)
            thread = CreateThread(nullptr, 0, LoadInThread, &context, 0, nullptr);
        SetEvent(context.start);
        WaitForMultipleObjects(kLoaderThreads, threads, TRUE, INFINITE);
        for (HANDLE thread : threads)
            CloseHandle(thread);
        CloseHandle(context.start);

        EXPECT_EQ(context.complete.load(), kLoaderThreads) << "round " << round;
        for (Database* result : context.results)
            EXPECT_EQ(result, context.results[0]) << "one database for all threads, round " << round;
        int cachedUnderName = 0;
        for (int i = 0; i < DataManager::databases.count; ++i)
            if (strcmp(DataManager::databases.data[i]->fileName, "res://big.xml") == 0)
                ++cachedUnderName;
        EXPECT_EQ(cachedUnderName, 1) << "round " << round;
    }
}

} // namespace
} // namespace datamanager_test
