// Common ground of the XML reader tests: captured popups, an in-memory file table behind
// qv->fileSystem, documents placed against no-access pages so that any read or write
// outside them faults, and the blocks a reader hands out as comparable texts.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "data/xml/xml_reader.h"
#include "quaven/api.h"
#include "support/log_capture.h"

namespace xml_test {

using quaven_test::LogCapture;
using Blocks = std::vector<std::string>;

inline const std::string kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

// The files the fake file system serves, by exact path.
struct FakeFiles {
    std::map<std::string, std::string> contents;
    int maxReadChunk = 0;  // largest count one Read hands out; 0: no limit
    int positionSkew = 0;  // added to every position answered: a file whose size changes
    int open = 0;          // opened and not yet closed
};

class XmlReaderTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    static FakeFiles& Files();

private:
    LogCapture log_;
    const QuavenFileSystemAPI* savedFileSystem_ = nullptr;
};

// Which side of the document and the value buffer the no-access page touches.
enum class Guard { After, Before };

// A reader whose document (with its zero byte and nothing else) and value buffer both
// sit against no-access pages; it gets its own buffers back before it is destroyed.
class GuardedReader {
public:
    GuardedReader(const std::string& document, Guard side);
    ~GuardedReader();
    XMLReader& reader() { return reader_; }
    bool headerOk() const { return headerOk_; }

private:
    XMLReader reader_;
    void* pages_[2] = {};
    char* ownValueBuffer_;
    bool headerOk_;
};

// Hands a malloc'd copy of document to the reader as in-memory callers do ("memory.xml"),
// and checks the header.
bool SetDocument(XMLReader& reader, const std::string& document);

// The file the engine writes for plain when asked to scramble it.
std::string Scrambled(const std::string& plain);

// Every block until ReadNextBlock answers null, as texts: "<name a=[v]>", closing tags
// (end tags and self-closing ones alike) as "<name a=[v]/>", text as "[text]". Fails the
// test when the reader hands out more blocks than the document has bytes.
Blocks ReadAll(XMLReader& reader);

} // namespace xml_test
