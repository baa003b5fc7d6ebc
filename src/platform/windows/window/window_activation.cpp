#include "platform/windows/win32.h"

#include "core/core_state.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "graphics/renderer/renderer_implementation.h"
#include "platform/windows/window/window_message_handlers.h"
#include "platform/window_seams.h"
#include "platform/windows/window/window_state.h"

namespace {

void QueueActivationEvent(bool active)
{
    EngineEvent event;
    QV_InitEvent(&event, EVENT_ACTIVATION);
    event.payload[0] = active ? 0 : 1;
    // Queued even before core initialisation has finished: the program learns of it on
    // its first frames.
    QVI_QueueEvent(&event);
}

}  // namespace

void QVI_OnActivate(WPARAM wParam)
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
