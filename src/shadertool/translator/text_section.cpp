#include "shadertool/translator/text_section.h"

#include "shadertool/core/plain_format.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

TextSection::~TextSection()
{
    free(text);
}

bool TextSection::Reserve(int64_t extra)
{
    int64_t needed = static_cast<int64_t>(length) + extra + 1;
    if (needed > INT32_MAX)
        return false;
    if (needed <= capacity)
        return true;
    int64_t grown = capacity < 256 ? 256 : 2 * static_cast<int64_t>(capacity);
    if (grown < needed)
        grown = needed;
    if (grown > INT32_MAX)
        grown = INT32_MAX;
    char* block = static_cast<char*>(realloc(text, static_cast<size_t>(grown)));
    if (!block)
        return false;
    text = block;
    capacity = static_cast<int32_t>(grown);
    return true;
}

void TextSection::AppendMeasured(const char* source, size_t count)
{
    if (count <= static_cast<size_t>(INT32_MAX))
        AppendGrowing(source, static_cast<int32_t>(count));
    else
        overflowed = 1;
}

void TextSection::AppendGrowing(const char* source, int32_t count)
{
    if (!source || count < 0)
        return;
    if (!Reserve(count)) {
        overflowed = 1;
        return;
    }
    memcpy(text + length, source, static_cast<size_t>(count));
    length += count;
    text[length] = '\0';
}

void TextSection::Prepend(const char* source)
{
    if (!source)
        return;
    size_t count = strlen(source);
    if (count == 0)
        return;
    if (!Reserve(static_cast<int64_t>(count))) {
        overflowed = 1;
        return;
    }
    memmove(text + count, text, static_cast<size_t>(length) + 1);
    memcpy(text, source, count);
    length += static_cast<int32_t>(count);
}

void TextSection::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    AppendFormatArguments(format, args);
    va_end(args);
}

void TextSection::WritePiece(void* section, const char* text, size_t length)
{
    if (length <= static_cast<size_t>(INT32_MAX))
        static_cast<TextSection*>(section)->Append(text, static_cast<int32_t>(length));
    else
        static_cast<TextSection*>(section)->overflowed = 1;
}

void TextSection::AppendFormatArguments(const char* format, va_list args)
{
    if (!format)
        return;
    if (IsPlainFormat(format)) {
        WritePlainFormat(format, args, &TextSection::WritePiece, this);
        return;
    }
    if (!Reserve(0)) {
        overflowed = 1;
        return;
    }
    va_list again;
    va_copy(again, args);
    int count = vsnprintf(text + length, static_cast<size_t>(capacity - length), format, args);
    if (count >= 0 && count >= capacity - length) {
        if (Reserve(count))
            count = vsnprintf(text + length, static_cast<size_t>(capacity - length), format, again);
        else
            count = -1;
    }
    va_end(again);
    if (count >= 0 && count < capacity - length)
        length += count;
    else
        overflowed = 1;
    text[length] = '\0';
}

void TextSection::Clear()
{
    length = 0;
    overflowed = 0;
    if (text)
        text[0] = '\0';
}

} // namespace ShaderTool
