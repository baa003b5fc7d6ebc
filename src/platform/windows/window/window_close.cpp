#include "platform/windows/win32.h"

#include "core/core_state.h"
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
