#include "platform/windows/win32.h"

#include "graphics/setup/orientation.h"

#include "core/configuration.h"
#include "core/engine_log.h"
#include "quaven/types.h"
#include "graphics/setup/screen_state.h"
#include "graphics/setup/selected_resolution.h"

namespace {

const int32_t kPortraitPair = 3;
// The host has no override of its own to report: the messages always show 0.
const int kNoOverride = 0;
const int32_t kLandscapePair = 12;

}  // namespace

OrientationState g_orientation;

void QVI_ResetOrientationState()
{
    g_orientation.allowed = kLandscapePair;
    g_orientation.current = ORIENTATION_LANDSCAPE_RIGHT;
    g_orientation.target = ORIENTATION_LANDSCAPE_RIGHT;
}

void QVI_ApplyOrientationAndOverride()
{
    VideoParameters& video = QVI_GetRecordInForce()->video;
    ScreenState& screen = g_screenState;

    const bool portrait = video.reference_height > video.reference_width;
    g_orientation.allowed = portrait ? kPortraitPair : kLandscapePair;
    g_orientation.current = portrait ? ORIENTATION_PORTRAIT : ORIENTATION_LANDSCAPE_RIGHT;
    g_orientation.target = g_orientation.current;

    screen.orientation =
        screen.desktopWidth > screen.desktopHeight ? ORIENTATION_LANDSCAPE_LEFT : ORIENTATION_PORTRAIT;

    if (screen.screenWidth == 0 || screen.screenHeight == 0) {
        screen.screenWidth = g_selectedResolution.width;
        screen.screenHeight = g_selectedResolution.height;
    }

    if (video.width == 0 || video.height == 0) {
        QVI_Report(QV_LOG_INFO, "Important parameter is 0: width=%d height=%d override=%d. Forcing override.",
                   video.width, video.height, kNoOverride);
        video.width = g_selectedResolution.width;
        video.height = g_selectedResolution.height;
        QVI_Report(QV_LOG_INFO, "Parameters after override: width=%d height=%d override=%d.", video.width,
                   video.height, kNoOverride);
    }

    if (!g_config.forcedResolution) {
        screen.screenWidth = video.width;
        screen.screenHeight = video.height;
        g_selectedResolution.width = video.width;
        g_selectedResolution.height = video.height;
        screen.orientation = video.width >= video.height ? ORIENTATION_LANDSCAPE_LEFT : ORIENTATION_PORTRAIT;
    }

    QVI_Report(QV_LOG_INFO, "Program orientation: %s.", QVI_GetOrientationName(g_orientation.current));
    QVI_Report(QV_LOG_INFO, "Native device screen buffer orientation: %s.",
               QVI_GetOrientationName(screen.orientation));
}
