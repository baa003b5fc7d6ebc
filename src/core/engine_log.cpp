#include "core/engine_log.h"

#include <cstdarg>
#include <cstdio>

#include "core/api_pointer.h"

namespace {

// The logging members cut messages at 4095 characters as well.
const int kMessageBytes = 4096;

} // namespace

void QVI_Report(int level, const char* format, ...)
{
    if (!qv || !qv->LogEx)
        return;
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    qv->LogEx(level, "%s", message);
}

int QVI_ReportPopup(int level, const char* format, ...)
{
    if (!qv || !qv->LogPopup)
        return 0;
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof message, format, args);
    va_end(args);
    return qv->LogPopup(level, "%s", message);
}
