// Common ground of the XML reader tests: captured popups, an in-memory file table
// behind qv->fileSystem, documents placed against no-access pages so that any read
// or write outside them faults, and a flat copy of the blocks a reader hands out.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "data/xml/xml_reader.h"
#include "quaven/api.h"
#include "support/log_capture.h"

namespace xml_test {

// What one block said, copied out of the reader's buffers.
struct BlockCopy {
    bool isText = false;
    std::string name;
    bool closing = false;
    std::vector<std::pair<std::string, std::string>> attributes;
};

// The files the fake file system serves, by exact path.
struct FakeFiles {
    std::map<std::string, std::string> contents;
    // Largest count one Read hands out (short reads); 0 means no limit.
    int maxReadChunk = 0;
    int opened = 0;
    int closed = 0;
    std::vector<std::string> openModes;
};

class XmlReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Popups since SetUp or the last ClearPopups. A copy, so const: clearing it would not
    // clear the record.
    const std::vector<quaven_test::LoggedLine> Popups();
    std::vector<std::string> PopupTexts();
    void ClearPopups();
    FakeFiles& Files();

private:
    quaven_test::LogCapture log_;
    const QuavenFileSystemAPI* savedFileSystem_ = nullptr;
};

// Which side of a document the no-access page touches.
enum class Guard { After, Before };

// size bytes of read-write memory with a no-access page right after (or before) them.
class GuardedBytes {
public:
    GuardedBytes(size_t size, Guard side);
    ~GuardedBytes();
    GuardedBytes(const GuardedBytes&) = delete;
    GuardedBytes& operator=(const GuardedBytes&) = delete;
    char* data() { return data_; }

private:
    void* base_ = nullptr;
    char* data_ = nullptr;
};

// A reader whose document and value buffer both sit against no-access pages. The
// document is followed by its zero byte, as the reader's contract asks, and nothing
// else. The reader gets its own buffers back before it is destroyed.
class GuardedReader {
public:
    GuardedReader(const std::string& document, Guard side, const char* name = "guarded.xml");
    ~GuardedReader();
    GuardedReader(const GuardedReader&) = delete;
    GuardedReader& operator=(const GuardedReader&) = delete;

    XMLReader& reader() { return reader_; }
    bool headerOk() const { return headerOk_; }

private:
    XMLReader reader_;
    GuardedBytes text_;
    GuardedBytes valueBuffer_;
    char* ownValueBuffer_;
    bool headerOk_;
};

// Hands a malloc'd copy of document (with its zero byte) to the reader the way
// in-memory callers do, and checks the header.
bool SetDocument(XMLReader& reader, const std::string& document, const char* name = "memory.xml");

// Every block until ReadNextBlock answers null. Fails the test when the reader hands
// out more blocks than the document has bytes (it would never end).
std::vector<BlockCopy> ReadAllBlocks(XMLReader& reader);

BlockCopy Element(const std::string& name, std::vector<std::pair<std::string, std::string>> attributes = {},
                  bool closing = false);
BlockCopy EndTag(const std::string& name);
BlockCopy Text(const std::string& text);

bool operator==(const BlockCopy& a, const BlockCopy& b);
void PrintTo(const BlockCopy& block, std::ostream* out);

// The declaration every test document starts with.
extern const char* const kDeclaration;

} // namespace xml_test
