#pragma once

#include <cstdint>

// Orientation codes. The screen buffer is only ever PORTRAIT or LANDSCAPE_LEFT; a program
// orientation may be any of the four.
enum OrientationCode {
    ORIENTATION_PORTRAIT = 1,
    ORIENTATION_PORTRAIT_UPSIDE_DOWN = 2,
    ORIENTATION_LANDSCAPE_LEFT = 4,
    ORIENTATION_LANDSCAPE_RIGHT = 8
};

// The screen geometry the graphics code works in; the core state's screenState points
// here. Main thread only.
struct ScreenState {
    // The primary screen's size at start-up (0 when unknown).
    int32_t desktopWidth;
    int32_t desktopHeight;
    // The device screen: the back buffer the renderer draws into.
    int32_t screenWidth;
    int32_t screenHeight;
    // The native orientation of the screen buffer: 1 portrait or 4 landscape.
    int32_t orientation;
    // Set when the device screen cannot change size; no code of this host sets it.
    uint8_t fixedScreen;
};

extern ScreenState g_screenState;

// Clears the screen state and reads the desktop size from the primary screen's metrics.
void QVI_InitScreenState();

// "PORTRAIT" for codes 1 and 2, "LANDSCAPE" for 4 and 8, "UNKNOWN" for anything else.
const char* QVI_GetOrientationName(int code);

// The orientation a program is drawn for: landscape (4) when its reference resolution is
// wider than tall, else portrait (1).
int QVI_GetNaturalOrientation(int referenceWidth, int referenceHeight);

// True when width x height is a size at all: both sides positive.
inline bool QVI_IsPositiveSize(int32_t width, int32_t height)
{
    return width > 0 && height > 0;
}

// The program's orientation. current and target start equal; the frame makes current
// follow target, so a change takes effect at the next frame. Main thread only.
struct OrientationState {
    int32_t allowed;  // 3: the portrait pair, 12: the landscape pair
    int32_t current;  // an OrientationCode
    int32_t target;
};

extern OrientationState g_orientation;

// The defaults before the configuration is known: landscape.
void QVI_ResetOrientationState();

// Start-up, before the window exists and after the resolution has been selected: fixes
// the program orientation from its reference resolution and the native screen-buffer
// orientation from the desktop, fills an unknown device screen size and a zero program
// size with the selected resolution, and (unless the developer forces a resolution)
// makes the program's size the device screen size and the selected resolution.
void QVI_ApplyOrientationAndOverride();

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
