#include "core/logging/log_popup.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/early_messages.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "platform/popups.h"

Array<PopupRequest> g_popupQueue;
Array<char*> g_shownPopups;

namespace {

// Moves the queue's storage into pending and leaves the queue empty without storage.
void TakeQueue(Array<PopupRequest>& pending)
{
    std::swap(pending.data, g_popupQueue.data);
    std::swap(pending.count, g_popupQueue.count);
    std::swap(pending.capacity, g_popupQueue.capacity);
}

} // namespace

void QVI_ShowQueuedPopups()
{
    // Popups queued before the window and devices exist wait for the first frame.
    if (!g_core.coreInitialized)
        return;

    Array<PopupRequest> pending;
    QVI_LockMutexById(MUTEX_PRINT);
    TakeQueue(pending);
    QVI_UnlockMutexById(MUTEX_PRINT);

    // PRINT is free again: a blocking popup never holds up another thread's logging.
    for (int32_t i = 0; i < pending.count; ++i)
        QVI_ShowPopup(pending.data[i].level, pending.data[i].text.text ? pending.data[i].text.text : "");
}

void QVI_FreePopupLists()
{
    Array<PopupRequest> pending;
    QVI_LockMutexById(MUTEX_PRINT);
    TakeQueue(pending);
    for (int32_t i = 0; i < g_shownPopups.count; ++i)
        free(g_shownPopups.data[i]);
    g_shownPopups.Release();
    QVI_UnlockMutexById(MUTEX_PRINT);
}

namespace {

// "[POPUP] " and a whole formatted message.
const int kPopupLineBytes = kLogMessageBytes + 8;

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
    va_list args;
    if (!QVI_IsLoggingStarted()) {
        va_start(args, format);
        QVI_KeepEarlyMessage(true, level, format, args);
        va_end(args);
        return QV_POPUP_NOTHING;
    }
    if (g_core.loggingVerboseLevel > level)
        return QV_POPUP_NOTHING;
    // The console overlay draws on the main thread holding PRINT and the console lock: a
    // dialog there would pump window messages into the console in the middle of its walk.
    if (g_console.drawing && QV_IsMainThread())
        return QV_POPUP_NOTHING;
    if (!format) {
        QV_LogEx(QV_LOG_WARNING, "A popup without a format string was not shown.");
        return QV_POPUP_NOTHING;
    }

    char message[kLogMessageBytes];

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
    if (QV_IsMainThread())
        return QVI_ShowPopup(level, message);
    QueueForMainThread(level, message);
    return QV_POPUP_CONTINUE;
}
