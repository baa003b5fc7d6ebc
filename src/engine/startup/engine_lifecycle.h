#pragma once

#include <cstdint>

// The engine's run, in the order WinMain calls it. Main thread only.

// The main thread becomes engine thread 1; the API table, the engine locks, the file
// system, the configuration, the log and the program library are set up. False when the
// run cannot go on (WinMain then tells the user and ends with exit code 0). Ends the
// process itself where the run stops at once: no program library (exit code 1), a library
// built for another interface version, or another instance already showing its window
// (exit code 0).
bool QVI_PreInitialize();

// The window, the renderer, input and sound. False when the run cannot go on, after
// telling the user why (WinMain then ends with exit code 1, without shutdown).
bool QVI_InitializeCore();

// Brings up the sound device and makes it the one in use, or the null implementation when
// it does not come up (so nothing plays through a device that failed).
void QVI_StartSoundDevice();

// One engine frame; called once per pass of the message loop, never blocks on the window
// messages.
void QVI_RunFrame();

// The orderly end of the run, once the quit flag is set. When program threads are still
// running after the wait for them, the process ends here, once the log is complete.
void QVI_Shutdown();

// ---- The frame's pacing and its time delta ----------------------------------------------

// The frame's time in the forms the frame uses.
struct FrameDelta {
    float delta;           // seconds, clamped
    int32_t milliseconds;  // whole milliseconds of the delta
    float seconds;         // milliseconds as seconds: what the program sees
};

// A stall longer than this counts as one frame of 1/33 s, so that a program never sees a
// jump after a pause (a dragged window, a debugger).
const float kMaximumFrameDelta = 0.2f;
const float kStallFrameDelta = 1.0f / 33.0f;
// A clock that went backwards gives this instead.
const float kNegativeFrameDelta = 0.001f;

// The delta for elapsed milliseconds: above 0.2 s it becomes 1/33 s, below zero 0.001 s (in
// developer mode with the warning "Found negative time delta in
// QVI_DetermineFrameTimeDelta: %g").
FrameDelta QVI_DetermineFrameTimeDelta(int32_t elapsedMs, bool developerMode);

using FrameClock = uint32_t (*)();
using FrameSleep = void (*)(uint32_t milliseconds);

// Waits until *frameTimeMs milliseconds have passed since *lastFrameTime (set to now when
// 0), re-reading the period on every pass: sleeps 1 ms while more than 2 ms remain and
// watches the clock for the rest. Leaves *lastFrameTime at the clock reading that ended
// the wait and answers the elapsed milliseconds (as a signed difference, so the clock's
// wrap-around does not matter). Null pointers answer 0.
int32_t QVI_WaitForFramePeriod(uint32_t* lastFrameTime, const int32_t* frameTimeMs, FrameClock clock,
                               FrameSleep sleep);
