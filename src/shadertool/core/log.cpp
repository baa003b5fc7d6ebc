#include "shadertool/core/log.h"

#include "shadertool/core/plain_format.h"

#include <cstdarg>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <cstring>

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

size_t Log::Length() const
{
    if (text.text && text.text == grownBlock)
        return grownLength;
    return text.text ? strlen(text.text) : 0;
}

void Log::Truncate(size_t length)
{
    if (length == 0) {
        text.Assign(nullptr);
        // The next block may be given the same address with other text in it.
        grownBlock = nullptr;
        return;
    }
    if (text.text && length < Length()) {
        text.text[length] = '\0';
        if (text.text == grownBlock)
            grownLength = static_cast<uint32_t>(length);
    }
}

void Log::AppendText(const char* piece, size_t count)
{
    const size_t length = Length();
    size_t capacity = text.text && text.text == grownBlock ? grownCapacity : (text.text ? length + 1 : 0);
    if (length + count + 1 > capacity) {
        size_t grown = capacity < 256 ? 256 : 2 * capacity;
        if (grown < length + count + 1)
            grown = length + count + 1;
        if (grown > UINT32_MAX)
            return;
        char* block = static_cast<char*>(realloc(text.text, grown));
        if (!block)
            return;
        if (!text.text)
            block[0] = '\0';
        text.text = block;
        grownBlock = block;
        grownCapacity = static_cast<uint32_t>(grown);
    }
    memcpy(text.text + length, piece, count);
    text.text[length + count] = '\0';
    if (text.text == grownBlock)
        grownLength = static_cast<uint32_t>(length + count);
}

void Log::Append(const char* message)
{
    if (message)
        AppendText(message, strlen(message));
    else if (!text.text)
        AppendText("", 0);
    hasText = 1;
}

void Log::AppendFormat(const char* format, ...)
{
    if (IsPlainFormat(format)) {
        va_list args;
        va_start(args, format);
        WritePlainFormat(
            format, args,
            [](void* log, const char* text, size_t length) { static_cast<Log*>(log)->AppendText(text, length); },
            this);
        va_end(args);
        if (!text.text)
            AppendText("", 0);
        hasText = 1;
        return;
    }
    // Most other lines fit the stack; a longer one is formatted on the heap.
    char line[512];
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    const int length = format ? vsnprintf(line, sizeof(line), format, args) : -1;
    va_end(args);
    if (length >= 0 && static_cast<size_t>(length) < sizeof(line)) {
        AppendText(line, static_cast<size_t>(length));
        hasText = 1;
    } else {
        String message = FormatArguments(format, again);
        Append(message.text);
    }
    va_end(again);
}

void Log::AppendError(const char* message)
{
    AppendText("Error: ", 7);
    if (message)
        AppendText(message, strlen(message));
    AppendText("\n", 1);
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
    AppendFormat("%s(%i:%i) error: %s\n", sourceName ? sourceName : "", line, column, message ? message : "");
    hasText = 1;
    hasError = 1;
}

void Log::Clear()
{
    Truncate(0);
    hasText = 0;
    hasError = 0;
}

void Log::MoveInto(Log& target, const char* title)
{
    if (&target == this)
        return;
    if (title && title[0] != '\0') {
        target.AppendText(title, strlen(title));
        target.AppendText(":\n", 2);
        target.hasText = 1;
    }
    if (text.text)
        target.AppendText(text.text, strlen(text.text));
    if (hasText)
        target.hasText = 1;
    if (hasError)
        target.hasError = 1;
    Clear();
}

} // namespace ShaderTool
