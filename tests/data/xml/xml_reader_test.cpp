// Documents of the shapes the engine writes and reads, and the declaration check that
// decides whether a document is read at all.
#include "xml_test_support.h"

#include <string>

using namespace xml_test;

namespace {

using Blocks = std::vector<std::string>;

class XmlReading : public XmlReaderTest {
protected:
    Blocks Read(const std::string& body)
    {
        EXPECT_TRUE(SetDocument(reader, kDeclaration + body));
        Blocks blocks = ReadAll(reader);
        EXPECT_TRUE(reader.ok);
        return blocks;
    }

    XMLReader reader;
};

TEST_F(XmlReading, DatabaseAsDataManagerWritesIt)
{
    EXPECT_EQ(Read("<root>\n"
                   "\t<array id=\"settings\" version=\"2\">\n"
                   "\t\t<node id=\"a\" size=\"12\" />\n"
                   "\t\t<node id=\"b\" \n\t\t colour=\"red\" \n\t\t >Some text</node>\n"
                   "\t</array>\n"
                   "</root>\n"),
              (Blocks{"<root>", "<array id=[settings] version=[2]>", "<node id=[a] size=[12]/>",
                      "<node id=[b] colour=[red]>", "[Some text]", "<node/>", "<array/>", "<root/>"}));
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(XmlReading, BlanksInsideTagsAreDroppedAndQuotedValuesKeepEverything)
{
    EXPECT_EQ(Read("<a  x = \"1\"\ty\r\n=\n\"2\"   ></a ><b a.b1=\"\" v=\"  two\t<tag> = / \"/>"),
              (Blocks{"<a x=[1] y=[2]>", "<a/>", "<b a.b1=[] v=[  two\t<tag> = / ]/>"}));
}

TEST_F(XmlReading, EscapesAndEntitiesInValues)
{
    // \n \r \t \" \\ are decoded, any other pair is dropped whole; a value ending in a
    // backslash is written as "...\\"; &quot; then &amp; are decoded once each.
    EXPECT_EQ(Read("<a v=\"1\\n2\\r3\\t4\\\"5\\\\6\\x7\" d=\"dir\\\\\" q=\"say \\\\\\\"hi\"/>"),
              (Blocks{"<a v=[1\n2\r3\t4\"5\\67] d=[dir\\] q=[say \\\"hi]/>"}));
    EXPECT_EQ(Read("<a v=\"&quot;x&quot; &amp; y\" w=\"&amp;quot;\" z=\"&lt;&#65;\"/>"),
              (Blocks{"<a v=[\"x\" & y] w=[&quot;] z=[&lt;&#65;]/>"}));
}

TEST_F(XmlReading, TextCDataAndComments)
{
    // Text keeps its white space and quotes; white space alone is no block; CDATA is text
    // even when it starts with '<' or is longer than the value buffer; comments are
    // skipped everywhere, inside tags too; other "<!" constructs are text.
    const std::string source(20000, 'x');
    EXPECT_EQ(Read("<!-- top --><n>\n  He said \"hi\"! 5\" long\n</n><a>\n\t  \r\n</a>"
                   "<c><![CDATA[<b>a < b && c</b>]]></c><e>\n <![CDATA[]]></e><s><![CDATA[" +
                   source +
                   "]]></s>"
                   "<m id=\"x\" <!-- inside a tag --> k=\"v\"/><t><!-- c -->text</t><!DOCTYPE root>"),
              (Blocks{"<n>", "[\n  He said \"hi\"! 5\" long\n]", "<n/>", "<a>", "<a/>", "<c>", "[<b>a < b && c</b>]",
                      "<c/>", "<e>", "[]", "<e/>", "<s>", "[" + source + "]", "<s/>", "<m id=[x] k=[v]/>", "<t>",
                      "[text]", "<t/>", "[<!DOCTYPE root>]"}));
}

TEST_F(XmlReading, DeclarationAfterWhiteSpaceIsSkipped)
{
    ASSERT_TRUE(SetDocument(reader, " \t\r\n<?xml version=\"1.0\"?>\r\n<root>\r\n<node v=\"60\"/>\r\n</root>\r\n"));
    EXPECT_EQ(ReadAll(reader), (Blocks{"<root>", "<node v=[60]/>", "<root/>"}));
    ASSERT_TRUE(SetDocument(reader, "<?" "?>"));
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlReading, AnythingButAnAngleBracketFirstIsRefusedNamingTheCharacter)
{
    const struct {
        std::string document;
        int code;
        char shown;
    } cases[] = {
        {"\xEF\xBB\xBF<?xml version=\"1.0\"?><a/>", 239, '\xEF'},  // a byte order mark
        {"\n  x<?xml?>", 'x', 'x'},
        {std::string("\0<?xml?>", 8), 0, ' '},
    };
    for (const auto& c : cases) {
        LogCapture::Clear();
        EXPECT_FALSE(SetDocument(reader, c.document));
        EXPECT_EQ(LogCapture::PopupTexts(),
                  Blocks{"First non-whitespace char in XML document needs to be '<'. First char in 'memory.xml' is #" +
                         std::to_string(c.code) + " '" + c.shown + "'. Note: UTF8 BOM is not supported.\n"});
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    }
}

TEST_F(XmlReading, MissingDeclarationOrEmptyDocumentIsRefused)
{
    for (const char* document : {"<root></root>", "<?>", "<?xml version=\"1.0\"", "", "\r\n\t  \n"}) {
        SCOPED_TRACE(document);
        LogCapture::Clear();
        EXPECT_FALSE(SetDocument(reader, document));
        EXPECT_EQ(LogCapture::PopupTexts(),
                  Blocks{"XML document needs to start with line like <?xml versions=... ?>. File 'memory.xml' doesn't."});
        EXPECT_FALSE(reader.ok);
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    }
    XMLReader noText;
    noText.ok = 1;
    EXPECT_FALSE(noText.ReadHeader());
    EXPECT_EQ(noText.ReadNextBlock(), nullptr);
}

} // namespace
