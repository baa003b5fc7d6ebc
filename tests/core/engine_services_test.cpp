// The core services as a game meets them: the test game is handed the engine's own API
// table after the start-up steps that exist so far, logs, posts events and asks for
// shutdown, and what it did shows up in the log file, the key state and its results file.
// The same run pins down what the other suites rely on in the test game: its exports, its
// record, and every verb of its script.
#include "platform/windows/win32.h"

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

        ASSERT_TRUE(game_.UseScript("# a comment\n"
                                    "init_result 0\n"
                                    "event_result 2\n"
                                    "at 0 log hello from the game\n"
                                    "at 1 log_ex 1 careful now\n"
                                    "at 1 popup 1 careful\n"
                                    "at 1 post_event 8 65\n"
                                    "at 3 shutdown\n"
                                    "at 3 dance\n"));
        ASSERT_TRUE(game_.Create(qv));
        ProgramInterface& record = game_.Record();
        EXPECT_EQ(record.interface_version, 1406);
        EXPECT_STREQ(record.id, "test-program");
        const unsigned char* reserved = reinterpret_cast<const unsigned char*>(&record) + 288;
        EXPECT_EQ(std::count(reserved, reserved + 64, 0), 64) << "the reserved bytes are zero";
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
            EXPECT_FALSE(record.Init()) << "as the script asks";
        }
        QVI_DispatchQueuedEvents();
        record.Update(0.016f);
        record.Render(0.016f);
    }

    std::string title_;
    quaven_test::TestProgram game_;
};

TEST_F(EngineServices, GameLogsPostsEventsAndAsksForShutdownThroughTheTable) {
    EXPECT_EQ(GetProcAddress(game_.Library(), "QV_GetInterface"), nullptr) << "only the current entry";
    RunFrame();                 // Init logs; frame 1 logs a warning, asks for a popup, posts a key press for 'A'
    RunFrame();                 // frame 2: dispatched before its Update
    EXPECT_EQ(qv->GetKey(65), 3u);
    EXPECT_EQ(qv->GetKey(65), 1u) << "reading a key clears its pressed bit";
    EXPECT_FALSE(qv->IsShuttingDown());
    RunFrame();                 // frame 3 asks for shutdown
    EXPECT_TRUE(qv->IsShuttingDown());
    EXPECT_EQ(game_.Record().video.quit, 1);
    EngineEvent close = {};
    close.type = EVENT_CLOSE_REQUEST;
    EXPECT_EQ(QVI_DispatchEvent(&close), 2) << "the game's answer";
    // The key press reaches OnEvent with the first-press flag the key tracking sets; the popup,
    // after Init and outside developer mode, shows nothing.
    EXPECT_EQ(game_.Results(),
              (std::vector<std::string>{"error at 3 dance", "get_program_interface 1406", "init", "update 1 0.016000",
                                        "popup_answer " + std::to_string(QV_POPUP_NOTHING), "render 1 0.016000",
                                        "event 8 4100000001" + std::string(54, '0'), "update 2 0.016000",
                                        "render 2 0.016000", "update 3 0.016000", "render 3 0.016000",
                                        "event 13 " + std::string(64, '0')}));

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
