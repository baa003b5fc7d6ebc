#include "core/events/window_input.h"

#include <cstring>

#include "core/core_state.h"
#include "core/events/event_dispatch.h"
#include "core/events/event_queue.h"
#include "core/events/safe_truncate.h"

namespace {

const uint32_t kMouseDevice = 2;

void Deliver(EngineEvent* event)
{
    if (g_core.coreInitialized)
        QVI_QueueEvent(event);
    else
        QVI_DispatchEvent(event);
}

}  // namespace

void QVI_PostMouseEvent(EngineEventType type, uint16_t button, float x, float y)
{
    EngineEvent event;
    QV_InitEvent(&event, type);
    EventMousePayload mouse;
    memset(&mouse, 0, sizeof mouse);
    mouse.pointer = 0;
    int mappedX = QVI_TruncateToInt(x);
    int mappedY = QVI_TruncateToInt(y);
    QVI_MapWindowToProgramCoordinates(&mappedX, &mappedY);
    mouse.x = mappedX;
    mouse.y = mappedY;
    mouse.button = button;
    mouse.device = kMouseDevice;
    memcpy(event.payload, &mouse, sizeof mouse);
    Deliver(&event);
}

void QVI_PostKeyEvent(EngineEventType type, KeyCode code)
{
    EngineEvent event;
    QV_InitEvent(&event, type);
    memcpy(event.payload, &code, sizeof code);
    Deliver(&event);
}

void QVI_MapWindowToProgramCoordinates(int* x, int* y)
{
    // Autoscaling and the overlay zoom arrive with the screen state; until then
    // program coordinates are window pixels.
}
