#pragma once

#include <cstring>

#include <cstdint>

// Helpers over raw zero-terminated C strings. All of them accept null texts.

void QVI_Free(void* block);
int QVI_StrLen(const char* text);
// A malloc'd copy; a null text gives a copy of "". Null only when out of memory.
char* QVI_StrDup(const char* text);
bool QVI_StrEqual(const char* a, const char* b);
char* QVI_StrCopy(char* destination, const char* source);
// Null text gives the fallback; any other text goes through atof (non-numbers give 0).
float QVI_ParseFloat(const char* text, float fallback);

// The index-th token of text split at the separator string; tokens may be empty
// ("a,,b"), a trailing separator starts no token. Null when the token is missing
// or does not fit into size bytes with its terminator.
char* QVI_CopyToken(char* buffer, int size, const char* text, const char* separator, int index);
// QVI_CopyToken into the next of this thread's 8 rotating 512-byte buffers: the
// result stays valid until seven further calls on the same thread.
char* QVI_GetToken(const char* text, const char* separator, int index);
// True when word stands in list as a whole entry delimited by ' ', ',' or ';'.
bool QVI_HasToken(const char* list, const char* word);
// Number of tokens that QVI_CopyToken can answer (indices 0 to count - 1).
int QVI_CountTokens(const char* text, const char* separator);

// Copies text into destination (may overlap) and replaces occurrences of from by to
// while they fit into capacity bytes; the rest stay. Never writes past capacity.
char* QVI_ReplaceAll(const char* text, const char* from, const char* to, char* destination, int capacity);
void QVI_ReplaceChar(char* text, char from, char to);
double QVI_PowerOfTwo(int exponent);
// The value of a hexadecimal digit, or -1 for any other character.
int QVI_HexDigitValue(char digit);
// True for null and for "".
inline bool QVI_IsEmptyText(const char* text) { return !text || text[0] == '\0'; }

// Whether text begins or ends with the given part (both non-null).
inline bool QVI_StartsWith(const char* text, const char* prefix)
{
    return strncmp(text, prefix, strlen(prefix)) == 0;
}
inline bool QVI_EndsWith(const char* text, const char* suffix)
{
    const size_t length = strlen(text);
    const size_t suffixLength = strlen(suffix);
    return length >= suffixLength && strcmp(text + length - suffixLength, suffix) == 0;
}

// The name hash of every name-keyed pool and table: h = h * 37 + byte over the
// unsigned bytes, wrapping modulo 2^32. "" hashes to 0, "abc" to 136518.
uint32_t QVI_HashString(const char* name);

// Decodes UTF-8 into a malloc'd array of code points ending in 0; the caller frees
// it with free(). The array has room for byteLength + 1 code points and decoding
// stops at the text's terminator or after byteLength bytes, whichever comes first.
// Nothing is validated (overlong forms and surrogates pass through). A sequence cut
// short by the end, a zero byte or a non-continuation byte yields its lead byte as a
// code point of its own, and decoding goes on with the byte after the lead. A null
// text or a negative byteLength decodes nothing. Null only when the array cannot be
// allocated (reported through LogPopup).
uint32_t* QVI_ConvertUTF8ToUTF32(const char* text, int byteLength);
