// A small deterministic fuzz run: 2000 mutations of documents the engine really reads,
// each read against no-access pages and, every few rounds, loaded through LoadFile
// (plain and scrambled). The only claims: the reader never faults and always ends.
#include "xml_test_support.h"

#include <cstdint>
#include <string>

#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"

using namespace xml_test;

namespace {

const int kRounds = 2000;

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next()
    {
        // xorshift32: the same sequence on every run and every compiler.
        state_ ^= state_ << 13;
        state_ ^= state_ >> 17;
        state_ ^= state_ << 5;
        return state_;
    }
    int Below(int limit) { return limit > 0 ? static_cast<int>(Next() % static_cast<uint32_t>(limit)) : 0; }

private:
    uint32_t state_;
};

const char* const kSeeds[] = {
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n\t<array id=\"settings\" size=\"32\">\n"
    "\t\t<node id=\"a\" name=\"x \\\"q\\\" \\\\ &amp; &quot;\" />\n"
    "\t\t<node id=\"b\">text with \"quotes\"</node>\n"
    "\t\t<node id=\"c\"><![CDATA[<b>a < b & c</b>]]></node>\n"
    "\t</array>\n\t<!-- a comment -->\n</root>\n",
    "<?xml version=\"1.0\"?><root><array id=\"config\"><node id=\"fps_limit\" value=\"60\"/>"
    "<node id=\"features\" value=\"FREE_RESOLUTION, X;Y\"/></array></root>",
    "  <?xml?>\r\n<!DOCTYPE x><a b=\"1\"\r\n c = \"2\"><!-- c <!- --><b/></a>",
};

const char* const kFragments[] = {"<", ">", "\"", "\\", "/>", "</", "<!--", "-->", "<!-", "<![CDATA[", "]]>",
                                  "&amp;", "&quot;", "=", " ", "\n", "?>", "<?", "\\\"", "\\\\"};

std::string Mutate(Random& random, std::string document)
{
    int edits = 1 + random.Below(6);
    for (int e = 0; e < edits; ++e) {
        int at = random.Below(static_cast<int>(document.size()) + 1);
        switch (random.Below(7)) {
        case 0: // flip a byte to anything, zero included
            if (!document.empty())
                document[at % document.size()] = static_cast<char>(random.Next());
            break;
        case 1: // insert a piece of markup
            document.insert(at, kFragments[random.Below(sizeof(kFragments) / sizeof(kFragments[0]))]);
            break;
        case 2: // delete a run
            document.erase(at, random.Below(40));
            break;
        case 3: // cut the document off
            document.resize(at);
            break;
        case 4: // repeat a run
            if (at < static_cast<int>(document.size()))
                document.insert(at, document.substr(at, random.Below(200)));
            break;
        case 5: // a long token
            document.insert(at, std::string(4000 + random.Below(6000), static_cast<char>("ax \"<-]\\"[random.Below(8)])));
            break;
        default: // many attributes
            for (int i = random.Below(900); i > 0; --i)
                document.insert(at, " a=\"\"");
            break;
        }
    }
    return document;
}

std::string Scrambled(const std::string& plain)
{
    ByteBuffer buffer;
    QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &buffer);
    return std::string(reinterpret_cast<const char*>(buffer.data), buffer.size);
}

using XmlFuzzTest = XmlReaderTest;

TEST_F(XmlFuzzTest, MutatedDocumentsNeverFault)
{
    Random random(0x51A7E5u);
    int finished = 0;
    for (int round = 0; round < kRounds; ++round) {
        std::string document = Mutate(random, kSeeds[random.Below(3)]);
        {
            GuardedReader guarded(document, round % 2 == 0 ? Guard::After : Guard::Before);
            if (guarded.headerOk())
                ReadAll(guarded.reader());
            EXPECT_EQ(guarded.reader().ReadNextBlock(), nullptr) << "round " << round;
        }
        if (round % 10 == 0) {
            std::string stored = round % 20 == 0 ? Scrambled(document) : document;
            Files().contents["fuzz.xml"] = stored;
            XMLReader reader;
            if (reader.LoadFile("fuzz.xml"))
                ReadAll(reader);
            EXPECT_EQ(reader.ReadNextBlock(), nullptr) << "round " << round;
        }
        LogCapture::Clear();
        ++finished;
        if (HasFailure())
            break;
    }
    EXPECT_EQ(finished, kRounds);
}

} // namespace
