/*
 * The benchmark game: a prog.dll that draws nothing, built only against the public headers
 * like any game. Its command line, which the engine hands over in the program record,
 * chooses what it measures:
 *
 *   (empty)            start-up: Render runs for the second time once the engine has
 *                      presented the first frame, so the game reports there how long the
 *                      process has lived ("bench startup_ms"), and ends the run.
 *   frames WARMUP N    empty frames: after WARMUP frames it times the next N and reports
 *                      the milliseconds per frame ("bench frame_ms"), then ends the run.
 *
 * bare_d3d11.exe measures a bare Direct3D 11 program at the same points.
 */
/* Windows first: some API member names are also <windows.h> macros. */
#include <windows.h>

#include <quaven/quaven.h>

#include <stdio.h>

#include "bench_report.h"

static struct {
    ProgramInterface* record;
    int framesMode;
    long warmupFrames;
    long timedFrames;
    long renders;
    double timingStartMs;
} g_bench;

static void ReadCommandLine(const char* commandLine)
{
    long warmup = 0, timed = 0;
    if (commandLine && sscanf(commandLine, " frames %ld %ld", &warmup, &timed) == 2 && warmup >= 0 && timed > 0) {
        g_bench.framesMode = 1;
        g_bench.warmupFrames = warmup;
        g_bench.timedFrames = timed;
    }
}

static bool Init(void)
{
    ReadCommandLine(g_bench.record->video.command_line);
    return true;
}

static void Update(float seconds)
{
    (void)seconds;
}

/* The nth Render starts the nth frame's drawing; the frames before it have been presented. */
static void Render(float seconds)
{
    QuavenAPI* qv = g_bench.record->qv;
    long frame = ++g_bench.renders;
    (void)seconds;
    if (!g_bench.framesMode) {
        if (frame == 2) {
            Bench_Report("startup_ms", "%.3f", Bench_MsSinceProcessCreation());
            qv->RequestShutdown();
        }
        return;
    }
    if (frame == g_bench.warmupFrames + 1) {
        g_bench.timingStartMs = Bench_NowMs();
    } else if (frame == g_bench.warmupFrames + 1 + g_bench.timedFrames) {
        Bench_Report("frame_ms", "%.4f", (Bench_NowMs() - g_bench.timingStartMs) / (double)g_bench.timedFrames);
        qv->RequestShutdown();
    }
}

QUAVEN_PROGRAM_EXPORT bool QV_GetProgramInterface(ProgramInterface* record, int interfaceVersion)
{
    (void)interfaceVersion;
    if (!record)
        return false;
    g_bench.record = record;
    record->interface_version = QUAVEN_INTERFACE_VERSION;
    record->Init = Init;
    record->Update = Update;
    record->Render = Render;
    return true;
}
