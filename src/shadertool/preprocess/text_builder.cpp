#include "shadertool/preprocess/text_builder.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace ShaderTool {

TextBuilder::~TextBuilder()
{
    free(data_);
}

bool TextBuilder::Reserve(int64_t needed)
{
    if (needed < capacity_)
        return true;
    // One byte more than the characters for the terminator; never beyond what an
    // int32 length can describe.
    if (needed >= INT32_MAX) {
        outOfMemory_ = true;
        return false;
    }
    int64_t grown = capacity_ < 256 ? 256 : 2 * static_cast<int64_t>(capacity_);
    if (grown <= needed)
        grown = needed + 1;
    if (grown > INT32_MAX)
        grown = INT32_MAX;
    char* fresh = static_cast<char*>(realloc(data_, static_cast<size_t>(grown)));
    if (!fresh) {
        outOfMemory_ = true;
        return false;
    }
    data_ = fresh;
    capacity_ = static_cast<int32_t>(grown);
    // Storage reserved ahead of any text is already a (possibly empty) terminated text.
    data_[length_] = '\0';
    return true;
}

void TextBuilder::Append(const char* text, int32_t length)
{
    if (!text || length <= 0)
        return;
    if (!Reserve(static_cast<int64_t>(length_) + length))
        return;
    memcpy(data_ + length_, text, static_cast<size_t>(length));
    length_ += length;
    data_[length_] = '\0';
}

void TextBuilder::Append(const char* text)
{
    if (!text)
        return;
    size_t length = strlen(text);
    Append(text, length > INT32_MAX ? INT32_MAX : static_cast<int32_t>(length));
}

void TextBuilder::AppendFormat(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    va_list second;
    va_copy(second, args);
    int length = vsnprintf(buffer, sizeof(buffer), format, args);
    va_end(args);
    if (length >= 0 && length < static_cast<int>(sizeof(buffer))) {
        Append(buffer, length);
    } else if (length > 0) {
        char* block = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
        if (block) {
            vsnprintf(block, static_cast<size_t>(length) + 1, format, second);
            Append(block, length);
            free(block);
        } else {
            outOfMemory_ = true;
        }
    }
    va_end(second);
}

void TextBuilder::Clear()
{
    free(data_);
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    outOfMemory_ = false;
}

void TextBuilder::MoveInto(String& target)
{
    // An empty builder gives the null (empty) String.
    free(target.text);
    target.text = data_;
    data_ = nullptr;
    length_ = 0;
    capacity_ = 0;
    outOfMemory_ = false;
}

} // namespace ShaderTool
