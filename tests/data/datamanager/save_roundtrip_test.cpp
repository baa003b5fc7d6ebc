// Saving: the text DataManager writes, and the promise that whatever a database
// holds (quotes, backslashes, line breaks, markup characters) reads back exactly.

#include "datamanager_fixture.h"

#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"

#include <cstring>
#include <memory>

namespace datamanager_test {
namespace {

using SaveRoundTrip = DataManagerTest;

std::string WrittenText(const Database& database)
{
    std::unique_ptr<ByteBuffer> text(database.WriteXML());
    if (!text)
        return "<no text>";
    return std::string(reinterpret_cast<const char*>(text->data), text->size);
}

DataArray* AddArray(Database& database, const char* id)
{
    DataArray* array = new DataArray(id);
    database.arrays.Add(array);
    return array;
}

// A node as the loader makes it: an id is also the node's first parameter.
DataNode* AddNode(DataArray* array, const char* id)
{
    DataNode* node = new DataNode(nullptr);
    if (id)
        node->SetParameter("id", id);
    array->nodes.Add(node);
    return node;
}

// Saves, reloads through a fresh database and checks both the content and that
// saving the reloaded database gives the same file again.
void ExpectRoundTrip(DataManagerTest* test, const Database& original, const char* path)
{
    ASSERT_TRUE(original.Save(path, false));
    Database reloaded;
    ASSERT_TRUE(reloaded.Load(path));
    EXPECT_EQ(Dump(reloaded), Dump(original));
    EXPECT_EQ(WrittenText(reloaded), WrittenText(original));
}

TEST_F(SaveRoundTrip, WritesTheDocumentedLayout)
{
    Database database;
    DataArray* settings = AddArray(database, "settings");
    settings->parameters.Add(DataParameter("version", "2"));
    DataNode* window = AddNode(settings, "window");
    window->SetParameter("width", "640");
    DataNode* note = AddNode(settings, nullptr);
    note->SetParameter("kind", "text");
    note->SetParameter("DATA", "hello");
    DataNode* wide = AddNode(settings, nullptr);
    for (const char* name : {"a", "b", "c", "d", "e", "f"})
        wide->SetParameter(name, "1");

    EXPECT_EQ(WrittenText(database),
              std::string(kDeclaration) +
                  "<root>\n"
                  "\t<array id=\"settings\" version=\"2\">\n"
                  "\t\t<node id=\"window\" width=\"640\" />\n"
                  "\t\t<node kind=\"text\" >hello</node>\n"
                  "\t\t<node a=\"1\" \n\t\t b=\"1\" \n\t\t c=\"1\" \n\t\t d=\"1\" \n\t\t e=\"1\" \n\t\t f=\"1\" \n\t\t />\n"
                  "\n"
                  "\t</array>\n"
                  "</root>\n");
    ExpectRoundTrip(this, database, "res://layout.xml");
}

TEST_F(SaveRoundTrip, HostileNamesAndValuesComeBackByteForByte)
{
    const char* hostile[] = {
        "He said \"hi\"",
        "C:\\path\\to\\",          // ends in a backslash
        "\\\\\"\\",                // runs of backslashes around a quote
        "line one\nline two\r\n\ttabbed",
        "a < b && c > d",
        "&amp; &quot; stay as typed",
        "\\n is not a line break",
        "<![CDATA[ not a section ]]>",
        "",
        "   ",
        "\xc3\xa9t\xc3\xa9 \xff\x01",
    };
    Database database;
    DataArray* array = AddArray(database, "He said \"x\" & <y>\\");
    array->parameters.Add(DataParameter("label", hostile[0]));
    int index = 0;
    for (const char* value : hostile) {
        DataNode* node = AddNode(array, nullptr);
        char id[32];
        snprintf(id, sizeof(id), "n%d \"\\", index++);
        node->SetParameter("id", id);
        node->SetParameter("value", value);
        node->SetParameter("DATA", value);
    }
    ExpectRoundTrip(this, database, "res://hostile.xml");

    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://hostile.xml"));
    for (int i = 0; i < static_cast<int>(sizeof(hostile) / sizeof(hostile[0])); ++i) {
        const DataNode* node = reloaded.arrays.data[0]->GetNode(i);
        ASSERT_NE(node, nullptr);
        EXPECT_STREQ(node->GetParameter("value"), hostile[i]) << "node " << i;
        EXPECT_STREQ(node->GetParameter("DATA"), hostile[i]) << "node " << i;
    }
    EXPECT_STREQ(reloaded.arrays.data[0]->id, "He said \"x\" & <y>\\");
}

TEST_F(SaveRoundTrip, LongAndMarkupDataTextUsesCData)
{
    Database database;
    DataArray* array = AddArray(database, "src");
    std::string longText(20000, 'x');
    longText += " if (a<b) return a&&b; ";
    AddNode(array, "long")->SetParameter("DATA", longText.c_str());
    AddNode(array, "markup")->SetParameter("DATA", "<b>bold</b>");
    AddNode(array, "end")->SetParameter("DATA", "x]]>y <z>");
    std::string text = WrittenText(database);
    EXPECT_NE(text.find("<![CDATA[<b>bold</b>]]>"), std::string::npos);
    ExpectRoundTrip(this, database, "res://cdata.xml");
}

TEST_F(SaveRoundTrip, NullIdIsOmittedAndNullValueWrittenEmpty)
{
    Database database;
    DataArray* array = AddArray(database, nullptr);
    DataNode* node = AddNode(array, nullptr);
    node->SetParameter("empty", nullptr);
    std::string text = WrittenText(database);
    EXPECT_NE(text.find("\t<array>\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("(null)"), std::string::npos) << text;
    EXPECT_NE(text.find("<node empty=\"\" />"), std::string::npos) << text;

    ASSERT_TRUE(database.Save("res://nulls.xml", false));
    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://nulls.xml"));
    EXPECT_EQ(Dump(reloaded), "array <null>\n  node <null> [empty]=[]\n");

    // A node id set in code, without an id parameter, is kept.
    DataArray* named = AddArray(database, "a");
    DataNode* made = new DataNode("made-in-code");
    made->SetParameter("v", "1");
    named->nodes.Add(made);
    ASSERT_TRUE(database.Save("res://ids.xml", false));
    Database withId;
    ASSERT_TRUE(withId.Load("res://ids.xml"));
    EXPECT_STREQ(withId.GetParameter("a", "made-in-code", "v"), "1");
}

TEST_F(SaveRoundTrip, NamesTheReaderWouldRefuseAreSkippedWithAWarning)
{
    Database database;
    DataArray* array = AddArray(database, "a");
    array->parameters.Add(DataParameter("9lives", "x"));
    DataNode* node = AddNode(array, nullptr);
    node->SetParameter("good", "1");
    node->SetParameter("bad name", "2");
    node->SetParameter("", "3");
    node->SetParameter("quote\"", "4");
    node->parameters.Add(DataParameter(nullptr, "5"));
    node->SetParameter("after", "6");

    ASSERT_TRUE(database.Save("res://names.xml", false));
    EXPECT_EQ(Warnings().size(), 5u) << ::testing::PrintToString(Warnings());
    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://names.xml")) << "one bad name never makes the file unreadable";
    EXPECT_EQ(Dump(reloaded), "array [a]\n  node <null> [good]=[1] [after]=[6]\n");
}

TEST_F(SaveRoundTrip, TagTooLongForTheReaderFailsTheSaveAndKeepsTheOldFile)
{
    PutFile("big.xml", "previous");
    Database database;
    AddNode(AddArray(database, "a"), nullptr)->SetParameter("v", std::string(9000, 'x').c_str());
    EXPECT_FALSE(database.Save("res://big.xml", false));
    EXPECT_EQ(GetFile("big.xml"), "previous");
    EXPECT_FALSE(Popups().empty());
}

TEST_F(SaveRoundTrip, ScrambledSaveReloadsThroughGetDatabase)
{
    Database database;
    DataArray* array = AddArray(database, "scores");
    DataNode* node = AddNode(array, nullptr);
    node->SetParameter("player", "Zo\u00eb \"The Quote\" O'Neil");
    node->SetParameter("points", "1200");
    node->SetParameter("data", "1 2 3");
    ASSERT_TRUE(database.Save("res://leaderboards-db.xml", true));

    std::string file = GetFile("leaderboards-db.xml");
    ASSERT_GE(file.size(), 22u);
    EXPECT_TRUE(QVI_IsScrambledData(reinterpret_cast<const uint8_t*>(file.data()), static_cast<int>(file.size())));
    EXPECT_EQ(file.find("scores"), std::string::npos) << "not readable as text";
    std::string plain = WrittenText(database);
    EXPECT_EQ(file.size(), plain.size() + 22);

    Database* loaded = DataManager::GetDatabase("res://leaderboards-db.xml");
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(Dump(*loaded), Dump(database));
    EXPECT_TRUE(Popups().empty());
}

TEST_F(SaveRoundTrip, PlainSaveOverwritesAScrambledOne)
{
    Database database;
    AddNode(AddArray(database, "a"), nullptr)->SetParameter("v", "1");
    ASSERT_TRUE(database.Save("res://switch.xml", true));
    ASSERT_TRUE(database.Save("res://switch.xml", false));
    EXPECT_EQ(GetFile("switch.xml"), WrittenText(database));
    EXPECT_FALSE(FileThere("switch.xml.tmp")) << "no temporary file is left behind";
}

} // namespace
} // namespace datamanager_test
