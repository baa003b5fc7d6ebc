#pragma once
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
