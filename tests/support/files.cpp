#include "platform/windows/win32.h"
#include <shlobj.h>

#include "support/files.h"

#include <gtest/gtest.h>

#include "support/process.h"

namespace quaven_test {

std::string WithForwardSlashes(std::string path) {
    for (char& c : path)
        if (c == '\\')
            c = '/';
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

std::string UniqueName(const std::string& tag) {
    static LONG counter = 0;
    return tag + "-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount() % 1000000) + "-" +
           std::to_string(InterlockedIncrement(&counter));
}

std::string AppDataFolder() {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, 0, folder);
    return WithForwardSlashes(folder);
}

bool WriteFileIn(const std::string& folder, const std::string& relative, const std::string& contents) {
    const std::string path = WithForwardSlashes(folder) + "/" + WithForwardSlashes(relative);
    for (size_t slash = folder.size() + 1; (slash = path.find('/', slash)) != std::string::npos; ++slash)
        CreateDirectoryA(path.substr(0, slash).c_str(), nullptr);
    return WriteFile(path, contents);
}

void WriteFilesIn(const std::string& folder, const std::vector<std::pair<std::string, std::string>>& files) {
    for (const auto& [relative, contents] : files)
        ASSERT_TRUE(WriteFileIn(folder, relative, contents)) << relative;
}

bool NativeExists(const std::string& path, bool folder) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}

std::string ReadNative(const std::string& path) {
    return NativeExists(path) ? ReadFile(path) : "<missing>";
}

void RemoveTree(const std::string& folder) {
    if (folder.size() < 8)
        return;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "/*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "/" + name;
            SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            // A junction is removed, never followed into what it points at.
            const DWORD kind = entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT);
            if (kind == FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else if (kind & FILE_ATTRIBUTE_DIRECTORY)
                RemoveDirectoryA(path.c_str());
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

}  // namespace quaven_test
