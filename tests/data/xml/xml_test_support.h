// Common ground of the XML reader tests: the engine's files with captured popups,
// documents placed against no-access pages so that any read or write outside them
// faults, and the blocks a reader hands out as comparable texts.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"
#include "data/xml/xml_reader.h"
#include "support/engine_table.h"

namespace xml_test {

using quaven_test::LogCapture;
using Blocks = std::vector<std::string>;

inline const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

// The engine's file system with res:// in a fresh folder (EngineFilesTest), counting the
// files opened and not closed: every file a test opens is closed again.
class XmlReaderTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        open_ = 0;
        counting_ = *(real_ = qv->fileSystem);
        counting_.OpenFile = [](const char* path, const char* mode) {
            FileHandle* file = real_->OpenFile(path, mode);
            open_ += file ? 1 : 0;
            return file;
        };
        counting_.CloseFile = [](FileHandle* file) {
            open_ -= file ? 1 : 0;
            real_->CloseFile(file);
        };
        qv->fileSystem = &counting_;
    }
    void TearDown() override {
        qv->fileSystem = real_;
        EXPECT_EQ(open_, 0) << "every opened file is closed";
        EngineFilesTest::TearDown();
    }

private:
    static inline const QuavenFileSystemAPI* real_ = nullptr;
    static inline int open_ = 0;
    QuavenFileSystemAPI counting_ = {};
};

// Which side of the document and the value buffer the no-access page touches.
enum class Guard { After, Before };

// A reader whose document (with its zero byte and nothing else) and value buffer both
// sit against no-access pages; it gets its own buffers back before it is destroyed.
class GuardedReader {
public:
    GuardedReader(const std::string& document, Guard side) : ownValueBuffer_(reader_.valueBuffer) {
        reader_.text = GuardedBytes(document.size() + 1, side, pages_[0]);
        memcpy(reader_.text, document.c_str(), document.size() + 1);
        reader_.length = static_cast<int>(document.size());
        reader_.valueBuffer = GuardedBytes(XMLReader::kValueBufferSize, side, pages_[1]);
        reader_.fileName = strdup("guarded.xml");
        reader_.ok = 1;
        headerOk_ = reader_.ReadHeader();
    }
    ~GuardedReader() {
        reader_.text = nullptr;
        reader_.valueBuffer = ownValueBuffer_;
        for (void* pages : pages_)
            VirtualFree(pages, 0, MEM_RELEASE);
    }
    XMLReader& reader() { return reader_; }
    bool headerOk() const { return headerOk_; }

private:
    // size bytes of read-write memory with a no-access page right after (or before)
    // them; base receives the allocation to free.
    static char* GuardedBytes(size_t size, Guard side, void*& base) {
        const size_t kPage = 4096, dataPages = size == 0 ? 1 : (size + kPage - 1) / kPage;
        base = VirtualAlloc(nullptr, (dataPages + 1) * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        char* pages = static_cast<char*>(base);
        DWORD old = 0;
        if (side == Guard::Before) {
            VirtualProtect(pages, kPage, PAGE_NOACCESS, &old);
            return pages + kPage;
        }
        VirtualProtect(pages + dataPages * kPage, kPage, PAGE_NOACCESS, &old);
        return pages + dataPages * kPage - size;
    }

    XMLReader reader_;
    void* pages_[2] = {};
    char* ownValueBuffer_;
    bool headerOk_;
};

// Hands a malloc'd copy of document to the reader as in-memory callers do ("memory.xml"),
// and checks the header.
inline bool SetDocument(XMLReader& reader, const std::string& document) {
    free(reader.text);
    free(reader.fileName);
    reader.text = static_cast<char*>(malloc(document.size() + 1));
    memcpy(reader.text, document.c_str(), document.size() + 1);
    reader.length = static_cast<int>(document.size());
    reader.position = 0;
    reader.fileName = strdup("memory.xml");
    reader.ok = 1;
    return reader.ReadHeader();
}

// The file the engine writes for plain when asked to scramble it.
inline std::string Scrambled(const std::string& plain) {
    ByteBuffer buffer;
    EXPECT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &buffer));
    return std::string(reinterpret_cast<const char*>(buffer.data), buffer.size);
}

// Every block until ReadNextBlock answers null, as texts: "<name a=[v]>", closing tags
// (end tags and self-closing ones alike) as "<name a=[v]/>", text as "[text]". Fails the
// test when the reader hands out more blocks than the document has bytes.
inline Blocks ReadAll(XMLReader& reader) {
    Blocks blocks;
    while (XMLBlock* block = reader.ReadNextBlock()) {
        if (static_cast<int>(blocks.size()) > reader.length + 2) {
            ADD_FAILURE() << "the reader keeps handing out blocks";
            break;
        }
        if (!block->name) {
            EXPECT_EQ(block->attributeCount, 1);
            blocks.push_back(std::string("[") + block->attributeValues[0] + "]");
            continue;
        }
        EXPECT_LE(block->attributeCount, XMLBlock::kMaxAttributes);
        std::string text = std::string("<") + block->name;
        for (int i = 0; i < block->attributeCount && i < XMLBlock::kMaxAttributes; ++i)
            text += std::string(" ") + block->attributeNames[i] + "=[" + block->attributeValues[i] + "]";
        blocks.push_back(text + (block->closing ? "/>" : ">"));
    }
    return blocks;
}

} // namespace xml_test
