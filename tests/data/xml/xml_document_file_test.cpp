// Loading documents: the whole file read through qv->fileSystem, scrambled files, and
// the reader's state across loads.
#include "xml_test_support.h"

#include <string>

#include "data/scrambled/scrambled_data.h"

using namespace xml_test;

namespace {

using XmlLoadFile = XmlReaderTest;

TEST_F(XmlLoadFile, LargeFileIsReadWholeThroughShortReadsWhateverSizeItHadWhenOpened)
{
    std::string document = kDeclaration + "<root>";
    for (int i = 0; i < 10000; ++i)
        document += "<node id=\"" + std::to_string(i) + "\"/>\n";
    document += "</root>";
    Files().contents["res://big.xml"] = document;
    Files().maxReadChunk = 7000;
    // The size found at opening sizes the first block; the file may have changed since.
    for (int skew : {0, -100000, -2, -1, 1, 100000}) {
        SCOPED_TRACE(skew);
        Files().positionSkew = skew;
        XMLReader reader;
        ASSERT_TRUE(reader.LoadFile("res://big.xml"));
        EXPECT_STREQ(reader.fileName, "res://big.xml");
        EXPECT_EQ(std::string(reader.text, reader.length + 1), document + '\0');
        const Blocks blocks = ReadAll(reader);
        ASSERT_EQ(blocks.size(), 10002u);
        EXPECT_EQ(blocks[10000], "<node id=[9999]/>");
    }
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(XmlLoadFile, EachLoadReplacesThePreviousDocumentAndAFailedOneLeavesNothing)
{
    Files().contents["one.xml"] = kDeclaration + "<one/>";
    Files().contents["bad.xml"] = kDeclaration + "<a>>";
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("bad.xml"));
    EXPECT_EQ(ReadAll(reader), Blocks{"<a>"});
    ASSERT_TRUE(reader.LoadFile("one.xml"));
    ASSERT_TRUE(reader.LoadFile(reader.fileName)) << "reloading by its own file name";
    EXPECT_EQ(ReadAll(reader), Blocks{"<one/>"});
    LogCapture::Clear();
    EXPECT_FALSE(reader.LoadFile("three.xml"));
    EXPECT_EQ(reader.text, nullptr);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    // No name or no file system fail as silently as a missing file.
    EXPECT_FALSE(reader.LoadFile(nullptr));
    EXPECT_FALSE(reader.LoadFile(""));
    qv->fileSystem = nullptr;
    EXPECT_FALSE(reader.LoadFile("one.xml"));
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(XmlLoadFile, ScrambledFileIsDescrambledAndATamperedOneRefused)
{
    const std::string document = kDeclaration + "<root><node id=\"n\" v=\"1\"/></root>\n";
    Files().contents["user://leaderboards-db.xml"] = Scrambled(document);
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("user://leaderboards-db.xml"));
    EXPECT_EQ(std::string(reader.text, reader.length), document);
    EXPECT_EQ(ReadAll(reader), (Blocks{"<root>", "<node id=[n] v=[1]/>", "<root/>"}));

    std::string tampered = Scrambled(document);
    tampered[kScrambledHeaderSize + 10] ^= 0x40;
    Files().contents["t.xml"] = tampered;
    EXPECT_FALSE(reader.LoadFile("t.xml"));
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_TRUE(LogCapture::Lines().empty());

    // Shorter than the scrambled header: read as it is (and refused as XML).
    Files().contents["k.xml"] = std::string(kScrambleKey, 14);
    EXPECT_FALSE(reader.LoadFile("k.xml"));
    ASSERT_EQ(LogCapture::PopupTexts().size(), 1u);
    EXPECT_EQ(LogCapture::PopupTexts()[0].rfind("First non-whitespace char in XML document needs to be '<'.", 0), 0u);
}

} // namespace
