#include "shadertool/core/log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>

namespace ShaderTool {

String FormatArguments(const char* format, va_list args)
{
    String result;
    if (!format)
        return result;
    va_list measure;
    va_copy(measure, args);
    int length = vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (length < 0)
        return result;
    char* block = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!block)
        return result;
    vsnprintf(block, static_cast<size_t>(length) + 1, format, args);
    result.text = block;
    return result;
}

void Log::Append(const char* message)
{
    text.Append(message ? message : "");
    hasText = 1;
}

void Log::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    String message = FormatArguments(format, args);
    va_end(args);
    Append(message.text);
}

void Log::AppendError(const char* message)
{
    text.AppendFormat("Error: %s\n", message ? message : "");
    hasText = 1;
    hasError = 1;
}

void Log::AppendErrorFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    String message = FormatArguments(format, args);
    va_end(args);
    AppendError(message.text);
}

void Log::AppendSourceError(const char* sourceName, int line, int column, const char* message)
{
    text.AppendFormat("%s(%i:%i) error: %s\n", sourceName ? sourceName : "", line, column, message ? message : "");
    hasText = 1;
    hasError = 1;
}

void Log::Clear()
{
    text.Assign(nullptr);
    hasText = 0;
    hasError = 0;
}

void Log::MoveInto(Log& target, const char* title)
{
    if (&target == this)
        return;
    if (title && title[0] != '\0')
        target.AppendFormat("%s:\n", title);
    if (text.text)
        target.text.Append(text.text);
    if (hasText)
        target.hasText = 1;
    if (hasError)
        target.hasError = 1;
    Clear();
}

} // namespace ShaderTool
