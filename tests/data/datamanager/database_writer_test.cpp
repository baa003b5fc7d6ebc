// Saving: the text DataManager writes, the promise that whatever a database holds
// reads back exactly, and that a save that cannot complete reports failure and leaves
// the previous file as it was. (windows.h first: DeleteFile is a macro there as well
// as a file-system member, so both are renamed alike.)
#include "platform/windows/win32.h"

#include "datamanager_fixture.h"

#include <memory>

#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"
#include "filesystem/paths.h"
#include "support/files.h"
#include "support/process.h"

namespace datamanager_test {
namespace {

using SaveRoundTrip = DataManagerTest;

std::string WrittenText(const Database& database) {
    std::unique_ptr<ByteBuffer> text(database.WriteXML());
    return text ? std::string(reinterpret_cast<const char*>(text->data), text->size) : "<no text>";
}

DataArray* AddArray(Database& database, const char* id) {
    database.arrays.Add(new DataArray(id));
    return database.arrays.data[database.arrays.count - 1];
}

// A node as the loader makes it: an id is also the node's first parameter.
DataNode* AddNode(DataArray* array, const char* id, std::initializer_list<std::pair<const char*, const char*>> parameters = {}) {
    DataNode* node = new DataNode(nullptr);
    if (id)
        node->SetParameter("id", id);
    for (const auto& parameter : parameters)
        node->SetParameter(parameter.first, parameter.second);
    array->nodes.Add(node);
    return node;
}

// Saves, reloads through a fresh database and checks both the content and that
// saving the reloaded database gives the same file again.
void ExpectRoundTrip(const Database& original, const char* path) {
    ASSERT_TRUE(original.Save(path, false));
    Database reloaded;
    ASSERT_TRUE(reloaded.Load(path));
    EXPECT_EQ(Dump(reloaded), Dump(original));
    EXPECT_EQ(WrittenText(reloaded), WrittenText(original));
}

TEST_F(SaveRoundTrip, WritesTheDocumentedLayoutOverTheWholeOldFile) {
    Database database;
    DataArray* settings = AddArray(database, "settings");
    settings->parameters.Add(DataParameter("version", "2"));
    AddNode(settings, "window", {{"width", "640"}});
    AddNode(settings, nullptr, {{"kind", "text"}, {"DATA", "hello"}});
    AddNode(settings, nullptr, {{"a", "1"}, {"b", "1"}, {"c", "1"}, {"d", "1"}, {"e", "1"}, {"f", "1"}});
    const std::string text = kDeclaration +
                             "<root>\n"
                             "\t<array id=\"settings\" version=\"2\">\n"
                             "\t\t<node id=\"window\" width=\"640\" />\n"
                             "\t\t<node kind=\"text\" >hello</node>\n"
                             "\t\t<node a=\"1\" \n\t\t b=\"1\" \n\t\t c=\"1\" \n\t\t d=\"1\" \n\t\t e=\"1\" \n\t\t f=\"1\" \n\t\t />\n"
                             "\n"
                             "\t</array>\n"
                             "</root>\n";
    EXPECT_EQ(WrittenText(database), text);
    PutFile("layout.xml", std::string(100000, 'o'));  // longer than what replaces it
    ExpectRoundTrip(database, "res://layout.xml");
    EXPECT_EQ(GetFile("layout.xml"), text);
    EXPECT_FALSE(quaven_test::NativeExists(NativePath("layout.xml..tmp"))) << "no temporary file is left behind";
}

TEST_F(SaveRoundTrip, HostileNamesAndValuesAndCDataComeBackByteForByte) {
    const char* hostile[] = {
        "He said \"hi\"", "line one\nline two\r\n\ttabbed", "a < b && c > d", "&amp; &quot; stay as typed",
        "\\n is not a line break", "<![CDATA[ not a section ]]>", "", "   ", "\xc3\xa9t\xc3\xa9 \xff\x01",
        "C:\\path\\to\\",  // ends in a backslash
        "\\\\\"\\",        // runs of backslashes around a quote
        "Say \"x > y\" now", "\"Hi\", he said", "\"<b>\"",  // quotes mean something in text
    };
    Database database;
    DataArray* array = AddArray(database, "He said \"x\" & <y>\\");
    array->parameters.Add(DataParameter("label", hostile[0]));
    int index = 0;
    for (const char* value : hostile)
        AddNode(array, ("n" + std::to_string(index++) + " \"\\").c_str(), {{"value", value}, {"DATA", value}});
    // Long or markup text as a node's DATA is written as CDATA.
    array = AddArray(database, "src");
    AddNode(array, "long", {{"DATA", (std::string(20000, 'x') + " if (a<b) return a&&b; ").c_str()}});
    AddNode(array, "markup", {{"DATA", "<b>bold</b>"}});
    AddNode(array, "end", {{"DATA", "x]]>y <z>"}});
    EXPECT_NE(WrittenText(database).find("<![CDATA[<b>bold</b>]]>"), std::string::npos);
    ExpectRoundTrip(database, "res://hostile.xml");
}

TEST_F(SaveRoundTrip, SectionMarkersAreBrokenUpAndOtherTextIsWrittenAsItIs) {
    // The reader opens a CDATA section at "![CDATA[" wherever it stands, so the file must
    // never hold one outside a section; line breaks, tabs and '&' need nothing.
    Database database;
    DataArray* array = AddArray(database, "x![CDATA[y");
    AddNode(array, "marker", {{"v", "a![CDATA[b]]>c"}, {"w", "![CDATA[![CDATA!![CDATA["}, {"DATA", "see ![CDATA[ here"}});
    AddNode(array, "raw", {{"v", "one\ntwo\r\n\tthree"}, {"DATA", "fish & chips"}});
    // Text of 8191 characters or more would fill the reader's token buffer.
    const std::string fits(8190, 't');
    AddNode(array, "fits", {{"DATA", fits.c_str()}});
    AddNode(array, "long", {{"DATA", (fits + "t").c_str()}});
    const std::string text = kDeclaration +
                             "<root>\n"
                             "\t<array id=\"x!\\-[CDATA[y\">\n"
                             "\t\t<node id=\"marker\" v=\"a!\\-[CDATA[b]]>c\" w=\"!\\-[CDATA[![CDATA!!\\-[CDATA[\" >"
                             "<![CDATA[see ![CDATA[ here]]></node>\n"
                             "\t\t<node id=\"raw\" v=\"one\ntwo\r\n\tthree\" >fish & chips</node>\n"
                             "\t\t<node id=\"fits\" >" + fits + "</node>\n"
                             "\t\t<node id=\"long\" ><![CDATA[" + fits + "t]]></node>\n"
                             "\t</array>\n"
                             "</root>\n";
    EXPECT_EQ(WrittenText(database), text);
    ExpectRoundTrip(database, "res://markers.xml");
    EXPECT_EQ(GetFile("markers.xml"), text) << "the file on disk holds the same bytes";
    ASSERT_TRUE(database.Save("res://markers.dat", true));
    EXPECT_EQ(Dump(*DataManager::GetDatabase("res://markers.dat")), Dump(database));
    EXPECT_TRUE(Popups().empty());
}

TEST_F(SaveRoundTrip, NullIdIsOmittedNullValueWrittenEmptyAndUnreadableNamesSkipped) {
    Database database;
    AddNode(AddArray(database, nullptr), nullptr, {{"empty", nullptr}});
    const std::string text = WrittenText(database);
    EXPECT_NE(text.find("\t<array>\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("(null)"), std::string::npos) << text;
    EXPECT_NE(text.find("<node empty=\"\" />"), std::string::npos) << text;

    // A node id set in code, without an id parameter, is kept; names the reader would
    // refuse are skipped with a warning.
    DataNode* made = new DataNode("made-in-code");
    made->SetParameter("v", "1");
    AddArray(database, "a")->nodes.Add(made);
    DataArray* array = AddArray(database, "b");
    array->parameters.Add(DataParameter("9lives", "x"));
    DataNode* node = AddNode(array, nullptr, {{"good", "1"}, {"bad name", "2"}, {"", "3"}, {"quote\"", "4"}});
    node->parameters.Add(DataParameter(nullptr, "5"));
    node->SetParameter("after", "6");
    ASSERT_TRUE(database.Save("res://names.xml", false));
    EXPECT_EQ(LogCapture::CountContaining("is not saved: the name cannot be read back.", QV_LOG_WARNING), 5);
    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://names.xml")) << "one bad name never makes the file unreadable";
    EXPECT_EQ(Dump(reloaded), "array <null>\n  node <null> [empty]=[]\narray [a]\n  node [made-in-code] [id]=[made-in-code] [v]=[1]\n"
                              "array [b]\n  node <null> [good]=[1] [after]=[6]\n");
}

TEST_F(SaveRoundTrip, RepeatedNamesAreWrittenEachInItsPlaceAndReadBackInTheSameOrder) {
    PutFile("repeated.xml", Doc("<root><array id=\"a\">"
                                "<node id=\"c\" x=\"1\" id=\"d\" x=\"2\"/>"
                                "<node id=\"t\" DATA=\"d1\" DATA=\"d2\">text</node>"
                                "<node id=\"u\" DATA=\"first\" DATA=\"second\"/>"
                                "<node id=\"v\" DATA=\"attribute\">text</node>"
                                "</array></root>"));
    Database database;
    ASSERT_TRUE(database.Load("res://repeated.xml"));
    // Of two "DATA" copies the reader would give a node's text to the first: both stand as
    // attributes. A single one is the text between the tags.
    EXPECT_EQ(WrittenText(database), kDeclaration +
                                         "<root>\n"
                                         "\t<array id=\"a\">\n"
                                         "\t\t<node id=\"c\" x=\"1\" id=\"d\" x=\"2\" />\n"
                                         "\t\t<node id=\"t\" DATA=\"text\" DATA=\"d2\" />\n"
                                         "\t\t<node id=\"u\" DATA=\"first\" DATA=\"second\" />\n"
                                         "\t\t<node id=\"v\" >text</node>\n"
                                         "\t</array>\n"
                                         "</root>\n");
    ExpectRoundTrip(database, "res://repeated-again.xml");
    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://repeated-again.xml"));
    EXPECT_STREQ(reloaded.GetParameter("a", "c", "x"), "1");
    EXPECT_STREQ(reloaded.GetParameter("a", "u", "DATA"), "first");
    EXPECT_TRUE(Popups().empty());
}

TEST_F(SaveRoundTrip, TagsLongerThanTheReaderTakesFailTheSaveAndKeepTheOldFile) {
    // '<node v="' + value + '" />' is 13 characters more than the value; the reader takes 8191.
    Database longest, node, array;
    AddNode(AddArray(longest, "a"), nullptr, {{"v", std::string(8191 - 13, 'x').c_str()}});
    ExpectRoundTrip(longest, "res://longest.xml");

    PutFile("big.xml", "previous");
    AddNode(AddArray(node, "a"), nullptr, {{"v", std::string(8191 - 12, 'x').c_str()}});
    EXPECT_FALSE(node.Save("res://big.xml", false));
    AddArray(array, "b")->parameters.Add(DataParameter("v", std::string(9000, 'x').c_str()));
    EXPECT_FALSE(array.Save("res://big.xml", false));
    EXPECT_EQ(GetFile("big.xml"), "previous");
    EXPECT_EQ(Popups(), (std::vector<std::string>{
                            "DataManager: node #1 of array 'a' cannot be saved: its tag is 8192 characters long, the reader takes at most 8191.",
                            "DataManager: array 'b' cannot be saved: its tag is 9019 characters long, the reader takes at most 8191."}));
}

TEST_F(SaveRoundTrip, ScrambledSaveReloadsThroughGetDatabase) {
    Database database;
    AddNode(AddArray(database, "scores"), nullptr,
            {{"player", "Zo\u00eb \"The Quote\" O'Neil"}, {"points", "1200"}, {"data", "1 2 3"}});
    ASSERT_TRUE(database.Save("res://leaderboards-db.xml", true));

    std::string file = GetFile("leaderboards-db.xml");
    EXPECT_TRUE(QVI_IsScrambledData(reinterpret_cast<const uint8_t*>(file.data()), static_cast<int>(file.size())));
    EXPECT_EQ(file.find("scores"), std::string::npos) << "not readable as text";
    EXPECT_EQ(file.size(), WrittenText(database).size() + 22);
    EXPECT_EQ(Dump(*DataManager::GetDatabase("res://leaderboards-db.xml")), Dump(database));
    EXPECT_TRUE(Popups().empty());
}

using SaveFailure = DataManagerTest;

// Counts of a file table that opens every file but writes only half of what it is
// given, as a full disk would.
int g_closed = 0;
int g_deleted = 0;

TEST_F(SaveFailure, FailedOrShortSaveKeepsWhatWasThereAndSaysWhichStepFailed) {
    Database database;
    AddNode(AddArray(database, "a"), nullptr, {{"v", "new contents"}});
    PutFile("locked.xml", "previous contents");
    ASSERT_TRUE(SetFileAttributesA(NativePath("locked.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(database.Save("res://locked.xml", false));
    EXPECT_EQ(GetFile("locked.xml"), "previous contents");

    ASSERT_TRUE(CreateDirectoryA(NativePath("taken.xml").c_str(), nullptr));
    PutFile("taken.xml/inside.txt", "kept");
    EXPECT_FALSE(database.Save("res://taken.xml", false));
    EXPECT_EQ(GetFile("taken.xml/inside.txt"), "kept");
    EXPECT_FALSE(quaven_test::NativeExists(NativePath("locked.xml..tmp")));
    EXPECT_FALSE(quaven_test::NativeExists(NativePath("taken.xml..tmp"))) << "the temporary file is removed again";
    EXPECT_FALSE(database.Save("res://no/such/folder/db.xml", false));
    EXPECT_FALSE(database.Save("nowhere/db.xml", false));

    QuavenFileSystemAPI table = *qv->fileSystem;
    table.OpenFile = [](const char*, const char*) { return reinterpret_cast<FileHandle*>(&g_closed); };
    table.Write = [](const void*, int size, FileHandle*) { return size / 2; };
    table.FlushFile = [](FileHandle*) { return 0; };
    table.CloseFile = [](FileHandle*) { ++g_closed; };
    table.DeleteFile = [](const char*) { return ++g_deleted > 0; };
    const QuavenFileSystemAPI* real = qv->fileSystem;
    qv->fileSystem = &table;
    const bool inPlace = database.Save("save://slot.xml", false), beside = database.Save("res://slot.xml", true);
    qv->fileSystem = real;
    EXPECT_FALSE(inPlace);
    EXPECT_FALSE(beside);
    // The temporary is no game path: it is opened, closed and removed past the game's table.
    EXPECT_EQ(g_closed, 1) << "the file written in place is closed";
    EXPECT_EQ(g_deleted, 0);
    EXPECT_FALSE(FileThere("slot.xml"));
    EXPECT_FALSE(quaven_test::NativeExists(NativePath("slot.xml..tmp"))) << "the half-written temporary file is removed";
    EXPECT_EQ(Popups(),
              (std::vector<std::string>{"Unable to open file 'res://locked.xml' for writing.",
                                        "Unable to replace file 'res://taken.xml'.",
                                        "Unable to open file 'res://no/such/folder/db.xml' for writing.",
                                        "Unable to open file 'nowhere/db.xml' for writing. The filename needs to be "
                                        "absolute file system target such as res://data/file.xml.",
                                        "Unable to write file 'save://slot.xml'.", "Unable to write file 'res://slot.xml'."}));
}

// The real file table, for a table that writes only half of what it is given to real files.
const QuavenFileSystemAPI* g_realFiles = nullptr;

TEST_F(SaveFailure, BeforeTheUgcFolderIsSetASaveInTheWorkingFolderIsStillReplacedWholeOrNotAtAll) {
    char saved[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    const std::string work = quaven_test::MakeTempDir("ugc-save");
    ASSERT_TRUE(SetCurrentDirectoryA(work.c_str()));
    g_currentUrlRoots[SCHEME_UGC].Assign("");

    Database first;
    AddNode(AddArray(first, "level"), "start", {{"x", "1"}});
    ASSERT_TRUE(first.Save("ugc://level.xml", false));
    const std::string previous = quaven_test::ReadNative(work + "/level.xml");
    EXPECT_EQ(previous, WrittenText(first));
    EXPECT_FALSE(quaven_test::NativeExists(work + "/level.xml..tmp"));

    // A disk that fills halfway through the next save: the previous file stays whole.
    Database second;
    AddNode(AddArray(second, "level"), "start", {{"x", std::string(4000, '2').c_str()}});
    QuavenFileSystemAPI table = *qv->fileSystem;
    g_realFiles = qv->fileSystem;
    table.Write = [](const void* buffer, int size, FileHandle* file) { return g_realFiles->Write(buffer, size / 2, file); };
    qv->fileSystem = &table;
    const bool halfSaved = second.Save("ugc://level.xml", false);
    qv->fileSystem = g_realFiles;
    EXPECT_FALSE(halfSaved);
    EXPECT_EQ(quaven_test::ReadNative(work + "/level.xml"), previous);
    EXPECT_FALSE(quaven_test::NativeExists(work + "/level.xml..tmp"));
    EXPECT_EQ(Popups(), std::vector<std::string>{"Unable to write file 'ugc://level.xml'."});

    ASSERT_TRUE(SetCurrentDirectoryA(saved));
    quaven_test::RemoveTree(work);
}

} // namespace
} // namespace datamanager_test
