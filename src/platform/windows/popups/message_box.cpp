// The engine's blocking message box: caption from the program's title and the level,
// buttons from the level or the caller, and the answer as a PopupAnswer.
#include "platform/popups.h"

#include "platform/windows/win32.h"

#include <cstdio>
#include <cstring>

#include "core/core_state.h"
#include "platform/popup_seams.h"

namespace {

const char kCaptionWithoutProgram[] = "QUAVEN";
constexpr size_t kTitleCapacity = sizeof(ProgramInterface::title);

// A box with its own button set is a question for the developer: it must never reach
// a player, and it respects the log's level filter like any other report.
bool DeveloperQuestionsAllowed(int level) {
    return g_core.logging && g_core.developerMode && level >= g_core.loggingVerboseLevel;
}

// Non-blocking popups run on their own thread, and a full-screen game must not be the
// owner either: both hang the box on the desktop instead of the main window.
HWND ChooseOwnerWindow() {
    const ProgramInterface* program = g_core.settings;
    if (QVI_IsNonBlockingPopupsFeatureSet() || (program && program->video.windowed == 0))
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
