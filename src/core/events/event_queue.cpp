#include "core/events/event_queue.h"

#include <cstring>

#include "core/events/event_dispatch.h"
#include "core/events/event_payloads.h"
#include "core/engine_log.h"
#include "core/locks.h"

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
