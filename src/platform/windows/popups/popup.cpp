// Popups: the main thread shows them (blocking, or from a "Popup" thread when the game
// asks for non-blocking popups); other threads may not open windows for the engine and
// only log the text.
#include "platform/popups.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "platform/popup_seams.h"

namespace {

constexpr uint32_t kMainThreadId = 1;
const char kPopupThreadName[] = "Popup";

bool OnMainThread() {
    const ThreadLocalState* state = QVI_GetThreadLocalState();
    return state && state->thread_id == kMainThreadId;
}

void FreePopupRecord(PopupThreadRecord* record) {
    free(record->text);
    free(record);
}

// Hands the text to a new "Popup" thread; false when no thread could take it, in which
// case nothing is left allocated.
bool StartPopupThread(int level, const char* text) {
    if (!qv || !qv->CreateThread) return false;
    auto* record = static_cast<PopupThreadRecord*>(malloc(sizeof(PopupThreadRecord)));
    if (!record) return false;
    const size_t size = strlen(text) + 1;
    record->level = level;
    record->text = static_cast<char*>(malloc(size));
    if (!record->text) {
        free(record);
        return false;
    }
    memcpy(record->text, text, size);
    if (qv->CreateThread(kPopupThreadName, QVI_PopupThread, record, 0) != 0) return true;
    // The thread never started, so the record is still ours.
    FreePopupRecord(record);
    return false;
}

}  // namespace

void QVI_PopupThread(void* argument) {
    auto* record = static_cast<PopupThreadRecord*>(argument);
    if (!record) return;
    QVI_ShowMessageBox(record->level, POPUP_BUTTONS_LEVEL_DEFAULT, record->text);
    FreePopupRecord(record);
}

int QVI_ShowPopup(int level, const char* text) {
    if (!text) text = "";
    if (!OnMainThread()) {
        if (qv && qv->LogEx) qv->LogEx(level, "%s", text);
        return QV_POPUP_CONTINUE;
    }
    // When no thread can be started the text is still shown, blocking, rather than lost.
    if (g_core.coreInitialized && QVI_IsNonBlockingPopupsFeatureSet() && StartPopupThread(level, text))
        return QV_POPUP_OK;
    return QVI_ShowMessageBox(level, POPUP_BUTTONS_LEVEL_DEFAULT, text);
}
