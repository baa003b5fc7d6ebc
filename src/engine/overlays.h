#pragma once

// The frame's base transform and the developer overlays.

void QVI_SetupFrameTransforms();
// May change the frame's delta (seconds), which the rest of the frame then uses.
void QVI_DrawTimeDeltaTest(float* seconds);
void QVI_DrawDebugOverlays();
void QVI_DrawFrameBorders();
void QVI_DrawDeveloperInfo(float seconds);
