// The XML reader: documents of the shapes the engine reads, the declaration check, and
// every parse error with its exact message, line and snippet, after which it reads
// nothing more.
#include "xml_test_support.h"

#include <cstdio>
#include <string>

using namespace xml_test;

namespace {

using Texts = std::vector<std::string>;

class XmlReading : public XmlReaderTest {
protected:
    // Reads a well-formed document (declaration on line 1) to its end.
    Blocks Read(const std::string& body) {
        Blocks blocks = ReadUntilTheEnd(body);
        EXPECT_TRUE(reader.ok);
        return blocks;
    }

    // Reads the document until the reading ends, at its end or at an error.
    Blocks ReadUntilTheEnd(const std::string& body) {
        LogCapture::Clear();
        EXPECT_TRUE(SetDocument(reader, kDeclaration + body));
        return ReadAll(reader);
    }

    void ExpectEnded() {
        EXPECT_FALSE(reader.ok);
        EXPECT_EQ(reader.position, reader.length);
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
        EXPECT_EQ(reader.Scan(), nullptr);
    }

    XMLReader reader;
};

TEST_F(XmlReading, BlanksInsideTagsAreDroppedAndQuotedValuesKeepEverythingButEscapesAndEntities) {
    EXPECT_EQ(Read("<a  x = \"1\"\ty\r\n=\n\"2\"   ></a ><b a.b1=\"\" v=\"  two\t<tag> = / \"/>"),
              (Blocks{"<a x=[1] y=[2]>", "<a/>", "<b a.b1=[] v=[  two\t<tag> = / ]/>"}));
    // \n \r \t \" \\ are decoded, any other pair is dropped whole; a value ending in a
    // backslash is written as "...\\"; &quot; then &amp; are decoded once each.
    EXPECT_EQ(Read("<a v=\"1\\n2\\r3\\t4\\\"5\\\\6\\x7\" d=\"dir\\\\\" q=\"say \\\\\\\"hi\"/>"),
              (Blocks{"<a v=[1\n2\r3\t4\"5\\67] d=[dir\\] q=[say \\\"hi]/>"}));
    EXPECT_EQ(Read("<a v=\"&quot;x&quot; &amp; y\" w=\"&amp;quot;\" z=\"&lt;&#65;\"/>"),
              (Blocks{"<a v=[\"x\" & y] w=[&quot;] z=[&lt;&#65;]/>"}));
    // Entities at either end of a value, cut short by its end, next to each other, after
    // a bare '&', and one that only the dropped backslash pair before it completes.
    EXPECT_EQ(Read("<a e=\"x&amp;\" s=\"&quot;x\" c=\"a&amp\" d=\"&quot\" u=\"& b;&\" n=\"&amp;&quot;&amp;amp;\" "
                   "b=\"&&quot;\" j=\"&am\\xp;\"/>"),
              (Blocks{"<a e=[x&] s=[\"x] c=[a&amp] d=[&quot] u=[& b;&] n=[&\"&amp;] b=[&\"] j=[&]/>"}));
}

TEST_F(XmlReading, TextCDataAndComments) {
    // Text keeps its white space and quotes; white space alone is no block; CDATA is text
    // even when it starts with '<' or is longer than the value buffer; comments are
    // skipped everywhere, inside tags too; other "<!" constructs are text.
    const std::string source(20000, 'x');
    EXPECT_EQ(Read("<!-- top --><n>\n  He said \"hi\" 5\\\" long\"?\n</n><a>\n\t  \r\n</a>"
                   "<c><![CDATA[<b>a < b && c</b>]]></c><e>\n <![CDATA[]]></e><s><![CDATA[" +
                   source +
                   "]]></s>"
                   "<m id=\"x\" <!-- inside a tag --> k=\"v\"/><t><!-- c -->text</t><!DOCTYPE root>"),
              (Blocks{"<n>", "[\n  He said \"hi\" 5\\\" long\"?\n]", "<n/>", "<a>", "<a/>", "<c>", "[<b>a < b && c</b>]",
                      "<c/>", "<e>", "[]", "<e/>", "<s>", "[" + source + "]", "<s/>", "<m id=[x] k=[v]/>", "<t>",
                      "[text]", "<t/>", "[<!DOCTYPE root>]"}));
}

TEST_F(XmlReading, CommentsEndAtTheFirstArrowAndSectionsOpenWhereverTheirMarkerStands) {
    // The opener's own dashes count towards the "-->" that ends a comment.
    EXPECT_EQ(Read("<a/><!--><b/><!---><c/><!----><d/><!-- x --><e/>"), (Blocks{"<a/>", "<b/>", "<c/>", "<d/>", "<e/>"}));
    // "![CDATA[" opens a section in text and in a tag as after '<': its content is the
    // token, and what that token held before it is given up.
    EXPECT_EQ(Read("<n>abc![CDATA[x<y]]></n><m k=\"1\" ![CDATA[t]]><o/>"),
              (Blocks{"<n>", "[x<y]", "<n/>", "[t]", "<o/>"}));
    // In a quoted value too: the quote closing it is then met in text and opens a run that
    // the document's end cuts off.
    EXPECT_EQ(ReadUntilTheEnd("<p v=\"a![CDATA[b]]>\"/>"), (Blocks{"[b]"}));
    EXPECT_FALSE(reader.ok);
    EXPECT_TRUE(LogCapture::PopupTexts().empty());
}

TEST_F(XmlReading, QuotesInTextKeepAngleBracketsAndTheirTextIsUnchanged) {
    // A quoted run in text is kept whole, quotes and backslashes included: no escape or
    // entity is decoded in text, and '<', '>' and "<!--" inside it are characters.
    EXPECT_EQ(ReadUntilTheEnd("<root>\n<node id=\"n\">Say \"x > y\" now</node>\n"
                   "<node>\"<b>bold</b>\" is \"a\\\"b\" &amp; \"<!-- no comment -->\"\t</node>\n"
                   "<node>\"line one\nline two\"/\"done\"?</node>\n"
                   "<node>a \"quote\"> inside</node></root>"),
              (Blocks{"<root>", "<node id=[n]>", "[Say \"x > y\" now]", "<node/>", "<node>",
                      "[\"<b>bold</b>\" is \"a\\\"b\" &amp; \"<!-- no comment -->\"\t]", "<node/>", "<node>",
                      "[\"line one\nline two\"/\"done\"?]", "<node/>", "<node>"}));
    // A '>' may follow a closing quote, but in text it is then met outside the quote, as
    // a '>' outside a tag.
    EXPECT_FALSE(reader.ok);
    ASSERT_EQ(LogCapture::PopupTexts().size(), 1u);
    EXPECT_EQ(LogCapture::PopupTexts()[0].rfind("Parsing error (not expecting '>') around line 7", 0), 0u);
}

TEST_F(XmlReading, DeclarationDecidesWhetherTheDocumentIsRead) {
    // White space before it is skipped; "<?" "?>" is the shortest.
    ASSERT_TRUE(SetDocument(reader, " \t\r\n<?xml version=\"1.0\"?>\r\n<root>\r\n<node v=\"60\"/>\r\n</root>\r\n"));
    EXPECT_EQ(ReadAll(reader), (Blocks{"<root>", "<node v=[60]/>", "<root/>"}));
    ASSERT_TRUE(SetDocument(reader, "<?" "?>"));
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);

    // Anything but an angle bracket first is refused naming the character.
    const auto notAngle = [](int code, char shown) {
        return "First non-whitespace char in XML document needs to be '<'. First char in 'memory.xml' is #" +
               std::to_string(code) + " '" + shown + "'. Note: UTF8 BOM is not supported.\n";
    };
    const std::string none = "XML document needs to start with line like <?xml versions=... ?>. File 'memory.xml' doesn't.";
    const struct {
        std::string document, popup;
    } cases[] = {
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><a/>", notAngle(239, '\xEF')},  // a byte order mark
        {"\n  x<?xml?>", notAngle('x', 'x')},
        {std::string("\0<?xml?>", 8), notAngle(0, ' ')},
        {"<root></root>", none},
        {"<?>", none},
        {"<?xml version=\"1.0\"", none},
        {"", none},
        {"\r\n\t  \n", none},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document);
        LogCapture::Clear();
        EXPECT_FALSE(SetDocument(reader, c.document));
        EXPECT_EQ(LogCapture::PopupTexts(), Texts{c.popup});
        EXPECT_FALSE(reader.ok);
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    }
    XMLReader noText;
    noText.ok = 1;
    EXPECT_FALSE(noText.ReadHeader());
    EXPECT_EQ(noText.ReadNextBlock(), nullptr);
}

std::string ParseError(const std::string& reason, int line, char c, const std::string& snippet,
                       const std::string& file = "memory.xml", int code = -1)
{
    char head[512];
    snprintf(head, sizeof(head), "Parsing error (%s) around line %d in XML '%s'. Unexpected character '%c' (%x) at:\n'",
             reason.c_str(), line, file.c_str(), c, code >= 0 ? code : static_cast<unsigned char>(c));
    return head + snippet + "'";
}

using XmlErrors = XmlReading;

TEST_F(XmlErrors, EachErrorNamesItsReasonLineCharacterAndSnippetAndEndsTheDocument) {
    const std::string q = "\"";
    const struct {
        std::string body;
        size_t blocksBefore;
        std::string reason;
        int line;
        char character;
        std::string snippet;
        int code = -1;  // the character's code when it differs from what is shown
    } cases[] = {
        {"<root>\n<<a>", 1, "not expecting another '<'", 3, '<', "<<a>"},
        {"<a>1 > 0</a>", 1, "not expecting '>'", 2, '>', " > 0</a>"},
        {"<a v=\"1\"w=\"2\"/>", 0, "Unexpected character after value definition.", 2, 'w', "\"w=\"2\"/>"},
        // A closing quote in text is followed by what may follow a value, or by nothing.
        {"<n>\n\"Hi\", he said</n>", 1, "Unexpected character after value definition.", 3, ',', "\", he said</n>"},
        {"<n>say \"hi\"</n>", 1, "Unexpected character after value definition.", 2, '<', "\"</n>"},
        {"<n>\"" + std::string(9000, 'q') + "\"</n>", 1, "buffer overrun", 2, 'q', std::string(255, 'q')},
        {"<n>\n<![CDATA[abc]]", 1, "'![CDATA[' does not end with ']]>' pattern.", 3, '!', "<![CDATA[abc]]"},
        {"<!-- a <!-- b -->", 0, "New comment block start within a comment block.", 2, '<', " <!-- b -->"},
        {"<root>\n<!-- a\nb -", 1, "Comment block not ended properly.", 4, '-', "-"},
        {"<a b-c=\"1\"/>\n", 0, "Reading next block (case #1)", 2, '-', ">\n"},
        {"<a 1x=\"1\"/>", 0, "Reading next block (case #1)", 2, '1', ">"},
        {"<a b/>", 0, "Reading next block (case #1)", 2, '/', ">"},
        // A zero byte is shown as a blank, so that it does not end the message.
        {std::string("<a b\0=\"1\"/>\n", 12), 0, "Reading next block (case #1)", 2, ' ', ">\n", 0},
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
        EXPECT_EQ(ReadUntilTheEnd(c.body).size(), c.blocksBefore);
        EXPECT_EQ(LogCapture::PopupTexts(), Texts{ParseError(c.reason, c.line, c.character, c.snippet, "memory.xml", c.code)});
        EXPECT_EQ(LogCapture::PopupLines()[0].level, QV_LOG_WARNING);
        ExpectEnded();
    }
}

TEST_F(XmlErrors, ValuesNeedDoubleQuotes) {
    for (char c : {'\'', 'x'}) {
        ReadUntilTheEnd(std::string("<a v=") + c + "x'/>");
        EXPECT_EQ(LogCapture::PopupTexts(),
                  (Texts{ParseError("Expecting \" character to start value definition (all values must be defined "
                                    "name=\"value\" with quotes).",
                                    2, c, ">"),
                         ParseError("Reading next block (case #2)", 2, c, ">")}));
        ExpectEnded();
    }
}

TEST_F(XmlErrors, AttributesBeyondTheLimitAreDroppedAfterTheWarningButStillChecked) {
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
    EXPECT_EQ(ReadUntilTheEnd(bad + " 9=\"\"/>").size(), 0u);
    ASSERT_EQ(LogCapture::PopupTexts().size(), 2u);
    EXPECT_EQ(LogCapture::PopupTexts()[1].rfind("Parsing error (Reading next block (case #1))", 0), 0u);
}

} // namespace
