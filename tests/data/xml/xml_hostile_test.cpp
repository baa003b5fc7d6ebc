// Broken and hostile documents. Each one sits against a no-access page (after it, and
// in a second run before it), as does the value buffer, so a read or write outside
// them faults instead of passing unnoticed. The reader must answer with its errors
// or an early end, never a crash.
#include "xml_test_support.h"

#include <string>

using namespace xml_test;

namespace {

struct Outcome {
    std::vector<BlockCopy> blocks;
    bool ok;
    std::vector<std::string> popups;
};

class XmlHostileTest : public XmlReaderTest {
protected:
    // Reads the document on both sides of a guard page; both runs must agree.
    Outcome Read(const std::string& document)
    {
        Outcome outcomes[2];
        Guard sides[2] = {Guard::After, Guard::Before};
        for (int i = 0; i < 2; ++i) {
            ClearPopups();
            GuardedReader guarded(document, sides[i]);
            if (guarded.headerOk())
                outcomes[i].blocks = ReadAllBlocks(guarded.reader());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr);
            EXPECT_EQ(guarded.reader().Scan(), nullptr);
            outcomes[i].ok = guarded.reader().ok != 0;
            outcomes[i].popups = PopupTexts();
        }
        EXPECT_EQ(outcomes[0].blocks, outcomes[1].blocks);
        EXPECT_EQ(outcomes[0].ok, outcomes[1].ok);
        EXPECT_EQ(outcomes[0].popups, outcomes[1].popups);
        return outcomes[0];
    }

    static bool Mentions(const Outcome& outcome, const std::string& reason)
    {
        for (const std::string& popup : outcome.popups) {
            if (popup.find("Parsing error (" + reason + ")") == 0)
                return true;
        }
        return false;
    }
};

const std::string kHead = kDeclaration;

TEST_F(XmlHostileTest, DocumentEndingInsideATag)
{
    for (const char* tail : {"<", "<n", "<n ", "<n a", "<n a=", "<n a=\"1\"", "<n a=\"1\" /", "</n"}) {
        SCOPED_TRACE(tail);
        Outcome outcome = Read(kHead + "<root>" + tail);
        EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
        EXPECT_FALSE(outcome.ok) << "a document cut off inside a tag is not whole";
        EXPECT_TRUE(outcome.popups.empty());
    }
}

TEST_F(XmlHostileTest, DocumentEndingInsideAQuotedValue)
{
    for (const char* tail : {"<n a=\"", "<n a=\"abc", "<n a=\"abc\\", "<n a=\"abc\\\"", "<n a=\"<!--"}) {
        SCOPED_TRACE(tail);
        Outcome outcome = Read(kHead + "<root>" + tail);
        EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
        EXPECT_FALSE(outcome.ok);
    }
}

TEST_F(XmlHostileTest, DocumentEndingInsideAComment)
{
    for (const char* tail : {"<!--", "<!-- x", "<!-- x -", "<!-- x --", "<!-- x ->"}) {
        SCOPED_TRACE(tail);
        Outcome outcome = Read(kHead + "<root>" + tail);
        EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
        EXPECT_TRUE(Mentions(outcome, "Comment block not ended properly."));
        EXPECT_FALSE(outcome.ok);
    }
}

TEST_F(XmlHostileTest, DocumentEndingInsideCData)
{
    for (const char* tail : {"<![CDATA[", "<![CDATA[abc", "<![CDATA[abc]", "<![CDATA[abc]]", "<![CDATA[]]"}) {
        SCOPED_TRACE(tail);
        Outcome outcome = Read(kHead + "<root>" + tail);
        EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
        EXPECT_TRUE(Mentions(outcome, "'![CDATA[' does not end with ']]>' pattern."));
    }
}

TEST_F(XmlHostileTest, DocumentEndingInsideTheCDataMarker)
{
    for (const char* tail : {"<!", "<![", "<![CDAT", "<![CDATA"}) {
        SCOPED_TRACE(tail);
        Outcome outcome = Read(kHead + "<root>" + tail);
        EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(outcome.popups.empty());
    }
}

TEST_F(XmlHostileTest, DocumentEndingInText)
{
    // Text that never meets a tag ends with the document; the reader just stops.
    Outcome outcome = Read(kHead + "<root>some text");
    EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element("root")}));
    EXPECT_TRUE(outcome.popups.empty());
}

TEST_F(XmlHostileTest, TenKilobyteTokensEverywhere)
{
    std::string big(10240, 'k');
    struct Case {
        std::string document;
        bool overrun;
    } cases[] = {
        {"<root>" + big + "</root>", true},
        {"<" + big + ">", true},
        {"<n " + big + "=\"1\"/>", true},
        {"<n a=\"" + big + "\"/>", true},
        {"</" + big + ">", true},
        {"<!DOCTYPE " + big + ">", true},
        {"<n>" + std::string(10240, ' ') + "</n>", false},  // white space before a tag is no token
        {"<n>" + std::string(10240, '\n') + "x</n>", false},
        {"<n" + std::string(10240, ' ') + "/>", false},     // blanks in a tag collapse
        {"<!--" + big + "--><n/>", false},                  // comments are skipped, not collected
        {"<n><![CDATA[" + big + "]]></n>", false},          // CDATA is cut from the document
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.document.substr(0, 20));
        Outcome outcome = Read(kHead + c.document);
        EXPECT_EQ(Mentions(outcome, "buffer overrun"), c.overrun);
        EXPECT_EQ(outcome.ok, !c.overrun);
    }
}

TEST_F(XmlHostileTest, TagsAtTheBufferLimit)
{
    // "<" + name + ">" of 8191 characters fits the buffer with its zero byte; one more
    // character does not.
    std::string fits(XMLReader::kValueBufferSize - 3, 'n');
    Outcome outcome = Read(kHead + "<" + fits + ">");
    EXPECT_EQ(outcome.blocks, (std::vector<BlockCopy>{Element(fits)}));
    EXPECT_TRUE(outcome.ok);

    Outcome over = Read(kHead + "<" + fits + "n>");
    EXPECT_TRUE(over.blocks.empty());
    EXPECT_TRUE(Mentions(over, "buffer overrun"));

    // '<n a="' + value + '"/>' is 8191 characters.
    std::string value(XMLReader::kValueBufferSize - 10, 'v');
    Outcome quoted = Read(kHead + "<n a=\"" + value + "\"/>");
    ASSERT_EQ(quoted.blocks.size(), 1u);
    EXPECT_EQ(quoted.blocks[0], Element("n", {{"a", value}}, true));
    Outcome quotedOver = Read(kHead + "<n a=\"" + value + "v\"/>");
    EXPECT_TRUE(Mentions(quotedOver, "buffer overrun"));
}

TEST_F(XmlHostileTest, ThousandsOfAttributes)
{
    std::string tag = "<n";
    for (int i = 0; i < 1360; ++i)
        tag += " a=\"\"";
    Outcome outcome = Read(kHead + tag + "/>");
    ASSERT_EQ(outcome.blocks.size(), 1u);
    EXPECT_EQ(outcome.blocks[0].attributes.size(), 512u);
    EXPECT_EQ(outcome.popups, (std::vector<std::string>{"Too many blocks (512 limit) in object 'n' in xml 'guarded.xml'."}));

    std::string many = "<n";
    for (int i = 0; i < 4000; ++i)
        many += " a=\"x\"";
    Outcome overrun = Read(kHead + many + "/>");
    EXPECT_TRUE(overrun.blocks.empty());
    EXPECT_TRUE(Mentions(overrun, "buffer overrun"));
}

TEST_F(XmlHostileTest, BinaryGarbage)
{
    uint32_t state = 12345;
    for (int round = 0; round < 20; ++round) {
        std::string garbage;
        for (int i = 0; i < 4000; ++i) {
            state = state * 1103515245u + 12345u;
            garbage += static_cast<char>(state >> 24);
        }
        Read(garbage);
        Read(kHead + garbage);
        Read(kHead + "<root>" + garbage);
    }
}

TEST_F(XmlHostileTest, EmbeddedZeroBytes)
{
    std::string zero(1, '\0');
    Outcome text = Read(kHead + "<n>ab" + zero + "cd</n>");
    EXPECT_EQ(text.blocks, (std::vector<BlockCopy>{Element("n"), Text("ab"), EndTag("n")}));

    Outcome inName = Read(kHead + "<a" + zero + "b/><c/>");
    ASSERT_EQ(inName.blocks.size(), 2u);
    EXPECT_EQ(inName.blocks[1], Element("c", {}, true));

    Outcome inValue = Read(kHead + "<a v=\"x" + zero + "y\"/>");
    EXPECT_TRUE(inValue.blocks.empty());
    EXPECT_TRUE(Mentions(inValue, "Reading next block (case #2)"));

    Outcome inCData = Read(kHead + "<n><![CDATA[ab" + zero + "cd]]></n>");
    EXPECT_EQ(inCData.blocks, (std::vector<BlockCopy>{Element("n"), Text("ab"), EndTag("n")}));

    Outcome inComment = Read(kHead + "<!-- a" + zero + "b --><n/>");
    EXPECT_EQ(inComment.blocks, (std::vector<BlockCopy>{Element("n", {}, true)}));

    Outcome afterEscape = Read(kHead + "<a v=\"x\\" + zero + "\"/>");
    EXPECT_FALSE(afterEscape.ok);

    // Text that never meets a tag ends with the document.
    Outcome allZero = Read(kHead + std::string(5000, '\0'));
    EXPECT_TRUE(allZero.blocks.empty());
    EXPECT_TRUE(allZero.ok);
}

TEST_F(XmlHostileTest, BackslashRunsBeforeQuotes)
{
    for (int backslashes = 0; backslashes < 8; ++backslashes) {
        SCOPED_TRACE(backslashes);
        Outcome outcome = Read(kHead + "<a v=\"" + std::string(backslashes, '\\') + "\"/><b/>");
        if (backslashes % 2 == 0) {
            ASSERT_EQ(outcome.blocks.size(), 2u);
            EXPECT_EQ(outcome.blocks[0], Element("a", {{"v", std::string(backslashes / 2, '\\')}}, true));
        } else {
            // The quote is escaped: the value runs on to the next quote.
            EXPECT_EQ(outcome.blocks.size(), 0u);
        }
    }
}

TEST_F(XmlHostileTest, ManyEmptyAndBrokenTags)
{
    std::string document = kHead;
    for (int i = 0; i < 2000; ++i)
        document += "<a/></><!----><![CDATA[]]>";
    Outcome outcome = Read(document);
    EXPECT_EQ(outcome.blocks.size(), 6000u);
    EXPECT_TRUE(outcome.ok);
}

} // namespace
