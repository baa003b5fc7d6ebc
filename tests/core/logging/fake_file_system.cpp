#include "fake_file_system.h"

#include <map>
#include <mutex>
#include <set>

namespace logging_test {

namespace {

std::mutex g_mutex;
std::map<std::string, std::string> g_files;
std::set<std::string> g_refused;
int g_openHandles = 0;

// The engine only passes FileHandle pointers around: a handle is the path it writes to.
std::string& PathOf(FileHandle* file) { return *reinterpret_cast<std::string*>(file); }

bool FakeFileExists(const char* path)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return path && g_files.count(path) != 0;
}

FileHandle* FakeOpenFile(const char* path, const char* mode)
{
    if (!path || !mode)
        return nullptr;
    std::lock_guard<std::mutex> guard(g_mutex);
    if (g_refused.count(path) || g_refused.count("*") || (mode[0] != 'w' && mode[0] != 'a' && !g_files.count(path)))
        return nullptr;
    if (mode[0] == 'w')
        g_files[path].clear();
    g_files[path];
    ++g_openHandles;
    return reinterpret_cast<FileHandle*>(new std::string(path));
}

int FakeWrite(const void* buffer, int size, FileHandle* file)
{
    if (!file || !buffer || size <= 0)
        return 0;
    std::lock_guard<std::mutex> guard(g_mutex);
    g_files[PathOf(file)].append(static_cast<const char*>(buffer), static_cast<size_t>(size));
    return size;
}

int FakeFlushFile(FileHandle* file) { return file ? 0 : -1; }

void FakeCloseFile(FileHandle* file)
{
    if (!file)
        return;
    std::lock_guard<std::mutex> guard(g_mutex);
    --g_openHandles;
    delete &PathOf(file);
}

QuavenFileSystemAPI MakeTable()
{
    QuavenFileSystemAPI table = {};
    table.FileExists = FakeFileExists;
    table.OpenFile = FakeOpenFile;
    table.Write = FakeWrite;
    table.FlushFile = FakeFlushFile;
    table.CloseFile = FakeCloseFile;
    return table;
}

const QuavenFileSystemAPI g_table = MakeTable();

}  // namespace

const QuavenFileSystemAPI* FakeFileSystem::Table() { return &g_table; }

void FakeFileSystem::Reset()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_files.clear();
    g_refused.clear();
    g_openHandles = 0;
}

std::string FakeFileSystem::Contents(const std::string& path)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    auto found = g_files.find(path);
    return found == g_files.end() ? std::string() : found->second;
}

void FakeFileSystem::SetContents(const std::string& path, const std::string& contents)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_files[path] = contents;
}

void FakeFileSystem::RefuseOpening(const std::string& path)
{
    std::lock_guard<std::mutex> guard(g_mutex);
    g_refused.insert(path);
}

std::vector<std::string> FakeFileSystem::Paths()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    std::vector<std::string> paths;
    for (const auto& entry : g_files)
        paths.push_back(entry.first);
    return paths;
}

int FakeFileSystem::OpenHandles()
{
    std::lock_guard<std::mutex> guard(g_mutex);
    return g_openHandles;
}

std::vector<std::string> SplitLines(const std::string& contents)
{
    std::vector<std::string> lines;
    for (size_t start = 0; start < contents.size();) {
        size_t end = contents.find('\n', start);
        lines.push_back(contents.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

}  // namespace logging_test
