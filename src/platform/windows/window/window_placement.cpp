#include "platform/windows/win32.h"

#include "platform/windows/window/window_placement.h"

#include "platform/window_seams.h"

namespace {

// The full-screen style carries this low style bit as well.
const uint32_t kFullscreenStyleBit = 0x8;
const uint32_t kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

void ChooseStyles(int clientWidth, int clientHeight, bool windowed, WindowPlacement* out)
{
    if (!windowed) {
        out->style = WS_POPUP | kFullscreenStyleBit;
        out->extendedStyle = WS_EX_APPWINDOW;
        return;
    }
    out->extendedStyle = WS_EX_APPWINDOW | WS_EX_WINDOWEDGE;
    // A caption on a client area as large as the desktop would push the picture off the
    // screen: such a window is borderless.
    const WindowVideoMode mode = QVI_GetWindowVideoMode();
    const bool fitsDesktop = mode.desktopWidth > clientWidth && mode.desktopHeight > clientHeight;
    out->style = fitsDesktop ? kWindowedStyle : WS_POPUP;
}

}  // namespace

WindowPlacement* QVI_CalcWindowPlacement(int clientWidth, int clientHeight, WindowPlacement* out, bool windowed)
{
    if (!out)
        return nullptr;
    ChooseStyles(clientWidth, clientHeight, windowed, out);

    RECT frame = {0, 0, clientWidth, clientHeight};
    AdjustWindowRectEx(&frame, out->style, FALSE, out->extendedStyle);
    out->width = frame.right - frame.left;
    out->height = frame.bottom - frame.top;

    if (!windowed) {
        out->x = 0;
        out->y = 0;
        return out;
    }
    out->x = (GetSystemMetrics(SM_CXSCREEN) - out->width) / 2;
    out->y = (GetSystemMetrics(SM_CYSCREEN) - out->height) / 2;
    // A window taller than the screen goes up by a further half caption, so that its
    // client area rather than its whole frame sits about the screen's middle.
    if (out->y < 0)
        out->y -= GetSystemMetrics(SM_CYCAPTION) / 2;
    return out;
}
