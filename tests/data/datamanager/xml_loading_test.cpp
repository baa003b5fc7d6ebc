// Loading databases from XML files: the root/array/node structure, and broken files
// that must give their message, a failure and no arrays at all.

#include "datamanager_fixture.h"

#include "data/xml/xml_reader.h"

#include <cstdlib>
#include <cstring>
#include <ostream>

namespace datamanager_test {
namespace {

using XmlLoading = DataManagerTest;

std::string Doc(const std::string& body)
{
    return std::string(kDeclaration) + body;
}

TEST_F(XmlLoading, ArraysNodesAndParametersInDocumentOrder)
{
    PutFile("db.xml", Doc("<root>\n"
                          "  <array id=\"first\" kind=\"list\" size=\"2\">\n"
                          "    <node id=\"a\" x=\"1\" y=\"2\"/>\n"
                          "    <node x=\"3\">some text</node>\n"
                          "    <!-- a comment between nodes -->\n"
                          "  </array>\n"
                          "  <array>\n"
                          "    <node id=\"b\"></node>\n"
                          "  </array>\n"
                          "</root>\n"));
    Database database;
    ASSERT_TRUE(database.Load("res://db.xml")) << ::testing::PrintToString(Popups());
    EXPECT_EQ(Dump(database),
              "array [first] [kind]=[list] [size]=[2]\n"
              "  node [a] [id]=[a] [x]=[1] [y]=[2]\n"
              "  node <null> [x]=[3] [DATA]=[some text]\n"
              "array <null>\n"
              "  node [b] [id]=[b]\n");
    EXPECT_STREQ(database.fileName, "res://db.xml");
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlLoading, DatAndUpperCaseExtensionsAreXml)
{
    const std::string text = Doc("<root><array id=\"a\"><node id=\"n\" v=\"1\"/></array></root>");
    PutFile("one.dat", text);
    PutFile("two.XML", text);
    Database dat, upper;
    ASSERT_TRUE(dat.Load("res://one.dat"));
    ASSERT_TRUE(upper.Load("res://two.XML"));
    EXPECT_EQ(Dump(dat), Dump(upper));
    EXPECT_STREQ(dat.GetParameter("a", "n", "v"), "1");
}

TEST_F(XmlLoading, UnknownExtensionIsRefusedWithItsMessage)
{
    PutFile("notes.txt", Doc("<root></root>"));
    Database database;
    EXPECT_FALSE(database.Load("res://notes.txt"));
    EXPECT_EQ(Popups(), std::vector<std::string>{"Unknown database file type 'res://notes.txt'.\nSupported formats are: .csv .xml"});
    EXPECT_FALSE(database.Load("abc")) << "too short for an extension";
}

TEST_F(XmlLoading, MissingFileIsReportedAsNotFound)
{
    Database database;
    EXPECT_FALSE(database.Load("res://nothing.xml"));
    EXPECT_EQ(Popups(), std::vector<std::string>{"XML Array File 'res://nothing.xml' not found!"});
    EXPECT_EQ(database.arrays.count, 0);
}

TEST_F(XmlLoading, EmptyRootIsAnEmptyDatabase)
{
    PutFile("empty.xml", Doc("<root></root>\n"));
    PutFile("selfclosed.xml", Doc("<root/>\n"));
    Database a, b;
    EXPECT_TRUE(a.Load("res://empty.xml"));
    EXPECT_TRUE(b.Load("res://selfclosed.xml"));
    EXPECT_EQ(a.arrays.count, 0);
    EXPECT_EQ(b.arrays.count, 0);
}

struct BrokenFile {
    const char* name;
    const char* body;
    const char* message;  // %s stands for the file name
};

void PrintTo(const BrokenFile& file, std::ostream* out)
{
    *out << file.name;
}

class XmlBrokenFiles : public DataManagerTest, public ::testing::WithParamInterface<BrokenFile> {
};

TEST_P(XmlBrokenFiles, GiveTheirMessageAndKeepNoArrays)
{
    PutFile("broken.xml", Doc(GetParam().body));
    Database database;
    EXPECT_FALSE(database.Load("res://broken.xml"));
    EXPECT_EQ(database.arrays.count, 0) << "never half a database";
    char expected[1024];
    snprintf(expected, sizeof(expected), GetParam().message, "res://broken.xml");
    std::vector<std::string> popups = Popups();
    ASSERT_FALSE(popups.empty());
    EXPECT_EQ(popups.back(), expected);
}

const BrokenFile kBrokenFiles[] = {
    {"NoRoot", "<data><array/></data>",
     "DataManager: XML database needs to be contained within 'root' block (not expecting 'data'). '%s' is invalid."},
    {"ForeignElementInRoot", "<root><array id=\"a\"><node v=\"1\"/></array><table/></root>",
     "DataManager: root/array/node structure violated. 'table' is not 'array'. '%s' is invalid."},
    {"RootNotClosed", "<root><array id=\"a\"><node v=\"1\"/></array>",
     "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
    {"ForeignElementInArray", "<root><array id=\"a\"><node v=\"1\"/><item/></array></root>",
     "DataManager: in '%s' is expecting to find two types of elements inside root: 'array' and 'node'. 'item' is not one of them."},
    {"ArrayNotClosed", "<root><array id=\"a\"><node v=\"1\"/>",
     "DataManager: File '%s' ends unexpectedly. Not loaded."},
    {"ElementInsideNode", "<root><array id=\"a\"><node id=\"n1\"/><node id=\"n2\"><array/></node></array></root>",
     "DataManager: error parsing file '%s' after node #2 with id 'n2'. Basic root/array/node structure violated."},
    {"NodeNotClosed", "<root><array id=\"a\"><node id=\"n1\">text",
     "DataManager: error parsing file '%s' after node #1 with id 'n1'."},
    {"NodeSwallowingANode", "<root><array id=\"a\"><node id=\"n1\">text<node id=\"swallowed\"/></array></root>",
     "DataManager: error parsing file '%s' after node #1 with id 'n1'. Basic root/array/node structure violated."},
    {"SecondRoot", "<root><array id=\"a\"/></root><root/>",
     "DataManager: No blocks can exist after </root>. '%s' is invalid."},
    {"TextAfterRoot", "<root><array id=\"a\"/></root>trailing words<x/>",
     "DataManager: No blocks can exist after </root>. '%s' is invalid."},
};

INSTANTIATE_TEST_SUITE_P(Structure, XmlBrokenFiles, ::testing::ValuesIn(kBrokenFiles),
                         [](const ::testing::TestParamInfo<BrokenFile>& info) { return std::string(info.param.name); });

TEST_F(XmlLoading, ParseErrorAfterCompleteArraysKeepsNone)
{
    // Two good arrays, then a tag the reader refuses: the reader ends early.
    PutFile("cut.xml", Doc("<root>\n<array id=\"a\"><node v=\"1\"/></array>\n"
                           "<array id=\"b\"><node v=\"2\"/></array>\n"
                           "<array id=\"c\"><node v='3'/></array>\n</root>\n"));
    Database database;
    EXPECT_FALSE(database.Load("res://cut.xml"));
    EXPECT_EQ(database.arrays.count, 0);
    EXPECT_FALSE(Popups().empty());
}

TEST_F(XmlLoading, ParseErrorAfterRootIsAFailure)
{
    // Everything is read, but the document is broken after </root>.
    PutFile("tail.xml", Doc("<root><array id=\"a\"/></root>\n<x y='1'/>"));
    Database database;
    EXPECT_FALSE(database.Load("res://tail.xml"));
    EXPECT_EQ(database.arrays.count, 0);
}

TEST_F(XmlLoading, DocumentCutInsideATagIsAFailure)
{
    PutFile("truncated.xml", Doc("<root><array id=\"a\"><node v=\"1\"/></array></root"));
    Database database;
    EXPECT_FALSE(database.Load("res://truncated.xml"));
    EXPECT_EQ(database.arrays.count, 0);
}

TEST_F(XmlLoading, BinaryGarbageIsRefusedWithoutCrashing)
{
    std::string garbage;
    unsigned seed = 12345;
    for (int i = 0; i < 20000; ++i) {
        seed = seed * 1103515245u + 12345u;
        garbage.push_back(static_cast<char>(seed >> 16));
    }
    PutFile("garbage.xml", garbage);
    PutFile("garbage2.xml", Doc("<root>" + garbage));
    Database a, b;
    EXPECT_FALSE(a.Load("res://garbage.xml"));
    EXPECT_FALSE(b.Load("res://garbage2.xml"));
    EXPECT_EQ(a.arrays.count, 0);
    EXPECT_EQ(b.arrays.count, 0);
}

TEST_F(XmlLoading, FromXmlHeldInMemory)
{
    XMLReader reader;
    const std::string text = Doc("<root><array id=\"shader\"><node id=\"src\"><![CDATA[if (a < b) x = 1;]]></node></array></root>");
    reader.text = static_cast<char*>(malloc(text.size() + 1));
    memcpy(reader.text, text.c_str(), text.size() + 1);
    reader.length = static_cast<int>(text.size());
    reader.fileName = strdup("FromMem");
    reader.ok = 1;
    ASSERT_TRUE(reader.ReadHeader());
    Database database;
    ASSERT_TRUE(database.LoadFromXML(&reader));
    EXPECT_STREQ(database.GetParameter("shader", "src", "DATA"), "if (a < b) x = 1;");
}

TEST_F(XmlLoading, AFailedLoadIntoAUsedDatabaseLeavesNoArrays)
{
    PutFile("good.xml", Doc("<root><array id=\"a\"/></root>"));
    PutFile("bad.xml", Doc("<root><array id=\"b\"/>"));
    Database database;
    ASSERT_TRUE(database.Load("res://good.xml"));
    EXPECT_FALSE(database.Load("res://bad.xml"));
    EXPECT_EQ(database.arrays.count, 0);
}

} // namespace
} // namespace datamanager_test
