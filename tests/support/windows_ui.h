// Waiting from a test: for a condition polled with a time limit, and for a window of a
// process (this one or a child) to show; and reading a window's text.
#pragma once

#include "platform/windows/win32.h"

#include <functional>
#include <string>

namespace quaven_test {

// Polls condition every 10 ms; true once it holds, false when timeoutMs passed first.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);

// The first visible top-level window of class className ("#32770" for a dialog) that
// process processId shows within timeoutMs; null when none does.
HWND WaitForWindow(DWORD processId, const char* className, DWORD timeoutMs);

// The window's text; of a control too (a dialog's field, a message box's text: 0xFFFF).
std::string WindowText(HWND window);

// A top-level window of this thread that does nothing of its own (DefWindowProc), for the
// engine to own boxes with or to draw into.
HWND CreateTestWindow(const char* title, DWORD style, int x, int y, int width, int height);

}  // namespace quaven_test
