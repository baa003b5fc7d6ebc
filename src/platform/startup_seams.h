#pragma once

// What start-up takes from the platform layer itself rather than from the OS: the renderer
// built into the executable and the debug switch that hides the cursor. platform/windows
// defines them (the Direct3D 11 renderer and the desktop services).

class RendererImplementation;

extern "C" {
// The renderer the executable exports: the process's one object, made on the first call.
RendererImplementation* QUAVEN_RendImp_GetInterface();
}

// The debug feature HIDE_CURSOR, read at pre-initialisation: every cursor request then
// hides the cursor.
void QVI_SetHideCursor(bool hide);
