// The display change itself: the device switches mode in place when it can; otherwise the
// window and the device are made again, every pooled bitmap, font and shader going back
// to the new device. A device that refuses the new size outright is brought back at the
// size it had, so the program always finds a working display and learns its real size
// from the events that follow.
#include "engine/reinitialization.h"

#include <cstring>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "engine/program/program_library.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "graphics/setup/screen_state.h"
#include "platform/windows/window/main_window.h"
#include "sound/interface/sound_implementation.h"
#include "sound/sound_api.h"

namespace {

// The keyboard's codes and the mouse buttons: keys held across the change would never see
// their release.
const uint32_t kLastKeyboardCode = 255;
const uint32_t kFirstMouseButton = 510;
const uint32_t kLastMouseButton = 517;

void SendDisplayReinit(uint8_t after)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_DISPLAY_REINIT);
    event.payload[0] = after;
    QVI_DispatchEvent(&event);
}

void SendResolutionChanged(const ProgramInterface* record)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_RESOLUTION_CHANGED);
    EventResolutionPayload size;
    memset(&size, 0, sizeof size);
    size.width = static_cast<uint16_t>(record ? record->video.width : g_core.video.width);
    size.height = static_cast<uint16_t>(record ? record->video.height : g_core.video.height);
    memcpy(event.payload, &size, sizeof size);
    QVI_DispatchEvent(&event);
}

void TakeSize(ProgramInterface* record, const VideoParameters& video)
{
    if (!record)
        return;
    record->video.width = video.width;
    record->video.height = video.height;
    record->video.windowed = video.windowed;
}

// The display takes the whole video state but the no-sound flag: turning sound off leaves
// the device running, and the sound members follow these parameters, so they must stay
// able to stop what it plays. Sound coming back clears the flag where it is brought up.
void AdoptVideoState(VideoParameters* displayed, const VideoParameters& video)
{
    const uint8_t noSound = displayed->no_sound;
    *displayed = video;
    displayed->no_sound = noSound;
}

void SelectSize(const VideoParameters& video)
{
    g_selectedResolution.width = video.width;
    g_selectedResolution.height = video.height;
    g_selectedResolution.windowed = video.windowed;
}

// Under GET_BITMAP and GET_SOUND: no thread loads a bitmap or a sound while the device
// changes under it.
bool ChangeModeInPlace(RendererImplementation* renderer, ProgramInterface* record)
{
    QVI_LockMutexById(MUTEX_GET_BITMAP);
    QVI_LockMutexById(MUTEX_GET_SOUND);
    const VideoParameters& video = g_core.video;
    const bool changed = renderer->ChangeVideoMode(video.width, video.height, video.windowed != 0);
    if (changed) {
        AdoptVideoState(&g_rendererSetup.video, video);
        TakeSize(record, video);
        if (!g_screenState.fixedScreen) {
            g_screenState.screenWidth = video.width;
            g_screenState.screenHeight = video.height;
            SelectSize(video);
        }
    }
    QVI_UnlockMutexById(MUTEX_GET_SOUND);
    QVI_UnlockMutexById(MUTEX_GET_BITMAP);
    return changed;
}

// A new window and device. The renderer's parameters keep the size they had until its
// set-up takes the new one, so that a device refusing the new size is rolled back to the
// size that worked. False when the window cannot be made again.
bool RecreateWindowAndDevice(ProgramInterface* record)
{
    qv->LogEx(QV_LOG_SYSTEM, "Unable to do quick reinit. Doing full shutdown and init.");
    QVI_ShutdownRenderer();
    QVI_DestroyMainWindow();

    VideoParameters& rendererVideo = g_rendererSetup.video;
    const VideoParameters working = rendererVideo;
    AdoptVideoState(&rendererVideo, g_core.video);
    rendererVideo.width = working.width;
    rendererVideo.height = working.height;
    rendererVideo.windowed = working.windowed;
    TakeSize(record, g_core.video);
    SelectSize(g_core.video);

    if (!QVI_CreateMainWindow()) {
        qv->LogPopup(QV_LOG_ERROR, "Reinitialization failed. Please restart the application.");
        QV_RequestShutdown();
        return false;
    }
    g_core.rendererCallInProgress = 1;
    const bool initialized = QVI_InitRenderer();
    g_core.rendererCallInProgress = 0;
    if (!initialized)
        return true;

    // The device may have come up at the earlier size: everyone learns the size it has.
    const VideoParameters& shown = g_rendererSetup.video;
    VideoParameters& video = g_core.video;
    if (shown.width != video.width || shown.height != video.height || shown.windowed != video.windowed) {
        qv->LogEx(QV_LOG_WARNING, "Reinitialization to %dx%d refused by the device: back at %dx%d.", video.width,
                  video.height, shown.width, shown.height);
        video.width = shown.width;
        video.height = shown.height;
        video.windowed = shown.windowed;
        TakeSize(record, video);
        SelectSize(video);
    }
    return true;
}

// Drawing state that belonged to the display as it was.
void ResetDrawingForNewDisplay()
{
    QVI_SetupAutoscaling();
    QVI_UpdateAutoscaling();
    QVI_UpdateOverlayZoomOffsets();
    for (uint32_t code = 0; code <= kLastKeyboardCode; ++code)
        QV_SetKey(code, 0);
    for (uint32_t code = kFirstMouseButton; code <= kLastMouseButton; ++code)
        QV_SetKey(code, 0);
    BatchRenderer::ResetFrameState();
    g_batch.boundShader = nullptr;
    // Hands the device the current projection and the back buffer again.
    qv->graphics->PushProjectionTransform(nullptr);
    qv->graphics->PopProjectionTransform();
    const RenderTargetSet backBuffer = {};
    qv->graphics->PushRenderTargets(&backBuffer);
    qv->graphics->PopRenderTarget();
}

}  // namespace

void QVI_Reinitialize()
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return;
    VideoParameters& video = g_core.video;
    const int64_t largest = renderer->GetMaximumTextureSize();
    if (video.width <= 0 || video.height <= 0 || video.width > largest || video.height > largest) {
        qv->LogEx(QV_LOG_ERROR, "Reinitialization to %dx%d refused: no display of that size.", video.width,
                  video.height);
        video.width = g_rendererSetup.video.width;
        video.height = g_rendererSetup.video.height;
        video.windowed = g_rendererSetup.video.windowed;
        return;
    }

    ProgramInterface* record = QVI_GetProgramRecord();
    SendDisplayReinit(0);
    if (!ChangeModeInPlace(renderer, record) && !RecreateWindowAndDevice(record))
        return;

    ResetDrawingForNewDisplay();
    if (g_core.sound) {
        g_core.sound->OnWindowChanged(&g_core, &g_rendererSetup.video);
        g_core.sound->SetMasterVolume(QVI_GetSoundMasterVolume());
    }
    SendDisplayReinit(1);
    SendResolutionChanged(record);
}
