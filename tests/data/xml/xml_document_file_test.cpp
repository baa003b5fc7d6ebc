// Loading documents: the whole file read through qv->fileSystem, scrambled files, and
// the reader's state across loads.
#include "xml_test_support.h"

#include <algorithm>
#include <string>

using namespace xml_test;

namespace {

using XmlLoadFile = XmlReaderTest;

// The engine's file system, but Read hands out at most 7000 bytes and positions are off
// by g_skew: a file whose size changed after it was opened.
const QuavenFileSystemAPI* g_real = nullptr;
int g_skew = 0;

TEST_F(XmlLoadFile, LargeFileIsReadWholeThroughShortReadsWhateverSizeItHadWhenOpened) {
    std::string document = kDeclaration + "<root>";
    for (int i = 0; i < 10000; ++i)
        document += "<node id=\"" + std::to_string(i) + "\"/>\n";
    PutFile("big.xml", document += "</root>");
    QuavenFileSystemAPI table = *(g_real = qv->fileSystem);
    table.Read = [](void* buffer, int size, FileHandle* file) { return g_real->Read(buffer, std::min(size, 7000), file); };
    table.GetFilePosition = [](FileHandle* file) { return g_real->GetFilePosition(file) + g_skew; };
    qv->fileSystem = &table;
    // The size found at opening sizes the first block; the file may have changed since.
    for (int skew : {0, -100000, -2, -1, 1, 100000}) {
        SCOPED_TRACE(skew);
        g_skew = skew;
        XMLReader reader;
        ASSERT_TRUE(reader.LoadFile("res://big.xml"));
        EXPECT_STREQ(reader.fileName, "res://big.xml");
        EXPECT_EQ(std::string(reader.text, reader.length + 1), document + '\0');
        const Blocks blocks = ReadAll(reader);
        ASSERT_EQ(blocks.size(), 10002u);
        EXPECT_EQ(blocks[10000], "<node id=[9999]/>");
    }
    qv->fileSystem = g_real;
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(XmlLoadFile, EachLoadReplacesThePreviousDocumentAndAFailedOneLeavesNothing) {
    PutFile("one.xml", kDeclaration + "<one/>");
    PutFile("bad.xml", kDeclaration + "<a>>");
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("res://bad.xml"));
    EXPECT_EQ(ReadAll(reader), Blocks{"<a>"});
    ASSERT_TRUE(reader.LoadFile("res://one.xml"));
    ASSERT_TRUE(reader.LoadFile(reader.fileName)) << "reloading by its own file name";
    EXPECT_EQ(ReadAll(reader), Blocks{"<one/>"});
    LogCapture::Clear();
    EXPECT_FALSE(reader.LoadFile("res://three.xml"));
    EXPECT_EQ(reader.text, nullptr);
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    // No name or no file system fail as silently as a missing file.
    EXPECT_FALSE(reader.LoadFile(nullptr));
    EXPECT_FALSE(reader.LoadFile(""));
    const QuavenFileSystemAPI* files = qv->fileSystem;
    qv->fileSystem = nullptr;
    EXPECT_FALSE(reader.LoadFile("res://one.xml"));
    qv->fileSystem = files;
    EXPECT_TRUE(LogCapture::Lines().empty());
}

TEST_F(XmlLoadFile, ScrambledFileIsDescrambledAndATamperedOneRefused) {
    const std::string document = kDeclaration + "<root><node id=\"n\" v=\"1\"/></root>\n";
    PutFile("leaderboards-db.xml", Scrambled(document));
    XMLReader reader;
    ASSERT_TRUE(reader.LoadFile("res://leaderboards-db.xml"));
    EXPECT_EQ(std::string(reader.text, reader.length), document);
    EXPECT_EQ(ReadAll(reader), (Blocks{"<root>", "<node id=[n] v=[1]/>", "<root/>"}));

    std::string tampered = Scrambled(document);
    tampered[kScrambledHeaderSize + 10] ^= 0x40;
    PutFile("t.xml", tampered);
    EXPECT_FALSE(reader.LoadFile("res://t.xml"));
    EXPECT_EQ(reader.ReadNextBlock(), nullptr);
    EXPECT_TRUE(LogCapture::Lines().empty());

    // Shorter than the scrambled header: read as it is (and refused as XML).
    PutFile("k.xml", std::string(kScrambleKey, 14));
    EXPECT_FALSE(reader.LoadFile("res://k.xml"));
    ASSERT_EQ(LogCapture::PopupTexts().size(), 1u);
    EXPECT_EQ(LogCapture::PopupTexts()[0].rfind("First non-whitespace char in XML document needs to be '<'.", 0), 0u);
}

} // namespace
