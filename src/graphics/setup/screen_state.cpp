#include "platform/windows/win32.h"

#include "graphics/setup/screen_state.h"

ScreenState g_screenState;

void QVI_InitScreenState()
{
    g_screenState = ScreenState();
    g_screenState.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    g_screenState.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
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
