#include "platform/windows/win32.h"
#include <shellapi.h>

#include "platform/windows/window/main_window.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "platform/windows/resources/resource.h"
#include "platform/windows/window/window_placement.h"
#include "platform/windows/window/window_proc.h"
#include "platform/window_seams.h"

const char kMainWindowClassName[] = "QuavenWindowClass";

namespace {

const size_t kTitleCapacity = sizeof(ProgramInterface::title);

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
