#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"

// The state behind QV_LogPopup, which logging.h declares with the other logging members.

// A popup that a thread other than the main thread raised; the main thread shows it at
// the end of its next frame. The record owns its text.
struct PopupRequest {
    int32_t level = 0;  // LogLevel
    String text;
};

// Popups waiting for the main thread, oldest first. Guarded by the PRINT lock.
extern Array<PopupRequest> g_popupQueue;

// Heap copies of every text LogPopup has shown or queued once the program runs, so each
// is shown once. Guarded by the PRINT lock; only grows during the run.
extern Array<char*> g_shownPopups;

// The frame, on the main thread: once the core is initialised, takes every queued popup
// out of the queue and shows them in order through the platform's popup.
void QVI_ShowQueuedPopups();

// Process exit: frees the queue and the shown texts.
void QVI_FreePopupLists();
