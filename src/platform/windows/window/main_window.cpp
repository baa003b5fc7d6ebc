// The engine's one top-level window: its class, its creation and destruction, where it goes
// and how it looks, the state the message loop shares with its procedure, and the sources
// start-up installs for it.
#include "platform/windows/win32.h"
#include <shellapi.h>

#include "platform/windows/window/main_window.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "platform/windows/resources/resource.h"
#include "platform/window_seams.h"

const char kMainWindowClassName[] = "QuavenWindowClass";

namespace {

// Installed by start-up on the main thread before the window exists.
WindowVideoModeSource g_videoModeSource = nullptr;
WindowRendererSource g_rendererSource = nullptr;
InputActivationFunction g_inputActivation = nullptr;

const int32_t kFallbackClientWidth = 640;
const int32_t kFallbackClientHeight = 480;

// Main thread only: WinMain and the window procedure.
bool g_windowActive = false;
HINSTANCE g_platformInstance = nullptr;

// The full-screen style carries this low style bit as well.
const uint32_t kFullscreenStyleBit = 0x8;
const uint32_t kWindowedStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;

const size_t kTitleCapacity = sizeof(ProgramInterface::title);

// Until start-up installs its sources: the video state in the core record and the desktop.
const VideoParameters* VideoInUse()
{
    if (g_core.video.width > 0 && g_core.video.height > 0)
        return &g_core.video;
    return g_core.settings ? &g_core.settings->video : nullptr;
}

WindowVideoMode DefaultVideoMode()
{
    WindowVideoMode mode = {kFallbackClientWidth, kFallbackClientHeight, true, 0, 0};
    if (const VideoParameters* video = VideoInUse()) {
        mode.clientWidth = video->width;
        mode.clientHeight = video->height;
        mode.windowed = video->windowed != 0;
    }
    mode.desktopWidth = GetSystemMetrics(SM_CXSCREEN);
    mode.desktopHeight = GetSystemMetrics(SM_CYSCREEN);
    return mode;
}

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

// Registering again (a re-created window) fails harmlessly: the class is already there.
void RegisterMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = QVI_WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_QUAVEN_ICON));
    windowClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(IDI_QUAVEN_ICON), IMAGE_ICON,
                                                        GetSystemMetrics(SM_CXSMICON),
                                                        GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    // No class cursor: the cursor changes only when the program asks for one.
    windowClass.hCursor = nullptr;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = kMainWindowClassName;
    RegisterClassExA(&windowClass);
}

// The record's title field need not be terminated within its 128 bytes.
void CopyProgramTitle(char (&title)[kTitleCapacity + 1])
{
    memset(title, 0, sizeof title);
    if (const ProgramInterface* program = g_core.settings)
        memcpy(title, program->title, kTitleCapacity);
}

void BringToFront(HWND window)
{
    SetFocus(window);
    SetForegroundWindow(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetForegroundWindow(window);
    SetFocus(window);
}

}  // namespace

void QVI_SetWindowVideoModeSource(WindowVideoModeSource source)
{
    g_videoModeSource = source;
}

WindowVideoMode QVI_GetWindowVideoMode()
{
    return g_videoModeSource ? g_videoModeSource() : DefaultVideoMode();
}

void QVI_SetWindowRendererSource(WindowRendererSource source)
{
    g_rendererSource = source;
}

RendererImplementation* QVI_GetWindowRenderer()
{
    return g_rendererSource ? g_rendererSource() : g_core.renderer;
}

void QVI_SetInputActivationFunction(InputActivationFunction function)
{
    g_inputActivation = function;
}

void QVI_SetInputImplementationsActive(bool active)
{
    if (g_inputActivation)
        g_inputActivation(active);
}

bool QVI_IsMainWindowActive()
{
    return g_windowActive;
}

void QVI_SetMainWindowActive(bool active)
{
    g_windowActive = active;
}

void QVI_SetPlatformInstance(HINSTANCE instance)
{
    g_platformInstance = instance;
}

HINSTANCE QVI_GetPlatformInstance()
{
    return g_platformInstance;
}

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

bool QVI_CreateMainWindow()
{
    if (g_core.mainWindow) {
        if (qv->LogEx)
            qv->LogEx(QV_LOG_SYSTEM, "Window already created.");
        return true;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterMainWindowClass(instance);

    const WindowVideoMode mode = QVI_GetWindowVideoMode();
    WindowPlacement placement = {};
    QVI_CalcWindowPlacement(mode.clientWidth, mode.clientHeight, &placement, mode.windowed);
    char title[kTitleCapacity + 1];
    CopyProgramTitle(title);
    HWND window = CreateWindowExA(placement.extendedStyle, kMainWindowClassName, title, placement.style, placement.x,
                                  placement.y, placement.width, placement.height, nullptr, nullptr, instance,
                                  nullptr);
    if (!window) {
        if (qv->Log)
            qv->Log("! Quaven FAILED to Create Window.");
        return false;
    }
    g_core.mainWindow = window;

    QVI_CalcWindowPlacement(mode.clientWidth, mode.clientHeight, &placement, mode.windowed);
    MoveWindow(window, placement.x, placement.y, placement.width, placement.height, FALSE);
    BringToFront(window);

    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "Created %swindow (%dx%d) on desktop (%dx%d).", mode.windowed ? "" : "fullscreen ",
                  mode.clientWidth, mode.clientHeight, mode.desktopWidth, mode.desktopHeight);
    // Dropping a file on the window is a development aid only.
    if (g_core.developerMode)
        DragAcceptFiles(window, TRUE);
    return true;
}

void QVI_DestroyMainWindow()
{
    HWND window = g_core.mainWindow;
    if (!window)
        return;
    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "Destroying window...");
    // Cleared first: whatever runs while the window goes away must not use it any more.
    g_core.mainWindow = nullptr;
    DestroyWindow(window);
}
