// Documents of the shapes the engine writes and reads: DataManager databases, prog.xml
// style configuration, escaped values, CDATA sources and comments.
#include "xml_test_support.h"

#include <string>

using namespace xml_test;

namespace {

class XmlWellFormedTest : public XmlReaderTest {
protected:
    std::vector<BlockCopy> Read(const std::string& body)
    {
        EXPECT_TRUE(SetDocument(reader, kDeclaration + body));
        return ReadAllBlocks(reader);
    }

    XMLReader reader;
};

TEST_F(XmlWellFormedTest, DatabaseAsDataManagerWritesIt)
{
    std::string body =
        "<root>\n"
        "\t<array id=\"settings\" version=\"2\">\n"
        "\t\t<node id=\"a\" size=\"12\" />\n"
        "\t\t<node id=\"b\" \n\t\t colour=\"red\" \n\t\t >Some text</node>\n"
        "\t</array>\n"
        "\t<array id=\"empty\">\n"
        "\t</array>\n"
        "</root>\n";
    std::vector<BlockCopy> expected = {
        Element("root"),
        Element("array", {{"id", "settings"}, {"version", "2"}}),
        Element("node", {{"id", "a"}, {"size", "12"}}, true),
        Element("node", {{"id", "b"}, {"colour", "red"}}),
        Text("Some text"),
        EndTag("node"),
        EndTag("array"),
        Element("array", {{"id", "empty"}}),
        EndTag("array"),
        EndTag("root"),
    };
    EXPECT_EQ(Read(body), expected);
    EXPECT_TRUE(reader.ok);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlWellFormedTest, BlanksAroundEqualsAndInsideTagsAreDropped)
{
    EXPECT_EQ(Read("<a  x = \"1\"\ty\r\n=\n\"2\"   ></a >"),
              (std::vector<BlockCopy>{Element("a", {{"x", "1"}, {"y", "2"}}), EndTag("a")}));
}

TEST_F(XmlWellFormedTest, SelfClosingWithAndWithoutAttributes)
{
    EXPECT_EQ(Read("<a/><b /><c k=\"v\"/><d k=\"v\" />"),
              (std::vector<BlockCopy>{Element("a", {}, true), Element("b", {}, true),
                                      Element("c", {{"k", "v"}}, true), Element("d", {{"k", "v"}}, true)}));
}

TEST_F(XmlWellFormedTest, QuotedValuesKeepWhiteSpaceAndSpecialCharacters)
{
    EXPECT_EQ(Read("<a v=\"  two  blanks\t<tag> = / \"/>"),
              (std::vector<BlockCopy>{Element("a", {{"v", "  two  blanks\t<tag> = / "}}, true)}));
}

TEST_F(XmlWellFormedTest, BackslashEscapesInValues)
{
    // \n \r \t \" \\ are decoded, any other pair is dropped whole.
    EXPECT_EQ(Read("<a v=\"1\\n2\\r3\\t4\\\"5\\\\6\\x7\"/>"),
              (std::vector<BlockCopy>{Element("a", {{"v", "1\n2\r3\t4\"5\\6" "7"}}, true)}));
}

TEST_F(XmlWellFormedTest, EscapedBackslashBeforeClosingQuoteEndsTheValue)
{
    // A value ending in a backslash is written as "...\\": the quote after two
    // backslashes closes it.
    EXPECT_EQ(Read("<a v=\"dir\\\\\" w=\"x\"/>"),
              (std::vector<BlockCopy>{Element("a", {{"v", "dir\\"}, {"w", "x"}}, true)}));
}

TEST_F(XmlWellFormedTest, BackslashThenQuoteSurvivesAsWritten)
{
    // The text \" is written as \\\" (escaped backslash, escaped quote): three
    // backslashes before the quote leave it inside the value.
    EXPECT_EQ(Read("<a v=\"say \\\\\\\"hi\\\\\\\"\"/>"),
              (std::vector<BlockCopy>{Element("a", {{"v", "say \\\"hi\\\""}}, true)}));
}

TEST_F(XmlWellFormedTest, EntitiesQuotThenAmpEachOnce)
{
    EXPECT_EQ(Read("<a v=\"&quot;x&quot; &amp; y\" w=\"&amp;quot;\" z=\"&lt;&#65;&gt;\"/>"),
              (std::vector<BlockCopy>{
                  Element("a", {{"v", "\"x\" & y"}, {"w", "&quot;"}, {"z", "&lt;&#65;&gt;"}}, true)}));
}

TEST_F(XmlWellFormedTest, EmptyValueAndNamesWithDotsAndDigits)
{
    EXPECT_EQ(Read("<a _x=\"\" a.b1=\"v\" Z9_=\"w\"/>"),
              (std::vector<BlockCopy>{Element("a", {{"_x", ""}, {"a.b1", "v"}, {"Z9_", "w"}}, true)}));
}

TEST_F(XmlWellFormedTest, TextKeepsItsWhiteSpaceAndQuotes)
{
    // Quotes in text are ordinary characters, whatever follows them.
    EXPECT_EQ(Read("<n>\n  He said \"hi\"! it's 5\" long\n</n>"),
              (std::vector<BlockCopy>{Element("n"), Text("\n  He said \"hi\"! it's 5\" long\n"), EndTag("n")}));
}

TEST_F(XmlWellFormedTest, WhiteSpaceOnlyTextIsNotABlock)
{
    EXPECT_EQ(Read("<a>\n\t  \r\n</a>\n\n"), (std::vector<BlockCopy>{Element("a"), EndTag("a")}));
}

TEST_F(XmlWellFormedTest, CDataIsTextAndMayHoldMarkup)
{
    EXPECT_EQ(Read("<n><![CDATA[a < b && c > d]]></n>"),
              (std::vector<BlockCopy>{Element("n"), Text("a < b && c > d"), EndTag("n")}));
}

TEST_F(XmlWellFormedTest, CDataStartingWithAngleBracketStaysText)
{
    EXPECT_EQ(Read("<n><![CDATA[<b>bold</b>]]></n><m><![CDATA[<!-- not a comment -->]]></m>"),
              (std::vector<BlockCopy>{Element("n"), Text("<b>bold</b>"), EndTag("n"), Element("m"),
                                      Text("<!-- not a comment -->"), EndTag("m")}));
}

TEST_F(XmlWellFormedTest, EmptyCDataAndCDataAfterWhiteSpace)
{
    EXPECT_EQ(Read("<n>\n   <![CDATA[]]></n>"), (std::vector<BlockCopy>{Element("n"), Text(""), EndTag("n")}));
}

TEST_F(XmlWellFormedTest, CDataLongerThanTheValueBuffer)
{
    // Shader sources live in CDATA: they are cut from the document, not copied.
    std::string source(20000, 'x');
    source[100] = '\n';
    EXPECT_EQ(Read("<src><![CDATA[" + source + "]]></src>"),
              (std::vector<BlockCopy>{Element("src"), Text(source), EndTag("src")}));
}

TEST_F(XmlWellFormedTest, CDataMarkerInsideTextIsOrdinaryText)
{
    EXPECT_EQ(Read("<n>x![CDATA[y</n><m>z]]></m>"),
              (std::vector<BlockCopy>{Element("n"), Text("x![CDATA[y"), EndTag("n"), Element("m")}));
    // The "]]>" of the second element is text holding '>', which is an error.
    EXPECT_FALSE(reader.ok);
}

TEST_F(XmlWellFormedTest, CommentsAreSkippedEverywhere)
{
    std::string body =
        "<!-- top -->\n"
        "<root>\n"
        "  <!-- between\n lines -->\n"
        "  <node id=\"x\" <!-- inside a tag --> k=\"v\"/>\n"
        "  <!---->\n"
        "</root><!-- trailing -->\n";
    EXPECT_EQ(Read(body), (std::vector<BlockCopy>{Element("root"), Element("node", {{"id", "x"}, {"k", "v"}}, true),
                                                  EndTag("root")}));
    EXPECT_TRUE(reader.ok);
}

TEST_F(XmlWellFormedTest, TextAfterCommentInsideElementIsText)
{
    EXPECT_EQ(Read("<n><!-- c -->text</n>"), (std::vector<BlockCopy>{Element("n"), Text("text"), EndTag("n")}));
}

TEST_F(XmlWellFormedTest, OtherBangConstructsAreText)
{
    EXPECT_EQ(Read("<!DOCTYPE root><root/>"),
              (std::vector<BlockCopy>{Text("<!DOCTYPE root>"), Element("root", {}, true)}));
}

TEST_F(XmlWellFormedTest, TextOfExactlyTheBufferLimitFits)
{
    std::string text(XMLReader::kValueBufferSize - 1, 't');
    EXPECT_EQ(Read("<n>" + text + "</n>"), (std::vector<BlockCopy>{Element("n"), Text(text), EndTag("n")}));
    EXPECT_TRUE(reader.ok);
}

TEST_F(XmlWellFormedTest, ExactlyFiveHundredTwelveAttributesAreKeptWithTheWarning)
{
    std::string tag = "<n";
    for (int i = 0; i < XMLBlock::kMaxAttributes; ++i)
        tag += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    tag += "/>";
    std::vector<BlockCopy> blocks = Read(tag);
    ASSERT_EQ(blocks.size(), 1u);
    ASSERT_EQ(blocks[0].attributes.size(), 512u);
    EXPECT_EQ(blocks[0].attributes[511], std::make_pair(std::string("a511"), std::string("511")));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{"Too many blocks (512 limit) in object 'n' in xml 'memory.xml'."}));
}

TEST_F(XmlWellFormedTest, BlocksAreReusedAndTextBlocksHaveOneDataAttribute)
{
    ASSERT_TRUE(SetDocument(reader, std::string(kDeclaration) + "<a x=\"1\" y=\"2\">t</a>"));
    XMLBlock* first = reader.ReadNextBlock();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, &reader.current);
    EXPECT_EQ(first->attributeCount, 2);
    XMLBlock* text = reader.ReadNextBlock();
    ASSERT_EQ(text, &reader.current);
    EXPECT_EQ(text->name, nullptr);
    EXPECT_EQ(text->attributeCount, 1);
    EXPECT_STREQ(text->attributeNames[0], "DATA");
    EXPECT_STREQ(text->attributeValues[0], "t");
    EXPECT_EQ(text->closing, 0);
    XMLBlock* end = reader.ReadNextBlock();
    ASSERT_NE(end, nullptr);
    EXPECT_STREQ(end->name, "a");
    EXPECT_EQ(end->attributeCount, 0);
    EXPECT_EQ(end->closing, 1);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlWellFormedTest, ConfigurationFileWithWindowsLineEnds)
{
    std::string doc = "\r\n  \t<?xml version=\"1.0\"?>\r\n<root>\r\n<array id=\"config\">\r\n"
          "<node id=\"fps_limit\" value=\"60\"/>\r\n</array>\r\n</root>\r\n";
    ASSERT_TRUE(SetDocument(reader, doc, "res://prog.xml"));
    EXPECT_EQ(ReadAllBlocks(reader),
              (std::vector<BlockCopy>{Element("root"), Element("array", {{"id", "config"}}),
                                      Element("node", {{"id", "fps_limit"}, {"value", "60"}}, true), EndTag("array"),
                                      EndTag("root")}));
}

} // namespace
