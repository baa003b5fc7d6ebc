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
    int mappedX = QVI_TruncateToInt(x);
    int mappedY = QVI_TruncateToInt(y);
    QVI_MapWindowToProgramCoordinates(&mappedX, &mappedY);
    QVI_PostMouseEventAt(type, button, mappedX, mappedY, 0);
}

void QVI_PostMouseEventAt(EngineEventType type, uint16_t button, int x, int y, int16_t wheel)
{
    EngineEvent event;
    QV_InitEvent(&event, type);
    EventMousePayload mouse;
    memset(&mouse, 0, sizeof mouse);
    mouse.pointer = 0;
    mouse.x = x;
    mouse.y = y;
    mouse.button = button;
    mouse.wheel = wheel;
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
