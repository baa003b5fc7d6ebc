#include "core/cstring_utils.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

const int kRotatingTokenBuffers = 8;
const int kRotatingTokenBytes = 512;

// Each thread rotates through its own buffers, so a token handed to one thread is
// never overwritten by another thread's call.
thread_local char rotatingTokens[kRotatingTokenBuffers][kRotatingTokenBytes];
thread_local int lastRotatingToken = kRotatingTokenBuffers - 1;

bool IsListDelimiter(char c)
{
    return c == ' ' || c == ',' || c == ';';
}

} // namespace

void QVI_Free(void* block)
{
    if (block)
        free(block);
}

int QVI_StrLen(const char* text)
{
    return text ? static_cast<int>(strlen(text)) : 0;
}

char* QVI_StrDup(const char* text)
{
    if (!text)
        text = "";
    size_t bytes = strlen(text) + 1;
    char* copy = static_cast<char*>(malloc(bytes));
    if (!copy)
        return nullptr;
    memcpy(copy, text, bytes);
    return copy;
}

bool QVI_StrEqual(const char* a, const char* b)
{
    return a && b && strcmp(a, b) == 0;
}

char* QVI_StrCopy(char* destination, const char* source)
{
    if (!destination)
        return nullptr;
    if (!source) {
        destination[0] = '\0';
        return destination;
    }
    memmove(destination, source, strlen(source) + 1);
    return destination;
}

float QVI_ParseFloat(const char* text, float fallback)
{
    if (!text)
        return fallback;
    return static_cast<float>(atof(text));
}

char* QVI_CopyToken(char* buffer, int size, const char* text, const char* separator, int index)
{
    // An empty separator would match everywhere without ever advancing.
    if (!text || !separator || !*separator || index < 0)
        return nullptr;

    size_t separatorLength = strlen(separator);
    const char* tokenStart = text;
    const char* found = strstr(tokenStart, separator);
    for (int skipped = 0; skipped < index; ++skipped) {
        if (!found || found[separatorLength] == '\0')
            return nullptr;
        tokenStart = found + separatorLength;
        found = strstr(tokenStart, separator);
    }

    size_t tokenLength = found ? static_cast<size_t>(found - tokenStart) : strlen(tokenStart);
    if (!buffer || size < 1 || static_cast<size_t>(size) < tokenLength + 1)
        return nullptr;
    memcpy(buffer, tokenStart, tokenLength);
    buffer[tokenLength] = '\0';
    return buffer;
}

char* QVI_GetToken(const char* text, const char* separator, int index)
{
    lastRotatingToken = (lastRotatingToken + 1) % kRotatingTokenBuffers;
    return QVI_CopyToken(rotatingTokens[lastRotatingToken], kRotatingTokenBytes, text, separator, index);
}

bool QVI_HasToken(const char* list, const char* word)
{
    if (!list || !word || !*word)
        return false;

    size_t wordLength = strlen(word);
    for (const char* hit = strstr(list, word); hit; hit = strstr(hit + 1, word)) {
        bool startsEntry = hit == list || IsListDelimiter(hit[-1]);
        char after = hit[wordLength];
        bool endsEntry = after == '\0' || IsListDelimiter(after);
        if (startsEntry && endsEntry)
            return true;
    }
    return false;
}

int QVI_CountTokens(const char* text, const char* separator)
{
    if (!text || !separator || !*separator || !*text)
        return 0;

    size_t separatorLength = strlen(separator);
    int count = 1;
    for (const char* found = strstr(text, separator); found; found = strstr(found, separator)) {
        found += separatorLength;
        if (*found == '\0')
            break;
        ++count;
    }
    return count;
}

char* QVI_ReplaceAll(const char* text, const char* from, const char* to, char* destination, int capacity)
{
    if (!text || !destination || capacity < 1)
        return nullptr;

    size_t textBytes = strlen(text) + 1;
    if (static_cast<size_t>(capacity) < textBytes)
        return destination;
    memmove(destination, text, textBytes);
    if (!from || !*from || !to)
        return destination;

    long long room = static_cast<long long>(capacity) - static_cast<long long>(textBytes);
    size_t fromLength = strlen(from);
    size_t toLength = strlen(to);
    long long growth = static_cast<long long>(toLength) - static_cast<long long>(fromLength);

    char* hit = strstr(destination, from);
    while (hit && room >= growth) {
        // Shift the rest of the text, with its terminator, so exactly toLength bytes
        // are left for the replacement.
        char* rest = hit + fromLength;
        memmove(hit + toLength, rest, strlen(rest) + 1);
        memcpy(hit, to, toLength);
        room -= growth;
        hit = strstr(hit + toLength, from);
    }
    return destination;
}

void QVI_ReplaceChar(char* text, char from, char to)
{
    if (!text)
        return;
    for (char* c = text; *c; ++c) {
        if (*c == from)
            *c = to;
    }
}

double QVI_PowerOfTwo(int exponent)
{
    return ldexp(1.0, exponent);
}

int QVI_HexDigitValue(char digit)
{
    if (digit >= '0' && digit <= '9')
        return digit - '0';
    if (digit >= 'a' && digit <= 'f')
        return digit - 'a' + 10;
    if (digit >= 'A' && digit <= 'F')
        return digit - 'A' + 10;
    return -1;
}
