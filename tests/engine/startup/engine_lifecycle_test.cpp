// The frame's pacing with a clock the test moves by hand, and the frame loop and shutdown
// around a real program library, in a child process: shutdown deletes the engine's locks
// and may end the process.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "../engine_child.h"
#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_time.h"
#include "core/logging/logging.h"
#include "engine/program/program_library.h"
#include "engine/startup/engine_lifecycle.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "graphics/setup/renderer_setup.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/null_renderer.h"

namespace {

using engine_test::ChildRun;
using engine_test::CountStarting;
using engine_test::Has;
using engine_test::Lines;
using engine_test::NoteOutcome;
using quaven_test::LogCapture;

// ---- Pacing ------------------------------------------------------------------------------

// The fake clock: reading it costs a millisecond of spinning, a sleep another one.
uint32_t g_now = 0;
uint32_t g_start = 0;
uint32_t g_lastReading = 0;
std::vector<int32_t> g_elapsedAtSleep;
int32_t* g_periodToChangeAtSleep = nullptr;

uint32_t ReadClock()
{
    g_lastReading = g_now++;
    return g_lastReading;
}

// Records how much time the wait had seen when it decided to sleep.
void SleepOneStep(uint32_t milliseconds)
{
    g_elapsedAtSleep.push_back(static_cast<int32_t>(g_lastReading - g_start));
    g_now += milliseconds;
    if (g_periodToChangeAtSleep)
        *g_periodToChangeAtSleep = 3;
}

// A fresh clock, starting at start.
void SetClock(uint32_t start)
{
    g_now = g_start = start;
    g_elapsedAtSleep.clear();
    g_periodToChangeAtSleep = nullptr;
}

TEST(FrameTiming, WholeMillisecondsUpTo200AndAStallBecomesAThirtyThirdOfASecond)
{
    for (int32_t elapsed : {0, 17, 200}) {
        const FrameDelta frame = QVI_DetermineFrameTimeDelta(elapsed, false);
        EXPECT_EQ(frame.milliseconds, elapsed);
        EXPECT_EQ(frame.seconds, static_cast<float>(elapsed) * 0.001f);
    }
    for (int32_t elapsed : {201, 0x7FFFFFFF}) {
        const FrameDelta frame = QVI_DetermineFrameTimeDelta(elapsed, false);
        EXPECT_FLOAT_EQ(frame.delta, 1.0f / 33.0f) << elapsed;
        EXPECT_EQ(frame.milliseconds, 30) << elapsed;
        EXPECT_FLOAT_EQ(frame.seconds, 0.030f) << elapsed;
    }
}

TEST(FrameTiming, AClockGoingBackwardsGivesAMillisecondAndWarnsOnlyDevelopers)
{
    LogCapture capture(qv);
    const FrameDelta quiet = QVI_DetermineFrameTimeDelta(-5, false);
    EXPECT_FLOAT_EQ(quiet.delta, 0.001f);
    EXPECT_EQ(quiet.milliseconds, 1);
    EXPECT_EQ(LogCapture::CountContaining("Found negative time delta"), 0);

    const FrameDelta developer = QVI_DetermineFrameTimeDelta(-5, true);
    EXPECT_EQ(developer.milliseconds, 1);
    EXPECT_EQ(LogCapture::Count("Found negative time delta in QVI_DetermineFrameTimeDelta: -0.005"), 1);
}

TEST(FrameTiming, AnEightMillisecondPeriodSleepsOnlyWhileMoreThanTwoMillisecondsRemain)
{
    // Set by the wait, the start costs a reading: it then reads at 1, 3, 5 and 7 ms. Given,
    // it reads at 0, 2, 4 and 6 ms, and at exactly 6 ms (two left) it must not sleep.
    for (uint32_t given : {0u, 1000u}) {
        SetClock(1000);
        uint32_t last = given;
        const int32_t period = 8;
        const int32_t elapsed = QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep);

        EXPECT_EQ(elapsed, 8);
        ASSERT_FALSE(g_elapsedAtSleep.empty());
        for (int32_t atSleep : g_elapsedAtSleep)
            EXPECT_LT(atSleep, 6) << "slept with only two milliseconds left";
        EXPECT_EQ(static_cast<int32_t>(last - g_start), elapsed) << "the wait ends at the reading that ended it";
    }
}

TEST(FrameTiming, ThePeriodIsReadAgainOnEveryPassOfTheWaitAndZeroMeansNoWait)
{
    SetClock(50);
    uint32_t none = 40;
    const int32_t zero = 0;
    EXPECT_EQ(QVI_WaitForFramePeriod(&none, &zero, ReadClock, SleepOneStep), 10);
    EXPECT_TRUE(g_elapsedAtSleep.empty());

    // The program may change its frame period while the engine waits.
    SetClock(10);
    uint32_t last = 0;
    int32_t period = 100;
    g_periodToChangeAtSleep = &period;
    EXPECT_LT(QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep), 10);
    EXPECT_EQ(g_elapsedAtSleep.size(), 1u);

    // The clock wrapping around is just another millisecond.
    SetClock(0xFFFFFFFEu);
    last = 0xFFFFFFF0u;
    period = 16;
    EXPECT_EQ(QVI_WaitForFramePeriod(&last, &period, ReadClock, SleepOneStep), 16);
    EXPECT_EQ(last, 0u);
}

// ---- Frames and shutdown, child side ---------------------------------------------------

const char kChildTest[] = "LifecycleChild.RunsTheCaseOfItsEnvironment";

quaven_test::NullRenderer g_renderer;

void WaitForever(void*)
{
    HANDLE never = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    WaitForSingleObject(never, INFINITE);
}

// The engine as start-up leaves it for the frame loop, without a window: file system,
// logging started, the program loaded with the configuration adopted, and core
// initialisation marked done.
ProgramInterface* StartEngine(const std::string& folder)
{
    g_core.api = qv;
    QVI_SetEngineStartTime();
    QVI_InitFileSystem();
    g_currentUrlRoots[SCHEME_CACHE].Assign(quaven_test::WithForwardSlashes(folder).c_str());
    QVI_ResetProgramConfiguration();
    g_core.settings = &g_config.defaultRecord;
    g_core.console = 1;
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();

    if (!QVI_LoadProgramLibrary())
        return nullptr;
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    // A period of a few milliseconds makes every frame long enough for Update.
    record->video.frame_time_ms = 3;
    g_core.coreInitialized = 1;
    return record;
}

TEST(LifecycleChild, RunsTheCaseOfItsEnvironment)
{
    if (!engine_test::BeginChild())
        GTEST_SKIP() << "runs only as the child of the Lifecycle tests";
    ASSERT_NE(StartEngine(engine_test::ChildFolder()), nullptr);

    const std::string name = engine_test::ChildCase();
    if (name == "ready") {
        QVI_AttachRenderer(&g_renderer);
        g_rendererSetup.ready = 1;
    }
    if (name != "left behind") {
        for (int i = 0; i < 3; ++i)
            QVI_RunFrame();
    }
    if (name == "ready") {
        NoteOutcome("frames " + std::to_string(g_renderer.beginFrames) + " presents " +
                    std::to_string(g_renderer.presents));
    } else if (name == "left behind") {
        NoteOutcome(qv->fileSystem->OpenFile("cache://left-open.txt", "wb") ? "opened" : "not opened");
        NoteOutcome("thread " + std::to_string(qv->CreateThread("Lingering", WaitForever, nullptr, 0)));
    }
    // Shutdown's wait for threads sleeps through the API table: the child notes the sleeps
    // instead of spending twelve seconds in them.
    engine_test::NoteSleeps();
    QVI_Shutdown();
    NoteOutcome("shutdown returned");
}

// ---- Frames and shutdown, parent side --------------------------------------------------

ChildRun RunLifecycle(const std::string& caseName, const std::string& script = "")
{
    return engine_test::RunChild(kChildTest, "prog.dll", caseName, script);
}

// Index of the first line equal to text; -1 when absent.
int IndexOf(const Lines& lines, const std::string& text)
{
    auto found = std::find(lines.begin(), lines.end(), text);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}

TEST(Lifecycle, ReadyFramesInitOnceDriveTheProgramAndShutdownCallsExit)
{
    const ChildRun run = RunLifecycle("ready");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, (Lines{"frames 3 presents 3", "shutdown returned"}));
    EXPECT_EQ(CountStarting(run.program, "init"), 1);
    EXPECT_EQ(CountStarting(run.program, "update "), 3);
    EXPECT_EQ(CountStarting(run.program, "render "), 3);
    ASSERT_FALSE(run.program.empty());
    EXPECT_EQ(run.program.back(), "exit");
    EXPECT_TRUE(Has(run.log, "0 Initializing Program ''.."));

    // Shutdown in its order, the library unloaded once the program has exited.
    int previous = -1;
    for (const char* line : {"3 QUAVEN Shutdown.", "3 Waiting for threads to exit... (0 threads)",
                             "0 Performance optimization: skipping releasing resources on exit.",
                             "0 Releasing Sound Implementation.", "3 Unloading ProgImp Library.",
                             "0 Shutdown successful. Closing console and logging.", "0 0 files left open.."}) {
        const int index = IndexOf(run.log, line);
        EXPECT_GT(index, previous) << line;
        previous = index;
    }
    EXPECT_TRUE(run.sleeps.empty()) << "no thread to wait for";
}

TEST(Lifecycle, WithoutAReadyRendererInitNeverRunsAndExitIsNotCalled)
{
    const ChildRun run = RunLifecycle("not ready");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
    EXPECT_TRUE(Has(run.outcome, "shutdown returned"));
    EXPECT_TRUE(Has(run.log, "3 Unloading ProgImp Library."));
}

TEST(Lifecycle, AFailedInitIsReportedNotRetriedAndStillGetsExit)
{
    const ChildRun run = RunLifecycle("ready", "init_result 0\n");
    EXPECT_EQ(CountStarting(run.program, "init"), 1);
    EXPECT_EQ(CountStarting(run.program, "update "), 3);
    ASSERT_FALSE(run.program.empty());
    EXPECT_EQ(run.program.back(), "exit");
    EXPECT_TRUE(Has(run.log, "popup 2 Program initialization failed."));
}

TEST(Lifecycle, ALingeringThreadAndAnOpenFileAreReportedAndTheProcessEndsAfterTheSummary)
{
    const ChildRun run = RunLifecycle("left behind");
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
