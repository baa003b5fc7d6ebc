#include "core/engine_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

QuavenAPI engineApiTable = {};

// The logging members cut messages at 4095 characters as well.
const int kMessageBytes = 4096;

} // namespace

QuavenAPI* qv = &engineApiTable;

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

int QVI_FilePrintf(FileHandle* file, const char* format, ...)
{
    if (!format)
        return -1;

    char buffer[kMessageBytes];
    va_list args;
    va_start(args, format);
    int formatted = vsnprintf(buffer, kMessageBytes, format, args);
    va_end(args);
    buffer[kMessageBytes - 1] = '\0';
    if (formatted < 0)
        buffer[0] = '\0';

    // A text that needed the whole buffer or more has been cut to 4095 characters.
    int result = formatted >= kMessageBytes ? -1 : formatted;

    // Until the file system is attached there is nothing to write through.
    if (qv && qv->fileSystem && qv->fileSystem->Write)
        qv->fileSystem->Write(buffer, static_cast<int>(strlen(buffer)), file);
    return result;
}
