#include "support/memory_files.h"

#include <algorithm>
#include <cstring>

#include "filesystem/open_files.h"

namespace quaven_test {

namespace {

MemoryFiles* g_current = nullptr;

// The engine's FileHandle comes first, since readers look at its size.
struct MemoryHandle {
    FileHandle handle;
    MemoryFile file;
    size_t position;
};

const MemoryFile* Find(const char* path) {
    if (!g_current || !path)
        return nullptr;
    auto found = g_current->files.find(path);
    return found == g_current->files.end() ? nullptr : &found->second;
}

FileHandle* OpenFile(const char* path, const char* mode) {
    g_current->opened.push_back(path ? path : "");
    const MemoryFile* file = Find(path);
    if (!file || !mode || mode[0] != 'r')
        return nullptr;
    ++g_current->openHandles;
    MemoryHandle* open = new MemoryHandle{{}, *file, 0};
    open->handle.size = static_cast<uint32_t>(file->contents.size());
    return &open->handle;
}

int Read(void* buffer, int size, FileHandle* handle) {
    MemoryHandle* open = reinterpret_cast<MemoryHandle*>(handle);
    if (!open || !buffer || size <= 0)
        return 0;
    size_t count = std::min(open->file.contents.size() - open->position, static_cast<size_t>(size));
    if (open->file.maxRead > 0)
        count = std::min(count, static_cast<size_t>(open->file.maxRead));
    memcpy(buffer, open->file.contents.data() + open->position, count);
    open->position += count;
    return static_cast<int>(count);
}

void CloseFile(FileHandle* handle) {
    if (handle)
        --g_current->openHandles;
    delete reinterpret_cast<MemoryHandle*>(handle);
}

bool FileExists(const char* path) { return Find(path) != nullptr; }

bool GetFileInfo(const char* path, FileInfo* info) {
    const MemoryFile* file = Find(path);
    if (file && info)
        info->modified = file->modified;
    return file != nullptr;
}

QuavenFileSystemAPI MakeTable() {
    QuavenFileSystemAPI table = {};
    table.OpenFile = OpenFile;
    table.Read = Read;
    table.CloseFile = CloseFile;
    table.FileExists = FileExists;
    table.GetFileInfo = GetFileInfo;
    return table;
}

const QuavenFileSystemAPI g_table = MakeTable();

}  // namespace

MemoryFiles::MemoryFiles(QuavenAPI* table) : table_(table), saved_(table->fileSystem) {
    g_current = this;
    table->fileSystem = &g_table;
}

MemoryFiles::~MemoryFiles() {
    table_->fileSystem = saved_;
    g_current = nullptr;
}

void MemoryFiles::Put(const std::string& path, const std::string& contents, uint32_t modified) {
    files[path] = MemoryFile{contents, modified, 0};
}

}  // namespace quaven_test
