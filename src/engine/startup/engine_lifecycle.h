#pragma once

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

// One engine frame; called once per pass of the message loop, never blocks on the window
// messages.
void QVI_RunFrame();

// The orderly end of the run, once the quit flag is set. When program threads are still
// running after the wait for them, the process ends here, once the log is complete.
void QVI_Shutdown();
