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
