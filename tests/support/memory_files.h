// An in-memory file system behind an API table's fileSystem, for readers that must not touch
// the disk: files by exact path, a record of every path asked for, reads that can be made to
// come up short. Installed while a MemoryFiles lives, the previous member back afterwards; one
// at a time, since the table's members are plain functions.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "quaven/api.h"

namespace quaven_test {

struct MemoryFile {
    std::string contents;
    uint32_t modified = 0;  // what GetFileInfo reports
    int maxRead = 0;        // the most one Read hands back; 0: no limit
};

// Serves OpenFile (mode "r" only), Read, CloseFile, FileExists and GetFileInfo. An open file
// reads the contents it had when opened; its handle's size is set as the engine's is.
class MemoryFiles {
public:
    explicit MemoryFiles(QuavenAPI* table);
    ~MemoryFiles();
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    void Put(const std::string& path, const std::string& contents, uint32_t modified = 0);

    std::map<std::string, MemoryFile> files;
    std::vector<std::string> opened;  // every path OpenFile was given, found or not, in order
    int openHandles = 0;              // opened and not yet closed

private:
    QuavenAPI* table_;
    const QuavenFileSystemAPI* saved_;
};

}  // namespace quaven_test
