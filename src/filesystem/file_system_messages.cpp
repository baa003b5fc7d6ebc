#include "filesystem/file_system_messages.h"

#include <cstdarg>
#include <cstdio>

#include "core/api_pointer.h"

namespace {

const int kMessageBytes = 4096;

// Texts quoted in messages may be null when the caller passed null.
const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

} // namespace

void QVI_FileSystemPopup(int level, const char* format, ...)
{
    if (!qv || !qv->LogPopup)
        return;
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    qv->LogPopup(level, "%s", message);
}

void QVI_FileSystemLog(int level, const char* format, ...)
{
    if (!qv || !qv->LogEx)
        return;
    char message[kMessageBytes];
    va_list args;
    va_start(args, format);
    vsnprintf(message, sizeof(message), format, args);
    va_end(args);
    qv->LogEx(level, "%s", message);
}

void QVI_ReportInvalidPath(const char* member, const char* path)
{
    QVI_FileSystemPopup(QV_LOG_WARNING, "File System %s: path '%s' is invalid, see IsPathValid() for more info.", member,
                        Printable(path));
}

void QVI_ReportInvalidPrefix(const char* member, const char* path)
{
    QVI_FileSystemPopup(QV_LOG_WARNING, "File System %s: path prefix is invalid in path '%s', see %s() for more info.",
                        member, Printable(path), member);
}

void QVI_ReportNotWritable(const char* member, const char* path)
{
    QVI_FileSystemPopup(QV_LOG_WARNING, "File System %s: attempted to modify path '%s', which is not writable.", member,
                        Printable(path));
}
