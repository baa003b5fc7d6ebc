#include "platform/popup_seams.h"

#include <atomic>

namespace {
// Read by the main thread and by "Popup" threads without a lock.
std::atomic<bool> nonBlockingPopups{false};
std::atomic<PopupLogFlushHook> logFlushHook{nullptr};
}  // namespace

bool QVI_IsNonBlockingPopupsFeatureSet() { return nonBlockingPopups.load(); }

void QVI_SetNonBlockingPopupsFeature(bool on) { nonBlockingPopups.store(on); }

void QVI_SetPopupLogFlushHook(PopupLogFlushHook hook) { logFlushHook.store(hook); }

PopupLogFlushHook QVI_GetPopupLogFlushHook() { return logFlushHook.load(); }
