#include "platform/windows/win32.h"

#include <cstring>

#include "core/core_state.h"
#include "core/events/key_state.h"
#include "core/events/event_queue.h"
#include "platform/windows/window/window_message_handlers.h"

namespace {

const uint16_t kFirstExtraButton = 512;   // plus the X button number 1 or 2

uint16_t ButtonOf(UINT message, WPARAM wParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: return QV_KEY_MOUSE_BUTTON_LEFT;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP: return QV_KEY_MOUSE_BUTTON_RIGHT;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP: return QV_KEY_MOUSE_BUTTON_MIDDLE;
    default: return static_cast<uint16_t>(kFirstExtraButton + HIWORD(wParam));
    }
}

bool IsButtonDown(UINT message)
{
    return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN ||
           message == WM_XBUTTONDOWN;
}

}  // namespace

void QVI_OnMouseMove(LPARAM lParam)
{
    // Signed: with the mouse captured the pointer may be left of or above the client area.
    int x = static_cast<int16_t>(LOWORD(lParam));
    int y = static_cast<int16_t>(HIWORD(lParam));
    QVI_MapWindowToProgramCoordinates(&x, &y);
    QV_SetKey(QV_KEY_MOUSE_X, static_cast<uint32_t>(x));
    QV_SetKey(QV_KEY_MOUSE_Y, static_cast<uint32_t>(y));
    QV_SetAxis(QV_KEY_MOUSE_X, static_cast<float>(x));
    QV_SetAxis(QV_KEY_MOUSE_Y, static_cast<float>(y));
    QVI_PostMouseEventAt(EVENT_MOUSE_MOVE, 0, x, y, 0);
}

void QVI_OnMouseButton(UINT message, WPARAM wParam, LPARAM lParam)
{
    const float x = static_cast<float>(LOWORD(lParam));
    const float y = static_cast<float>(HIWORD(lParam));
    QVI_PostMouseEvent(IsButtonDown(message) ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP, ButtonOf(message, wParam), x, y);
}

void QVI_OnMouseWheel(WPARAM wParam)
{
    // The position stored by the last move is already in program coordinates.
    const int x = static_cast<int32_t>(QVI_PeekKeyState(QV_KEY_MOUSE_X));
    const int y = static_cast<int32_t>(QVI_PeekKeyState(QV_KEY_MOUSE_Y));
    const int16_t delta = static_cast<int16_t>(HIWORD(wParam));
    QVI_PostMouseEventAt(EVENT_MOUSE_WHEEL, 0, x, y, delta);
    // A running total that nothing resets: programs read how far it moved since they last
    // looked.
    QV_SetKey(QV_KEY_MOUSE_WHEEL, QVI_PeekKeyState(QV_KEY_MOUSE_WHEEL) + static_cast<uint32_t>(static_cast<int32_t>(delta)));
}
