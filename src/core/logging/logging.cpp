
#include "core/logging/logging.h"

#include <cstdarg>

#include "core/api_pointer.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/message_format.h"

namespace {

// Common body of Log and LogEx.
int LogAtLevel(int level, const char* format, va_list args)
{
    if (!QVI_IsLoggingStarted() || g_core.loggingVerboseLevel > level)
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
