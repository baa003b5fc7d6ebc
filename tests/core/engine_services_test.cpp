// The core services as a game meets them: the test game is handed the engine's own API
// table after the start-up steps that exist so far, logs, posts events and asks for
// shutdown, and what it did shows up in the log file, the key state and its results file.
#include <windows.h>

#include <gtest/gtest.h>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/engine_time.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "support/files.h"
#include "support/process.h"
#include "support/test_program.h"

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

namespace {

class EngineServices : public ::testing::Test {
protected:
    void SetUp() override {
        // Pre-initialisation, in its order, as far as the engine has it.
        QVI_InitializeThreading();
        QVI_FillAPI(qv);
        QVI_SetEngineStartTime();
        QVI_CreateEngineLocks();
        g_core.api = qv;
        ASSERT_TRUE(QVI_InitFileSystem());
        title_ = quaven_test::UniqueName("Services");
        ASSERT_TRUE(QVI_SetUpUserFolders("Quaven Tests", title_.c_str()));

        ASSERT_TRUE(game_.UseScript("at 0 log hello from the game\n"
                                    "at 1 log_ex 1 careful now\n"
                                    "at 1 post_event 8 65\n"
                                    "at 3 shutdown\n"));
        ASSERT_TRUE(game_.Create(qv));
        ProgramInterface& record = game_.Record();
        strcpy(record.id, "services");
        g_core.settings = &record;
        g_core.console = 1;
        g_core.logging = 1;
        QVI_SetUpConsoleLogging();
        QVI_StartLogging();
        g_core.coreInitialized = 1;
    }

    void TearDown() override {
        QVI_StopLogging();
        g_core.settings = nullptr;
        // The per-user folder belongs to this test only.
        quaven_test::RemoveTree(quaven_test::AppDataFolder() + "/Quaven Tests/" + title_);
    }

    // One frame as the frame loop will run it: Init first, then events, then Update.
    void RunFrame() {
        ProgramInterface& record = game_.Record();
        if (!g_core.programInitRan) {
            g_core.programInitRan = 1;
            record.Init();
        }
        QVI_DispatchQueuedEvents();
        record.Update(0.016f);
        record.Render(0.016f);
    }

    std::string title_;
    quaven_test::TestProgram game_;
};

TEST_F(EngineServices, GameLogsPostsEventsAndAsksForShutdownThroughTheTable) {
    RunFrame();                 // Init logs; frame 1 logs a warning and posts a key press for 'A'
    EXPECT_TRUE(game_.EventLines().empty());
    RunFrame();                 // frame 2: dispatched before its Update
    EngineEvent expected = {};
    expected.type = EVENT_KEY_DOWN;
    expected.payload[0] = 65;
    expected.payload[4] = 1;    // first press
    EXPECT_EQ(game_.EventLines(), std::vector<std::string>{quaven_test::EventLine(expected)});
    EXPECT_EQ(qv->GetKey(65), 3u);
    EXPECT_EQ(qv->GetKey(65), 1u) << "reading a key clears its pressed bit";

    EXPECT_FALSE(qv->IsShuttingDown());
    RunFrame();                 // frame 3 asks for shutdown
    EXPECT_TRUE(qv->IsShuttingDown());
    EXPECT_EQ(game_.Record().video.quit, 1);

    const std::string logPath = g_console.logPath;
    EXPECT_EQ(logPath.rfind("logs://services-", 0), 0u) << logPath;
    String native = QV_ConvertStaticPathToNativeOSPath(g_console.logPath);
    const std::string nativePath = native.text ? native.text : "";
    EXPECT_NE(nativePath.find("/Quaven Tests/" + title_ + "/logs/"), std::string::npos) << nativePath;
    const std::vector<std::string> lines = quaven_test::ReadLines(nativePath);
    const auto has = [&lines](const char* pattern) {
        return std::any_of(lines.begin(), lines.end(),
                           [&](const std::string& line) { return std::regex_match(line, std::regex(pattern)); });
    };
    EXPECT_TRUE(has(R"(\d{4}: \[\d\d:\d\d\.\d\d\] hello from the game)")) << ::testing::PrintToString(lines);
    EXPECT_TRUE(has(R"(\d{4}: \[\d\d:\d\d\.\d\d\] \[WARNING\] careful now)"));
}

}  // namespace
