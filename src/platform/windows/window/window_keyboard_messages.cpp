#include "platform/windows/win32.h"

#include <cstring>

#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "platform/windows/window/window_message_handlers.h"

namespace {

const WPARAM kAltKey = VK_MENU;
const WPARAM kEnterKey = VK_RETURN;
const uint32_t kKeyDownState = 3;

KeyCode ToKeyCode(WPARAM wParam)
{
    return static_cast<KeyCode>(wParam);
}

// Alt with a letter or a digit is the program's shortcut; every other system key goes on
// to the system, so that Alt+F4 and Alt+Space still work.
bool IsProgramSystemKey(WPARAM key)
{
    return key == kAltKey || (key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9');
}

}  // namespace

LRESULT QVI_OnKeyMessage(UINT message, WPARAM wParam)
{
    QVI_PostKeyEvent(message == WM_KEYDOWN ? EVENT_KEY_DOWN : EVENT_KEY_UP, ToKeyCode(wParam));
    return 0;
}

LRESULT QVI_OnCharacterMessage(WPARAM wParam)
{
    // Typed text must reach the console and the program in typing order, so it never waits
    // in the queue.
    EngineEvent event;
    QV_InitEvent(&event, EVENT_CHARACTER);
    event.payload[0] = static_cast<uint8_t>(wParam & 0xFF);
    QVI_DispatchEvent(&event);
    return 0;
}

LRESULT QVI_OnSystemKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSKEYDOWN && wParam == kEnterKey) {
        // Alt+Enter switches between windowed and full screen; it is no key press.
        QVI_RequestWindowedMode(!QVI_IsCurrentModeWindowed());
        return 0;
    }
    // The state is written at once: the system may swallow the matching key-up.
    if (message == WM_SYSKEYDOWN) {
        QV_SetKey(static_cast<uint32_t>(wParam), kKeyDownState);
        QVI_PostKeyEvent(EVENT_KEY_DOWN, ToKeyCode(wParam));
    } else {
        QV_SetKey(static_cast<uint32_t>(wParam), 0);
        if (wParam != kEnterKey)
            QVI_PostKeyEvent(EVENT_KEY_UP, ToKeyCode(wParam));
    }
    if (IsProgramSystemKey(wParam))
        return 0;
    return DefWindowProcA(window, message, wParam, lParam);
}
