#include "core/events/event_queue.h"

#include <cstring>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/events/event_payloads.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "core/logging/console.h"

namespace {

// Guarded by RESOURCE_QUEUE.
Array<EngineEvent> eventQueue;

// The frame's batch: main thread only, reused from frame to frame so that a frame
// allocates only when it sees more events than ever before.
Array<EngineEvent> frameEvents;

}  // namespace

void QV_PostEvent(const EngineEvent* event)
{
    if (!event) {
        QVI_Report(QV_LOG_WARNING, "QV_PostEvent: null event ignored.");
        return;
    }
    QVI_QueueEvent(event);
}

void QV_InitEvent(EngineEvent* event, uint32_t type)
{
    if (!event) {
        QVI_Report(QV_LOG_WARNING, "QV_InitEvent: null event ignored.");
        return;
    }
    event->type = type;
    memset(event->payload, 0, sizeof event->payload);
}

void QVI_QueueEvent(const EngineEvent* event)
{
    if (!event)
        return;
    // Copied before locking, so the lock covers only the append.
    const EngineEvent copy = *event;
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    eventQueue.Add(copy);
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
}

void QVI_TakeQueuedEvents(Array<EngineEvent>& batch)
{
    QVI_LockMutexById(MUTEX_RESOURCE_QUEUE);
    batch = eventQueue;
    eventQueue.count = 0;
    QVI_UnlockMutexById(MUTEX_RESOURCE_QUEUE);
}

void QVI_DispatchQueuedEvents()
{
    QVI_TakeQueuedEvents(frameEvents);
    for (int32_t i = 0; i < frameEvents.count; ++i) {
        EngineEvent* event = &frameEvents.data[i];
        QVI_DispatchEvent(event);
        QVI_FreeEventPayload(event);
    }
    frameEvents.count = 0;
}

namespace {

ConsoleEventHandler consoleHandler = nullptr;

bool IsConsoleToggle(const EngineEvent* event, uint8_t toggleKey)
{
    if (event->type == EVENT_CHARACTER)
        return event->payload[0] == toggleKey;
    if (event->type == EVENT_KEY_DOWN) {
        // Compared as a signed byte, so a toggle byte above 127 (the default section
        // sign) is reached only by its character, never by a key code.
        int32_t code;
        memcpy(&code, event->payload, sizeof code);
        return code == static_cast<int8_t>(toggleKey);
    }
    return false;
}

void ToggleConsole(Console& console)
{
    console.ctrlDown = 0;
    console.shiftDown = 0;
    // A console that is not ready (logging off) only stays closed.
    if (!QVI_IsLoggingStarted()) {
        console.open = 0;
        return;
    }
    console.open = console.open ? 0 : 1;
    if (g_core.settings)
        g_core.settings->video.console_open = console.open;
}

}  // namespace

void QVI_SetConsoleEventHandler(ConsoleEventHandler handler)
{
    consoleHandler = handler;
}

int QVI_DispatchEvent(EngineEvent* event)
{
    if (!event)
        return 0;

    Console& console = g_console;
    if (IsConsoleToggle(event, console.toggleKey)) {
        ToggleConsole(console);
        return 0;
    }
    if (console.open && event->type != EVENT_CONSOLE_LINE && consoleHandler) {
        const int answer = consoleHandler(event);
        if (answer != 0)
            return answer;
    }

    QVI_TrackKeyEvent(event);
    QVI_TrackPointerEvent(event);

    ProgramInterface* program = g_core.settings;
    if (!g_core.coreInitialized || !program || !program->OnEvent)
        return 0;
    return program->OnEvent(*event);
}

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

namespace {

CoordinateMapping g_coordinateMapping = nullptr;

}  // namespace

void QVI_SetCoordinateMapping(CoordinateMapping mapping)
{
    g_coordinateMapping = mapping;
}

void QVI_MapWindowToProgramCoordinates(int* x, int* y)
{
    if (g_coordinateMapping)
        g_coordinateMapping(x, y);
}

void QV_RequestShutdown()
{
    if (!g_core.quit) {
        if (qv->GetDateTime && qv->LogEx) {
            const DateTime now = qv->GetDateTime();
            qv->LogEx(QV_LOG_SYSTEM, "Signalling shutdown at %d-%d-%d %.2d:%.2d.%2d", now.year, now.month,
                      now.day, now.hour, now.minute, now.second);
        }
        g_core.quit = 1;
    }
    if (g_core.settings)
        g_core.settings->video.quit = 1;
}

bool QV_IsShuttingDown()
{
    return g_core.quit != 0;
}
