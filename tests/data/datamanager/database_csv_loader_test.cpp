// Semicolon-separated tables: the header line names the columns of one array without
// id, every further line is a node.
#include "datamanager_fixture.h"

#include <string>

namespace datamanager_test {
namespace {

using CsvLoading = DataManagerTest;

TEST_F(CsvLoading, HeaderNamesTheColumnsAndShortLinesGiveNullsAndLongLinesDropTheirExtraCells) {
    PutFile("ragged.csv", "a;b;c\n1\n1;2;3;4;5\n;;\n\x01\xff;\xc3\xa9");  // the last line without a feed
    Database database;
    ASSERT_TRUE(database.Load("res://ragged.csv"));
    EXPECT_EQ(Dump(database),
              "array <null>\n"
              "  node <null> [a]=[1] [b]=<null> [c]=<null>\n"
              "  node <null> [a]=[1] [b]=[2] [c]=[3]\n"
              "  node <null> [a]=[] [b]=[] [c]=[]\n"
              "  node <null> [a]=[\x01\xff] [b]=[\xc3\xa9] [c]=<null>\n");
    EXPECT_EQ(database.FindArray(nullptr), database.arrays.data[0]);
    std::vector<LogLine> lines = LogCapture::Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].kind, LogLine::Log);
    EXPECT_EQ(lines[0].text, "1 CSV Arrays loaded with total 4 nodes.");

    // Carriage returns are dropped and quotes mean nothing.
    PutFile("windows.csv", "name;text\r\n\"x;y\";\"q\"\r\n");
    Database windows;
    ASSERT_TRUE(windows.Load("res://windows.csv"));
    EXPECT_EQ(Dump(windows), "array <null>\n  node <null> [name]=[\"x] [text]=[y\"]\n");

    EXPECT_FALSE(windows.Load("res://absent.csv"));
    EXPECT_EQ(Popups(), std::vector<std::string>{"CSV Array File 'res://absent.csv' not found!"});
}

TEST_F(CsvLoading, CellsAreCutAtTheirLimits) {
    std::string longName(600, 'n');
    std::string longCell(5000, 'v');
    PutFile("long.csv", longName + ";b\n" + longCell + ";x\n");
    Database database;
    ASSERT_TRUE(database.Load("res://long.csv"));
    const DataNode* node = database.arrays.data[0]->nodes.data[0];
    ASSERT_EQ(node->parameters.count, 2);
    EXPECT_EQ(std::string(node->parameters.data[0].name), std::string(511, 'n'));
    EXPECT_EQ(std::string(node->parameters.data[0].value), std::string(4095, 'v'));
    EXPECT_STREQ(node->parameters.data[1].name, "b") << "the rest of a long cell is dropped, not carried over";
    EXPECT_STREQ(node->parameters.data[1].value, "x");
}

} // namespace
} // namespace datamanager_test
