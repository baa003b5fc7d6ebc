#pragma once

#include <cstdint>

#include "quaven/events.h"

// What the event dispatcher needs of the developer console: its toggle key, whether it
// is ready and open, and its input handler. The console itself arrives later and takes
// these over; until then there is no console: it is never ready, so the toggle key
// only keeps it closed, and it consumes nothing.
struct ConsoleDispatchState {
    uint8_t started;    // the console is ready for input
    uint8_t ctrlDown;   // CONTROL held, as the console saw it
    uint8_t shiftDown;  // SHIFT held, as the console saw it
    uint8_t open;
    uint8_t toggleKey;  // low byte of the configured toggle KeyCode
};

// Starts with the toggle key of the default configuration (code 49831, low byte 167:
// the section sign of the Western code page).
ConsoleDispatchState& QVI_GetConsoleDispatchState();

// The console's answer to an event while it is open: non-zero consumes the event.
int QVI_ConsoleHandleEvent(EngineEvent* event);
