// The cache of databases by file name: one load per name, failures cached empty and
// reported once, and loader threads that never see a database half loaded.
#include "datamanager_fixture.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace datamanager_test {
namespace {

using DataManagerCache = DataManagerTest;

TEST_F(DataManagerCache, SecondRequestGivesTheSameDatabaseUntilItIsUnloaded) {
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

TEST_F(DataManagerCache, MissingOrBrokenFileIsCachedEmptyAndReportedOnceAndAnAddedOneAsItIs) {
    PutFile("half.xml", Doc("<root><array id=\"a\"><node v=\"1\"/></array><array id=\"b\">"));
    EXPECT_EQ(DataManager::GetDatabase("res://half.xml")->arrays.count, 0) << "never half loaded";
    LogCapture::Clear();
    Database* first = DataManager::GetDatabase("res://developer.xml");
    EXPECT_EQ(first->arrays.count, 0);
    EXPECT_STREQ(first->fileName, "res://developer.xml");
    EXPECT_EQ(DataManager::GetDatabase("res://developer.xml"), first);
    EXPECT_EQ(Popups(), std::vector<std::string>{"XML Array File 'res://developer.xml' not found!"});

    // An added database is found under its name, without a load.
    LogCapture::Clear();
    Database* fresh = new Database();
    fresh->fileName = strdup("res://leaderboards-db.xml");
    ASSERT_TRUE(DataManager::AddDatabase(fresh));
    EXPECT_EQ(DataManager::FindDatabase("res://leaderboards-db.xml"), fresh);
    EXPECT_EQ(DataManager::GetDatabase("res://leaderboards-db.xml"), fresh) << "no load for a cached name";
    EXPECT_TRUE(Popups().empty());

    Database duplicate, unnamed;
    duplicate.fileName = strdup("res://leaderboards-db.xml");
    EXPECT_FALSE(DataManager::AddDatabase(&duplicate)) << "one database per name";
    EXPECT_FALSE(DataManager::AddDatabase(&unnamed));
    Database* nameless = DataManager::GetDatabase(nullptr);
    ASSERT_NE(nameless, nullptr) << "a null name still gives a database";
    EXPECT_EQ(DataManager::GetDatabase(nullptr), nameless);
}

TEST_F(DataManagerCache, LoaderThreadsShareOneCompleteDatabase) {
    // Large enough that loading takes a while and the threads overlap.
    const int kArrays = 3000;
    const std::string nodes = "<node id=\"n0\" v=\"0\"/><node id=\"n1\" v=\"1\"/><node/><node/><node v=\"4\"/>";
    std::string body;
    for (int a = 0; a < kArrays; ++a)
        body += "<array id=\"a" + std::to_string(a) + "\">" + nodes + "</array>\n";
    PutFile("big.xml", Doc("<root>\n" + body + "</root>\n"));

    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        // Each round starts with the file not cached, so the threads race to load it.
        DataManager::UnloadDatabase(DataManager::FindDatabase("res://big.xml"));
        std::atomic<bool> go{false};
        std::atomic<int> complete{0};
        Database* results[8] = {};
        std::vector<std::thread> loaders;
        for (Database*& result : results)
            loaders.emplace_back([&go, &complete, &result] {
                while (!go)
                    std::this_thread::yield();
                result = DataManager::GetDatabase("res://big.xml");
                // What a loader thread sees is the whole file, never part of it.
                if (result->arrays.count == kArrays && result->arrays.data[kArrays - 1]->nodes.count == 5)
                    ++complete;
            });
        go = true;
        for (std::thread& loader : loaders)
            loader.join();
        EXPECT_EQ(complete, 8);
        EXPECT_EQ(std::count(results, results + 8, results[0]), 8) << "one database for all threads";
        const Array<Database*>& cache = DataManager::databases;
        EXPECT_EQ(std::count_if(cache.data, cache.data + cache.count,
                                [](const Database* d) { return strcmp(d->fileName, "res://big.xml") == 0; }),
                  1);
    }
}

} // namespace
} // namespace datamanager_test
