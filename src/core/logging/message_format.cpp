#include "core/logging/message_format.h"

#include <cstdio>
#include <cstring>

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
