#pragma once

#include <cstdint>

// Autoscaling maps the program's reference resolution onto the real screen: the program
// draws at its reference size and the frame's base transform scales and centres it.
// The scissor and transform code and the input mapping read these values; main thread.
struct AutoscaleParameters {
    float offsetX;  // whole pixels
    float offsetY;
    float scaleX;
    float scaleY;
    float inverseScaleX;
    float inverseScaleY;
    float overlayZoom;       // 1.0: none
    float savedOverlayZoom;  // restored when render-target binding ends
    int32_t zoomOffsetX;     // keeps a zoomed picture centred
    int32_t zoomOffsetY;
};

extern AutoscaleParameters g_autoscale;
// On when the feature AUTOSCALE was set at start-up, until set-up finds nothing to scale.
extern uint8_t g_autoscaleActive;

// Pre-initialisation defaults: no scaling, overlay zoom 1, autoscaling off.
void QVI_ResetAutoscaling();

// Core initialisation and display re-initialisation: gives the program its reference
// size and computes the scaling, or switches autoscaling off when there is nothing to
// scale. Logs the figures.
void QVI_SetupAutoscaling();

// Recomputes scale and offsets for the current screen (every frame, on resizing). Does
// nothing while autoscaling is off or the screen size is not known.
void QVI_UpdateAutoscaling();

// Recomputes the zoom offsets for the current overlay zoom.
void QVI_UpdateOverlayZoomOffsets();
