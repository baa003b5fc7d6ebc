// The ground of the tests of files the engine replaces whole: the file system with its
// per-user folders (user://, save://, cache://) under a developer folder of the test's own, and
// the service modules started by feature name. Afterwards the folder is gone.
#pragma once

#include <cstdlib>
#include <cstring>
#include <string>

#include "core/configuration.h"
#include "core/core_state.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "modules/extension_modules.h"
#include "services/local_leaderboards.h"
#include "support/engine_table.h"
#include "support/files.h"
#include "support/kill_loop.h"

namespace replaced_files_test {

class ReplacedFilesTest : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        g_core.api = qv;
        g_core.coreInitialized = 1;
        g_core.developerMode = 0;
        savedFeatures_ = g_config.applicationFeatures;
        g_config.applicationFeatures = nullptr;
        ASSERT_TRUE(QVI_InitFileSystem());
        // A killed writer's children use the parent's per-user folder: user://, save:// and cache://.
        developer_ = quaven_test::KillSharedName("QuavenKill");
        ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), "Kill"));
        g_saveRootCreated = 0;
    }

    void TearDown() override {
        QVI_ShutdownExtensionModules();
        qv->fileSystem->Unmount("save");
        DataManager::UnloadDatabase(DataManager::FindDatabase(kLocalLeaderboardsFile));
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = savedFeatures_;
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/" + developer_);
        QVI_InitBasePaths();
    }

    static void StartServices(const char* features) {
        QVI_ShutdownExtensionModules();
        free(g_config.applicationFeatures);
        g_config.applicationFeatures = strdup(features);
        QVI_InitExtensionModules();
    }

    std::string developer_;
    char* savedFeatures_ = nullptr;
};

} // namespace replaced_files_test
