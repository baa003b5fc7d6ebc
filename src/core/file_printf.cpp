#include "core/file_printf.h"

#include "core/api_pointer.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
const int kFilePrintfBufferBytes = 4096;
}

int QVI_FilePrintf(FileHandle* file, const char* format, ...)
{
    if (!format)
        return -1;

    char buffer[kFilePrintfBufferBytes];
    va_list args;
    va_start(args, format);
    int formatted = vsnprintf(buffer, kFilePrintfBufferBytes, format, args);
    va_end(args);
    buffer[kFilePrintfBufferBytes - 1] = '\0';
    if (formatted < 0)
        buffer[0] = '\0';

    // A text that needed the whole buffer or more has been cut to 4095 characters.
    int result = formatted >= kFilePrintfBufferBytes ? -1 : formatted;

    // Until the file system is attached there is nothing to write through.
    if (qv && qv->fileSystem && qv->fileSystem->Write)
        qv->fileSystem->Write(buffer, static_cast<int>(strlen(buffer)), file);
    return result;
}
