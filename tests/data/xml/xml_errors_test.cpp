// Every parse error the reader reports, with its exact message, line and snippet, and
// what the reader does afterwards (nothing more).
#include "xml_test_support.h"

#include <cstdio>
#include <string>

using namespace xml_test;

namespace {

using Texts = std::vector<std::string>;

std::string ParseError(const std::string& reason, int line, char c, const std::string& snippet,
                       const std::string& file = "memory.xml", int code = -1)
{
    char head[512];
    snprintf(head, sizeof(head), "Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'",
             reason.c_str(), line, file.c_str(), c, code >= 0 ? code : static_cast<unsigned char>(c));
    return head + snippet + "'";
}

class XmlErrors : public XmlReaderTest {
protected:
    // Reads the document (declaration on line 1) and answers how many blocks came before
    // the reading ended.
    size_t Read(const std::string& body)
    {
        LogCapture::Clear();
        EXPECT_TRUE(SetDocument(reader, kDeclaration + body));
        return ReadAll(reader).size();
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

TEST_F(XmlErrors, EachErrorNamesItsReasonLineCharacterAndSnippetAndEndsTheDocument)
{
    const std::string q = "\"";
    const struct {
        std::string body;
        size_t blocksBefore;
        std::string reason;
        int line;
        char character;
        std::string snippet;
    } cases[] = {
        {"<root>\n<<a>", 1, "not expecting another '<'", 3, '<', "<<a>"},
        {"<a>1 > 0</a>", 1, "not expecting '>'", 2, '>', " > 0</a>"},
        {"<a v=\"1\"w=\"2\"/>", 0, "Unexpected character after value definition.", 2, 'w', "\"w=\"2\"/>"},
        {"<n>\n<![CDATA[abc]]", 1, "'![CDATA[' does not end with ']]>' pattern.", 3, '!', "<![CDATA[abc]]"},
        {"<!-- a <!-- b -->", 0, "New comment block start within a comment block.", 2, '<', " <!-- b -->"},
        {"<root>\n<!-- a\nb -", 1, "Comment block not ended properly.", 4, '-', "-"},
        {"<a b-c=\"1\"/>\n", 0, "Reading next block (case #1)", 2, '-', ">\n"},
        // Lines count line feeds only; the snippet stops at the document's end.
        {"<a>\r\n<b>\r\n\r\n<c>\n  > </c>", 3, "not expecting '>'", 6, '>', " > </c>"},
        {"<a>>", 1, "not expecting '>'", 2, '>', ">>"},
        // Tokens of the value buffer's size and more.
        {"<n>\n" + std::string(9000, 'x') + "</n>", 1, "buffer overrun", 3, 'x', std::string(255, 'x')},
        {"<" + std::string(10240, 'e') + "/>", 0, "buffer overrun", 2, 'e', std::string(255, 'e')},
        {"<n v=" + q + std::string(10240, 'e') + q + "/>", 0, "buffer overrun", 2, 'e', std::string(255, 'e')},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.body.substr(0, 30));
        EXPECT_EQ(Read(c.body), c.blocksBefore);
        EXPECT_EQ(LogCapture::PopupTexts(), Texts{ParseError(c.reason, c.line, c.character, c.snippet)});
        EXPECT_EQ(LogCapture::PopupLines()[0].level, QV_LOG_WARNING);
        ExpectEnded();
    }
}

TEST_F(XmlErrors, QuotesAndNamesAreRequired)
{
    Read("<a v='x'/>");
    EXPECT_EQ(LogCapture::PopupTexts(),
              (Texts{ParseError("Expecting \" character to start value definition (all values must be defined "
                                "name=\"value\" with quotes).",
                                2, '\'', ">"),
                     ParseError("Reading next block (case #2)", 2, '\'', ">")}));
    ExpectEnded();
    for (const char* tag : {"<a 1x=\"1\"/>", "<a b/>", "<a v=x/>"}) {
        SCOPED_TRACE(tag);
        Read(tag);
        ASSERT_FALSE(LogCapture::PopupTexts().empty());
        EXPECT_EQ(LogCapture::PopupTexts().back().rfind("Parsing error (Reading next block (case #", 0), 0u);
        ExpectEnded();
    }
}

TEST_F(XmlErrors, AttributesBeyondTheLimitAreDroppedAfterTheWarningButStillChecked)
{
    std::string tag = "<n";
    for (int i = 0; i < 1300; ++i)
        tag += std::string(" ") + static_cast<char>('a' + i % 26) + "=\"" + std::to_string(i % 10) + "\"";
    LogCapture::Clear();
    ASSERT_TRUE(SetDocument(reader, kDeclaration + tag + "/><next k=\"v\"/>"));
    ASSERT_NE(reader.ReadNextBlock(), nullptr);
    EXPECT_EQ(reader.current.attributeCount, 512);
    EXPECT_STREQ(reader.current.attributeNames[511], "r");
    EXPECT_STREQ(reader.current.attributeValues[511], "1");
    EXPECT_EQ(ReadAll(reader), Texts{"<next k=[v]/>"});
    EXPECT_EQ(LogCapture::PopupTexts(), Texts{"Too many blocks (512 limit) in object 'n' in xml 'memory.xml'."});
    EXPECT_TRUE(reader.ok);

    std::string bad = "<n";
    for (int i = 0; i < 600; ++i)
        bad += " a=\"\"";
    EXPECT_EQ(Read(bad + " 9=\"\"/>"), 0u);
    ASSERT_EQ(LogCapture::PopupTexts().size(), 2u);
    EXPECT_EQ(LogCapture::PopupTexts()[1].rfind("Parsing error (Reading next block (case #1))", 0), 0u);
}

TEST_F(XmlErrors, MessagesNameTheFileAndNeverReadOutsideTheText)
{
    ASSERT_TRUE(SetDocument(reader, std::string(kDeclaration) + "<a>", "res://data/broken.xml"));
    reader.position = reader.length + 1000;
    reader.ReportError("far", 'x');
    reader.ok = 1;
    reader.position = -50;
    reader.ReportError("before", 'y');
    reader.ok = 1;
    reader.position = 2;
    reader.ReportError("zero", 0);  // a zero byte is shown as a blank
    const std::string file = "res://data/broken.xml";
    EXPECT_EQ(LogCapture::PopupTexts(),
              (Texts{ParseError("far", 2, 'x', ">", file), ParseError("before", 1, 'y', std::string(kDeclaration) + "<a>", file),
                     ParseError("zero", 1, ' ', std::string(kDeclaration).substr(1) + "<a>", file, 0)}));
    ExpectEnded();

    LogCapture::Clear();
    XMLReader empty;
    empty.ReportError("nothing", 'z');
    EXPECT_EQ(LogCapture::PopupTexts(), Texts{ParseError("nothing", 1, 'z', "", "")});
    EXPECT_EQ(empty.ReadNextBlock(), nullptr);
}

} // namespace
