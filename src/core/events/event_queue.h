#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/events.h"

// The queue that carries events from any thread to the main thread's next frame, the
// dispatch of each event there, and the input the window turns into events.

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

// Handles one event on the main thread, in this order: the console's toggle key, the
// open console, the key-state and pointer tables, then the program's OnEvent (only
// once core initialisation has finished). May write the event's flags and previous
// positions. Answers the console's or the program's answer, else 0.
int QVI_DispatchEvent(EngineEvent* event);

// The developer console's input handler, which the console (a layer above) installs:
// offered every event but EVENT_CONSOLE_LINE while the console is open; non-zero consumes
// the event. Without one the open console consumes nothing.
typedef int (*ConsoleEventHandler)(EngineEvent* event);
void QVI_SetConsoleEventHandler(ConsoleEventHandler handler);

// Window input turned into events (called by the window procedure). Before core
// initialisation has finished the event is dispatched at once, so the key tables and
// the console see it and the program does not; afterwards it is queued for the next
// frame.

// A mouse event of pointer 0 from the mouse (device 2) at window pixel (x, y).
void QVI_PostMouseEvent(EngineEventType type, uint16_t button, float x, float y);
// The same at a position already in program coordinates, with a wheel movement.
void QVI_PostMouseEventAt(EngineEventType type, uint16_t button, int x, int y, int16_t wheel);
// A key event with a KeyCode.
void QVI_PostKeyEvent(EngineEventType type, KeyCode code);

// Window pixels to program coordinates, in place, through the mapping start-up installs
// (the screen geometry lives above the core); without one they are the same.
using CoordinateMapping = void (*)(int* x, int* y);
void QVI_SetCoordinateMapping(CoordinateMapping mapping);
void QVI_MapWindowToProgramCoordinates(int* x, int* y);

// API members: the program asks the engine to end, and asks whether it is ending.

// Any thread. The first call logs the moment and sets the quit flag; every call marks
// the current program record's video parameters with quit = 1 so that the frame loop
// ends. Shutdown calls it too, so the moment is logged once whoever asks first.
void QV_RequestShutdown();
bool QV_IsShuttingDown();
