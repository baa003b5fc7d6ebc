#include <windows.h>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_dispatch.h"
#include "core/events/event_queue.h"
#include "platform/windows/window/window_message_handlers.h"

LRESULT QVI_OnClose()
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

LRESULT QVI_OnDestroy(HWND window)
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
