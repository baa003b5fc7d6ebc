#pragma once

#include <cstdint>

#include "quaven/events.h"

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

// Window pixels to program coordinates, in place.
void QVI_MapWindowToProgramCoordinates(int* x, int* y);
