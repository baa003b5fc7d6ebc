// The main window's messages: the procedure that turns them into engine events and key
// states, one handler per family of messages, and the loop that pumps them between frames.
#include "platform/windows/win32.h"
#include <shellapi.h>
#include <shlobj.h>

#include "platform/windows/window/main_window.h"

#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "graphics/renderer/renderer_implementation.h"
#include "platform/window_seams.h"

namespace {

const WPARAM kAltKey = VK_MENU;
const WPARAM kEnterKey = VK_RETURN;
const uint32_t kKeyDownState = 3;
const uint16_t kFirstExtraButton = 512;   // plus the X button number 1 or 2
const char kFileDraggedEventName[] = "FILE_DRAGGED";
// An inactive engine runs at most about 60 passes a second.
const DWORD kInactiveSleepMs = 15;

// The event points into these while it is dispatched; the next drop overwrites them.
char g_droppedPath[512];
char g_dropPosition[32];

// Before pre-initialisation has set up the API object, size and activation changes go
// straight to the default processing.
bool ApiObjectExists()
{
    return g_core.api != nullptr;
}

// ---- Window mode requests -------------------------------------------------------------

// The windowed byte of the current video parameters.
bool IsCurrentModeWindowed()
{
    return g_core.settings && g_core.settings->video.windowed != 0;
}

// Asks the API member ReinitializeWithParameters for the current video parameters with
// the windowed byte set to windowed.
void RequestWindowedMode(bool windowed)
{
    const ProgramInterface* program = g_core.settings;
    if (!program || !qv->ReinitializeWithParameters)
        return;
    VideoParameters parameters = program->video;
    parameters.windowed = windowed ? 1 : 0;
    qv->ReinitializeWithParameters(parameters);
}

// A maximised window is restored and asks for full screen at its size instead.
void OnMaximize(HWND window, LPARAM lParam)
{
    // The engine has no maximised windows: the title bar's maximise button means "full
    // screen at the present size".
    ShowWindow(window, SW_RESTORE);
    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "Window maximized: size %dx%d..", LOWORD(lParam), HIWORD(lParam));
    RequestWindowedMode(false);
}

// ---- Focus and closing ----------------------------------------------------------------

void QueueActivationEvent(bool active)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_ACTIVATION);
    event.payload[0] = active ? 0 : 1;
    // Queued even before core initialisation has finished: the program learns of it on
    // its first frames.
    QVI_QueueEvent(&event);
}

void OnActivate(WPARAM wParam)
{
    const bool minimised = HIWORD(wParam) != 0;
    const bool active = LOWORD(wParam) != WA_INACTIVE && !minimised;
    if (active == QVI_IsMainWindowActive())
        return;

    QVI_SetMainWindowActive(active);
    if (!g_core.quit)
        QueueActivationEvent(active);
    // A full-screen swap chain must give the screen back while another window is in front.
    if (RendererImplementation* renderer = QVI_GetWindowRenderer())
        renderer->SetFullscreen(active);
    QVI_SetInputImplementationsActive(active);
    // Keys held while the focus changes would never see their key-up.
    QVI_ReleaseAllKeys();
}

LRESULT OnClose()
{
    // The program decides at once whether it may close (it may want to ask about unsaved
    // work first). The window itself stays: shutdown destroys it after the last frame.
    EngineEvent event;
    QV_InitEvent(&event, EVENT_CLOSE_REQUEST);
    if (QVI_DispatchEvent(&event) == QV_EVENT_KEEP_WINDOW_OPEN)
        return 0;
    g_core.quit = 1;
    return 1;
}

LRESULT OnDestroy(HWND window)
{
    // The engine forgets its window before it destroys it (at shutdown or to make it
    // anew). A window that goes while still known was destroyed by other code, and the
    // game would otherwise go on running with nothing on the screen: the run ends as after
    // a close, without asking the program, which can no longer keep the window.
    if (window == g_core.mainWindow) {
        g_core.mainWindow = nullptr;
        QVI_Report(QV_LOG_WARNING, "The window was destroyed from outside the engine: shutting down.");
        g_core.quit = 1;
    }
    PostQuitMessage(0);
    return 0;
}

// ---- Keyboard -------------------------------------------------------------------------

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

LRESULT OnKeyMessage(UINT message, WPARAM wParam)
{
    QVI_PostKeyEvent(message == WM_KEYDOWN ? EVENT_KEY_DOWN : EVENT_KEY_UP, ToKeyCode(wParam));
    return 0;
}

LRESULT OnCharacterMessage(WPARAM wParam)
{
    // Typed text must reach the console and the program in typing order, so it never waits
    // in the queue.
    EngineEvent event;
    QV_InitEvent(&event, EVENT_CHARACTER);
    event.payload[0] = static_cast<uint8_t>(wParam & 0xFF);
    QVI_DispatchEvent(&event);
    return 0;
}

LRESULT OnSystemKeyMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SYSKEYDOWN && wParam == kEnterKey) {
        // Alt+Enter switches between windowed and full screen; it is no key press.
        RequestWindowedMode(!IsCurrentModeWindowed());
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

// ---- Mouse ----------------------------------------------------------------------------

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

void OnMouseMove(LPARAM lParam)
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

void OnMouseButton(UINT message, WPARAM wParam, LPARAM lParam)
{
    const float x = static_cast<float>(LOWORD(lParam));
    const float y = static_cast<float>(HIWORD(lParam));
    QVI_PostMouseEvent(IsButtonDown(message) ? EVENT_MOUSE_DOWN : EVENT_MOUSE_UP, ButtonOf(message, wParam), x, y);
}

void OnMouseWheel(WPARAM wParam)
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

// ---- Dropped files (developer mode only) ----------------------------------------------

void ToForwardSlashes(char* path)
{
    for (char* c = path; *c; ++c) {
        if (*c == '\\')
            *c = '/';
    }
}

void DispatchFileDragged()
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_NAMED);
    EventNamedPayload named;
    memset(&named, 0, sizeof named);
    named.name = kFileDraggedEventName;
    named.value1 = g_droppedPath;
    named.value2 = g_dropPosition;
    memcpy(event.payload, &named, sizeof named);
    QVI_DispatchEvent(&event);
}

// The shell's calls trust the drop's header; a message carrying anything else (it can be
// posted by any code of the process) must not make them read outside the block.
bool IsReadableDrop(HDROP drop)
{
    if (!drop)
        return false;
    const SIZE_T size = GlobalSize(drop);
    if (size < sizeof(DROPFILES))
        return false;
    const DROPFILES* header = static_cast<const DROPFILES*>(GlobalLock(drop));
    if (!header)
        return false;
    const bool namesInside = header->pFiles >= sizeof(DROPFILES) && header->pFiles < size;
    GlobalUnlock(drop);
    return namesInside;
}

LRESULT OnDropFiles(HDROP drop)
{
    if (!IsReadableDrop(drop))
        return 0;
    g_droppedPath[0] = '\0';
    g_dropPosition[0] = '\0';
    POINT point = {};
    if (DragQueryPoint(drop, &point))
        snprintf(g_dropPosition, sizeof g_dropPosition, "%d,%d", static_cast<int>(point.x), static_cast<int>(point.y));

    // Only the first of several dropped files is reported; a longer path is cut.
    const UINT length = DragQueryFileA(drop, 0, g_droppedPath, sizeof g_droppedPath);
    g_droppedPath[sizeof g_droppedPath - 1] = '\0';
    if (length != 0) {
        if (qv->Log)
            qv->Log("Dropped file '%s'", g_droppedPath);
        ToForwardSlashes(g_droppedPath);
        DispatchFileDragged();
    }
    // The drop's memory belongs to the receiver once the message arrived.
    DragFinish(drop);
    return 0;
}

// ---- The loop -------------------------------------------------------------------------

bool IsMessageWaiting()
{
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

}  // namespace

LRESULT CALLBACK QVI_WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        return OnDestroy(window);
    case WM_SIZE:
        if (wParam != SIZE_MAXIMIZED || !ApiObjectExists())
            break;
        OnMaximize(window, lParam);
        return 0;
    case WM_ACTIVATE:
        if (ApiObjectExists())
            OnActivate(wParam);
        break;
    case WM_PAINT:
        // The renderer draws every frame; there is nothing to paint here.
        ValidateRect(window, nullptr);
        return 0;
    case WM_CLOSE:
        return OnClose();
    case WM_KEYDOWN:
    case WM_KEYUP:
        return OnKeyMessage(message, wParam);
    case WM_CHAR:
        return OnCharacterMessage(wParam);
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        return OnSystemKeyMessage(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        OnMouseMove(lParam);
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_XBUTTONDOWN:
    case WM_XBUTTONUP:
        OnMouseButton(message, wParam, lParam);
        break;
    case WM_MOUSEWHEEL:
        OnMouseWheel(wParam);
        break;
    case WM_DROPFILES:
        return OnDropFiles(reinterpret_cast<HDROP>(wParam));
    default:
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

void QVI_PumpWindowMessages()
{
    while (IsMessageWaiting()) {
        MSG message;
        // 0 is WM_QUIT, which posts when the main window goes away, also when the core
        // re-creates it: it ends only this pass. -1 is a failure that would repeat at once.
        const BOOL taken = GetMessageA(&message, nullptr, 0, 0);
        if (taken == 0 || taken == -1)
            return;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void QVI_RunMessageLoop(void (*runFrame)())
{
    for (;;) {
        QVI_PumpWindowMessages();
        runFrame();
        if (!QVI_IsMainWindowActive())
            Sleep(kInactiveSleepMs);
        if (g_core.quit)
            return;
    }
}
