// The screen geometry the graphics code works in: the desktop and device screen, the
// program's orientation against the screen buffer's, and autoscaling from the program's
// reference resolution onto the screen.

#include "graphics/setup/screen_state.h"

#include <cmath>

#include "core/configuration.h"
#include "core/engine_log.h"
#include "core/events/key_state.h"
#include "graphics/setup/resolution_selection.h"
#include "platform/os.h"
#include "quaven/types.h"

ScreenState g_screenState;
OrientationState g_orientation;
AutoscaleParameters g_autoscale;
uint8_t g_autoscaleActive = 0;

namespace {

const int32_t kPortraitPair = 3;
// The host has no override of its own to report: the messages always show 0.
const int kNoOverride = 0;
const int32_t kLandscapePair = 12;

void SetIdentityScaling()
{
    g_autoscale.offsetX = 0.0f;
    g_autoscale.offsetY = 0.0f;
    g_autoscale.scaleX = 1.0f;
    g_autoscale.scaleY = 1.0f;
    g_autoscale.inverseScaleX = 1.0f;
    g_autoscale.inverseScaleY = 1.0f;
}

// The screen as the program sees it: exchanged when the screen buffer stands the other way
// round than the program's natural orientation.
void ScreenInProgramOrientation(float* width, float* height)
{
    const VideoParameters& video = QVI_GetRecordInForce()->video;
    const int natural = QVI_GetNaturalOrientation(video.reference_width, video.reference_height);
    *width = static_cast<float>(g_screenState.screenWidth);
    *height = static_cast<float>(g_screenState.screenHeight);
    if (g_screenState.orientation != natural) {
        const float swap = *width;
        *width = *height;
        *height = swap;
    }
}

}  // namespace

void QVI_InitScreenState()
{
    g_screenState = ScreenState();
    QVI_OsPrimaryScreenSize(&g_screenState.desktopWidth, &g_screenState.desktopHeight);
}

const char* QVI_GetOrientationName(int code)
{
    switch (code) {
    case ORIENTATION_PORTRAIT:
    case ORIENTATION_PORTRAIT_UPSIDE_DOWN:
        return "PORTRAIT";
    case ORIENTATION_LANDSCAPE_LEFT:
    case ORIENTATION_LANDSCAPE_RIGHT:
        return "LANDSCAPE";
    default:
        return "UNKNOWN";
    }
}

int QVI_GetNaturalOrientation(int referenceWidth, int referenceHeight)
{
    return referenceWidth > referenceHeight ? ORIENTATION_LANDSCAPE_LEFT : ORIENTATION_PORTRAIT;
}

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

void QVI_ResetAutoscaling()
{
    g_autoscale = AutoscaleParameters();
    SetIdentityScaling();
    g_autoscale.overlayZoom = 1.0f;
    g_autoscale.savedOverlayZoom = 1.0f;
    g_autoscaleActive = 0;
}

void QVI_SetupAutoscaling()
{
    if (!g_autoscaleActive) {
        SetIdentityScaling();
        return;
    }

    VideoParameters& video = QVI_GetRecordInForce()->video;
    QVI_Report(QV_LOG_SYSTEM, "Setting up autoscaling from %dx%d -> %dx%d.", video.reference_width,
               video.reference_height, video.width, video.height);

    if (video.reference_width == video.width && video.reference_height == video.height) {
        QVI_Report(QV_LOG_INFO, "Target resolution matches source, no need for scaling.");
        g_autoscaleActive = 0;
        SetIdentityScaling();
        return;
    }
    // Without a reference size there is nothing to scale from: the program would be given
    // a zero size and every scale would divide by zero.
    if (!QVI_IsPositiveSize(video.reference_width, video.reference_height)) {
        QVI_Report(QV_LOG_WARNING, "Autoscaling needs a reference resolution; autoscaling off.");
        g_autoscaleActive = 0;
        SetIdentityScaling();
        return;
    }

    video.width = video.reference_width;
    video.height = video.reference_height;
    QVI_UpdateAutoscaling();
    QVI_UpdateOverlayZoomOffsets();
    QVI_Report(QV_LOG_INFO, "Offset x=%.2f y=%.2f", g_autoscale.offsetX, g_autoscale.offsetY);
    QVI_Report(QV_LOG_INFO, "Scale x=%.2f y=%.2f", g_autoscale.scaleX, g_autoscale.scaleY);
}

void QVI_UpdateAutoscaling()
{
    if (!g_autoscaleActive)
        return;
    const VideoParameters& video = QVI_GetRecordInForce()->video;
    float width;
    float height;
    ScreenInProgramOrientation(&width, &height);
    // A zero scale would make the inverse scales infinite; keep the last good figures.
    if (width <= 0.0f || height <= 0.0f || !QVI_IsPositiveSize(video.reference_width, video.reference_height))
        return;

    const float referenceWidth = static_cast<float>(video.reference_width);
    const float referenceHeight = static_cast<float>(video.reference_height);
    float scaleX = width / referenceWidth;
    float scaleY = height / referenceHeight;
    if (QVI_HasFeature("AUTOSCALE_RETAIN_ASPECT_RATIO")) {
        const float smaller = scaleX < scaleY ? scaleX : scaleY;
        scaleX = smaller;
        scaleY = smaller;
    }
    g_autoscale.scaleX = scaleX;
    g_autoscale.scaleY = scaleY;
    g_autoscale.offsetX = std::trunc((width - referenceWidth * scaleX) / 2.0f);
    g_autoscale.offsetY = std::trunc((height - referenceHeight * scaleY) / 2.0f);
    g_autoscale.inverseScaleX = 1.0f / scaleX;
    g_autoscale.inverseScaleY = 1.0f / scaleY;
}

void QVI_UpdateOverlayZoomOffsets()
{
    float width;
    float height;
    ScreenInProgramOrientation(&width, &height);
    // The zoom comes from a string command and may be anything: the conversion clamps.
    const float zoom = g_autoscale.overlayZoom;
    g_autoscale.zoomOffsetX = QVI_TruncateToInt((width - zoom * width) / 2.0f);
    g_autoscale.zoomOffsetY = QVI_TruncateToInt((height - zoom * height) / 2.0f);
}
