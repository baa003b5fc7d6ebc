/*
 * The demo game's program record and frame callbacks.
 *
 * A game is a library, prog.dll, built only against the public headers. This one shows
 * that the engine runs it: it logs Init, its first frames and then one report a second,
 * counts frames, and asks the engine to shut down by itself when nobody has touched a key
 * or the mouse for "demo_idle_seconds" (a value of its own in prog.xml), so that a run
 * without a person at the keyboard ends on its own. Escape ends it at once (see
 * demo_events.c). What it draws is in demo_scene.c, its text in demo_text.c; once the
 * picture has been shown for a while it logs "Demo: scene drawn", the line scripts/demo.sh
 * waits for to take its screenshot.
 */
#include "demo_game.h"

#include <stdio.h>
#include <stdlib.h>

#define DEFAULT_IDLE_SECONDS 5
#define MAX_IDLE_SECONDS 3600
#define FIRST_FRAMES_LOGGED 3
#define REPORT_PERIOD_MS 1000
#define RATE_PERIOD_MS 250
#define SCENE_SHOWN_FRAMES 45

DemoState g_demo;

QuavenAPI* Demo_Api(void) {
    return g_demo.record ? g_demo.record->qv : NULL;
}

void Demo_RequestShutdown(const char* reason) {
    QuavenAPI* qv = Demo_Api();
    if (!qv || g_demo.shutdownRequested) return;
    g_demo.shutdownRequested = true;
    qv->Log("Demo: %s; asking the engine to shut down.", reason);
    qv->RequestShutdown();
}

/* prog.xml's "demo_idle_seconds": whole seconds from 1 to MAX_IDLE_SECONDS. Anything else
   is reported and the default is used, so a typing mistake cannot make the run endless. */
static uint32_t ReadIdleLimitMs(QuavenAPI* qv) {
    const char* text = qv->GetProductValue("demo_idle_seconds");
    char* end = NULL;
    long seconds;
    if (!text) return DEFAULT_IDLE_SECONDS * 1000u;
    seconds = strtol(text, &end, 10);
    if (end == text || *end != 0 || seconds < 1 || seconds > MAX_IDLE_SECONDS) {
        qv->LogEx(QV_LOG_WARNING, "Demo: demo_idle_seconds '%s' in prog.xml is not a whole number of seconds "
                  "from 1 to %d; using %d.", text, MAX_IDLE_SECONDS, DEFAULT_IDLE_SECONDS);
        return DEFAULT_IDLE_SECONDS * 1000u;
    }
    return (uint32_t)seconds * 1000u;
}

static void LogStartInfo(QuavenAPI* qv) {
    const VideoParameters* video = &g_demo.record->video;
    DateTime now = qv->GetDateTime();
    qv->Log("Demo: Init on %04d-%02d-%02d at %02d:%02d:%02d, %u ms after the engine started.", now.year,
            now.month, now.day, now.hour, now.minute, now.second, (unsigned)g_demo.initMs);
    qv->Log("Demo: I am '%s' %s by '%s' (id '%s'), as prog.xml names me.", g_demo.record->title,
            g_demo.record->version, g_demo.record->developer_name, g_demo.record->id);
    qv->Log("Demo: %dx%d %s, frame time %d ms (%s), developer mode %s, language '%s'.", video->width,
            video->height, video->windowed ? "windowed" : "fullscreen", video->frame_time_ms,
            video->frame_time_ms > 0 ? "paced" : "unpaced", qv->HasFeature("DEVELOPER_MODE") ? "on" : "off",
            video->language ? video->language : "");
    qv->Log("Demo: press keys, click, scroll or move the mouse over the window. Escape ends the demo, "
            "and so do %u seconds without input.", (unsigned)(g_demo.idleLimitMs / 1000u));
}

static bool Init(void) {
    QuavenAPI* qv = Demo_Api();
    if (!qv) return false;
    g_demo.initMs = qv->GetMilliseconds();
    g_demo.lastInputMs = g_demo.initMs;
    g_demo.lastReportMs = g_demo.initMs;
    g_demo.lastMoveLogMs = g_demo.initMs;
    g_demo.idleLimitMs = ReadIdleLimitMs(qv);
    g_demo.initDone = true;
    LogStartInfo(qv);
    Demo_CreateScene(qv);
    Demo_StartSound(qv);
    Demo_LoadFont(qv);
    /* The font may take a moment to generate on the first run: the frame rate is measured
       from here on. */
    g_demo.lastRateMs = qv->GetMilliseconds();
    return true;
}

static void ReportOncePerSecond(QuavenAPI* qv, uint32_t now) {
    uint32_t period = now - g_demo.lastReportMs;
    uint32_t frames = g_demo.frames - g_demo.framesAtLastReport;
    if (period < REPORT_PERIOD_MS) return;
    qv->Log("Demo: frame %u at %.1f s: %u frames in the last %u ms (%.1f per second), %u events so far.",
            (unsigned)g_demo.frames, (now - g_demo.initMs) / 1000.0, (unsigned)frames, (unsigned)period,
            frames * 1000.0 / period, (unsigned)g_demo.events);
    g_demo.lastReportMs = now;
    g_demo.framesAtLastReport = g_demo.frames;
}

/* The rate the text shows, measured over a quarter second so that it appears soon after
   the start and follows changes. */
static void MeasureFrameRate(uint32_t now) {
    uint32_t period = now - g_demo.lastRateMs;
    if (period < RATE_PERIOD_MS) return;
    g_demo.framesPerSecond = (g_demo.frames - g_demo.framesAtLastRate) * 1000.0f / period;
    g_demo.lastRateMs = now;
    g_demo.framesAtLastRate = g_demo.frames;
}

static void Update(float seconds) {
    QuavenAPI* qv = Demo_Api();
    uint32_t now;
    if (!qv) return;
    ++g_demo.frames;
    now = qv->GetMilliseconds();
    if (g_demo.frames <= FIRST_FRAMES_LOGGED)
        qv->Log("Demo: frame %u, dt %.3f s.", (unsigned)g_demo.frames, (double)seconds);
    ReportOncePerSecond(qv, now);
    MeasureFrameRate(now);
    Demo_UpdateGamepad(qv, seconds);
    if (now - g_demo.lastInputMs >= g_demo.idleLimitMs) {
        char reason[64];
        sprintf(reason, "%u seconds without input", (unsigned)(g_demo.idleLimitMs / 1000u));
        Demo_RequestShutdown(reason);
    }
}

static void Render(float seconds) {
    QuavenAPI* qv = Demo_Api();
    (void)seconds;
    if (!qv) return;
    ++g_demo.renders;
    if (g_demo.renders == 1) qv->Log("Demo: first Render call.");
    Demo_DrawScene(qv, (qv->GetMilliseconds() - g_demo.initMs) / 1000.0f);
    Demo_DrawText(qv);
    if (g_demo.renders == SCENE_SHOWN_FRAMES) qv->Log("Demo: scene drawn (%u frames).", (unsigned)g_demo.renders);
}

static void Exit(void) {
    QuavenAPI* qv = Demo_Api();
    uint32_t elapsed;
    if (!qv) return;
    Demo_ReleaseScene(qv);
    Demo_StopSound(qv);
    g_demo.font = NULL; /* GetFont's font: the engine's until shutdown, never released */
    elapsed = qv->GetMilliseconds() - g_demo.initMs;
    qv->Log("Demo: Exit after %u frames and %u renders in %.2f s (%.1f frames per second).",
            (unsigned)g_demo.frames, (unsigned)g_demo.renders, elapsed / 1000.0,
            elapsed ? g_demo.frames * 1000.0 / elapsed : 0.0);
    qv->Log("Demo: %u events: %u key presses, %u characters, %u mouse buttons, %u mouse moves, wheel total %d.",
            (unsigned)g_demo.events, (unsigned)g_demo.keyPresses, (unsigned)g_demo.characters,
            (unsigned)g_demo.mouseButtons, (unsigned)g_demo.mouseMoves, (int)g_demo.wheelTotal);
}

/* The engine fills in the identity and the video parameters from prog.xml; the game gives
   its interface version and its callbacks. */
QUAVEN_PROGRAM_EXPORT bool QV_GetProgramInterface(ProgramInterface* record, int interfaceVersion) {
    (void)interfaceVersion; /* the engine compares the versions and explains a mismatch */
    if (!record) return false;
    g_demo.record = record;
    record->interface_version = QUAVEN_INTERFACE_VERSION;
    record->Init = Init;
    record->Exit = Exit;
    record->Update = Update;
    record->Render = Render;
    record->OnEvent = Demo_OnEvent;
    return true;
}
