// The frame and shutdown around a real program library. Every case runs in a child process
// (this test executable in a child role) with the test game as prog.dll on its library
// path: shutdown deletes the engine's locks and may end the process, and a loaded library
// stays loaded. The child writes what the engine logged to a file the parent reads.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_time.h"
#include "core/locks.h"
#include "core/logging/logging.h"
#include "engine/program/adopt_configuration.h"
#include "engine/program/program_library.h"
#include "engine/startup/engine_lifecycle.h"
#include "core/threads.h"
#include "support/null_renderer.h"
#include "filesystem/backends.h"
#include "filesystem/scheme.h"
#include "filesystem/url_roots.h"
#include "graphics/setup/renderer_setup.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/process.h"

namespace {

using Lines = std::vector<std::string>;

const char kFolderVariable[] = "QUAVEN_STARTUP_CHILD_FOLDER";
const char kCaseVariable[] = "QUAVEN_STARTUP_CHILD_CASE";
const char kChildTest[] = "LifecycleChild.RunsTheCaseOfItsEnvironment";

// ---- Child side -----------------------------------------------------------------

std::string g_folder;
quaven_test::NullRenderer g_renderer;

void Append(const char* file, const std::string& line)
{
    quaven_test::AppendLine(g_folder + "\\" + file, line);
}

// Shutdown's wait for threads sleeps through the API table: the child counts the sleeps
// instead of spending twelve seconds in them.
void CountedSleep(uint32_t milliseconds)
{
    Append("sleeps.txt", std::to_string(milliseconds));
}

void WaitForever(void*)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, INFINITE);
}

// The engine as start-up leaves it for the frame loop, without a window: API table, locks,
// file system, logging started (its lines going to the child's file), the program loaded
// with the configuration adopted, and core initialisation marked done.
ProgramInterface* StartEngine()
{
    SetDllDirectoryA(g_folder.c_str());
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    g_core.api = qv;
    QVI_SetEngineStartTime();
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    g_currentUrlRoots[SCHEME_CACHE].Assign(quaven_test::WithForwardSlashes(g_folder).c_str());
    QVI_ResetProgramConfiguration();
    g_core.settings = &g_config.defaultRecord;
    g_core.console = 1;
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();
    // Shutdown ends the process: each line goes to the file as it comes.
    static quaven_test::LogCapture* const capture = new quaven_test::LogCapture(qv);
    capture->SetPopupAnswer(QV_POPUP_NOTHING);
    capture->MirrorTo(g_folder + "\\log.txt");

    if (!QVI_LoadProgramLibrary())
        return nullptr;
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    // A period of a few milliseconds makes every frame long enough for Update.
    record->video.frame_time_ms = 3;
    g_core.coreInitialized = 1;
    return record;
}

void RunFrames(int count)
{
    for (int i = 0; i < count; ++i)
        QVI_RunFrame();
}

TEST(LifecycleChild, RunsTheCaseOfItsEnvironment)
{
    g_folder = quaven_test::EnvironmentVariable(kFolderVariable);
    const std::string name = quaven_test::EnvironmentVariable(kCaseVariable);
    if (g_folder.empty() || name.empty())
        GTEST_SKIP() << "runs only as the child of the Lifecycle tests";
    ASSERT_NE(StartEngine(), nullptr);

    if (name == "ready") {
        QVI_AttachRenderer(&g_renderer);
        g_rendererSetup.ready = 1;
        RunFrames(3);
        Append("outcome.txt", "frames " + std::to_string(g_renderer.beginFrames) + " presents " +
                                  std::to_string(g_renderer.presents));
    } else if (name == "not ready") {
        RunFrames(3);
    } else if (name == "left behind") {
        Append("outcome.txt", qv->fileSystem->OpenFile("cache://left-open.txt", "wb") ? "opened" : "not opened");
        Append("outcome.txt", "thread " + std::to_string(qv->CreateThread("Lingering", WaitForever, nullptr, 0)));
    }
    qv->Sleep = CountedSleep;
    QVI_Shutdown();
    Append("outcome.txt", "shutdown returned");
}

// ---- Parent side ----------------------------------------------------------------

struct ChildRun {
    bool ended = false;
    DWORD exitCode = 0;
    Lines outcome;  // what the child noted
    Lines log;      // "LEVEL text" of every line logged through the table, "popup LEVEL text"
    Lines program;  // the test game's results file
    Lines sleeps;   // milliseconds of every Sleep through the table
};

ChildRun RunChild(const std::string& caseName, const std::string& script = "")
{
    ChildRun run;
    const std::string folder = quaven_test::MakeTempDir("lifecycle");
    EXPECT_TRUE(CopyFileA((quaven_test::FixturesDir() + "\\prog.dll").c_str(), (folder + "\\prog.dll").c_str(), FALSE));
    EXPECT_TRUE(quaven_test::WriteFile(folder + "\\script.txt", script));

    quaven_test::ChildProcess child;
    EXPECT_TRUE(child.StartSelf(kChildTest, {{kFolderVariable, folder},
                                             {kCaseVariable, caseName},
                                             {"QUAVEN_TEST_SCRIPT", folder + "\\script.txt"},
                                             {"QUAVEN_TEST_RESULTS", folder + "\\results.txt"}}));
    run.ended = child.Wait(60000, &run.exitCode);
    run.outcome = quaven_test::ReadLines(folder + "\\outcome.txt");
    run.log = quaven_test::ReadLines(folder + "\\log.txt");
    run.program = quaven_test::ReadLines(folder + "\\results.txt");
    run.sleeps = quaven_test::ReadLines(folder + "\\sleeps.txt");
    quaven_test::RemoveTree(folder);
    return run;
}

bool Has(const Lines& lines, const std::string& line)
{
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

int CountStarting(const Lines& lines, const std::string& start)
{
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](const std::string& line) { return line.rfind(start, 0) == 0; }));
}

// Index of the first line equal to text; -1 when absent.
int IndexOf(const Lines& lines, const std::string& text)
{
    auto found = std::find(lines.begin(), lines.end(), text);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

TEST(Lifecycle, ReadyFramesInitOnceDriveTheProgramAndShutdownCallsExit)
{
    const ChildRun run = RunChild("ready");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, (Lines{"frames 3 presents 3", "shutdown returned"}));
    EXPECT_EQ(CountStarting(run.program, "init"), 1);
    EXPECT_EQ(CountStarting(run.program, "update "), 3);
    EXPECT_EQ(CountStarting(run.program, "render "), 3);
    ASSERT_FALSE(run.program.empty());
    EXPECT_EQ(run.program.back(), "exit");
    EXPECT_TRUE(Has(run.log, "0 Initializing Program ''.."));

    // Shutdown in its order, the library unloaded once the program has exited.
    const int shutdown = IndexOf(run.log, "3 QUAVEN Shutdown.");
    const int waiting = IndexOf(run.log, "3 Waiting for threads to exit... (0 threads)");
    const int skipping = IndexOf(run.log, "0 Performance optimization: skipping releasing resources on exit.");
    const int sound = IndexOf(run.log, "0 Releasing Sound Implementation.");
    const int unloading = IndexOf(run.log, "3 Unloading ProgImp Library.");
    const int closing = IndexOf(run.log, "0 Shutdown successful. Closing console and logging.");
    const int files = IndexOf(run.log, "0 0 files left open..");
    EXPECT_GE(shutdown, 0);
    EXPECT_LT(shutdown, waiting);
    EXPECT_LT(waiting, skipping);
    EXPECT_LT(skipping, sound);
    EXPECT_LT(sound, unloading);
    EXPECT_LT(unloading, closing);
    EXPECT_LT(closing, files);
    EXPECT_TRUE(run.sleeps.empty()) << "no thread to wait for";
}

TEST(Lifecycle, WithoutAReadyRendererInitNeverRunsAndExitIsNotCalled)
{
    const ChildRun run = RunChild("not ready");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
    EXPECT_TRUE(Has(run.outcome, "shutdown returned"));
    EXPECT_TRUE(Has(run.log, "3 Unloading ProgImp Library."));
}

TEST(Lifecycle, AFailedInitIsReportedNotRetriedAndStillGetsExit)
{
    const ChildRun run = RunChild("ready", "init_result 0\n");
    EXPECT_EQ(CountStarting(run.program, "init"), 1);
    EXPECT_EQ(CountStarting(run.program, "update "), 3);
    ASSERT_FALSE(run.program.empty());
    EXPECT_EQ(run.program.back(), "exit");
    EXPECT_TRUE(Has(run.log, "popup 2 Program initialization failed."));
}

TEST(Lifecycle, ALingeringThreadAndAnOpenFileAreReportedAndTheProcessEndsAfterTheSummary)
{
    const ChildRun run = RunChild("left behind");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.outcome, (Lines{"opened", "thread 2"}))
        << "shutdown must not return to a process with a live program thread";
    EXPECT_EQ(run.sleeps, Lines(60, "200"));
    EXPECT_TRUE(Has(run.log, "1 Time out: 1 threads left running!"));
    bool listed = false;
    for (const std::string& line : run.log)
        listed = listed || (line.rfind("0 #", 0) == 0 && line.find(". 'Lingering' (id 2)") != std::string::npos);
    EXPECT_TRUE(listed);
    // The thread may still run the program's code and take the engine's locks.
    EXPECT_FALSE(Has(run.log, "3 Unloading ProgImp Library."));
    // The log is complete before the process ends.
    const int count = IndexOf(run.log, "0 1 files left open..");
    ASSERT_GE(count, 0);
    EXPECT_EQ(IndexOf(run.log, "1 File 'cache://left-open.txt' left open."), count + 1);
}

}  // namespace
