#pragma once

#include <cstdint>

#include "quaven/program.h"

// Display re-initialisation with new video parameters: the API member decides the size and
// marks a change pending; the next drawn frame applies it at a safe point.

// API member (slot 29): schedules a re-initialisation; false when none was scheduled.
// A program thread must hold MAIN_LOOP while calling it.
bool QV_ReinitializeWithParameters(VideoParameters parameters);

// The frame's first pass applies a scheduled re-initialisation (main thread, MAIN_LOOP
// held): sound comes back when the new parameters turn it on, and a changed size or window
// mode re-initialises the display.
bool QVI_IsReinitPending();
void QVI_ApplyPendingReinit();

// Applies the video state to the display: a quick mode change of the device, or a new
// window and device when the device refuses it. A device that refuses the new parameters
// altogether leaves the display working at the earlier ones, and the engine's copies of
// the parameters then say so. Sends EVENT_DISPLAY_REINIT before and after, then
// EVENT_RESOLUTION_CHANGED. When even the window cannot be made again the quit flag is set.
void QVI_Reinitialize();
