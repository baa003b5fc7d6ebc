#pragma once
// Engine message boxes and popups: the boxes that report failures, warnings and
// developer questions to the person at the keyboard.
//
// Answers are PopupAnswer values (quaven/types.h): QV_POPUP_NOTHING 0, QV_POPUP_OK 1
// (also: shown from the "Popup" thread without waiting), QV_POPUP_TRY_AGAIN 3,
// QV_POPUP_CONTINUE 4 (also: not shown because the caller is not the main thread),
// QV_POPUP_YES 5, QV_POPUP_NO 6. Cancel has no value: it ends the process with -1.

#include "quaven/types.h"

// The button sets of QVI_ShowMessageBox.
enum PopupButtons {
    POPUP_BUTTONS_LEVEL_DEFAULT = 0,  // chosen from the level
    POPUP_BUTTONS_OK = 1,
    POPUP_BUTTONS_OK_CANCEL = 2,
    POPUP_BUTTONS_YES_NO_CANCEL = 3,
    POPUP_BUTTONS_CANCEL_TRY_CONTINUE = 4
};

// Shows text on the main thread (blocking, or from a "Popup" thread when
// NON_BLOCKING_POPUPS is set after core initialisation). On any other thread it
// only logs the text at the level and answers QV_POPUP_CONTINUE.
int QVI_ShowPopup(int level, const char* text);

// A blocking message box with the engine's caption and button conventions.
// A non-zero button set makes it a developer question, shown only in developer
// mode. Cancel ends the process with exit code -1.
int QVI_ShowMessageBox(int level, int buttons, const char* text);

// What a "Popup" thread receives: the level and a heap copy of the text (malloc), both
// freed by the thread.
struct PopupThreadRecord {
    int level;
    char* text;
};

// The routine of a "Popup" thread: shows its record's text in a blocking message box at
// the record's level, then frees the record. A null record does nothing.
void QVI_PopupThread(void* record);

// What the popups need from parts of the engine that arrive later, kept behind two small
// switches so that the popups work and can be tested now.

// Whether the feature NON_BLOCKING_POPUPS is set. The configuration sets it once it has
// read the APPLICATION and variant feature lists; until then it is off.
bool QVI_IsNonBlockingPopupsFeatureSet();
void QVI_SetNonBlockingPopupsFeature(bool on);

// Called just before a Cancel in a message box ends the process, so the log file keeps
// everything written so far. The logging sets it to the function that flushes the log
// file; while none is set nothing is flushed.
using PopupLogFlushHook = void (*)();
void QVI_SetPopupLogFlushHook(PopupLogFlushHook hook);
PopupLogFlushHook QVI_GetPopupLogFlushHook();
