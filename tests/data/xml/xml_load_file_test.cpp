// LoadFile: reading a whole document through qv->fileSystem, scrambled files, and the
// reader's state across loads.
#include "xml_test_support.h"

#include <cstring>
#include <string>

#include "core/byte_buffer.h"
#include "core/api_pointer.h"
#include "data/scrambled/scrambled_data.h"

using namespace xml_test;

namespace {

const std::string kSmallDocument = std::string(kDeclaration) + "<root><array id=\"a\"><node id=\"n\" v=\"1\"/></array></root>\n";

const std::vector<BlockCopy> kSmallBlocks = {Element("root"), Element("array", {{"id", "a"}}),
                                             Element("node", {{"id", "n"}, {"v", "1"}}, true), EndTag("array"),
                                             EndTag("root")};

std::string Scrambled(const std::string& plain)
{
    ByteBuffer buffer;
    EXPECT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &buffer));
    return std::string(reinterpret_cast<const char*>(buffer.data), buffer.size);
}

using XmlLoadFileTest = XmlReaderTest;

TEST_F(XmlLoadFileTest, LoadsThroughTheFileSystemForReading)
{
    Files().contents["res://data/db.xml"] = kSmallDocument;
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("res://data/db.xml"));
    EXPECT_STREQ(reader.fileName, "res://data/db.xml");
    EXPECT_EQ(reader.length, static_cast<int>(kSmallDocument.size()));
    EXPECT_EQ(Files().openModes, (std::vector<std::string>{"r"}));
    EXPECT_EQ(Files().closed, 1);
    EXPECT_EQ(ReadAllBlocks(reader), kSmallBlocks);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlLoadFileTest, MissingFileFailsSilently)
{
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("res://missing.xml"));
    EXPECT_STREQ(reader.fileName, "res://missing.xml");
    EXPECT_EQ(reader.text, nullptr);
    EXPECT_FALSE(reader.ok);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlLoadFileTest, NullOrEmptyNameOpensNothing)
{
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile(nullptr));
    EXPECT_FALSE(reader.LoadFile(""));
    EXPECT_TRUE(Files().openModes.empty());
    EXPECT_EQ(reader.fileName, nullptr);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlLoadFileTest, WithoutAFileSystemTable)
{
    qv->fileSystem = nullptr;
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("res://data/db.xml"));
}

TEST_F(XmlLoadFileTest, ShortReadsStillGiveTheWholeDocument)
{
    Files().contents["a.xml"] = kSmallDocument;
    Files().maxReadChunk = 1;
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("a.xml"));
    EXPECT_EQ(reader.length, static_cast<int>(kSmallDocument.size()));
    EXPECT_EQ(ReadAllBlocks(reader), kSmallBlocks);
}

TEST_F(XmlLoadFileTest, LargeFileIsReadWhole)
{
    std::string document = kDeclaration + std::string("<root>");
    for (int i = 0; i < 10000; ++i)
        document += "<node id=\"" + std::to_string(i) + "\"/>\n";
    document += "</root>";
    Files().contents["big.xml"] = document;
    Files().maxReadChunk = 7000;
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("big.xml"));
    EXPECT_EQ(reader.length, static_cast<int>(document.size()));
    std::vector<BlockCopy> blocks = ReadAllBlocks(reader);
    ASSERT_EQ(blocks.size(), 10002u);
    EXPECT_EQ(blocks[10000], Element("node", {{"id", "9999"}}, true));
}

TEST_F(XmlLoadFileTest, SecondLoadReplacesTheFirstDocument)
{
    Files().contents["one.xml"] = std::string(kDeclaration) + "<one/>";
    Files().contents["two.xml"] = std::string(kDeclaration) + "<two/>";
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("one.xml"));
    ASSERT_NE(reader.ReadNextBlock(), nullptr);
    ASSERT_TRUE(reader.LoadFile("two.xml"));
    EXPECT_STREQ(reader.fileName, "two.xml");
    EXPECT_EQ(ReadAllBlocks(reader), (std::vector<BlockCopy>{Element("two", {}, true)}));
    // A failed load leaves nothing of the previous document behind.
    EXPECT_FALSE(reader.LoadFile("three.xml"));
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlLoadFileTest, ReloadingByItsOwnFileName)
{
    Files().contents["self.xml"] = kSmallDocument;
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("self.xml"));
    ASSERT_TRUE(reader.LoadFile(reader.fileName));
    EXPECT_STREQ(reader.fileName, "self.xml");
    EXPECT_EQ(ReadAllBlocks(reader), kSmallBlocks);
}

TEST_F(XmlLoadFileTest, ParseErrorEndsTheDocumentAndCanBeLoadedAgain)
{
    Files().contents["bad.xml"] = std::string(kDeclaration) + "<a>>";
    Files().contents["good.xml"] = kSmallDocument;
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("bad.xml"));
    EXPECT_EQ(ReadAllBlocks(reader), (std::vector<BlockCopy>{Element("a")}));
    EXPECT_FALSE(reader.ok);
    ASSERT_TRUE(reader.LoadFile("good.xml"));
    EXPECT_EQ(ReadAllBlocks(reader), kSmallBlocks);
}

TEST_F(XmlLoadFileTest, ScrambledFileIsDescrambled)
{
    Files().contents["user://leaderboards-db.xml"] = Scrambled(kSmallDocument);
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("user://leaderboards-db.xml"));
    EXPECT_EQ(reader.length, static_cast<int>(kSmallDocument.size()));
    EXPECT_EQ(std::string(reader.text, reader.length), kSmallDocument);
    EXPECT_EQ(reader.text[reader.length], 0);
    EXPECT_EQ(ReadAllBlocks(reader), kSmallBlocks);
}

TEST_F(XmlLoadFileTest, TamperedScrambledFileIsRefused)
{
    std::string scrambled = Scrambled(kSmallDocument);
    scrambled[kScrambledHeaderSize + 10] ^= 0x40;
    Files().contents["t.xml"] = scrambled;
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("t.xml"));
    EXPECT_EQ(reader.text, nullptr);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_TRUE(Popups().empty());
}

TEST_F(XmlLoadFileTest, ScrambledFileWithAnExtraByteIsRefused)
{
    Files().contents["t.xml"] = Scrambled(kSmallDocument) + "x";
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("t.xml"));
}

TEST_F(XmlLoadFileTest, ScrambledEmptyTextFailsTheDeclarationCheck)
{
    Files().contents["e.xml"] = Scrambled("");
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("e.xml"));
    EXPECT_EQ(PopupTexts(), (std::vector<std::string>{
                                "XML document needs to start with line like <?xml versions=... ?>. File 'e.xml' doesn't."}));
}

TEST_F(XmlLoadFileTest, ScrambledBinaryGarbageIsJustAnotherBadDocument)
{
    std::string garbage;
    for (int i = 0; i < 3000; ++i)
        garbage += static_cast<char>((i * 7919) & 0xFF);
    Files().contents["g.xml"] = Scrambled(garbage);
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("g.xml"));
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
}

TEST_F(XmlLoadFileTest, ShortFileStartingLikeTheKeyIsPlainText)
{
    // Shorter than the scrambled header: read as it is (and refused as XML).
    Files().contents["k.xml"] = std::string(kScrambleKey, 14);
    XMLReader reader;
    EXPECT_FALSE(reader.LoadFile("k.xml"));
    ASSERT_EQ(Popups().size(), 1u);
    EXPECT_EQ(Popups()[0].text.rfind("First non-whitespace char in XML document needs to be '<'.", 0), 0u);
}

} // namespace
