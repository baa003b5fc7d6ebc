// Shared set-up for the file-system suite: the engine's API table with the real
// file-system sub-table, log capture, a res:// root in a scratch folder and a fresh
// per-user folder "<AppData>/<developer>/<title>" for every test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "quaven/api.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/res_folder.h"

namespace fs_test {

// What the fixture's capture saw since SetUp finished.
inline int CountLogged(const std::string& text) { return quaven_test::LogCapture::Count(text); }
inline int CountPopupsContaining(const std::string& part)
{
    return quaven_test::LogCapture::CountPopupsContaining(part);
}
inline void ClearLogged() { quaven_test::LogCapture::Clear(); }

using quaven_test::AppDataFolder;
using quaven_test::RemoveTree;
using quaven_test::WithForwardSlashes;

// Native helpers, outside the engine.
bool NativeFileExists(const std::string& path);
bool NativeFolderExists(const std::string& path);
// The whole file; "<missing>" when there is none.
std::string ReadNative(const std::string& path);
bool WriteNative(const std::string& path, const std::string& contents);

class FileSystemTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The real sub-table, as the game sees it through qv->fileSystem.
    const QuavenFileSystemAPI* fs() const { return &table_; }

    // Writes a file through the game's view; true when all bytes went out.
    bool WriteThrough(const char* path, const std::string& contents, const char* mode = "wb");
    // Reads a whole file through the game's view; "<missing>" when it does not open.
    std::string ReadThrough(const char* path);
    // Names that FindFiles returns, in order; the list is freed.
    std::vector<std::string> Find(const char* path, const char* wildcards, bool recursive);

    std::string resRoot_;      // native res:// root ('/' separators)
    std::string userRoot_;     // native user:// root
    std::string developer_;    // unique per test
    std::string title_;

private:
    QuavenFileSystemAPI table_ = {};
    QuavenAPI savedApi_ = {};
    std::optional<quaven_test::LogCapture> log_;   // over the filled table, gone before it is restored
    std::optional<quaven_test::ResFolder> res_;
    uint8_t savedCoreInitialized_ = 0;
    QuavenAPI* savedCoreApi_ = nullptr;
};

}  // namespace fs_test
