#include "platform/windows/win32.h"

#include "platform/window_seams.h"

#include "core/core_state.h"

namespace {

// Installed by start-up on the main thread before the window exists.
WindowVideoModeSource g_videoModeSource = nullptr;
WindowRendererSource g_rendererSource = nullptr;
InputActivationFunction g_inputActivation = nullptr;

const int32_t kFallbackClientWidth = 640;
const int32_t kFallbackClientHeight = 480;

// Until start-up installs its sources: the video state in the core record and the desktop.
const VideoParameters* VideoInUse()
{
    if (g_core.video.width > 0 && g_core.video.height > 0)
        return &g_core.video;
    return g_core.settings ? &g_core.settings->video : nullptr;
}

WindowVideoMode DefaultVideoMode()
{
    WindowVideoMode mode = {kFallbackClientWidth, kFallbackClientHeight, true, 0, 0};
    if (const VideoParameters* video = VideoInUse()) {
        mode.clientWidth = video->width;
        mode.clientHeight = video->height;
        mode.windowed = video->windowed != 0;
    }
    mode.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    mode.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    return mode;
}

}  // namespace

void QVI_SetWindowVideoModeSource(WindowVideoModeSource source)
{
    g_videoModeSource = source;
}

WindowVideoMode QVI_GetWindowVideoMode()
{
    return g_videoModeSource ? g_videoModeSource() : DefaultVideoMode();
}

void QVI_SetWindowRendererSource(WindowRendererSource source)
{
    g_rendererSource = source;
}

RendererImplementation* QVI_GetWindowRenderer()
{
    return g_rendererSource ? g_rendererSource() : g_core.renderer;
}

void QVI_SetInputActivationFunction(InputActivationFunction function)
{
    g_inputActivation = function;
}

void QVI_SetInputImplementationsActive(bool active)
{
    if (g_inputActivation)
        g_inputActivation(active);
}
