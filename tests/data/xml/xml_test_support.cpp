#include "xml_test_support.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"

namespace xml_test {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

namespace {

FakeFiles g_files;

struct FakeOpenFile {
    std::string data;
    size_t position = 0;
};

FileHandle* FakeOpen(const char* path, const char*)
{
    auto found = path ? g_files.contents.find(path) : g_files.contents.end();
    if (found == g_files.contents.end())
        return nullptr;
    ++g_files.opened;
    return reinterpret_cast<FileHandle*>(new FakeOpenFile{found->second});
}

int FakeRead(void* buffer, int size, FileHandle* handle)
{
    FakeOpenFile* file = reinterpret_cast<FakeOpenFile*>(handle);
    if (!file || size <= 0)
        return 0;
    size_t count = std::min(file->data.size() - file->position, static_cast<size_t>(size));
    if (g_files.maxReadChunk > 0)
        count = std::min(count, static_cast<size_t>(g_files.maxReadChunk));
    memcpy(buffer, file->data.data() + file->position, count);
    file->position += count;
    return static_cast<int>(count);
}

int FakeSeek(FileHandle* handle, int offset, int origin)
{
    FakeOpenFile* file = reinterpret_cast<FakeOpenFile*>(handle);
    const size_t base = origin == QV_SEEK_END ? file->data.size() : origin == QV_SEEK_CUR ? file->position : 0;
    file->position = std::min(file->data.size(), base + offset);
    return 0;
}

int FakeGetFilePosition(FileHandle* handle)
{
    return static_cast<int>(reinterpret_cast<FakeOpenFile*>(handle)->position) + g_files.positionSkew;
}

void FakeClose(FileHandle* handle)
{
    ++g_files.closed;
    delete reinterpret_cast<FakeOpenFile*>(handle);
}

QuavenFileSystemAPI MakeFakeFileSystem()
{
    QuavenFileSystemAPI table = {};
    table.OpenFile = FakeOpen;
    table.Read = FakeRead;
    table.CloseFile = FakeClose;
    table.Seek = FakeSeek;
    table.GetFilePosition = FakeGetFilePosition;
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

FakeFiles& XmlReaderTest::Files() { return g_files; }

GuardedBytes::GuardedBytes(size_t size, Guard side)
{
    const size_t dataPages = size == 0 ? 1 : (size + kPage - 1) / kPage;
    base_ = VirtualAlloc(nullptr, (dataPages + 1) * kPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
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

GuardedReader::GuardedReader(const std::string& document, Guard side)
    : text_(document.size() + 1, side), valueBuffer_(XMLReader::kValueBufferSize, side),
      ownValueBuffer_(reader_.valueBuffer)
{
    memcpy(text_.data(), document.data(), document.size());
    text_.data()[document.size()] = 0;
    reader_.text = text_.data();
    reader_.length = static_cast<int>(document.size());
    reader_.valueBuffer = valueBuffer_.data();
    reader_.fileName = strdup("guarded.xml");
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
    memcpy(reader.text, document.c_str(), document.size() + 1);
    reader.length = static_cast<int>(document.size());
    reader.position = 0;
    reader.fileName = strdup(name);
    reader.ok = 1;
    return reader.ReadHeader();
}

std::string Scrambled(const std::string& plain)
{
    ByteBuffer buffer;
    EXPECT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &buffer));
    return std::string(reinterpret_cast<const char*>(buffer.data), buffer.size);
}

std::vector<std::string> ReadAll(XMLReader& reader)
{
    std::vector<std::string> blocks;
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
