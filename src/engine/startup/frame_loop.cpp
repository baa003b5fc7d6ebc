// One frame of the engine: pacing, the program's callbacks and the drawing around them.
// The frame holds MAIN_LOOP throughout, except for an instant near its end, so program
// threads that take MAIN_LOOP touch engine state only between frames.
#include "engine/startup/engine_lifecycle.h"

#include <cmath>
#include <utility>

#include "core/engine_log.h"
#include "modules/extension_modules.h"
#include "platform/os.h"
#include "graphics/graphics_frame.h"
#include "input/input.h"
#include "engine/overlays.h"
#include "engine/reinitialization.h"
#include "engine/resource_queues.h"
#include "sound/sound_api.h"
#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/logging/log_popup.h"
#include "engine/program/program_library.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/screen_state.h"
#include "graphics/device_resources.h"
#include "graphics/setup/renderer_setup.h"
#include "sound/interface/sound_implementation.h"
#include "quaven/types.h"

namespace {

// Uploads slower than this are worth a warning.
const uint32_t kSlowUploadMs = 200;
// An overlay zoom this close to 1 is no zoom.
const float kZoomTolerance = 1e-6f;
const int32_t kLandscapePair = 12;
const int32_t kPortraitPair = 3;
// Below this many milliseconds left the wait watches the clock instead of sleeping: a 1 ms
// sleep may take longer.
const int32_t kSleepMargin = 2;

void SleepThroughApi(uint32_t milliseconds)
{
    qv->Sleep(milliseconds);
}

int32_t RotationDegrees(int32_t orientation)
{
    switch (orientation) {
    case ORIENTATION_PORTRAIT_UPSIDE_DOWN:
        return 180;
    case ORIENTATION_LANDSCAPE_LEFT:
        return -90;
    case ORIENTATION_LANDSCAPE_RIGHT:
        return 90;
    default:
        return 0;
    }
}

// Init once, a pending re-initialisation, the queued events and Update: once per frame,
// in the first eye pass.
void RunProgramStep(ProgramInterface* record, int32_t milliseconds, float seconds)
{
    if (!g_core.programInitRan) {
        qv->Log("Initializing Program '%s'..", record->title);
        // Set first: popups raised from Init already follow the rules of a running program.
        g_core.programInitRan = 1;
        // A record without Init cannot be initialised; it is reported like a failed Init.
        if (!record->Init || !record->Init())
            qv->LogPopup(QV_LOG_ERROR, "Program initialization failed.");
    }
    if (QVI_IsReinitPending())
        QVI_ApplyPendingReinit();
    QVI_DispatchQueuedEvents();
    if (milliseconds > 0 && record->Update)
        record->Update(seconds);
}

// Render, unless a debug feature replaces it, and the check that the program left every
// drawing stack as it found it.
void RenderProgram(ProgramInterface* record, float* seconds)
{
    const DrawingStackDepths before = QVI_GetDrawingStackDepths();
    if (g_core.drawBlackScreenInsteadOfProgram)
        qv->graphics->ClearColor(0.0f, 0.0f, 0.0f);
    else if (record->Render)
        record->Render(*seconds);
    if (g_core.drawTimeDeltaTest)
        QVI_DrawTimeDeltaTest(seconds);

    const DrawingStackDepths after = QVI_GetDrawingStackDepths();
    if (after.world != before.world)
        qv->LogPopup(QV_LOG_ERROR, "Too many Push(World)Transform calls made. Check your code.");
    if (after.view != before.view)
        qv->LogPopup(QV_LOG_ERROR, "Too many PushViewTransform calls made. Check your code.");
    if (after.projection != before.projection)
        qv->LogPopup(QV_LOG_ERROR, "Too many PushProjectionTransform calls made. Check your code.");
    if (after.renderTargets != before.renderTargets)
        qv->LogPopup(QV_LOG_ERROR, "Too many PushRenderTarget(s) calls made. Check your code.");
}

void DrawEyePass(RendererImplementation* renderer, ProgramInterface* record, int pass, int passCount,
                 int32_t milliseconds, float* seconds)
{
    g_core.eye = passCount == 1 ? 0 : pass + 1;
    QVI_ClearRenderStateSetFlags();
    g_core.rendererCallInProgress = 1;
    renderer->BeginFrame(g_core.eye);
    renderer->SetViewport(0, 0, g_screenState.screenWidth, g_screenState.screenHeight, 0.0f, 1.0f);
    QVI_ResetBatchForFrame(renderer);
    renderer->BeginScene();

    g_orientation.allowed = record->video.width > record->video.height ? kLandscapePair : kPortraitPair;
    g_core.rotationDegrees = RotationDegrees(g_orientation.current);
    QVI_SetupFrameTransforms();
    const bool zoomed = std::fabs(g_autoscale.overlayZoom - 1.0f) >= kZoomTolerance;
    if (zoomed)
        QVI_BeginZoomedFrame();

    if (pass == 0)
        RunProgramStep(record, milliseconds, *seconds);
    if (renderer->IsReady())
        RenderProgram(record, seconds);

    QVI_ResetFrameDrawingState();
    QVI_DrawDebugOverlays();
    if (zoomed)
        QVI_EndZoomedFrame();
    QVI_DrawFrameBorders();
    QVI_FinishFrameTransforms();
    renderer->EndScene();
    QVI_ResetDrawingState();
    QVI_DrawDeveloperInfo(*seconds);
}

// The GPU work other threads queued, after the drawing.
void ProcessResourceQueues()
{
    if (!g_core.coreInitialized || !QVI_IsRendererReady())
        return;
    const uint32_t start = qv->GetMilliseconds();
    QVI_ProcessBitmapResourceQueues();
    QVI_ProcessBufferResourceQueues();
    QVI_ProcessShaderUploadQueue();
    const uint32_t spent = qv->GetMilliseconds() - start;
    if (spent > kSlowUploadMs)
        qv->LogEx(QV_LOG_WARNING, "Spent %d msecs uploading resources to GPU!", static_cast<int>(spent));
}

// The steps that need a ready device: devices, modules, the program and the drawing.
void DrawFrame(RendererImplementation* renderer, ProgramInterface* record, const FrameDelta& frame)
{
    float seconds = frame.seconds;
    QVI_UpdateInputImplementations();
    if (g_core.sound)
        g_core.sound->BeginFrame();
    QVI_UpdateSound();
    if (QVI_DoExtensionModulesPauseGame())
        seconds = 0.0f;
    QVI_UpdateExtensionModules(seconds);
    QVI_UpdateServiceImplementations();
    if (g_orientation.target != g_orientation.current)
        g_orientation.current = g_orientation.target;

    const int passCount = g_core.renderStereo ? 2 : 1;
    for (int pass = 0; pass < passCount; ++pass)
        DrawEyePass(renderer, record, pass, passCount, frame.milliseconds, &seconds);

    ProcessResourceQueues();
    if (g_core.sound)
        g_core.sound->EndFrame();
    QVI_ResetDrawingState();
    QVI_FlushBatchForPresent(renderer);
    g_core.rendererCallInProgress = 0;
    renderer->Present();
    QVI_EndInputImplementationsFrame();
}

// Offsets that keep a zoomed overlay centred on the back buffer, in the program's
// orientation.
void UpdateFrameOffsets(const ProgramInterface* record)
{
    float width = static_cast<float>(g_screenState.screenWidth);
    float height = static_cast<float>(g_screenState.screenHeight);
    const int32_t referenceOrientation = record->video.reference_width > record->video.reference_height
                                             ? ORIENTATION_LANDSCAPE_LEFT
                                             : ORIENTATION_PORTRAIT;
    if (g_screenState.orientation != referenceOrientation)
        std::swap(width, height);
    const float zoom = g_autoscale.overlayZoom;
    g_core.frameOffsetX = static_cast<int32_t>((width - width * zoom) * 0.5f);
    g_core.frameOffsetY = static_cast<int32_t>((height - height * zoom) * 0.5f);
}

}  // namespace

FrameDelta QVI_DetermineFrameTimeDelta(int32_t elapsedMs, bool developerMode)
{
    FrameDelta frame = {};
    frame.delta = static_cast<float>(elapsedMs) * 0.001f;
    if (frame.delta > kMaximumFrameDelta) {
        frame.delta = kStallFrameDelta;
    } else if (frame.delta < 0.0f) {
        if (developerMode && qv->LogEx)
            qv->LogEx(QV_LOG_WARNING, "Found negative time delta in QVI_DetermineFrameTimeDelta: %g",
                      static_cast<double>(frame.delta));
        frame.delta = kNegativeFrameDelta;
    }
    frame.milliseconds = static_cast<int32_t>(frame.delta * 1000.0f);
    frame.seconds = static_cast<float>(frame.milliseconds) * 0.001f;
    return frame;
}

int32_t QVI_WaitForFramePeriod(uint32_t* lastFrameTime, const int32_t* frameTimeMs, FrameClock clock,
                               FrameSleep sleep)
{
    if (!lastFrameTime || !frameTimeMs || !clock || !sleep)
        return 0;
    if (*lastFrameTime == 0)
        *lastFrameTime = clock();
    uint32_t now;
    int32_t elapsed;
    do {
        now = clock();
        elapsed = static_cast<int32_t>(now - *lastFrameTime);
        if (elapsed < *frameTimeMs - kSleepMargin)
            sleep(1);
    } while (elapsed < *frameTimeMs);
    *lastFrameTime = now;
    return elapsed;
}

void QVI_RunFrame()
{
    ProgramInterface* record = QVI_GetProgramRecord();
    if (!g_core.coreInitialized || !record)
        return;

    const int32_t elapsed =
        QVI_WaitForFramePeriod(&g_core.lastFrameTime, &record->video.frame_time_ms, QVI_OsMilliseconds, SleepThroughApi);
    const FrameDelta frame = QVI_DetermineFrameTimeDelta(elapsed, g_core.developerMode != 0);

    QVI_LockMutexById(MUTEX_MAIN_LOOP);
    RendererImplementation* renderer = QVI_GetRenderer();
    if (renderer && QVI_IsRendererReady())
        DrawFrame(renderer, record, frame);

    // Whoever waits for MAIN_LOOP gets it now, between two frames.
    QVI_UnlockMutexById(MUTEX_MAIN_LOOP);
    QVI_LockMutexById(MUTEX_MAIN_LOOP);
    QVI_UpdateAutoscaling();
    UpdateFrameOffsets(record);
    QVI_ShowQueuedPopups();
    const DrawingStackDepths depths = QVI_GetDrawingStackDepths();
    if (depths.view >= 0)
        qv->LogPopup(QV_LOG_WARNING,
                     "Transform stack is not empty at frame end: there are %d more qv->PushViewTransform calls than "
                     "qv->PopViewTransform calls.",
                     depths.view + 1);
    QVI_UnlockMutexById(MUTEX_MAIN_LOOP);
}
