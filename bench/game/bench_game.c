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
 *   sprites WARMUP N COUNT
 *                      the same with COUNT sprites of one 32 x 32 bitmap drawn each frame
 *                      (DrawBitmap), spread over the screen.
 *
 * bare_d3d11.exe measures a bare Direct3D 11 program at the same points.
 */
/* Windows first: some API member names are also <windows.h> macros. */
#include <windows.h>

#include <quaven/quaven.h>

#include <stdio.h>
#include <string.h>

#include "bench_report.h"

static struct {
    ProgramInterface* record;
    int framesMode;
    long sprites;
    Bitmap* sprite;
    long warmupFrames;
    long timedFrames;
    long renders;
    double timingStartMs;
} g_bench;

static void ReadCommandLine(const char* commandLine)
{
    long warmup = 0, timed = 0, sprites = 0;
    if (commandLine && sscanf(commandLine, " sprites %ld %ld %ld", &warmup, &timed, &sprites) == 3 &&
        warmup >= 0 && timed > 0 && sprites > 0) {
        g_bench.framesMode = 1;
        g_bench.sprites = sprites;
        g_bench.warmupFrames = warmup;
        g_bench.timedFrames = timed;
    } else if (commandLine && sscanf(commandLine, " frames %ld %ld", &warmup, &timed) == 2 && warmup >= 0 &&
               timed > 0) {
        g_bench.framesMode = 1;
        g_bench.warmupFrames = warmup;
        g_bench.timedFrames = timed;
    }
}

/* A white, opaque 32 x 32 bitmap made in code. */
static Bitmap* MakeSprite(const QuavenGraphicsAPI* graphics)
{
    BitmapDescription description;
    Bitmap* sprite;
    memset(&description, 0, sizeof description);
    description.format = QV_TEXTURE_FORMAT_RGBA8;
    description.textureType = QV_TEXTURE_TYPE_2D;
    description.mipLevels = 1;
    description.width = description.height = 32;
    description.depth = 1;
    sprite = graphics->CreateBitmap("bench/sprite", &description);
    if (!sprite || !sprite->pixels)
        return NULL;
    memset(sprite->pixels, 255, 32 * 32 * 4);
    graphics->RefreshBitmap(sprite);
    return sprite;
}

static bool Init(void)
{
    ReadCommandLine(g_bench.record->video.command_line);
    if (g_bench.sprites > 0) {
        g_bench.sprite = MakeSprite(g_bench.record->qv->graphics);
        if (!g_bench.sprite) {
            Bench_Report("error", "the sprite bitmap could not be made");
            return false;
        }
    }
    return true;
}

/* The sprites in rows across the 800 x 600 screen, one frame's worth. */
static void DrawSprites(const QuavenGraphicsAPI* graphics)
{
    long i;
    for (i = 0; i < g_bench.sprites; ++i) {
        const float x = (float)(i * 7 % 768), y = (float)(i * 13 % 568);
        graphics->DrawBitmap(g_bench.sprite, &x, &y);
    }
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
    if (g_bench.sprite)
        DrawSprites(qv->graphics);
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
