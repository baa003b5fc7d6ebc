// The frame's pacing with a clock the test moves by hand, and the frame loop and shutdown
// around a real program library, in a child process: shutdown deletes the engine's locks
// and may end the process.
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <algorithm>

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
#include "support/child_run.h"
#include "support/files.h"
#include "support/log_capture.h"
#include "support/null_renderer.h"

namespace {

using namespace quaven_test;

// The fake clock: reading it costs a millisecond of spinning, a sleep another one.
uint32_t g_now = 0, g_start = 0, g_lastReading = 0;
std::vector<int32_t> g_elapsedAtSleep;
int32_t* g_periodToChangeAtSleep = nullptr;

uint32_t ReadClock() { return g_lastReading = g_now++; }

// Records how much time the wait had seen when it decided to sleep.
void SleepOneStep(uint32_t milliseconds) {
    g_elapsedAtSleep.push_back(static_cast<int32_t>(g_lastReading - g_start));
    g_now += milliseconds;
    if (g_periodToChangeAtSleep)
        *g_periodToChangeAtSleep = 3;
}

// The wait on a fresh clock starting at start; the first sleep sets the period to 3 when
// asked to.
int32_t Wait(uint32_t start, uint32_t* last, int32_t* period, bool changePeriodAtSleep = false) {
    g_now = g_start = start;
    g_elapsedAtSleep.clear();
    g_periodToChangeAtSleep = changePeriodAtSleep ? period : nullptr;
    return QVI_WaitForFramePeriod(last, period, ReadClock, SleepOneStep);
}

TEST(FrameTiming, WholeMillisecondsUpTo200AStallBecomesAThirtyThirdOfASecondAndBackwardsAMillisecond) {
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
    // A clock going backwards gives a millisecond and warns only developers.
    LogCapture capture(qv);
    const FrameDelta quiet = QVI_DetermineFrameTimeDelta(-5, false);
    EXPECT_FLOAT_EQ(quiet.delta, 0.001f);
    EXPECT_EQ(quiet.milliseconds, 1);
    EXPECT_EQ(LogCapture::CountContaining("Found negative time delta"), 0);
    EXPECT_EQ(QVI_DetermineFrameTimeDelta(-5, true).milliseconds, 1);
    EXPECT_EQ(LogCapture::Count("Found negative time delta in QVI_DetermineFrameTimeDelta: -0.005"), 1);
}

TEST(FrameTiming, AnEightMillisecondPeriodSleepsOnlyWhileMoreThanTwoMillisecondsRemainAndIsReadOnEveryPass) {
    // Set by the wait, the start costs a reading: it then reads at 1, 3, 5 and 7 ms. Given,
    // it reads at 0, 2, 4 and 6 ms, and at exactly 6 ms (two left) it must not sleep.
    for (uint32_t given : {0u, 1000u}) {
        uint32_t last = given;
        int32_t period = 8;
        EXPECT_EQ(Wait(1000, &last, &period), 8);
        ASSERT_FALSE(g_elapsedAtSleep.empty());
        for (int32_t atSleep : g_elapsedAtSleep)
            EXPECT_LT(atSleep, 6) << "slept with only two milliseconds left";
        EXPECT_EQ(last - g_start, 8u) << "the wait ends at the reading that ended it";
    }
    // Zero means no wait.
    uint32_t last = 40;
    int32_t period = 0;
    EXPECT_EQ(Wait(50, &last, &period), 10);
    EXPECT_TRUE(g_elapsedAtSleep.empty());
    // The program may change its frame period while the engine waits.
    last = 0, period = 100;
    EXPECT_LT(Wait(10, &last, &period, true), 10);
    EXPECT_EQ(g_elapsedAtSleep.size(), 1u);
    // The clock wrapping around is just another millisecond.
    last = 0xFFFFFFF0u, period = 16;
    EXPECT_EQ(Wait(0xFFFFFFFEu, &last, &period), 16);
    EXPECT_EQ(last, 0u);
}

NullRenderer g_renderer;

void WaitForever(void*) { WaitForSingleObject(CreateEventA(nullptr, TRUE, FALSE, nullptr), INFINITE); }

// The engine as start-up leaves it for the frame loop, without a window: file system,
// logging started, the program loaded with the configuration adopted, and core
// initialisation marked done.
bool StartEngine(const std::string& folder) {
    g_core.api = qv;
    QVI_SetEngineStartTime();
    QVI_InitFileSystem();
    g_currentUrlRoots[SCHEME_CACHE].Assign(WithForwardSlashes(folder).c_str());
    QVI_ResetProgramConfiguration();
    g_core.settings = &g_config.defaultRecord;
    g_core.console = 1;
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();
    if (!QVI_LoadProgramLibrary())
        return false;
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    // A period of a few milliseconds makes every frame long enough for Update.
    record->video.frame_time_ms = 3;
    g_core.coreInitialized = 1;
    return true;
}

TEST(LifecycleChild, RunsTheCaseOfItsEnvironment) {
    if (!BeginChild())
        GTEST_SKIP() << "runs only as the child of the Lifecycle tests";
    ASSERT_TRUE(StartEngine(ChildFolder()));
    const std::string name = ChildCase();
    QVI_AttachRenderer(&g_renderer);
    g_rendererSetup.ready = name == "ready";
    for (int i = 0; i < 3; ++i)
        QVI_RunFrame();
    if (name == "ready")
        NoteOutcome("frames " + std::to_string(g_renderer.beginFrames) + " presents " +
                    std::to_string(g_renderer.presents));
    if (name == "left behind") {
        NoteOutcome(qv->fileSystem->OpenFile("cache://left-open.txt", "wb") ? "opened" : "not opened");
        NoteOutcome("thread " + std::to_string(qv->CreateThread("Lingering", WaitForever, nullptr, 0)));
    }
    // Shutdown's wait for threads sleeps through the API table: noted, not spent.
    NoteSleeps();
    QVI_Shutdown();
    NoteOutcome("shutdown returned");
}

// Init once, three frames of Update and Render, and exit last.
void ExpectThreeFramesAndExit(const Lines& program) {
    EXPECT_EQ(CountStarting(program, "init"), 1);
    EXPECT_EQ(CountStarting(program, "update "), 3);
    EXPECT_EQ(CountStarting(program, "render "), 3);
    ASSERT_FALSE(program.empty());
    EXPECT_EQ(program.back(), "exit");
}

TEST(Lifecycle, ReadyFramesInitOnceDriveTheProgramAndShutdownCallsExit) {
    const ChildRun run = RunChild("LifecycleChild.RunsTheCaseOfItsEnvironment", "prog.dll", "ready");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.outcome, (Lines{"frames 3 presents 3", "shutdown returned"}));
    ExpectThreeFramesAndExit(run.program);
    EXPECT_TRUE(Has(run.log, "0 Initializing Program ''.."));
    EXPECT_FALSE(Has(run.log, "popup 2 Program initialization failed."));
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

TEST(Lifecycle, AFailedInitIsReportedNotRetriedAndStillGetsExit) {
    const ChildRun run = RunChild("LifecycleChild.RunsTheCaseOfItsEnvironment", "prog.dll", "ready", "init_result 0\n");
    ExpectThreeFramesAndExit(run.program);
    EXPECT_TRUE(Has(run.log, "popup 2 Program initialization failed."));
}

TEST(Lifecycle, WithoutAReadyRendererNothingRunsAndALingeringThreadEndsTheProcessAfterTheSummary) {
    const ChildRun run = RunChild("LifecycleChild.RunsTheCaseOfItsEnvironment", "prog.dll", "left behind");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    // Frames without a ready renderer never initialise the program: no Exit either.
    EXPECT_EQ(run.program, Lines{"get_program_interface 1406"});
    EXPECT_EQ(run.outcome, (Lines{"opened", "thread 2"}))
        << "shutdown must not return to a process with a live program thread";
    EXPECT_EQ(run.sleeps, Lines(60, "200"));
    EXPECT_TRUE(Has(run.log, "1 Time out: 1 threads left running!"));
    EXPECT_EQ(std::count_if(run.log.begin(), run.log.end(), [](const std::string& line) {
                  return line.rfind("0 #", 0) == 0 && line.find(". 'Lingering' (id 2)") != line.npos;
              }), 1);
    // The thread may still run the program's code and take the engine's locks.
    EXPECT_FALSE(Has(run.log, "3 Unloading ProgImp Library."));
    // The log is complete before the process ends.
    const int count = IndexOf(run.log, "0 1 files left open..");
    ASSERT_GE(count, 0);
    EXPECT_EQ(IndexOf(run.log, "1 File 'cache://left-open.txt' left open."), count + 1);
}

}  // namespace
