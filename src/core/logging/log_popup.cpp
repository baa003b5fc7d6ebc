
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/logging.h"
#include "core/logging/message_format.h"
#include "core/logging/popup_queue.h"
#include "core/threads.h"
#include "platform/popups.h"

namespace {

const uint32_t kMainThreadId = 1;
// "[POPUP] " and a whole formatted message.
const int kPopupLineBytes = kLogMessageBytes + 8;

bool OnMainThread()
{
    ThreadLocalState* state = QVI_GetThreadLocalState();
    return state && state->thread_id == kMainThreadId;
}

// Under PRINT.
bool WasShownBefore(const char* text)
{
    for (int32_t i = 0; i < g_shownPopups.count; ++i) {
        if (strcmp(g_shownPopups.data[i], text) == 0)
            return true;
    }
    return false;
}

void WritePopupLine(int level, const char* text)
{
    char line[kPopupLineBytes];
    snprintf(line, sizeof(line), "[POPUP] %s", text);
    g_console.Print(level, line);
}

void QueueForMainThread(int level, const char* text)
{
    PopupRequest request;
    request.level = level;
    request.text.Assign(text);
    QVI_LockMutexById(MUTEX_PRINT);
    g_popupQueue.Add(request);
    QVI_UnlockMutexById(MUTEX_PRINT);
}

} // namespace

int QV_LogPopup(int level, const char* format, ...)
{
    if (!QVI_IsLoggingStarted() || g_core.loggingVerboseLevel > level)
        return QV_POPUP_NOTHING;
    if (!format) {
        QV_LogEx(QV_LOG_WARNING, "A popup without a format string was not shown.");
        return QV_POPUP_NOTHING;
    }

    char message[kLogMessageBytes];
    va_list args;

    // Before the program runs a problem goes straight to the person; the dialog's answer
    // is not the caller's business.
    if (!g_core.programInitRan) {
        va_start(args, format);
        QVI_FormatLogMessage(message, format, args);
        va_end(args);
        QVI_ShowPopup(level, message);
        return QV_POPUP_NOTHING;
    }

    QVI_LockMutexById(MUTEX_PRINT);
    va_start(args, format);
    QVI_FormatLogMessage(message, format, args);
    va_end(args);

    // Once the program runs, popups are a developer's tool only.
    if (!g_core.developerMode) {
        QVI_UnlockMutexById(MUTEX_PRINT);
        return QV_POPUP_NOTHING;
    }

    if (WasShownBefore(message)) {
        QVI_UnlockMutexById(MUTEX_PRINT);
        WritePopupLine(level, message);
        return QV_POPUP_OK;
    }
    char* remembered = QVI_StrDup(message);
    if (remembered)
        g_shownPopups.Add(remembered);
    QVI_UnlockMutexById(MUTEX_PRINT);

    WritePopupLine(level, message);
    if (OnMainThread())
        return QVI_ShowPopup(level, message);
    QueueForMainThread(level, message);
    return QV_POPUP_CONTINUE;
}
