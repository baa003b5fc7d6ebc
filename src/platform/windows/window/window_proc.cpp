#include <windows.h>

#include "platform/windows/window/window_proc.h"

#include "core/core_state.h"
#include "platform/windows/window/window_message_handlers.h"

namespace {

// Before pre-initialisation has set up the API object, size and activation changes go
// straight to the default processing.
bool ApiObjectExists()
{
    return g_core.api != nullptr;
}

}  // namespace

LRESULT CALLBACK QVI_WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        return QVI_OnDestroy(window);
    case WM_SIZE:
        if (wParam != SIZE_MAXIMIZED || !ApiObjectExists())
            break;
        QVI_OnMaximize(window, lParam);
        return 0;
    case WM_ACTIVATE:
        if (ApiObjectExists())
            QVI_OnActivate(wParam);
        break;
    case WM_PAINT:
        // The renderer draws every frame; there is nothing to paint here.
        ValidateRect(window, nullptr);
        return 0;
    case WM_CLOSE:
        return QVI_OnClose();
    case WM_KEYDOWN:
    case WM_KEYUP:
        return QVI_OnKeyMessage(message, wParam);
    case WM_CHAR:
        return QVI_OnCharacterMessage(wParam);
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return QVI_OnSystemKeyMessage(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        QVI_OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        QVI_OnMouseButton(message, wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        QVI_OnMouseWheel(wParam);
        break;
    case WM_DROPFILES:
        return QVI_OnDropFiles(reinterpret_cast<HDROP>(wParam));
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
