// Loading databases from XML files: the root/array/node structure, and broken files
// that must give their message, a failure and no arrays at all.
#include "datamanager_fixture.h"

#include <cstdio>

namespace datamanager_test {
namespace {

using XmlLoading = DataManagerTest;

TEST_F(XmlLoading, ArraysNodesAndParametersInDocumentOrderFromXmlAndDatFilesOnly) {
    PutFile("db.xml", Doc("<root>\n"
                          "  <array id=\"first\" kind=\"list\" size=\"2\">\n"
                          "    <node id=\"a\" x=\"1\" y=\"2\"/>\n"
                          "    <node x=\"3\">some text</node>\n"
                          "    <node id=\"c\" x=\"1\" id=\"d\" x=\"2\" DATA=\"d1\" DATA=\"d2\">text</node>\n"
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
              "  node [c] [id]=[c] [x]=[1] [id]=[d] [x]=[2] [DATA]=[text] [DATA]=[d2]\n"
              "array <null>\n"
              "  node [b] [id]=[b]\n");
    // Every copy of a repeated attribute is kept; the first answers, the first id names the node.
    EXPECT_STREQ(database.GetParameter("first", "c", "x"), "1");
    EXPECT_STREQ(database.GetParameter("first", "c", "id"), "c");
    EXPECT_EQ(database.arrays.data[0]->FindNode("d"), nullptr);
    EXPECT_STREQ(database.fileName, "res://db.xml");
    EXPECT_TRUE(Popups().empty());

    // .dat and upper-case extensions are XML too; others are refused.
    PutFile("one.dat", Doc("<root><array id=\"a\"><node id=\"n\" v=\"1\"/></array></root>"));
    PutFile("two.XML", Doc("<root></root>\n"));
    PutFile("notes.txt", Doc("<root></root>"));
    Database dat, upper, other;
    ASSERT_TRUE(dat.Load("res://one.dat"));
    EXPECT_STREQ(dat.GetParameter("a", "n", "v"), "1");
    ASSERT_TRUE(upper.Load("res://two.XML"));
    EXPECT_EQ(upper.arrays.count, 0);
    // A self-closing root block still has its arrays up to the closing one.
    PutFile("open.xml", Doc("<root/><array id=\"a\"/></root>"));
    Database open;
    ASSERT_TRUE(open.Load("res://open.xml"));
    EXPECT_EQ(Dump(open), "array [a]\n");

    EXPECT_FALSE(other.Load("res://notes.txt"));
    EXPECT_FALSE(other.Load("abc")) << "too short for an extension";
    EXPECT_FALSE(other.Load("res://nothing.xml"));
    EXPECT_EQ(Popups(), (std::vector<std::string>{
                            "Unknown database file type 'res://notes.txt'.\nSupported formats are: .csv .xml",
                            "XML Array File 'res://nothing.xml' not found!"}));
}

TEST_F(XmlLoading, BrokenFileGivesItsMessageAndKeepsNoArraysEvenInAUsedDatabase) {
    const struct {
        const char* body;
        const char* message;  // %s stands for the file name; null: the reader's own
    } cases[] = {
        {"<data><array/></data>",
         "DataManager: XML database needs to be contained within 'root' block (not expecting 'data'). '%s' is invalid."},
        {"<root><array id=\"a\"><node v=\"1\"/></array>",
         "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        // A root block of any form opens the database; only a closing one after it ends it.
        {"<root/>\n", "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        {"</root>", "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        {"<root/><array id=\"a\"/>", "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        {"<root><array id=\"a\"><node v=\"1\"/><item/></array></root>",
         "DataManager: in '%s' is expecting to find two types of elements inside root: 'array' and 'node'. 'item' is not one of them."},
        {"<root><array id=\"a\"><node v=\"1\"/>", "DataManager: File '%s' ends unexpectedly. Not loaded."},
        {"<root><array id=\"a\"><node id=\"n1\"/><node id=\"n2\"><array/></node></array></root>",
         "DataManager: error parsing file '%s' after node #2 with id 'n2'. Basic root/array/node structure violated."},
        // Without text, a node's end tag must follow; an empty node is no end tag.
        {"<root><array id=\"a\"><node id=\"n1\"><node/></array></root>",
         "DataManager: error parsing file '%s' after node #1 with id 'n1'. Basic root/array/node structure violated."},
        {"<root><array id=\"a\"/></root><root/>", "DataManager: No blocks can exist after </root>. '%s' is invalid."},
        // Cut off after a stray '<', inside a node's text, inside an unclosed quote, in a tag.
        {"<root><array id=\"a\"><node v=\"1\"/></array><",
         "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        {"<root><array id=\"a\"><node id=\"t\">text<", "DataManager: error parsing file '%s' after node #1 with id 't'."},
        {"<root><array id=\"a\"><node id=\"q\">5\" long</node></array></root>\n",
         "DataManager: error parsing file '%s' after node #1 with id 'q'."},
        {"<root><array id=\"a\"><node v=\"1\"/></array></root",
         "DataManager: XML database needs to end with root block closing. '%s' is invalid."},
        // Good arrays, then a tag the reader refuses; a quote in text followed by a comma:
        // the reader's message, then DataManager's.
        {"<root>\n<array id=\"a\"><node v=\"1\"/></array>\n<array id=\"c\"><node v='3'/></array>\n</root>\n", nullptr},
        {"<root><array id=\"a\"><node id=\"hi\">\"Hi\", he said</node></array></root>", nullptr},
    };
    PutFile("good.xml", Doc("<root><array id=\"a\"/></root>"));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body);
        PutFile("broken.xml", Doc(c.body));
        Database database;
        ASSERT_TRUE(database.Load("res://good.xml"));
        LogCapture::Clear();
        EXPECT_FALSE(database.Load("res://broken.xml"));
        EXPECT_EQ(database.arrays.count, 0) << "never half a database";
        EXPECT_FALSE(Popups().empty()) << "a refused file always says why";
        if (!c.message) {
            EXPECT_EQ(Popups().back().rfind("DataManager: ", 0), 0u) << "the reader's report, then DataManager's";
            continue;
        }
        char expected[1024];
        snprintf(expected, sizeof(expected), c.message, "res://broken.xml");
        EXPECT_EQ(Popups(), std::vector<std::string>{expected});
    }
}

TEST_F(XmlLoading, QuotedAndMarkedUpNodeTextAndATailAfterRootLoad) {
    // A dialog file as a writer might keep it by hand: quotes around '>' in text, markup in
    // text (the block after a node's text closes the node, and the end tag left over
    // then makes a node of its own), an array written inside another (its closing block
    // ends the outer one, whose end tag then makes an array of its own), and a broken
    // line after the end of the data.
    PutFile("dialog.xml", Doc("<root>\n"
                              "  <array id=\"dialog\" lang=\"en\">\n"
                              "    <node id=\"greet\">Say \"x > y\" now</node>\n"
                              "    <node id=\"br\">Hello<br/>World</node>\n"
                              "    <node id=\"after\" v=\"1\"/>\n"
                              "    <node id=\"swallow\">text<node id=\"swallowed\"/>\n"
                              "    <node id=\"quoted\">\"Hi\" he said, \"<b>bye</b>\"\n</node>\n"
                              "  </array>\n"
                              "  <array id=\"outer\"><node id=\"o\"/><array id=\"inner\"/></array>\n"
                              "</root>\n"
                              "<broken y='1'/>\n"));
    Database database;
    ASSERT_TRUE(database.Load("res://dialog.xml"));
    EXPECT_EQ(Dump(database),
              "array [dialog] [lang]=[en]\n"
              "  node [greet] [id]=[greet] [DATA]=[Say \"x > y\" now]\n"
              "  node [br] [id]=[br] [DATA]=[Hello]\n"
              "  node <null>\n"
              "  node [after] [id]=[after] [v]=[1]\n"
              "  node [swallow] [id]=[swallow] [DATA]=[text]\n"
              "  node [quoted] [id]=[quoted] [DATA]=[\"Hi\" he said, \"<b>bye</b>\"\n]\n"
              "array [outer]\n"
              "  node [o] [id]=[o]\n"
              "array <null>\n");
    // Only the reader's report of the broken tail.
    ASSERT_EQ(Popups().size(), 2u);
    EXPECT_EQ(Popups()[0].rfind("Parsing error (Expecting \" character to start value definition", 0), 0u);

    // A stray '<' after the data ends the document too, silently.
    PutFile("stray.xml", Doc("<root><array id=\"a\"><node id=\"n\">x</node></array></root>\n<"));
    LogCapture::Clear();
    Database stray;
    ASSERT_TRUE(stray.Load("res://stray.xml"));
    EXPECT_EQ(Dump(stray), "array [a]\n  node [n] [id]=[n] [DATA]=[x]\n");
    EXPECT_TRUE(Popups().empty());
}

} // namespace
} // namespace datamanager_test
