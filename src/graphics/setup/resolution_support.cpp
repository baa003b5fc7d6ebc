#include "platform/windows/win32.h"

#include "graphics/setup/resolution_support.h"

#include "core/configuration.h"
#include "graphics/renderer/renderer_implementation.h"
#include "core/engine_log.h"
#include "quaven/types.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/screen_state.h"

namespace {

// Room a window leaves on the desktop for its frame and the task bar.
const int kWindowMarginWidth = 50;
const int kWindowMarginHeight = 70;

}  // namespace

bool QVI_IsResolutionSupported(int width, int height, bool windowed)
{
    // A negative side is no size either, though it would pass the margin test below.
    if (!QVI_IsPositiveSize(width, height))
        return false;
    if (g_config.forcedVariant)
        return true;
    if (g_config.forcedResolution && g_config.forcedWidth == width && g_config.forcedHeight == height)
        return true;

    const int desktopWidth = g_screenState.desktopWidth;
    const int desktopHeight = g_screenState.desktopHeight;
    const bool desktopKnown = QVI_IsPositiveSize(desktopWidth, desktopHeight);
    const bool isDesktop = width == desktopWidth && height == desktopHeight;
    if (windowed && desktopKnown) {
        if (isDesktop && QVI_HasFeature("FREE_RESOLUTION"))
            return true;
        return width <= desktopWidth - kWindowMarginWidth && height <= desktopHeight - kWindowMarginHeight;
    }

    if (!windowed && isDesktop)
        return true;
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer || !renderer->IsDisplayModeSupported(width, height))
        return false;
    QVI_Report(QV_LOG_SYSTEM, "Requested resolution %dx%d (windowed=%d) is supported.", width, height,
               windowed ? 1 : 0);
    return true;
}
