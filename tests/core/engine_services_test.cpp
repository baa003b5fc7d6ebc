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

        ASSERT_TRUE(game_.UseScript(script_));
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

    std::vector<std::string> LogFileLines() const {
        return quaven_test::ReadLines(g_console.logPath[0] ? NativeLogPath() : std::string());
    }

    std::string NativeLogPath() const {
        String native = QV_ConvertStaticPathToNativeOSPath(g_console.logPath);
        return native.text ? native.text : "";
    }

    std::string script_ =
        "at 0 log hello from the game\n"
        "at 1 log_ex 1 careful now\n"
        "at 1 post_event 8 65\n"
        "at 3 shutdown\n";
    std::string title_;
    quaven_test::TestProgram game_;
};

TEST_F(EngineServices, GameLogsThroughTheTableIntoTheLogFileUnderTheUserFolder) {
    RunFrame();
    RunFrame();

    const std::string logPath = g_console.logPath;
    EXPECT_EQ(logPath.rfind("logs://services-", 0), 0u) << logPath;
    const std::vector<std::string> lines = LogFileLines();
    const std::regex game(R"(\d{4}: \[\d\d:\d\d\.\d\d\] hello from the game)");
    const std::regex warning(R"(\d{4}: \[\d\d:\d\d\.\d\d\] \[WARNING\] careful now)");
    bool sawGame = false, sawWarning = false;
    for (const std::string& line : lines) {
        sawGame = sawGame || std::regex_match(line, game);
        sawWarning = sawWarning || std::regex_match(line, warning);
    }
    EXPECT_TRUE(sawGame) << "log file:\n" << ::testing::PrintToString(lines);
    EXPECT_TRUE(sawWarning);
    EXPECT_NE(NativeLogPath().find("/Quaven Tests/" + title_ + "/logs/"), std::string::npos) << NativeLogPath();
}

TEST_F(EngineServices, EventsTheGamePostsComeBackThroughOnEventAndTheKeyTable) {
    RunFrame();                 // frame 1: the game posts a key press for 'A'
    EXPECT_TRUE(game_.EventLines().empty());
    RunFrame();                 // frame 2: dispatched before its Update

    EngineEvent expected = {};
    expected.type = EVENT_KEY_DOWN;
    expected.payload[0] = 65;
    expected.payload[4] = 1;    // first press
    EXPECT_EQ(game_.EventLines(), std::vector<std::string>{quaven_test::EventLine(expected)});
    EXPECT_EQ(qv->GetKey(65), 3u);
    EXPECT_EQ(qv->GetKey(65), 1u) << "reading a key clears its pressed bit";
}

TEST_F(EngineServices, ShutdownRequestedByTheGameIsSeenEverywhere) {
    for (int frame = 0; frame < 3; ++frame) {
        EXPECT_FALSE(qv->IsShuttingDown());
        RunFrame();
    }
    EXPECT_TRUE(qv->IsShuttingDown());
    EXPECT_EQ(game_.Record().video.quit, 1);
}

}  // namespace
