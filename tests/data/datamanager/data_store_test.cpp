// Loaded databases carve their nodes, parameter lists and texts out of large blocks:
// what a generated data file loads as, that each record still changes, moves and dies
// on its own (after its database too, on any thread), and that the memory of unloaded
// databases goes back.
#include "platform/windows/win32.h"

#include "datamanager_fixture.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

namespace datamanager_test {
namespace {

using LoadedRecords = DataManagerTest;

struct Generated {
    std::string document;  // a DataManager XML file
    std::string dump;      // what it must load as (see Dump)
};

// A data file as games keep them: arrays of nodes with ids (some without), attributes with
// escaped values, a name given twice, empty nodes, text and CDATA between the tags (some
// longer than any block carved from a chunk).
Generated Generate(int arrays, int nodesPerArray) {
    Generated out;
    std::string body = "<root>\n";
    for (int a = 0; a < arrays; ++a) {
        const std::string arrayId = "ARRAY_" + std::to_string(a);
        body += "\t<array id=\"" + arrayId + "\" version=\"" + std::to_string(a % 3) + "\">\n";
        out.dump += "array [" + arrayId + "] [version]=[" + std::to_string(a % 3) + "]\n";
        for (int n = 0; n < nodesPerArray; ++n) {
            const std::string number = std::to_string(n);
            if (n % 13 == 12) {
                body += "\t\t<node/>\n";
                out.dump += "  node <null>\n";
                continue;
            }
            std::string tag = "\t\t<node ", dump = "  node ";
            if (n % 7 == 6) {
                dump += "<null>";
            } else {
                const std::string id = "a" + std::to_string(a) + "_n" + number;
                tag += "id=\"" + id + "\" ";
                dump += "[" + id + "] [id]=[" + id + "]";
            }
            const bool twice = n % 5 == 0;
            tag += "x=\"" + number + "\" name=\"w" + number + " &amp; &quot;q&quot; \\\\\" path=\"gfx/item_" + number + ".png\"";
            dump += " [x]=[" + number + "] [name]=[w" + number + " & \"q\" \\] [path]=[gfx/item_" + number + ".png]";
            if (twice) {
                tag += " x=\"again\"";
                dump += " [x]=[again]";
            }
            if (n % 3 == 0) {
                body += tag + ">text " + number + "</node>\n";
                dump += " [DATA]=[text " + number + "]";
            } else if (n % 11 == 1) {
                const std::string text = n % 2 ? "<b>" + number + "</b>" : std::string(20000 + n, 'c');
                body += tag + "><![CDATA[" + text + "]]></node>\n";
                dump += " [DATA]=[" + text + "]";
            } else {
                body += tag + " />\n";
            }
            out.dump += dump + "\n";
        }
        body += "\t</array>\n";
    }
    out.document = Doc(body + "</root>\n");
    return out;
}

// Address space in use by the process.
uint64_t UsedVirtualBytes() {
    MEMORYSTATUSEX status = {};
    status.dwLength = sizeof(status);
    GlobalMemoryStatusEx(&status);
    return status.ullTotalVirtual - status.ullAvailVirtual;
}

TEST_F(LoadedRecords, EveryRecordLoadsAndLaterChangesMovesAndDiesOnItsOwn) {
    const Generated generated = Generate(12, 400);
    PutFile("big.xml", generated.document);
    auto* database = new Database();
    ASSERT_TRUE(database->Load("res://big.xml"));
    EXPECT_EQ(Dump(*database), generated.dump);
    EXPECT_TRUE(Popups().empty());

    // Texts and lists made at load are replaced, outgrown and freed one by one.
    DataArray* array = database->arrays.data[0];
    DataNode* first = array->nodes.data[0];
    first->SetParameter("x", "changed");
    first->SetParameter("id", "renamed");
    for (int i = 0; i < 40; ++i)
        first->SetParameter(("extra" + std::to_string(i)).c_str(), std::to_string(i).c_str());
    first->parameters.data[2].SetValue(first->parameters.data[2].value + 1);  // its own text
    EXPECT_STREQ(first->id, "renamed");
    EXPECT_STREQ(first->GetParameter("x"), "changed");
    EXPECT_STREQ(first->GetParameter("name"), "0 & \"q\" \\");
    EXPECT_STREQ(first->GetParameter("DATA"), "text 0");
    EXPECT_STREQ(first->GetParameter("extra39"), "39");
    EXPECT_EQ(first->parameters.count, 46) << "the second x is kept";
    EXPECT_STREQ(first->parameters.data[4].value, "again");

    // A node taken out of its array is deleted alone; another one outlives its database.
    DataNode* removed = array->nodes.data[1];
    DataNode* kept = array->nodes.data[2];
    array->nodes.RemoveAt(2);
    array->nodes.RemoveAt(1);
    delete removed;
    EXPECT_STREQ(array->GetNodeParameter("a0_n3", "DATA"), "text 3");
    delete database;
    EXPECT_STREQ(kept->id, "a0_n2");
    EXPECT_STREQ(kept->GetParameter("path"), "gfx/item_2.png");
    kept->SetParameter("path", "moved");
    EXPECT_STREQ(kept->GetParameter("path"), "moved");
    delete kept;

    // A node made in code joins a loaded array and is deleted with it.
    Database* cached = DataManager::GetDatabase("res://big.xml");
    DataNode* made = new DataNode("made");
    made->SetParameter("v", "1");
    cached->arrays.data[1]->nodes.Add(made);
    EXPECT_STREQ(cached->GetParameter("ARRAY_1", "made", "v"), "1");
    EXPECT_STREQ(cached->GetParameter("ARRAY_11", "a11_n397", "name"), "w397 & \"q\" \\");
    DataManager::UnloadDatabase(cached);
}

// Blocks too large for the next chunk but small enough to be carved (a text of 8 to 16 KB
// early in a file, the parameter list of a table of 1100 columns) get a chunk that holds
// them; the records after them are carved as usual.
TEST_F(LoadedRecords, BlocksLargerThanTheNextChunkAreCarvedFromAChunkThatHoldsThem) {
    for (const size_t length : {size_t{5000}, size_t{9000}, size_t{12000}, size_t{16300}}) {
        const std::string text(length, 't');
        std::string body = "<root>\n\t<array id=\"A\">\n\t\t<node id=\"first\"><![CDATA[" + text + "]]></node>\n";
        std::string dump = "array [A]\n  node [first] [id]=[first] [DATA]=[" + text + "]\n";
        for (int n = 0; n < 3000; ++n) {
            const std::string id = "n" + std::to_string(n);
            body += "\t\t<node id=\"" + id + "\" v=\"value " + id + "\">text of " + id + "</node>\n";
            dump += "  node [" + id + "] [id]=[" + id + "] [v]=[value " + id + "] [DATA]=[text of " + id + "]\n";
        }
        PutFile("early.xml", Doc(body + "\t</array>\n</root>\n"));
        Database database;
        ASSERT_TRUE(database.Load("res://early.xml")) << length;
        EXPECT_EQ(Dump(database), dump) << length;
    }

    std::string header, row, node = "  node <null>";
    for (int column = 0; column < 1100; ++column) {
        header += (column ? ";c" : "c") + std::to_string(column);
        row += (column ? ";" : "") + std::to_string(column);
        node += " [c" + std::to_string(column) + "]=[" + std::to_string(column) + "]";
    }
    std::string table = header + "\n", expected = "array <null>\n";
    for (int line = 0; line < 20; ++line) {
        table += row + "\n";
        expected += node + "\n";
    }
    PutFile("wide.csv", table);
    Database wide;
    ASSERT_TRUE(wide.Load("res://wide.csv"));
    EXPECT_EQ(Dump(wide), expected);
}

TEST_F(LoadedRecords, NodesOfOneDatabaseDeletedOnManyThreadsAndUnloadedDatabasesGiveTheirMemoryBack) {
    const Generated generated = Generate(8, 1500);
    PutFile("threads.xml", generated.document);
    PutFile("table.csv", "a;b;c\n" + std::string(20000, 'x') + ";2;3\n1;;\n");
    const auto loadAndScatter = [] {
        auto* database = new Database();
        if (!database->Load("res://threads.xml"))
            ADD_FAILURE() << "not loaded";
        std::vector<DataNode*> nodes;
        for (int a = 0; a < database->arrays.count; ++a) {
            DataArray* array = database->arrays.data[a];
            nodes.insert(nodes.end(), array->nodes.data, array->nodes.data + array->nodes.count);
            array->nodes.count = 0;
        }
        // The arrays go first: their nodes are the threads' now.
        delete database;
        std::shuffle(nodes.begin(), nodes.end(), std::minstd_rand(static_cast<unsigned>(nodes.size())));
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&nodes, t] {
                for (size_t i = t; i < nodes.size(); i += 4)
                    delete nodes[i];
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        return nodes.size();
    };
    EXPECT_EQ(loadAndScatter(), 8u * 1500u);

    // Ten times the file's records would show if chunks stayed behind.
    const uint64_t before = UsedVirtualBytes();
    for (int round = 0; round < 10; ++round) {
        EXPECT_EQ(loadAndScatter(), 8u * 1500u);
        Database* database = DataManager::GetDatabase("res://threads.xml");
        EXPECT_EQ(database->arrays.data[7]->nodes.count, 1500);
        DataManager::UnloadDatabase(database);
        Database table;
        ASSERT_TRUE(table.Load("res://table.csv"));
        EXPECT_EQ(Dump(table), "array <null>\n  node <null> [a]=[" + std::string(4095, 'x') +
                                   "] [b]=[2] [c]=[3]\n  node <null> [a]=[1] [b]=[] [c]=[]\n");
    }
    const uint64_t grown = UsedVirtualBytes() - before;
    EXPECT_LT(grown, generated.document.size()) << grown << " bytes more after 30 loads";
}

} // namespace
} // namespace datamanager_test
