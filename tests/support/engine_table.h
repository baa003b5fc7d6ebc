// The engine's API table filled as at start-up, for tests that drive engine code without
// starting the engine: this thread is engine thread 1, the engine locks exist and every log
// line and popup is captured. While an EngineTable lives a test may replace members (a
// stand-in file system, say); when it ends the table and the core state are back as they
// were, all but the engine locks, which live as long as the process.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "support/log_capture.h"
#include "support/res_folder.h"

namespace quaven_test {

class EngineTable {
public:
    EngineTable();
    ~EngineTable();
    LogCapture& Log() { return *log_; }

private:
    QuavenAPI saved_;
    CoreState savedCore_;
    std::optional<LogCapture> log_;
};

// Writes a file through the game's view of the file system; true when all bytes went out.
bool WriteThrough(const char* path, const std::string& contents, const char* mode = "wb");
// Reads a whole file through the game's view; "<missing>" when it does not open.
std::string ReadThrough(const char* path);

// A manifest the loaders consult (drawing sizes "w" and "h", packing) while it lives, as a
// game's manifest gives them; on leaving its scope the loaders no longer see it.
class ScopedManifest {
public:
    ScopedManifest();
    ~ScopedManifest();
    ScopedManifest(const ScopedManifest&) = delete;
    ScopedManifest& operator=(const ScopedManifest&) = delete;
    // An entry for the resource id with its parameters, as name and value pairs.
    ScopedManifest& Add(const char* id, std::initializer_list<std::pair<const char*, const char*>> parameters);

private:
    DataArray array_;
};

// A fixture base holding an EngineTable from before SetUp to after TearDown.
class EngineTableTest : public ::testing::Test {
    EngineTable table_;
};

// The engine as a game or engine code that reads and writes files meets it: the file system
// with res:// in a fresh temporary folder and no search paths (the log record starts empty
// once SetUp is done). Afterwards the folder is gone.
class EngineFilesTest : public EngineTableTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The native res:// folder ('/' separators), and writing res://<path> with the folders between.
    const std::string& ResRoot() const { return res_->Root(); }
    void PutFile(const std::string& path, const std::string& text) { ASSERT_TRUE(res_->Put(path, text)) << path; }

    // The file-system sub-table, as the game sees it.
    static const QuavenFileSystemAPI* fs() { return qv->fileSystem; }
    static bool WriteThrough(const char* path, const std::string& contents, const char* mode = "wb") {
        return quaven_test::WriteThrough(path, contents, mode);
    }
    static std::string ReadThrough(const char* path) { return quaven_test::ReadThrough(path); }
    // Names that FindFiles returns, in order; the list is freed.
    static std::vector<std::string> Find(const char* path, const char* wildcards, bool recursive);

    // The search paths in order, and removing all of them.
    static std::vector<std::string> SearchPaths() {
        std::vector<std::string> paths;
        for (int i = 0; i < fs()->GetSearchPathCount(); ++i)
            paths.push_back(fs()->GetSearchPath(i));
        return paths;
    }
    static void RemoveSearchPaths() {
        while (fs()->GetSearchPathCount() > 0)
            fs()->RemoveSearchPath(fs()->GetSearchPath(0));
    }

private:
    std::optional<ResFolder> res_;
};

}  // namespace quaven_test
