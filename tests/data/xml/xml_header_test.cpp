// The XML declaration check that decides whether a document is read at all.
#include "xml_test_support.h"

#include <string>

using namespace xml_test;

namespace {

const char* const kNoDeclaration =
    "XML document needs to start with line like <?xml versions=... ?>. File 'memory.xml' doesn't.";

std::string FirstCharacterMessage(int code, char shown)
{
    return std::string("First non-whitespace char in XML document needs to be '<'. First char in 'memory.xml' is #") +
           std::to_string(code) + " '" + shown + "'. Note: UTF8 BOM is not supported.\n";
}

using XmlHeaderTest = XmlReaderTest;

TEST_F(XmlHeaderTest, DeclarationIsSkipped)
{
    XMLReader reader;
    ASSERT_TRUE(SetDocument(reader, " \t\r\n<?xml version=\"1.0\"?><a/>"));
    EXPECT_EQ(reader.position, 25);
    EXPECT_EQ(ReadAllBlocks(reader), (std::vector<BlockCopy>{Element("a", {}, true)}));
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlHeaderTest, ShortestDeclaration)
{
    XMLReader reader;
    ASSERT_TRUE(SetDocument(reader, "<?" "?>"));
    EXPECT_EQ(reader.position, 4);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlHeaderTest, ByteOrderMarkIsRefusedWithTheFirstCharacterMessage)
{
    XMLReader reader;
    EXPECT_FALSE(SetDocument(reader, "\xEF\xBB\xBF<?xml version=\"1.0\"?><a/>"));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{FirstCharacterMessage(239, '\xEF')}));
    EXPECT_EQ(Popups()[0].level, QV_LOG_WARNING);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlHeaderTest, TextBeforeTheFirstTag)
{
    XMLReader reader;
    EXPECT_FALSE(SetDocument(reader, "\n  x<?xml?>"));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{FirstCharacterMessage('x', 'x')}));
}

TEST_F(XmlHeaderTest, LeadingZeroByte)
{
    XMLReader reader;
    EXPECT_FALSE(SetDocument(reader, std::string("\0<?xml?>", 8)));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{FirstCharacterMessage(0, ' ')}));
}

TEST_F(XmlHeaderTest, MissingDeclarationEnd)
{
    for (const char* document : {"<root></root>", "<?>", "<?xml version=\"1.0\"", "<", "<?", "?>"}) {
        SCOPED_TRACE(document);
        ClearPopups();
        XMLReader reader;
        bool accepted = SetDocument(reader, document);
        EXPECT_FALSE(accepted);
        if (document[0] == '<') {
            EXPECT_EQ(PopupTexts(), (std::vector<std::string>{kNoDeclaration}));
        }
        EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    }
}

TEST_F(XmlHeaderTest, EmptyAndWhiteSpaceOnlyDocuments)
{
    for (const char* document : {"", " ", "\r\n\t  \n"}) {
        SCOPED_TRACE(document);
        ClearPopups();
        XMLReader reader;
        EXPECT_FALSE(SetDocument(reader, document));
        EXPECT_EQ(PopupTexts(), (std::vector<std::string>{kNoDeclaration}));
        EXPECT_FALSE(reader.ok);
    }
}

TEST_F(XmlHeaderTest, DeclarationEndIsSearchedOnlyInsideTheDocument)
{
    // "?>" right behind the document's end must not be found.
    for (Guard side : {Guard::After, Guard::Before}) {
        for (const char* document : {"<", "<?", "<?x", "<?xml ?", "  <", "   "}) {
            SCOPED_TRACE(document);
            ClearPopups();
            GuardedReader guarded(document, side);
            EXPECT_FALSE(guarded.headerOk());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr);
        }
        GuardedReader guarded("<?" "?>", side);
        EXPECT_TRUE(guarded.headerOk());
    }
}

TEST_F(XmlHeaderTest, ReadHeaderWithoutText)
{
    XMLReader reader;
    reader.ok = 1;
    EXPECT_FALSE(reader.ReadHeader());
    EXPECT_FALSE(reader.ok);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

} // namespace
