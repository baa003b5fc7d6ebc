#include "xml_test_support.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <ostream>

#include "core/api_pointer.h"

namespace xml_test {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

namespace {

FakeFiles g_files;

struct FakeOpenFile {
    std::string data;
    size_t position = 0;
};

FileHandle* FakeOpen(const char* path, const char* mode)
{
    g_files.openModes.push_back(mode ? mode : "");
    if (!path)
        return nullptr;
    auto found = g_files.contents.find(path);
    if (found == g_files.contents.end())
        return nullptr;
    ++g_files.opened;
    FakeOpenFile* file = new FakeOpenFile;
    file->data = found->second;
    return reinterpret_cast<FileHandle*>(file);
}

int FakeRead(void* buffer, int size, FileHandle* handle)
{
    FakeOpenFile* file = reinterpret_cast<FakeOpenFile*>(handle);
    if (!file || size <= 0)
        return 0;
    size_t left = file->data.size() - file->position;
    size_t count = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
    if (g_files.maxReadChunk > 0 && count > static_cast<size_t>(g_files.maxReadChunk))
        count = g_files.maxReadChunk;
    memcpy(buffer, file->data.data() + file->position, count);
    file->position += count;
    return static_cast<int>(count);
}

void FakeClose(FileHandle* handle)
{
    if (!handle)
        return;
    ++g_files.closed;
    delete reinterpret_cast<FakeOpenFile*>(handle);
}

QuavenFileSystemAPI MakeFakeFileSystem()
{
    QuavenFileSystemAPI table = {};
    table.OpenFile = FakeOpen;
    table.Read = FakeRead;
    table.CloseFile = FakeClose;
    return table;
}

QuavenFileSystemAPI g_fakeFileSystem = MakeFakeFileSystem();

const size_t kPage = 4096;

} // namespace

void XmlReaderTest::SetUp()
{
    g_files = FakeFiles();
    savedFileSystem_ = qv->fileSystem;
    qv->fileSystem = &g_fakeFileSystem;
}

void XmlReaderTest::TearDown()
{
    qv->fileSystem = savedFileSystem_;
    EXPECT_EQ(g_files.opened, g_files.closed) << "every opened file is closed";
}

const std::vector<quaven_test::LoggedLine> XmlReaderTest::Popups()
{
    return quaven_test::LogCapture::PopupLines();
}

std::vector<std::string> XmlReaderTest::PopupTexts()
{
    return quaven_test::LogCapture::PopupTexts();
}

void XmlReaderTest::ClearPopups()
{
    quaven_test::LogCapture::Clear();
}

FakeFiles& XmlReaderTest::Files()
{
    return g_files;
}

GuardedBytes::GuardedBytes(size_t size, Guard side)
{
    size_t dataPages = (size + kPage - 1) / kPage;
    if (dataPages == 0)
        dataPages = 1;
    size_t total = (dataPages + 1) * kPage;
    base_ = VirtualAlloc(nullptr, total, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!base_)
        return;
    char* base = static_cast<char*>(base_);
    DWORD old = 0;
    if (side == Guard::After) {
        VirtualProtect(base + dataPages * kPage, kPage, PAGE_NOACCESS, &old);
        data_ = base + dataPages * kPage - size;
    } else {
        VirtualProtect(base, kPage, PAGE_NOACCESS, &old);
        data_ = base + kPage;
    }
}

GuardedBytes::~GuardedBytes()
{
    if (base_)
        VirtualFree(base_, 0, MEM_RELEASE);
}

GuardedReader::GuardedReader(const std::string& document, Guard side, const char* name)
    : text_(document.size() + 1, side), valueBuffer_(XMLReader::kValueBufferSize, side),
      ownValueBuffer_(reader_.valueBuffer), headerOk_(false)
{
    memcpy(text_.data(), document.data(), document.size());
    text_.data()[document.size()] = 0;
    reader_.text = text_.data();
    reader_.length = static_cast<int>(document.size());
    reader_.valueBuffer = valueBuffer_.data();
    reader_.fileName = strdup(name);
    reader_.ok = 1;
    headerOk_ = reader_.ReadHeader();
}

GuardedReader::~GuardedReader()
{
    reader_.text = nullptr;
    reader_.valueBuffer = ownValueBuffer_;
}

bool SetDocument(XMLReader& reader, const std::string& document, const char* name)
{
    free(reader.text);
    free(reader.fileName);
    reader.text = static_cast<char*>(malloc(document.size() + 1));
    memcpy(reader.text, document.data(), document.size());
    reader.text[document.size()] = 0;
    reader.length = static_cast<int>(document.size());
    reader.position = 0;
    reader.fileName = strdup(name);
    reader.ok = 1;
    return reader.ReadHeader();
}

std::vector<BlockCopy> ReadAllBlocks(XMLReader& reader)
{
    std::vector<BlockCopy> blocks;
    int limit = reader.length + 2;
    while (XMLBlock* block = reader.ReadNextBlock()) {
        if (static_cast<int>(blocks.size()) > limit) {
            ADD_FAILURE() << "the reader keeps handing out blocks";
            break;
        }
        BlockCopy copy;
        copy.isText = block->name == nullptr;
        copy.name = block->name ? block->name : "";
        copy.closing = block->closing != 0;
        EXPECT_GE(block->attributeCount, 0);
        EXPECT_LE(block->attributeCount, XMLBlock::kMaxAttributes);
        for (int i = 0; i < block->attributeCount && i < XMLBlock::kMaxAttributes; ++i)
            copy.attributes.emplace_back(block->attributeNames[i], block->attributeValues[i]);
        blocks.push_back(copy);
    }
    return blocks;
}

BlockCopy Element(const std::string& name, std::vector<std::pair<std::string, std::string>> attributes, bool closing)
{
    BlockCopy block;
    block.name = name;
    block.attributes = std::move(attributes);
    block.closing = closing;
    return block;
}

BlockCopy EndTag(const std::string& name)
{
    return Element(name, {}, true);
}

BlockCopy Text(const std::string& text)
{
    BlockCopy block;
    block.isText = true;
    block.attributes.emplace_back("DATA", text);
    return block;
}

bool operator==(const BlockCopy& a, const BlockCopy& b)
{
    return a.isText == b.isText && a.name == b.name && a.closing == b.closing && a.attributes == b.attributes;
}

void PrintTo(const BlockCopy& block, std::ostream* out)
{
    if (block.isText)
        *out << "text";
    else
        *out << "<" << (block.closing ? "closing " : "") << block.name << ">";
    for (const auto& attribute : block.attributes)
        *out << " " << attribute.first << "=[" << attribute.second << "]";
}

} // namespace xml_test
