#include "core/logging/logging.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "core/engine_time.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/early_messages.h"
#include "core/logging/log_file.h"
#include "core/logging/log_popup.h"
#include "platform/popups.h"

namespace {

// Common body of Log and LogEx.
int LogAtLevel(int level, const char* format, va_list args)
{
    if (!QVI_IsLoggingStarted()) {
        QVI_KeepEarlyMessage(false, level, format, args);
        return 0;
    }
    if (g_core.loggingVerboseLevel > level)
        return 0;
    if (!format) {
        QV_LogEx(QV_LOG_WARNING, "A log message without a format string was not logged.");
        return 0;
    }

    char message[kLogMessageBytes];
    QVI_LockMutexById(MUTEX_PRINT);
    int result = QVI_FormatLogMessage(message, format, args);
    QVI_UnlockMutexById(MUTEX_PRINT);

    g_console.Print(level, message);
    return result;
}

} // namespace

int QV_Log(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = LogAtLevel(QV_LOG_INFO, format, args);
    va_end(args);
    return result;
}

int QV_LogEx(int level, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    int result = LogAtLevel(level, format, args);
    va_end(args);
    return result;
}

namespace {

void LockConsole()
{
    if (g_console.consoleLock && qv->LockMutex)
        qv->LockMutex(g_console.consoleLock);
}

void UnlockConsole()
{
    if (g_console.consoleLock && qv->UnlockMutex)
        qv->UnlockMutex(g_console.consoleLock);
}

void FreeConsoleLines()
{
    for (int32_t i = 0; i < g_console.lines.count; ++i)
        QVI_FreeLogLineTexts(&g_console.lines.data[i]);
    g_console.lines.count = 0;
}

// Chooses the log file and writes its header; answers whether the file is in use.
bool OpenLogFileForRun()
{
    String path = QVI_OpenLogFile();
    if (!path.text || strlen(path.text) >= static_cast<size_t>(kLogPathBytes))
        return false;
    if (!QVI_WriteLogFileHeader(path.text))
        return false;
    memcpy(g_console.logPath, path.text, strlen(path.text) + 1);
    return true;
}

} // namespace

void QVI_SetUpConsoleLogging()
{
    __atomic_store_n(&g_console.started, 0, __ATOMIC_RELEASE);
    g_console.consoleLock = qv->CreateMutex ? qv->CreateMutex("QV_CONSOLE") : nullptr;
    g_console.open = 0;
    g_console.logToFile = 0;
    g_console.logPath[0] = '\0';
    memset(g_console.counters, 0, sizeof(g_console.counters));
    g_console.minimumLevel = static_cast<int16_t>(g_core.loggingVerboseLevel);
}

void QVI_StartLogging()
{
    if (g_core.console) {
        bool fileWanted = g_core.logging != 0;
        bool fileOpened = fileWanted && OpenLogFileForRun();
        g_console.logToFile = fileOpened ? 1 : 0;
        __atomic_store_n(&g_console.started, 1, __ATOMIC_RELEASE);
        // A Cancel in an engine message box ends the process at once; the log file must
        // still end with whole lines.
        QVI_SetPopupLogFlushHook(QVI_HoldLogFileForExit);

        if (fileWanted && !fileOpened)
            QV_LogEx(QV_LOG_WARNING, "Unable to allocate file for the logs.\n");
        DateTime today = {};
        QVI_GetCurrentDateTime(&today);
        QV_Log("Logging started on %.2d-%.2d-%.2d.", today.year, today.month, today.day);
    }
    QV_LogEx(QV_LOG_SYSTEM, "Logging Verbose Level set to %d.", g_core.loggingVerboseLevel);
    if (QVI_IsLoggingStarted())
        QVI_DeliverEarlyMessages();
    else
        QVI_DropEarlyMessages();
}

void QVI_LogShutdownSummary()
{
    if (!QVI_IsLoggingStarted())
        return;
    LockConsole();
    int errors = g_console.counters[QV_LOG_ERROR];
    int warnings = g_console.counters[QV_LOG_WARNING];
    int infos = g_console.counters[QV_LOG_INFO];
    UnlockConsole();
    QV_Log("QUAVEN log: %d errors, %d warnings, %d infos.", errors, warnings, infos);
}

void QVI_StopLogging()
{
    // Logging ends here even with the overlay closed: the console lock and the file
    // system are deleted next, and a program thread still running must find logging off
    // rather than a freed lock.
    LockConsole();
    __atomic_store_n(&g_console.started, 0, __ATOMIC_RELEASE);
    FreeConsoleLines();
    g_console.open = 0;
    g_console.scroll = 0;
    UnlockConsole();
    g_console.consoleLock = nullptr;
}

void QVI_FreeLoggingGlobals()
{
    FreeConsoleLines();
    g_console.lines.Release();
    for (int32_t i = 0; i < g_console.history.count; ++i)
        free(g_console.history.data[i]);
    g_console.history.Release();
    for (int32_t i = 0; i < g_console.commands.count; ++i)
        delete g_console.commands.data[i];
    g_console.commands.Release();
    g_console.hint.Assign(nullptr);
    QVI_FreePopupLists();
    QVI_DropEarlyMessages();
}

namespace {

bool IsFlag(char c)
{
    return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0' || c == '\'';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool IsLengthModifier(char c)
{
    return c == 'h' || c == 'l' || c == 'L' || c == 'q' || c == 'j' || c == 'z' || c == 't' || c == 'I';
}

// Skips flags, width, precision and length of the conversion that starts after a '%'
// and answers its conversion character ('\0' at the end of the format).
const char* ConversionOf(const char* at)
{
    while (IsFlag(*at))
        ++at;
    while (IsDigit(*at) || *at == '*')
        ++at;
    if (*at == '.') {
        ++at;
        while (IsDigit(*at) || *at == '*')
            ++at;
    }
    while (IsLengthModifier(*at) || IsDigit(*at))  // digits: "I64", "I32"
        ++at;
    return at;
}

void CopyFormatItself(char* buffer, const char* format)
{
    size_t length = strlen(format);
    if (length > static_cast<size_t>(kLogMessageBytes - 1))
        length = kLogMessageBytes - 1;
    memcpy(buffer, format, length);
    buffer[length] = '\0';
}

} // namespace

bool QVI_FormatStoresThroughArgument(const char* format)
{
    if (!format)
        return false;
    for (const char* percent = strchr(format, '%'); percent; percent = strchr(percent, '%')) {
        const char* conversion = ConversionOf(percent + 1);
        if (*conversion == 'n')
            return true;
        if (*conversion == '\0')
            return false;
        percent = conversion + 1;  // also steps over the second '%' of "%%"
    }
    return false;
}

int QVI_FormatLogMessage(char* buffer, const char* format, va_list args)
{
    buffer[0] = '\0';
    if (!format)
        return 0;
    if (QVI_FormatStoresThroughArgument(format)) {
        CopyFormatItself(buffer, format);
        return -1;
    }

    int formatted = vsnprintf(buffer, kLogMessageBytes, format, args);
    buffer[kLogMessageBytes - 1] = '\0';
    if (formatted < 0) {
        CopyFormatItself(buffer, format);
        return -1;
    }
    return formatted >= kLogMessageBytes ? -1 : formatted;
}
