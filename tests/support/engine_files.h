// The engine as a game or engine code that reads and writes files meets it: the API table
// filled by the composition root, the main thread as engine thread 1, the engine locks, the
// file system with res:// in a fresh temporary folder and no search paths, and every log
// line and popup captured (the record starts empty once SetUp is done). Afterwards the
// table is as before and the folder is gone.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "support/log_capture.h"
#include "support/res_folder.h"

namespace quaven_test {

class EngineFilesTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The native res:// folder ('/' separators), and writing res://<relative> with the
    // folders between.
    const std::string& ResRoot() const { return res_->Root(); }
    void PutFile(const std::string& relative, const std::string& contents)
    {
        ASSERT_TRUE(res_->Put(relative, contents)) << relative;
    }

    // The file-system sub-table, as the game sees it.
    static const QuavenFileSystemAPI* fs() { return qv->fileSystem; }
    // Writes a file through the game's view; true when all bytes went out.
    static bool WriteThrough(const char* path, const std::string& contents, const char* mode = "wb");
    // Reads a whole file through the game's view; "<missing>" when it does not open.
    static std::string ReadThrough(const char* path);
    // Names that FindFiles returns, in order; the list is freed.
    static std::vector<std::string> Find(const char* path, const char* wildcards, bool recursive);

    // The search paths in order, and removing all of them.
    static std::vector<std::string> SearchPaths();
    static void RemoveSearchPaths();

private:
    const QuavenAPI savedTable_ = *qv;
    std::optional<LogCapture> capture_;
    std::optional<ResFolder> res_;
};

}  // namespace quaven_test
