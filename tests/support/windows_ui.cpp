#include "support/windows_ui.h"

#include <cstring>

namespace quaven_test {

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

namespace {

struct WindowSearch {
    DWORD processId;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    char className[64] = {};
    GetWindowThreadProcessId(window, &owner);
    GetClassNameA(window, className, sizeof className);
    if (owner != search->processId || strcmp(className, search->className) || !IsWindowVisible(window)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs) {
    WindowSearch search = {processId, className, nullptr};
    WaitUntil([&search] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeoutMs);
    return search.found;
}

HWND CreateTestWindow(const char* title, DWORD style, int x, int y, int width, int height) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QuavenTestWindow";
    RegisterClassA(&windowClass);  // fails harmlessly once the class exists
    return CreateWindowExA(0, windowClass.lpszClassName, title, style, x, y, width, height, nullptr,
                           nullptr, windowClass.hInstance, nullptr);
}

std::string WindowText(HWND window) {
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], static_cast<int>(text.size())));
    return text;
}

}  // namespace quaven_test
