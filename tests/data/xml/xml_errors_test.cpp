// Every parse error the reader reports, with its exact message, line and snippet, and
// what the reader does afterwards (nothing more).
#include "xml_test_support.h"

#include <cstdio>
#include <string>

using namespace xml_test;

namespace {

std::string ParseError(const std::string& reason, int line, char c, const std::string& snippet,
                       const std::string& file = "memory.xml")
{
    char head[512];
    snprintf(head, sizeof(head), "Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'",
             reason.c_str(), line, file.c_str(), c, static_cast<unsigned char>(c));
    return head + snippet + "'";
}

class XmlErrorTest : public XmlReaderTest {
protected:
    // Reads the document (declaration on line 1) and answers the blocks before the error.
    std::vector<BlockCopy> Read(const std::string& body)
    {
        EXPECT_TRUE(SetDocument(reader, kDeclaration + body));
        return ReadAllBlocks(reader);
    }

    void ExpectEnded()
    {
        EXPECT_FALSE(reader.ok);
        EXPECT_EQ(reader.position, reader.length);
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
        EXPECT_EQ(reader.Scan(), nullptr);
    }

    XMLReader reader;
};

TEST_F(XmlErrorTest, AngleBracketRightAfterAngleBracket)
{
    EXPECT_EQ(Read("<root>\n<<a>"), (std::vector<BlockCopy>{Element("root")}));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("not expecting another '<'", 3, '<', "<<a>")}));
    EXPECT_EQ(Popups()[0].level, QV_LOG_WARNING);
    ExpectEnded();
}

TEST_F(XmlErrorTest, EmptyTag)
{
    Read("<root>\n< >");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("not expecting '<' yet", 3, '>', " >")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, ClosingBracketInText)
{
    EXPECT_EQ(Read("<a>1 > 0</a>"), (std::vector<BlockCopy>{Element("a")}));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("not expecting '>'", 2, '>', " > 0</a>")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, TextOfNineThousandCharactersOverrunsTheBuffer)
{
    std::string text(9000, 'x');
    EXPECT_EQ(Read("<n>\n" + text + "</n>"), (std::vector<BlockCopy>{Element("n")}));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("buffer overrun", 3, 'x', std::string(255, 'x'))}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, TagOfTenKilobytesOverrunsTheBuffer)
{
    Read("<" + std::string(10240, 'e') + "/>");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("buffer overrun", 2, 'e', std::string(255, 'e'))}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, QuotedValueOfTenKilobytesOverrunsTheBuffer)
{
    Read("<n v=\"" + std::string(10240, 'q') + "\"/>");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("buffer overrun", 2, 'q', std::string(255, 'q'))}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, ThousandsOfAttributesOverrunTheBuffer)
{
    std::string tag = "<n";
    for (int i = 0; i < 5000; ++i)
        tag += " a=\"\"";
    tag += "/>";
    Read(tag);
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_EQ(Popups()[0].text.rfind("Parsing error (buffer overrun) around line 2", 0), 0u);
    ExpectEnded();
}

TEST_F(XmlErrorTest, AttributesBeyondTheLimitAreDroppedAfterTheWarning)
{
    std::string tag = "<n";
    for (int i = 0; i < 1300; ++i)
        tag += std::string(" ") + static_cast<char>('a' + i % 26) + "=\"" + std::to_string(i % 10) + "\"";
    tag += "/><next k=\"v\"/>";
    std::vector<BlockCopy> blocks = Read(tag);
    ASSERT_EQ(blocks.size(), 2u);
    ASSERT_EQ(blocks[0].attributes.size(), 512u);
    EXPECT_EQ(blocks[0].attributes[0], std::make_pair(std::string("a"), std::string("0")));
    EXPECT_EQ(blocks[0].attributes[511], std::make_pair(std::string("r"), std::string("1")));
    EXPECT_TRUE(blocks[0].closing);
    EXPECT_EQ(blocks[1], Element("next", {{"k", "v"}}, true));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{"Too many blocks (512 limit) in object 'n' in xml 'memory.xml'."}));
    EXPECT_TRUE(reader.ok);
}

TEST_F(XmlErrorTest, AttributesBeyondTheLimitAreStillChecked)
{
    std::string tag = "<n";
    for (int i = 0; i < 600; ++i)
        tag += " a=\"\"";
    tag += " 9=\"\"/>";
    EXPECT_TRUE(Read(tag).empty());
    ASSERT_EQ(Popups().size(), 2u);
    EXPECT_EQ(Popups()[0].text, "Too many blocks (512 limit) in object 'n' in xml 'memory.xml'.");
    EXPECT_EQ(Popups()[1].text.rfind("Parsing error (Reading next block (case #1))", 0), 0u);
}

TEST_F(XmlErrorTest, CharacterGluedToClosingQuote)
{
    Read("<a v=\"1\"w=\"2\"/>");
    EXPECT_EQ(PopupTexts(),
              (std::vector<std::string>{ParseError("Unexpected character after value definition.", 2, 'w', "\"w=\"2\"/>")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, UnterminatedCData)
{
    EXPECT_EQ(Read("<n>\n<![CDATA[abc]]"), (std::vector<BlockCopy>{Element("n")}));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{
                                ParseError("'![CDATA[' does not end with ']]>' pattern.", 3, '!', "<![CDATA[abc]]")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, CommentInsideComment)
{
    Read("<!-- a <!-- b -->");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("New comment block start within a comment block.", 2,
                                                                 '<', " <!-- b -->")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, CommentWithoutEnd)
{
    Read("<root>\n<!-- a\nb -");
    EXPECT_EQ(PopupTexts(),
              (std::vector<std::string>{ParseError("Comment block not ended properly.", 4, '-', "-")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, BadAttributeNames)
{
    for (const char* tag : {"<a 1x=\"1\"/>", "<a b-c=\"1\"/>", "<a b/>", "<a b c=\"1\"/>"}) {
        SCOPED_TRACE(tag);
        ClearPopups();
        Read(tag);
        ASSERT_EQ(Popups().size(), 1u);
        EXPECT_EQ(Popups()[0].text.rfind("Parsing error (Reading next block (case #1)) around line 2 in XML 'memory.xml'.", 0),
                  0u);
        ExpectEnded();
    }
}

TEST_F(XmlErrorTest, BadAttributeNameReportsTheCharacter)
{
    Read("<a b-c=\"1\"/>\n");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("Reading next block (case #1)", 2, '-', ">\n")}));
}

TEST_F(XmlErrorTest, SingleQuotedValueGivesTheQuoteErrorThenCaseTwo)
{
    Read("<a v='x'/>");
    EXPECT_EQ(PopupTexts(),
              (std::vector<std::string>{
                  ParseError("Expecting \" character to start value definition (all values must be defined "
                             "name=\"value\" with quotes).",
                             2, '\'', ">"),
                  ParseError("Reading next block (case #2)", 2, '\'', ">")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, UnquotedValue)
{
    Read("<a v=x/>");
    ASSERT_EQ(Popups().size(), 2u);
    EXPECT_EQ(Popups()[1].text, ParseError("Reading next block (case #2)", 2, 'x', ">"));
}

TEST_F(XmlErrorTest, LineNumberCountsLineFeedsBeforeTheError)
{
    Read("<a>\r\n<b>\r\n\r\n<c>\n  > </c>");
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_EQ(Popups()[0].text, ParseError("not expecting '>'", 6, '>', " > </c>"));
}

TEST_F(XmlErrorTest, SnippetStopsAtTheDocumentEnd)
{
    Read("<a>>");
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("not expecting '>'", 2, '>', ">>")}));
}

TEST_F(XmlErrorTest, ErrorMessageNamesTheLoadedFile)
{
    ASSERT_TRUE(SetDocument(reader, std::string(kDeclaration) + "<a>>", "res://data/broken.xml"));
    ReadAllBlocks(reader);
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("not expecting '>'", 2, '>', ">>", "res://data/broken.xml")}));
}

TEST_F(XmlErrorTest, ZeroByteIsShownAsABlankInTheMessage)
{
    ASSERT_TRUE(SetDocument(reader, std::string(kDeclaration) + "<a>"));
    reader.position = 2;
    reader.ReportError("test", 0);
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_EQ(Popups()[0].text, "Parsing error (test) around line 1 in XML 'memory.xml'. Unexpected character ' ' (0) at:\n'"
                                "?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<a>'");
}

TEST_F(XmlErrorTest, ReportErrorWithPositionOutsideTheText)
{
    ASSERT_TRUE(SetDocument(reader, std::string(kDeclaration) + "<a>"));
    reader.position = reader.length + 1000;
    reader.ReportError("far", 'x');
    reader.ok = 1;
    reader.position = -50;
    reader.ReportError("before", 'y');
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("far", 2, 'x', ">", "memory.xml"),
                                                     ParseError("before", 1, 'y', std::string(kDeclaration) + "<a>")}));
    ExpectEnded();
}

TEST_F(XmlErrorTest, ReportErrorWithoutDocumentOrName)
{
    XMLReader empty;
    empty.ReportError("nothing", 'z');
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{ParseError("nothing", 1, 'z', "", "")}));
    EXPECT_EQ(empty.ReadNextBlock(), nullptr);
}

} // namespace
