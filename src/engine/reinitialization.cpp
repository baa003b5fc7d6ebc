// ReinitializeWithParameters: the program asks for another resolution, window mode or
// sound setting; the engine settles on a size the device can show and the next drawn frame
// applies it. Sound that comes back is brought up here; the display change itself is
// QVI_Reinitialize's.
#include "engine/reinitialization.h"

#include "engine/platform_command.h"

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "engine/program/program_library.h"
#include "engine/startup/engine_lifecycle.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "sound/interface/sound_implementation.h"
#include "sound/sound_api.h"


namespace {

// Full screen needs at least this size; anything smaller is shown in a window.
const int kMinimumFullscreenWidth = 640;
const int kMinimumFullscreenHeight = 480;

bool g_reinitPending = false;

const char* ModeName(uint8_t windowed)
{
    return windowed ? "w" : "fs";
}

// A zero or negative side asks the engine to choose the size.
bool HasNoSize(const VideoParameters& video)
{
    return video.width <= 0 || video.height <= 0;
}

// The selection writes the size it chose into the video state.
bool ChooseResolution(VideoParameters* video)
{
    if (!QVI_SelectOptimalResolution(video->windowed != 0, false))
        return false;
    video->width = g_selectedResolution.width;
    video->height = g_selectedResolution.height;
    return true;
}

bool Supported(const VideoParameters& video)
{
    return QVI_IsResolutionSupported(video.width, video.height, video.windowed != 0);
}

// The display keeps what it was last set up with.
void RestoreDisplayedSize(VideoParameters* video, const SelectedResolution& selected)
{
    const VideoParameters& saved = g_rendererSetup.video;
    video->width = saved.width;
    video->height = saved.height;
    video->windowed = saved.windowed;
    g_selectedResolution = selected;
    g_reinitPending = false;
}

// A back buffer can never be larger than the largest texture, and a window far larger
// takes the window system down: such a size never reaches the device.
bool FitsTheDevice(const VideoParameters& video, RendererImplementation* renderer)
{
    const int64_t largest = renderer->GetMaximumTextureSize();
    return static_cast<int64_t>(video.width) <= largest && static_cast<int64_t>(video.height) <= largest;
}

void ApplyFullscreenRule(VideoParameters* video)
{
    if (video->width < kMinimumFullscreenWidth || video->height < kMinimumFullscreenHeight || g_config.forcedVariant)
        video->windowed = 1;
}

// Sound was off and the new parameters turn it on: the DirectSound implementation takes
// over from the silent one. Every copy of the no-sound flag is cleared first: the device is
// set up from the saved parameters, whose flag the sound members also test.
void BringSoundBack(ProgramInterface* record)
{
    g_rendererSetup.video.no_sound = 0;
    g_core.video.no_sound = 0;
    g_config.defaultRecord.video.no_sound = 0;
    if (g_core.settings)
        g_core.settings->video.no_sound = 0;
    if (record)
        record->video.no_sound = 0;

    if (g_core.sound)
        g_core.sound->Shutdown();
    QVI_StartSoundDevice();
    QVI_ReloadPooledSounds();
}

}  // namespace

bool QV_ReinitializeWithParameters(VideoParameters parameters)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!QVI_GetProgramRecord() || !renderer)
        return false;

    if (g_config.forcedResolution) {
        if (!QVI_IsAllowAllResolutionsSet()) {
            parameters.width = g_config.forcedWidth;
            parameters.height = g_config.forcedHeight;
            qv->LogEx(QV_LOG_WARNING,
                      "ReinitializeWithParameters - Forcing resolution to %dx%d based on developer.xml.",
                      parameters.width, parameters.height);
        }
        qv->LogEx(QV_LOG_WARNING, "ReinitializeWithParameters - Forcing screen mode to windowed because "
                                  "force_resolution is set in developer.xml.");
        parameters.windowed = 1;
    }

    VideoParameters& video = g_core.video;
    const SelectedResolution selected = g_selectedResolution;
    video = parameters;
    qv->LogEx(QV_LOG_SYSTEM, "Attempting to reinitialize with parameters: %dx%d windowed=%d", video.width,
              video.height, video.windowed);

    if (!FitsTheDevice(video, renderer)) {
        qv->LogEx(QV_LOG_WARNING, "ReinitializeWithParameters - %dx%d is larger than the largest texture.",
                  video.width, video.height);
        RestoreDisplayedSize(&video, selected);
        return false;
    }
    if (video.windowed && QVI_IsAllowAllResolutionsSet() && !HasNoSize(video)) {
        qv->LogEx(QV_LOG_SYSTEM, "Allowing all resolutions.");
        g_reinitPending = true;
        return true;
    }

    if (HasNoSize(video))
        ChooseResolution(&video);
    const bool freeSize = QVI_HasFeature("FREE_RESOLUTION") && Supported(video);
    if (!freeSize && !ChooseResolution(&video)) {
        // Nothing to choose from: the video state keeps the size the display has rather
        // than one it never got, and an earlier request stays pending.
        const bool pending = g_reinitPending;
        RestoreDisplayedSize(&video, selected);
        g_reinitPending = pending;
        return false;
    }

    qv->Log("Selected resolution %dx%d", video.width, video.height);
    if (Supported(video) && FitsTheDevice(video, renderer)) {
        qv->Log("Resolution %dx%d is supported by device.", video.width, video.height);
        g_reinitPending = true;
        return true;
    }

    qv->Log("Resolution %dx%d not available.", video.width, video.height);
    video.windowed = 1;
    ChooseResolution(&video);
    if (Supported(video) && FitsTheDevice(video, renderer)) {
        g_reinitPending = true;
        return true;
    }
    qv->LogEx(QV_LOG_WARNING, "Requested resolution %dx%d (windowed=%d) not available.", video.width, video.height,
              video.windowed);
    RestoreDisplayedSize(&video, selected);
    return false;
}

bool QVI_IsReinitPending()
{
    return g_reinitPending;
}

void QVI_ApplyPendingReinit()
{
    g_reinitPending = false;
    // What was queued belongs to the display as it was.
    BatchRenderer::Flush();

    VideoParameters& next = g_core.video;
    VideoParameters& previous = g_rendererSetup.video;
    ApplyFullscreenRule(&next);
    ApplyFullscreenRule(&previous);

    ProgramInterface* record = QVI_GetProgramRecord();
    // Turning sound off changes nothing here: the sound members already go quiet.
    if (previous.no_sound && !next.no_sound)
        BringSoundBack(record);
    if (record)
        record->video.no_sound = next.no_sound;

    if (previous.width == next.width && previous.height == next.height && previous.windowed == next.windowed)
        return;
    qv->LogEx(QV_LOG_SYSTEM, "Applying ReInit: %dx%d (%s) -> %dx%d (%s)", previous.width, previous.height,
              ModeName(previous.windowed), next.width, next.height, ModeName(next.windowed));
    QVI_Reinitialize();
}
