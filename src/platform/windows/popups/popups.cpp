// The engine's modal boxes: the blocking message box (caption from the program's title and
// the level, buttons from the level or the caller, the answer as a PopupAnswer), the popups
// that the main thread shows (blocking, or from a "Popup" thread when the game asks for
// non-blocking popups) while other threads may only log their text, and the value-editing
// dialog of the platform commands.
#include "platform/popups.h"

#include "platform/windows/win32.h"

#include "platform/windows/popups/edit_value_dialog.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "platform/windows/resources/resource.h"

namespace {
// Read by the main thread and by "Popup" threads without a lock.
std::atomic<bool> nonBlockingPopups{false};
std::atomic<PopupLogFlushHook> logFlushHook{nullptr};
}  // namespace

bool QVI_IsNonBlockingPopupsFeatureSet() { return nonBlockingPopups.load(); }

void QVI_SetNonBlockingPopupsFeature(bool on) { nonBlockingPopups.store(on); }

void QVI_SetPopupLogFlushHook(PopupLogFlushHook hook) { logFlushHook.store(hook); }

PopupLogFlushHook QVI_GetPopupLogFlushHook() { return logFlushHook.load(); }

namespace {

const char kCaptionWithoutProgram[] = "QUAVEN";
constexpr size_t kTitleCapacity = sizeof(ProgramInterface::title);

// A box with its own button set is a question for the developer: it must never reach
// a player, and it respects the log's level filter like any other report.
bool DeveloperQuestionsAllowed(int level) {
    return g_core.logging && g_core.developerMode && level >= g_core.loggingVerboseLevel;
}

// Non-blocking popups and boxes of game threads run on threads that do not own the main
// window (owning it would tie the box to the main thread's message queue, which may be
// waiting for the very thread that shows it), and a full-screen game must not be the owner
// either: all of them hang the box on the desktop instead of the main window.
HWND ChooseOwnerWindow() {
    const ProgramInterface* program = g_core.settings;
    if (QVI_IsNonBlockingPopupsFeatureSet() || !QV_IsMainThread() || (program && program->video.windowed == 0))
        return GetDesktopWindow();
    HWND owner = g_core.mainWindow;
    // A window destroyed a moment ago would make MessageBoxA fail and show nothing.
    if (owner && !IsWindow(owner)) return nullptr;
    return owner;
}

const char* LevelSuffix(int level) {
    switch (level) {
    case QV_LOG_WARNING: return " - Warning";
    case QV_LOG_ERROR:
    case QV_LOG_SYSTEM: return " - Error";
    default: return "";
    }
}

void BuildCaption(int level, char* caption, size_t size) {
    const ProgramInterface* program = g_core.settings;
    // The title field need not be terminated: never read past its 128 bytes.
    const int titleLength = program ? static_cast<int>(strnlen(program->title, kTitleCapacity)) : 0;
    if (program)
        snprintf(caption, size, "%.*s%s", titleLength, program->title, LevelSuffix(level));
    else
        snprintf(caption, size, "%s%s", kCaptionWithoutProgram, LevelSuffix(level));
}

int DefaultButtonsForLevel(int level) {
    switch (level) {
    case QV_LOG_WARNING:
    case QV_LOG_ERROR: return POPUP_BUTTONS_OK_CANCEL;
    case QV_LOG_SYSTEM: return POPUP_BUTTONS_YES_NO_CANCEL;
    default: return POPUP_BUTTONS_OK;
    }
}

bool ButtonFlags(int buttons, UINT* flags) {
    switch (buttons) {
    case POPUP_BUTTONS_OK: *flags = MB_OK; return true;
    case POPUP_BUTTONS_OK_CANCEL: *flags = MB_OKCANCEL; return true;
    case POPUP_BUTTONS_YES_NO_CANCEL: *flags = MB_YESNOCANCEL; return true;
    case POPUP_BUTTONS_CANCEL_TRY_CONTINUE: *flags = MB_CANCELTRYCONTINUE; return true;
    default: return false;
    }
}

// Cancel means "stop the program now". ExitProcess rather than exit: global destructors
// must not run while other threads may still be using those objects. The log file is
// flushed first so that it keeps everything written before the box.
[[noreturn]] void EndProcessAfterCancel() {
    if (PopupLogFlushHook flush = QVI_GetPopupLogFlushHook()) flush();
    ExitProcess(static_cast<UINT>(-1));
}

}  // namespace

int QVI_ShowMessageBox(int level, int buttons, const char* text) {
    if (buttons != POPUP_BUTTONS_LEVEL_DEFAULT && !DeveloperQuestionsAllowed(level)) return QV_POPUP_NOTHING;
    if (buttons == POPUP_BUTTONS_LEVEL_DEFAULT) buttons = DefaultButtonsForLevel(level);
    UINT flags = 0;
    if (!ButtonFlags(buttons, &flags)) return QV_POPUP_NOTHING;

    char caption[kTitleCapacity + 16];
    BuildCaption(level, caption, sizeof caption);
    switch (MessageBoxA(ChooseOwnerWindow(), text ? text : "", caption, flags)) {
    case IDOK: return QV_POPUP_OK;
    case IDCANCEL: EndProcessAfterCancel();
    case IDTRYAGAIN: return QV_POPUP_TRY_AGAIN;
    case IDCONTINUE: return QV_POPUP_CONTINUE;
    case IDYES: return QV_POPUP_YES;
    case IDNO: return QV_POPUP_NO;
    default: return QV_POPUP_NOTHING;
    }
}

namespace {

const char kPopupThreadName[] = "Popup";

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
    if (!QV_IsMainThread()) {
        if (qv && qv->LogEx) qv->LogEx(level, "%s", text);
        return QV_POPUP_CONTINUE;
    }
    // When no thread can be started the text is still shown, blocking, rather than lost.
    if (g_core.coreInitialized && QVI_IsNonBlockingPopupsFeatureSet() && StartPopupThread(level, text))
        return QV_POPUP_OK;
    return QVI_ShowMessageBox(level, POPUP_BUTTONS_LEVEL_DEFAULT, text);
}

char g_editValueBuffer[kEditValueBufferSize] = "";
char g_editValueTitle[kEditValueTitleSize] = "Edit value";

namespace {

// What OK may read back: the control's text and its terminator in 2047 bytes.
constexpr int kEditReadCapacity = kEditValueBufferSize - 1;

void OnInitDialog(HWND dialog) {
    // The buffers are written by other code: never let a missing terminator run past them.
    g_editValueBuffer[kEditValueBufferSize - 1] = '\0';
    g_editValueTitle[kEditValueTitleSize - 1] = '\0';
    SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, g_editValueBuffer);
    SetWindowTextA(dialog, g_editValueTitle);
    SetFocus(GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT));
}

void ReadEditedText(HWND dialog) {
    if (GetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, g_editValueBuffer, kEditReadCapacity) == 0)
        g_editValueBuffer[0] = '\0';
}

}  // namespace

INT_PTR CALLBACK QVI_EditValueDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        OnInitDialog(dialog);
        return FALSE;  // the focus is set already
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
            ReadEditedText(dialog);
            EndDialog(dialog, static_cast<INT_PTR>(wParam));
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, static_cast<INT_PTR>(wParam));
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

INT_PTR QVI_RunEditValueDialog(HINSTANCE instance, bool multiline) {
    if (!instance) instance = GetModuleHandleA(nullptr);
    const int templateId = multiline ? IDD_EDIT_VALUE_MULTILINE : IDD_EDIT_VALUE;
    HWND owner = g_core.mainWindow;
    if (owner && !IsWindow(owner)) owner = nullptr;
    return DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId), owner, QVI_EditValueDialogProc, 0);
}
