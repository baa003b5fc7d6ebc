#pragma once

// API members: the program asks the engine to end, and asks whether it is ending.

// Any thread. The first call logs the moment and sets the quit flag; every call marks
// the current program record's video parameters with quit = 1 so that the frame loop
// ends. Shutdown calls it too, so the moment is logged once whoever asks first.
void QV_RequestShutdown();
bool QV_IsShuttingDown();
