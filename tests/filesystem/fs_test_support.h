// Shared set-up for the file-system suite: the engine's API table with the real
// file-system sub-table, log capture, a res:// root in a scratch folder and a fresh
// per-user folder "<AppData>/<developer>/<title>" for every test.
#pragma once

#include "platform/windows/win32.h"

#include <string>
#include <vector>

#include "core/core_state.h"
#include "filesystem/backends.h"
#include "filesystem/open_files.h"
#include "filesystem/paths.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/process.h"

namespace fs_test {

using quaven_test::AppDataFolder;
using quaven_test::LogCapture;
using quaven_test::NativeExists;
using quaven_test::ReadNative;
using quaven_test::RemoveTree;
using quaven_test::WithForwardSlashes;
using quaven_test::WriteFilesIn;
using Names = std::vector<std::string>;

// The engine's file system as a game meets it, with a fresh per-user folder
// "<AppData>/<developer>/<title>"; files are tracked, as once core initialisation is done.
class FileSystemTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        g_core.api = qv;
        g_core.coreInitialized = 1;
        EngineFilesTest::SetUp();
        ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), title_.c_str()));
        LogCapture::Clear();
    }

    void TearDown() override {
        fs()->Unmount("save");
        RemoveTree(AppDataFolder() + "/" + developer_);
        QVI_InitBasePaths();
        EngineFilesTest::TearDown();
    }

    const std::string developer_ = quaven_test::UniqueName("QuavenFsTestDev");  // unique per test
    const std::string title_ = "FS Test: Title!";
    const std::string userRoot_ = AppDataFolder() + "/" + developer_ + "/FS_Test__Title_";  // native user:// root
};

}  // namespace fs_test
