#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <cstring>

// Keeps the compiler from turning the short copying loops below back into calls of the
// C library.
#define QUAVEN_PLAIN_LOOPS __attribute__((optimize("no-tree-loop-distribute-patterns")))

namespace ShaderTool {

// One section of the text being written. The walk makes thousands of small appends, so
// the block grows geometrically instead of by exactly the text added; text is null or
// zero-terminated, and clearing keeps the block for the next translation.
struct TextSection {
    char* text = nullptr;
    int32_t length = 0;
    int32_t capacity = 0;
    // Set when text could not be added (no memory, or past the int32 range), so that a cut
    // text is never handed out as a translation; Clear resets it.
    uint8_t overflowed = 0;

    TextSection() = default;
    ~TextSection();
    TextSection(const TextSection&) = delete;
    TextSection& operator=(const TextSection&) = delete;

    // The walk makes thousands of appends of a few characters each (names, operators,
    // blanks), and a call of the C library's strlen and memcpy for each cost more than the
    // copying: a text that fits is copied here, character by character.
    QUAVEN_PLAIN_LOOPS void Append(const char* source)
    {
        if (!source)
            return;
        if (text && length < capacity) {
            char* at = text + length;
            char* const end = text + capacity - 1;
            const char* from = source;
            while (at < end && *from)
                *at++ = *from++;
            if (!*from) {
                *at = '\0';
                length = static_cast<int32_t>(at - text);
                return;
            }
            text[length] = '\0';
        }
        AppendMeasured(source, strlen(source));
    }
    // The first count characters of source (which has at least that many).
    QUAVEN_PLAIN_LOOPS void Append(const char* source, int32_t count)
    {
        if (source && count >= 0 && count < capacity - length) {
            char* at = text + length;
            for (int32_t i = 0; i < count; ++i)
                at[i] = source[i];
            length += count;
            text[length] = '\0';
        } else {
            AppendGrowing(source, count);
        }
    }
    void AppendFormat(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
    void AppendFormatArguments(const char* format, va_list args);
    // Puts source in front of the text (a file header written after the declarations).
    void Prepend(const char* source);
    bool IsEmpty() const { return length == 0; }
    void Clear();

private:
    void AppendMeasured(const char* source, size_t count);
    void AppendGrowing(const char* source, int32_t count);
    // One piece of a plain format (see plain_format.h).
    static void WritePiece(void* section, const char* text, size_t length);
    // Room for that many more characters and the terminator; false when the text would
    // pass the int32 range or the memory is not there.
    bool Reserve(int64_t extra);
};

} // namespace ShaderTool
