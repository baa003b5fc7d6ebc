#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/events.h"

// The queue that carries events from any thread to the main thread's next frame.

// API members.
void QV_PostEvent(const EngineEvent* event);          // queues a copy; any thread
void QV_InitEvent(EngineEvent* event, uint32_t type); // type set, payload zeroed

// Appends a copy of the event under RESOURCE_QUEUE; any thread. Events are never
// merged or dropped.
void QVI_QueueEvent(const EngineEvent* event);

// Moves every queued event into batch (whose own storage is reused when large enough)
// and empties the queue, keeping its storage. Only the copy runs under RESOURCE_QUEUE.
void QVI_TakeQueuedEvents(Array<EngineEvent>& batch);

// The frame's event step, main thread only: takes the queue, dispatches each event in
// posting order, frees its service payload, then empties the batch. Events posted
// meanwhile, also by the program's OnEvent, wait for the next call.
void QVI_DispatchQueuedEvents();
