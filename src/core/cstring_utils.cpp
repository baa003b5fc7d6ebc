#include "core/cstring_utils.h"

#include "core/engine_log.h"

#include <cmath>
#include <cstdint>
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

uint32_t QVI_HashString(const char* name)
{
    uint32_t hash = 0;
    if (!name)
        return hash;
    // Bytes above 127 must count as 128 to 255, never as negative chars.
    for (const unsigned char* byte = reinterpret_cast<const unsigned char*>(name); *byte; ++byte)
        hash = hash * 37u + *byte;
    return hash;
}

namespace {

bool IsContinuationByte(unsigned char byte)
{
    return (byte & 0xC0) == 0x80;
}

// Number of continuation bytes a lead byte announces, and the payload bits it
// carries itself. Everything that is not a 2-, 3- or 4-byte lead (ASCII, stray
// continuation bytes, 0xF8 to 0xFF) stands for itself.
int ContinuationCount(unsigned char lead, uint32_t* value)
{
    if ((lead & 0xF8) == 0xF0) {
        *value = lead ^ 0xF0u;
        return 3;
    }
    if ((lead & 0xF0) == 0xE0) {
        *value = lead ^ 0xE0u;
        return 2;
    }
    if ((lead & 0xE0) == 0xC0) {
        *value = lead ^ 0xC0u;
        return 1;
    }
    *value = lead;
    return 0;
}

void ReportConversionFailure(const char* text)
{
    QVI_ReportPopup(QV_LOG_ERROR, "Error converting '%s' to utf-32.", text ? text : "");
}

} // namespace

uint32_t* QVI_ConvertUTF8ToUTF32(const char* text, int byteLength)
{
    // A negative length is a caller's mistake: decode nothing rather than guess.
    if (!text || byteLength < 0)
        byteLength = 0;

    // Room for one code point per byte plus the terminating 0; guard the size
    // computation against wrapping on 32-bit targets.
    size_t slots = static_cast<size_t>(byteLength) + 1;
    if (slots > SIZE_MAX / sizeof(uint32_t)) {
        ReportConversionFailure(text);
        return nullptr;
    }
    uint32_t* codePoints = static_cast<uint32_t*>(malloc(slots * sizeof(uint32_t)));
    if (!codePoints) {
        ReportConversionFailure(text);
        return nullptr;
    }

    // Every stored code point consumes at least one input byte, so at most
    // byteLength values precede the terminator.
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    int in = 0;
    int out = 0;
    while (in < byteLength && bytes[in] != 0) {
        uint32_t value = 0;
        int remaining = ContinuationCount(bytes[in], &value);
        int next = in + 1;
        // Reading stops at the length limit, at a zero byte and at anything that
        // cannot continue the sequence, so a truncated text is never overrun.
        while (remaining > 0 && next < byteLength && IsContinuationByte(bytes[next])) {
            value = (value << 6) | (bytes[next] ^ 0x80u);
            ++next;
            --remaining;
        }
        // A sequence cut short is treated like any other stray byte: the lead stands
        // for itself and decoding resumes right after it. Its partial bits would be
        // an arbitrary value, and for a bare 0xC0, 0xE0 or 0xF0 lead a 0 that ends
        // the text for every reader of the array.
        if (remaining > 0) {
            value = bytes[in];
            next = in + 1;
        }
        codePoints[out++] = value;
        in = next;
    }
    codePoints[out] = 0;
    return codePoints;
}
