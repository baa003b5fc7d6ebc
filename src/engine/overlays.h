#pragma once

// The frame's base transform and the developer overlays. Main thread, inside the frame.

// Pushes the world transform that maps the program's canvas onto the screen (scaled,
// rotated and centred); the frame pops it after QVI_DrawFrameBorders.
void QVI_SetupFrameTransforms();
// May change the frame's delta (seconds), which the rest of the frame then uses.
void QVI_DrawTimeDeltaTest(float* seconds);
void QVI_DrawDebugOverlays();
// Black bands over whatever lies outside the canvas, in canvas coordinates.
void QVI_DrawFrameBorders();
// After the scene: the frame rate, the developer keys and panels, and the console.
void QVI_DrawDeveloperInfo(float seconds);

// Start-up: window input reaches the program in canvas coordinates (autoscaling and the
// overlay zoom undone).
void QVI_InstallWindowToProgramMapping();
