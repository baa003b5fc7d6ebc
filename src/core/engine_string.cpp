#include "core/engine_string.h"

#include "core/cstring_utils.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

const int kStackFormatBytes = 4096;
// Token copies for String::Token: at most 1022 characters plus the terminator.
const int kTokenBufferBytes = 1023;

char* CopyOf(const char* source)
{
    if (!source)
        return nullptr;
    size_t length = strlen(source);
    char* block = static_cast<char*>(malloc(length + 1));
    if (!block)
        return nullptr;
    memcpy(block, source, length + 1);
    return block;
}

// Formats into the caller's stack buffer; a text of 4096 characters or more is
// formatted a second time into an exactly sized heap block, handed back in *heapBlock
// for the caller to free. Answers the formatted text, or null when formatting failed
// or the heap block could not be had.
const char* FormatText(char (&stackBuffer)[kStackFormatBytes], char** heapBlock, const char* format,
                       va_list args)
{
    *heapBlock = nullptr;
    if (!format)
        return nullptr;

    va_list secondPass;
    va_copy(secondPass, args);
    int length = vsnprintf(stackBuffer, kStackFormatBytes, format, args);
    if (length < 0) {
        va_end(secondPass);
        return nullptr;
    }
    if (length < kStackFormatBytes) {
        va_end(secondPass);
        return stackBuffer;
    }

    char* block = static_cast<char*>(malloc(static_cast<size_t>(length) + 1));
    if (!block) {
        va_end(secondPass);
        return nullptr;
    }
    int written = vsnprintf(block, static_cast<size_t>(length) + 1, format, secondPass);
    va_end(secondPass);
    if (written != length) {
        free(block);
        return nullptr;
    }
    *heapBlock = block;
    return block;
}

// A formatted text that lives in a stack buffer, or in a heap block freed with the holder.
struct FormattedText {
    char stackBuffer[kStackFormatBytes];
    char* heapBlock;
    const char* text;

    FormattedText(const char* format, va_list args) : text(FormatText(stackBuffer, &heapBlock, format, args)) {}
    ~FormattedText() { free(heapBlock); }
    FormattedText(const FormattedText&) = delete;
    FormattedText& operator=(const FormattedText&) = delete;
};

} // namespace

String::String(const char* source) : text(CopyOf(source)) {}

String::String(const String& other) : text(CopyOf(other.text)) {}

String::~String()
{
    free(text);
}

String& String::operator=(const String& other)
{
    Assign(other.text);
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    if (this != &other) {
        free(text);
        text = other.text;
        other.text = nullptr;
    }
    return *this;
}

void String::Assign(const char* source)
{
    char* copy = CopyOf(source);
    char* old = text;
    text = copy;
    free(old);
}

void String::Append(const char* source)
{
    if (!source)
        return;
    if (!text) {
        Assign(source);
        return;
    }
    size_t ownLength = strlen(text);
    size_t sourceLength = strlen(source);
    char* block = static_cast<char*>(malloc(ownLength + sourceLength + 1));
    if (!block)
        return;
    memcpy(block, text, ownLength);
    memcpy(block + ownLength, source, sourceLength);
    block[ownLength + sourceLength] = '\0';
    char* old = text;
    text = block;
    free(old);
}

void String::Format(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormattedText formatted(format, args);
    va_end(args);
    Assign(formatted.text);
}

void String::AppendFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormattedText formatted(format, args);
    va_end(args);
    Append(formatted.text);
}

String String::FromFormat(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    FormattedText formatted(format, args);
    va_end(args);
    return String(formatted.text);
}

bool String::operator==(const String& other) const
{
    if (!text || !other.text)
        return false;
    return strcmp(text, other.text) == 0;
}

String String::operator+(const char* source) const
{
    String result(*this);
    result.Append(source);
    return result;
}

String String::operator+(const String& other) const
{
    return *this + other.text;
}

void String::RemoveLast(int n)
{
    if (!text || n <= 0)
        return;
    size_t length = strlen(text);
    size_t cut = static_cast<size_t>(n) < length ? static_cast<size_t>(n) : length;
    text[length - cut] = '\0';
}

void String::Replace(const char* from, const char* to)
{
    if (!from || !to || !*from)
        return;

    int length = QVI_StrLen(text);
    int fromLength = QVI_StrLen(from);
    int toLength = QVI_StrLen(to);
    // Enough for every occurrence to grow: at most length / fromLength of them.
    long long estimate = length;
    if (toLength > fromLength)
        estimate = (static_cast<long long>(length / fromLength) + 1) * toLength;
    if (estimate + 3 > 0x7fffffff)
        return;

    char* scratch = static_cast<char*>(malloc(static_cast<size_t>(estimate) + 3));
    if (!scratch)
        return;
    scratch[0] = '\0';
    QVI_ReplaceAll(text, from, to, scratch, static_cast<int>(estimate) + 1);
    Assign(scratch);
    free(scratch);
}

String String::Token(int index, const char* separator) const
{
    char buffer[kTokenBufferBytes];
    return String(QVI_CopyToken(buffer, kTokenBufferBytes, text, separator, index));
}

String String::Substring(int start, int count) const
{
    if (start < 0 || count < 0)
        return String();
    size_t length = text ? strlen(text) : 0;
    size_t first = static_cast<size_t>(start);
    if (first >= length)
        return String();

    size_t rest = length - first;
    size_t taken = static_cast<size_t>(count) < rest ? static_cast<size_t>(count) : rest;
    char* block = static_cast<char*>(malloc(taken + 1));
    String result;
    if (!block)
        return result;
    memcpy(block, text + first, taken);
    block[taken] = '\0';
    result.text = block;
    return result;
}

namespace {

const char kParentStep[] = "/../";
const int kParentStepLength = 4;

// Removes count bytes at start from a zero-terminated text, in place.
void RemoveRange(char* text, int start, int count)
{
    memmove(text + start, text + start + count, strlen(text + start + count) + 1);
}

} // namespace

const char* QVI_GetFileExtension(const char* path)
{
    if (!path || path[0] == '\0')
        return nullptr;
    for (const char* p = path + strlen(path) - 1;; --p) {
        if (*p == '/')
            return nullptr;
        if (*p == '.')
            return p + 1;
        if (p == path)
            return nullptr;
    }
}

String QVI_GetDirectory(const char* path)
{
    const char* lastSlash = path ? strrchr(path, '/') : nullptr;
    if (!lastSlash || lastSlash == path)
        return String("");
    return String(path).Substring(0, static_cast<int>(lastSlash - path));
}

String QVI_NormalizePath(const char* path)
{
    String result(path);
    char* text = result.text;
    if (!text)
        return result;

    // segmentStart is where the component before the '/' under the scan begins.
    // Each collapse removes only the "component/../" just found and starts over at
    // position 1, so a "/../" that a collapse brings to the very front stays put.
    int segmentStart = 0;
    int position = 0;
    while (text[position] != '\0') {
        if (text[position] != '/') {
            ++position;
            continue;
        }
        if (strncmp(text + position, kParentStep, kParentStepLength) != 0) {
            ++position;
            segmentStart = position;
            continue;
        }
        RemoveRange(text, segmentStart, position + kParentStepLength - segmentStart);
        segmentStart = 0;
        position = 1;
        if (text[0] == '\0')
            break;
    }
    return result;
}
