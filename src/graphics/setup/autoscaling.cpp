#include "platform/windows/win32.h"

#include "graphics/setup/autoscaling.h"

#include <cmath>

#include "core/configuration.h"
#include "core/events/key_state.h"
#include "core/engine_log.h"
#include "quaven/types.h"
#include "graphics/setup/screen_state.h"

AutoscaleParameters g_autoscale;
uint8_t g_autoscaleActive = 0;

namespace {

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
