#include "platform/windows/win32.h"

#include "engine/startup/startup_window.h"

#include "core/configuration.h"
#include "core/core_state.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/screen_state.h"
#include "graphics/setup/selected_resolution.h"
#include "platform/window_seams.h"

namespace {

// Full screen needs at least this size (the renderer's own rule).
const int kMinimumFullscreenWidth = 640;
const int kMinimumFullscreenHeight = 480;

WindowVideoMode SelectedVideoMode()
{
    WindowVideoMode mode = {};
    mode.clientWidth = g_selectedResolution.width;
    mode.clientHeight = g_selectedResolution.height;
    bool windowed = g_selectedResolution.windowed != 0;
    if (!QVI_IsPositiveSize(mode.clientWidth, mode.clientHeight) && g_core.settings) {
        // Nothing was selected: the program's own size.
        mode.clientWidth = g_core.settings->video.width;
        mode.clientHeight = g_core.settings->video.height;
        windowed = g_core.settings->video.windowed != 0;
    }
    const bool tooSmall = mode.clientWidth < kMinimumFullscreenWidth || mode.clientHeight < kMinimumFullscreenHeight;
    mode.windowed = windowed || tooSmall || g_config.forcedVariant;
    mode.desktopWidth = g_screenState.desktopWidth;
    mode.desktopHeight = g_screenState.desktopHeight;
    return mode;
}

}  // namespace

void QVI_InstallStartupWindowSources()
{
    QVI_SetWindowVideoModeSource(SelectedVideoMode);
    QVI_SetWindowRendererSource(QVI_GetRenderer);
}
