#include "platform/windows/win32.h"

#include "platform/windows/window/message_loop.h"

#include "core/core_state.h"
#include "platform/windows/window/window_state.h"

namespace {

// An inactive engine runs at most about 60 passes a second.
const DWORD kInactiveSleepMs = 15;

bool IsMessageWaiting()
{
    MSG message;
    return PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE) != 0;
}

}  // namespace

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
