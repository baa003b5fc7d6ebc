// An in-memory stand-in for the fileSystem sub-table, enough for the log writer: FileExists,
// OpenFile ("w" truncates, "a" appends), Write, FlushFile and CloseFile. Each Write lands
// whole; nothing keeps two calls of different threads together.
#pragma once

#include <string>
#include <vector>

#include "quaven/filesystem.h"

namespace logging_test {

class FakeFileSystem {
public:
    static const QuavenFileSystemAPI* Table();  // to install as qv->fileSystem
    static void Reset();
    static std::string Contents(const std::string& path);
    static void SetContents(const std::string& path, const std::string& contents);
    // Every OpenFile of this path ("*": of any path) fails from now on.
    static void RefuseOpening(const std::string& path);
    static std::vector<std::string> Paths();
    static int OpenHandles();
};

// The file split at "\n"; a final piece without "\n" is kept too (and shows a torn end).
std::vector<std::string> SplitLines(const std::string& contents);

}  // namespace logging_test
