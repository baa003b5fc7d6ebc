// The fuzzers' inputs as files: held in memory and served through the API table's file system
// in front of the engine's own, so that a parse costs no disk access. Reads, seeks, positions,
// existence and time stamps of those paths are answered here; every other path and every write
// goes to the file system that was there before (none in the Linux build).
#include "fuzz/native/memory_files.h"

#include <cstring>
#include <map>
#include <set>
#include <string>

#include "filesystem/open_files.h"

// The table's member, not the <windows.h> macro.
#undef DeleteFile

namespace {

struct Open {
    FileHandle handle;  // first: readers look at its size
    std::string contents;
    size_t position;
};

std::map<std::string, std::string> g_files;
std::set<FileHandle*> g_open;
const QuavenFileSystemAPI* g_below = nullptr;
QuavenFileSystemAPI g_table = {};

Open* Mine(FileHandle* handle)
{
    return g_open.count(handle) ? reinterpret_cast<Open*>(handle) : nullptr;
}

FileHandle* OpenFile(const char* path, const char* mode)
{
    const auto found = path ? g_files.find(path) : g_files.end();
    if (found == g_files.end() || !mode || mode[0] != 'r')
        return g_below && g_below->OpenFile ? g_below->OpenFile(path, mode) : nullptr;
    Open* open = new Open{{}, found->second, 0};
    open->handle.size = static_cast<uint32_t>(open->contents.size());
    g_open.insert(&open->handle);
    return &open->handle;
}

int Read(void* buffer, int size, FileHandle* handle)
{
    Open* open = Mine(handle);
    if (!open)
        return g_below && g_below->Read ? g_below->Read(buffer, size, handle) : 0;
    if (!buffer || size <= 0)
        return 0;
    const size_t left = open->position < open->contents.size() ? open->contents.size() - open->position : 0;
    const size_t count = left < static_cast<size_t>(size) ? left : static_cast<size_t>(size);
    memcpy(buffer, open->contents.data() + open->position, count);
    open->position += count;
    return static_cast<int>(count);
}

// 0 on success and -1 for a target before the start, as the engine's files answer.
int Seek(FileHandle* handle, int offset, int origin)
{
    Open* open = Mine(handle);
    if (!open)
        return g_below && g_below->Seek ? g_below->Seek(handle, offset, origin) : -1;
    const int64_t base = origin == QV_SEEK_SET ? 0 : origin == QV_SEEK_CUR ? static_cast<int64_t>(open->position)
                         : origin == QV_SEEK_END ? static_cast<int64_t>(open->contents.size()) : -1;
    if (base < 0 || base + offset < 0)
        return -1;
    open->position = static_cast<size_t>(base + offset);
    return 0;
}

int GetFilePosition(FileHandle* handle)
{
    Open* open = Mine(handle);
    if (!open)
        return g_below && g_below->GetFilePosition ? g_below->GetFilePosition(handle) : -1;
    return static_cast<int>(open->position);
}

void CloseFile(FileHandle* handle)
{
    Open* open = Mine(handle);
    if (!open) {
        if (g_below && g_below->CloseFile)
            g_below->CloseFile(handle);
        return;
    }
    g_open.erase(handle);
    delete open;
}

bool FileExists(const char* path)
{
    if (path && g_files.count(path))
        return true;
    return g_below && g_below->FileExists ? g_below->FileExists(path) : false;
}

bool GetFileInfo(const char* path, FileInfo* info)
{
    if (path && g_files.count(path)) {
        if (info)
            memset(info, 0, sizeof *info);
        return true;
    }
    return g_below && g_below->GetFileInfo ? g_below->GetFileInfo(path, info) : false;
}

bool DeleteFile(const char* path)
{
    if (path && g_files.erase(path))
        return true;
    return g_below && g_below->DeleteFile ? g_below->DeleteFile(path) : false;
}

} // namespace

void QVF_InstallMemoryFiles(QuavenAPI* table)
{
    g_below = table->fileSystem;
    if (g_below)
        g_table = *g_below;
    g_table.OpenFile = OpenFile;
    g_table.Read = Read;
    g_table.Seek = Seek;
    g_table.GetFilePosition = GetFilePosition;
    g_table.CloseFile = CloseFile;
    g_table.FileExists = FileExists;
    g_table.GetFileInfo = GetFileInfo;
    g_table.DeleteFile = DeleteFile;
    table->fileSystem = &g_table;
}

void QVF_PutFile(const char* path, const uint8_t* data, size_t size)
{
    if (data)
        g_files[path].assign(reinterpret_cast<const char*>(data), size);
    else
        g_files.erase(path);
}
