// The host's module steps around a real program library, in a child process (shutdown deletes
// the engine's locks): modules loaded at start-up, a module's pause making the frame's delta 0
// for the program, service results reaching the program's OnEvent with their payloads, and
// every module shut down and deleted at shutdown.
#include <gtest/gtest.h>

#include "core/core_state.h"
#include "core/engine_time.h"
#include "core/logging/logging.h"
#include "engine/program/program_library.h"
#include "engine/startup/engine_lifecycle.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "graphics/setup/renderer_setup.h"
#include "modules/module_fixture.h"
#include "support/child_run.h"
#include "support/files.h"
#include "support/null_renderer.h"

namespace {

using namespace quaven_test;

NullRenderer g_renderer;

TEST(ModulesHostChild, RunsTheCaseOfItsEnvironment) {
    if (!BeginChild()) GTEST_SKIP() << "runs only as the child of the ModulesHost tests";
    const std::string folder = WithForwardSlashes(ChildFolder());
    g_core.api = qv;
    QVI_SetEngineStartTime();
    QVI_InitFileSystem();
    g_currentUrlRoots[SCHEME_CACHE].Assign(folder.c_str());
    g_currentUrlRoots[SCHEME_RES].Assign(folder.c_str());
    QVI_ResetProgramConfiguration();
    g_core.settings = &g_config.defaultRecord;
    g_core.console = 1;
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();
    ASSERT_TRUE(QVI_LoadProgramLibrary());
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    record->video.frame_time_ms = 3;
    g_core.coreInitialized = 1;

    const std::string module = std::string(QUAVEN_TEST_MODULES_DIR) + "/test_module_steam.dll";
    ASSERT_TRUE(CopyFileA(module.c_str(), (folder + "/module-steam.dll").c_str(), FALSE));
    g_config.applicationFeatures = strdup("STEAM LEADERBOARDS");
    QVI_InitExtensionModules();
    auto setPause = ModuleExport<void (*)(int)>("Test Steam", "TestModule_SetPause");
    auto calls = ModuleExport<const char* (*)()>("Test Steam", "TestModule_Calls");
    ASSERT_NE(setPause, nullptr);

    QVI_AttachRenderer(&g_renderer);
    g_rendererSetup.ready = true;
    QVI_RunFrame();
    qv->leaderboards->RequestScores(3, 2, QV_LEADERBOARD_FILTER_GLOBAL, "daily");
    qv->social->RequestFriends();
    setPause(1);
    QVI_RunFrame();
    QVI_RunFrame();
    setPause(0);
    QVI_RunFrame();
    QVI_Shutdown();
    // The module's record of its own updates and its end, read after shutdown deleted it.
    const std::string noted = calls();
    size_t start = 0;
    for (size_t end; (end = noted.find('\n', start)) != std::string::npos; start = end + 1) {
        const std::string line = noted.substr(start, end - start);
        if (line.rfind("module.Update", 0) == 0 || line == "module.Shutdown" || line == "module.delete 1")
            NoteOutcome(line);
    }
}

TEST(ModulesHost, APausingModuleFreezesTheProgramsDeltaAndServiceResultsReachOnEvent) {
    const ChildRun run = RunChild("ModulesHostChild.RunsTheCaseOfItsEnvironment", "prog.dll", "pause");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(Has(run.log, "0 Using Leaderboards implementation from module 'Test Steam'"));
    // Frames 2 and 3 were paused: the program and the module saw a delta of 0.
    ASSERT_EQ(CountStarting(run.program, "update "), 4);
    EXPECT_TRUE(Has(run.program, "update 2 0.000000"));
    EXPECT_TRUE(Has(run.program, "update 3 0.000000"));
    EXPECT_FALSE(Has(run.program, "update 4 0.000000"));
    ASSERT_EQ(run.outcome.size(), 6u);
    EXPECT_EQ(run.outcome[1], "module.Update 0.000");
    EXPECT_EQ(run.outcome[2], "module.Update 0.000");
    EXPECT_NE(run.outcome[3], "module.Update 0.000");
    EXPECT_EQ(run.outcome[4], "module.Shutdown");
    EXPECT_EQ(run.outcome[5], "module.delete 1");
    // The events the module posted from the engine heap, read by the program while OnEvent ran.
    EXPECT_TRUE(Has(run.program, "leaderboards kind 1 category daily reason (null) total 100 filter 0 first 3 count 2"
                                 " player3:3:997 player4:4:996"));
    EXPECT_TRUE(Has(run.program, "social_user u42 Alice 7"));
}

}  // namespace
