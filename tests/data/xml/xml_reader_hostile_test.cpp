// Broken and hostile documents, each against a no-access page (after it, then before
// it), as is the value buffer, so a stray read or write faults. The reader answers with
// its errors or an early end, never a crash. Last, a deterministic fuzz run: 2000
// mutations of documents the engine reads, read so and every few rounds loaded through
// LoadFile (plain and scrambled); the claims are that the reader never faults and ends.
#include "xml_test_support.h"

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>

using namespace xml_test;

namespace {

struct Outcome {
    Blocks blocks;
    bool ok;
    std::vector<std::string> popups;

    bool Mentions(const std::string& reason) const {
        return std::any_of(popups.begin(), popups.end(),
                           [&](const std::string& popup) { return popup.rfind("Parsing error (" + reason + ")", 0) == 0; });
    }
};

class XmlHostile : public XmlReaderTest {
protected:
    // Reads the document (declaration, then body) on both sides of a guard page; both
    // runs must agree.
    Outcome Read(const std::string& body) {
        const std::string document = kDeclaration + body;
        Outcome outcomes[2];
        for (int i = 0; i < 2; ++i) {
            LogCapture::Clear();
            GuardedReader guarded(document, i == 0 ? Guard::After : Guard::Before);
            if (guarded.headerOk())
                outcomes[i].blocks = ReadAll(guarded.reader());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr);
            EXPECT_EQ(guarded.reader().Scan(), nullptr);
            outcomes[i].ok = guarded.reader().ok != 0;
            outcomes[i].popups = LogCapture::PopupTexts();
        }
        EXPECT_EQ(outcomes[0].blocks, outcomes[1].blocks);
        EXPECT_EQ(outcomes[0].ok, outcomes[1].ok);
        EXPECT_EQ(outcomes[0].popups, outcomes[1].popups);
        return outcomes[0];
    }
};

TEST_F(XmlHostile, DeclarationEndIsSearchedOnlyInsideTheDocument) {
    // "?>" right behind the document's end must not be found.
    for (Guard side : {Guard::After, Guard::Before}) {
        for (const char* document : {"<", "<?", "<?xml ?", "   "}) {
            SCOPED_TRACE(document);
            GuardedReader guarded(document, side);
            EXPECT_FALSE(guarded.headerOk());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr);
        }
        GuardedReader guarded("<?" "?>", side);
        EXPECT_TRUE(guarded.headerOk());
    }
}

TEST_F(XmlHostile, DocumentCutOffAnywhere) {
    // A document cut off inside a tag, value, comment or CDATA is not whole; only the
    // comment and CDATA say so.
    const struct {
        const char* tail;
        const char* reason;  // null: no popup
    } cases[] = {
        {"<", nullptr}, {"<n a=", nullptr}, {"<n a=\"1\" /", nullptr}, {"</n", nullptr},
        {"<n a=\"abc\\", nullptr}, {"<n a=\"<!--", nullptr}, {"<![CDAT", nullptr},
        {"<!-- x --", "Comment block not ended properly."},
        {"<![CDATA[abc]]", "'![CDATA[' does not end with ']]>' pattern."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.tail);
        Outcome outcome = Read(std::string("<root>") + c.tail);
        EXPECT_EQ(outcome.blocks, Blocks{"<root>"});
        EXPECT_FALSE(outcome.ok);
        EXPECT_TRUE(c.reason ? outcome.Mentions(c.reason) : outcome.popups.empty());
    }
    // Text that never meets a tag ends with the document; the reader just stops.
    Outcome text = Read("<root>some text");
    EXPECT_EQ(text.blocks, Blocks{"<root>"});
    EXPECT_TRUE(text.popups.empty());
}

TEST_F(XmlHostile, LongTokensOverrunOnlyWhereTheyAreCollectedAndOnlyPastTheBufferLimit) {
    const std::string big(10240, 'k');
    std::string manyAttributes;
    for (int i = 0; i < 4000; ++i)
        manyAttributes += " a=\"x\"";
    const struct {
        std::string document;
        bool overrun;
    } cases[] = {
        {"<n " + big + "=\"1\"/>", true},
        {"</" + big + ">", true},
        {"<!DOCTYPE " + big + ">", true},
        {"<n" + manyAttributes + "/>", true},
        {"<n>" + std::string(10240, '\n') + "x</n>", true},   // white space is collected with its text
        {"<n" + std::string(10240, ' ') + "/>", false},       // blanks in a tag collapse
        {"<!--" + big + "--><n/>", false},                    // comments are skipped, not collected
        {"<n><![CDATA[" + big + "]]></n>", false},            // CDATA is cut from the document
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.document.substr(0, 20));
        Outcome outcome = Read(c.document);
        EXPECT_EQ(outcome.Mentions("buffer overrun"), c.overrun);
        EXPECT_EQ(outcome.ok, !c.overrun);
    }
    // A run of white space between tags is dropped, but only as long as it would fit a
    // token: 8191 characters before a tag or the end are nothing, one more overruns, as
    // white space before text does once it and the text exceed the buffer.
    const std::string layout(XMLReader::kValueBufferSize - 1, '\n');
    Outcome fits = Read("<n>" + layout + "</n>" + layout);
    EXPECT_EQ(fits.blocks, (Blocks{"<n>", "<n/>"}));
    EXPECT_TRUE(fits.ok);
    EXPECT_TRUE(Read("<n>" + layout + "\n</n>").Mentions("buffer overrun"));
    EXPECT_TRUE(Read("<n/>" + layout + " ").Mentions("buffer overrun"));
    EXPECT_EQ(Read("<n>" + layout.substr(1) + "x</n>").blocks, (Blocks{"<n>", "[" + layout.substr(1) + "x]", "<n/>"}));
    EXPECT_TRUE(Read("<n>" + layout + "x</n>").Mentions("buffer overrun"));
    // "<" + name + ">" and '<n a="' + value + '"/>' of 8191 characters fit the buffer with
    // its zero byte; one more character does not.
    const std::string name(XMLReader::kValueBufferSize - 3, 'n');
    EXPECT_EQ(Read("<" + name + ">").blocks, Blocks{"<" + name + ">"});
    EXPECT_TRUE(Read("<" + name + "n>").Mentions("buffer overrun"));
    const std::string value(XMLReader::kValueBufferSize - 10, 'v');
    EXPECT_EQ(Read("<n a=\"" + value + "\"/>").blocks, Blocks{"<n a=[" + value + "]/>"});
    EXPECT_TRUE(Read("<n a=\"" + value + "v\"/>").Mentions("buffer overrun"));
}

TEST_F(XmlHostile, EmbeddedZeroBytes) {
    const std::string zero(1, '\0');
    EXPECT_EQ(Read("<n>ab" + zero + "cd</n>").blocks, (Blocks{"<n>", "[ab]", "<n/>"}));
    EXPECT_EQ(Read("<n><![CDATA[ab" + zero + "cd]]></n>").blocks, (Blocks{"<n>", "[ab]", "<n/>"}));
    EXPECT_EQ(Read("<a" + zero + "b/><c/>").blocks.back(), "<c/>");
    EXPECT_TRUE(Read("<a v=\"x" + zero + "y\"/>").Mentions("Reading next block (case #2)"));
    EXPECT_FALSE(Read("<a v=\"x\\" + zero + "\"/>").ok);
    Outcome allZero = Read(std::string(5000, '\0'));
    EXPECT_TRUE(allZero.blocks.empty());
    EXPECT_TRUE(allZero.ok);
}

// minstd_rand is defined to the bit by the standard: the same rounds on every run.
using Random = std::minstd_rand;

int Below(Random& random, int limit) {
    return limit > 0 ? static_cast<int>(random() % static_cast<uint32_t>(limit)) : 0;
}

const char* const kSeeds[] = {
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n\t<array id=\"settings\" size=\"32\">\n"
    "\t\t<node id=\"a\" name=\"x \\\"q\\\" \\\\ &amp; &quot;\" />\n"
    "\t\t<node id=\"b\">text with \"quotes > <b>\" in it</node>\n"
    "\t\t<node id=\"c\"><![CDATA[<b>a < b & c</b>]]></node>\n"
    "\t</array>\n\t<!-- a comment -->\n</root>\n",
    "<?xml version=\"1.0\"?><root><array id=\"config\"><node id=\"fps_limit\" value=\"60\"/>"
    "<node id=\"features\" value=\"FREE_RESOLUTION, X;Y\"/></array></root>",
    "  <?xml?>\r\n<!DOCTYPE x><a b=\"1\"\r\n c = \"2\"><!-- c <!- --><b/></a>",
};

const char* const kFragments[] = {"<", ">", "\"", "\\", "/>", "</", "<!--", "-->", "<!-", "<![CDATA[", "]]>",
                                  "&amp;", "&quot;", "=", " ", "\n", "?>", "<?", "\\\"", "\\\\"};

std::string Mutate(Random& random, std::string document) {
    for (int edits = 1 + Below(random, 6); edits > 0; --edits) {
        const int at = Below(random, static_cast<int>(document.size()) + 1);
        switch (Below(random, 7)) {
        case 0:  // flip a byte to anything, zero included
            if (!document.empty())
                document[at % document.size()] = static_cast<char>(random());
            break;
        case 1: document.insert(at, kFragments[Below(random, sizeof(kFragments) / sizeof(kFragments[0]))]); break;
        case 2: document.erase(at, Below(random, 40)); break;
        case 3: document.resize(at); break;
        case 4:  // repeat a run
            if (at < static_cast<int>(document.size()))
                document.insert(at, document.substr(at, Below(random, 200)));
            break;
        case 5:  // a long token
            document.insert(at, std::string(4000 + Below(random, 6000), "ax \"<-]\\"[Below(random, 8)]));
            break;
        default:  // many attributes
            for (int i = Below(random, 900); i > 0; --i)
                document.insert(at, " a=\"\"");
        }
    }
    return document;
}

using XmlFuzzTest = XmlReaderTest;

TEST_F(XmlFuzzTest, MutatedDocumentsNeverFault) {
    Random random(0x51A7E5u);
    for (int round = 0; round < 2000 && !HasFailure(); ++round) {
        std::string document = Mutate(random, kSeeds[Below(random, 3)]);
        {
            GuardedReader guarded(document, round % 2 == 0 ? Guard::After : Guard::Before);
            if (guarded.headerOk())
                ReadAll(guarded.reader());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr) << "round " << round;
        }
        if (round % 10 == 0) {
            PutFile("fuzz.xml", round % 20 == 0 ? Scrambled(document) : document);
            XMLReader reader;
            if (reader.LoadFile("res://fuzz.xml"))
                ReadAll(reader);
            EXPECT_EQ(reader.ReadNextBlock(), nullptr) << "round " << round;
        }
        LogCapture::Clear();
    }
}

} // namespace
