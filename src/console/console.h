#pragma once

#include "quaven/events.h"

// The developer console overlay: its command registry, its input handler and its step of
// the developer overlays. The record and the line writer are core's (core/logging/console.h).

// The font the console and the developer overlays draw with, when the game ships it.
const char kConsoleFontName[] = "core/console.mft";

// API member (slot 3): registers a command name (and a description shown with a single
// completion) for the console's completion. Any thread.
void QV_AddConsoleCommand(const char* name, const char* description);

// The event dispatcher's console handler (installed with QVI_SetConsoleEventHandler): the
// open console's answer to an event; non-zero consumes it. Main thread.
int QVI_ConsoleHandleEvent(EngineEvent* event);

// The console's step at the end of the developer overlays: while the console is ready it
// slides by the frame's `seconds`, then it is drawn over everything else. Main thread,
// inside the frame.
void QVI_DrawConsole(float seconds);
