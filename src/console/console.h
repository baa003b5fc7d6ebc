#pragma once

// The developer console's command registry.

// API member (slot 3).
void QV_AddConsoleCommand(const char* name, const char* description);

// The overlays run both every frame after the scene (main thread): the console slides
// towards open or closed by the frame's time step, then draws itself.
void QVI_SlideConsole(float seconds);
void QVI_DrawConsole();
