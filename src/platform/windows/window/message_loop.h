#pragma once

// The main thread's loop between the window and the engine. Main thread only.

// Takes and dispatches the messages waiting for this thread's windows without ever
// waiting for one. A WM_QUIT (or a failing GetMessageA) ends this pass of pumping; the
// messages still waiting are taken by the next pass.
void QVI_PumpWindowMessages();

// Until the quit flag is found set after a frame: pump the messages, run one engine frame
// (the engine's frame function, given by the entry point that composes the engine), and idle
// 15 ms when the window is not active.
void QVI_RunMessageLoop(void (*runFrame)());
