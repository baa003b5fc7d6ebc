// Shared set-up for the file-system suite: the engine's API table with the real
// file-system sub-table, log capture, a res:// root in a scratch folder and a fresh
// per-user folder "<AppData>/<developer>/<title>" for every test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "core/core_state.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "support/engine_files.h"
#include "support/files.h"
#include "support/process.h"

namespace fs_test {

using quaven_test::AppDataFolder;
using quaven_test::LogCapture;
using quaven_test::RemoveTree;
using quaven_test::WithForwardSlashes;
using Names = std::vector<std::string>;

// What the fixture's capture saw since SetUp finished.
inline int CountLogged(const std::string& text) { return LogCapture::Count(text); }
inline int CountPopupsContaining(const std::string& part) { return LogCapture::CountPopupsContaining(part); }

// Native checks, outside the engine: a file, or a folder when folder is set.
inline bool NativeExists(const std::string& path, bool folder = false)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) == folder;
}
// The whole file; "<missing>" when there is none.
inline std::string ReadNative(const std::string& path)
{
    return NativeExists(path) ? quaven_test::ReadFile(path) : "<missing>";
}
// Writes each (path under root, contents), creating the folders between.
inline void PutNative(const std::string& root, const std::vector<std::pair<std::string, std::string>>& files)
{
    for (const auto& [relative, contents] : files)
        ASSERT_TRUE(quaven_test::WriteFileIn(root, relative, contents)) << relative;
}

// The engine's file system as a game meets it, with a fresh per-user folder
// "<AppData>/<developer>/<title>"; files are tracked, as once core initialisation is done.
class FileSystemTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override
    {
        g_core.api = qv;
        g_core.coreInitialized = 1;
        EngineFilesTest::SetUp();
        resRoot_ = ResRoot();
        ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), title_.c_str()));
        LogCapture::Clear();
    }

    void TearDown() override
    {
        fs()->Unmount("save");
        RemoveTree(AppDataFolder() + "/" + developer_);
        QVI_InitBasePaths();
        EngineFilesTest::TearDown();
        g_core.api = savedCoreApi_;
        g_core.coreInitialized = savedCoreInitialized_;
    }

    // The real sub-table, as the game sees it.
    static const QuavenFileSystemAPI* fs() { return qv->fileSystem; }

    // Writes a file through the game's view; true when all bytes went out.
    bool WriteThrough(const char* path, const std::string& contents, const char* mode = "wb")
    {
        FileHandle* file = fs()->OpenFile(path, mode);
        const int written = file ? fs()->Write(contents.data(), static_cast<int>(contents.size()), file) : -1;
        fs()->CloseFile(file);
        return written == static_cast<int>(contents.size());
    }
    // Reads a whole file through the game's view; "<missing>" when it does not open.
    std::string ReadThrough(const char* path)
    {
        FileHandle* file = fs()->OpenFile(path, "rb");
        if (!file)
            return "<missing>";
        std::string contents;
        char chunk[256];
        for (int got; (got = fs()->Read(chunk, sizeof chunk, file)) > 0;)
            contents.append(chunk, static_cast<size_t>(got));
        fs()->CloseFile(file);
        return contents;
    }
    // Names that FindFiles returns, in order; the list is freed.
    Names Find(const char* path, const char* wildcards, bool recursive)
    {
        StringList* list = fs()->FindFiles(path, wildcards, recursive);
        if (!list) {
            ADD_FAILURE() << "FindFiles answered null";
            return {};
        }
        Names names(list->items, list->items + list->count);
        QV_FreeStringList(list);
        return names;
    }

    const std::string developer_ = quaven_test::UniqueName("QuavenFsTestDev");  // unique per test
    const std::string title_ = "FS Test: Title!";
    const std::string userRoot_ = AppDataFolder() + "/" + developer_ + "/FS_Test__Title_";  // native user:// root
    std::string resRoot_;  // native res:// root ('/' separators)

private:
    QuavenAPI* const savedCoreApi_ = g_core.api;
    const uint8_t savedCoreInitialized_ = g_core.coreInitialized;
};

}  // namespace fs_test
