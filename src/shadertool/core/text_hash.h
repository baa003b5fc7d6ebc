#pragma once

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// Small text helpers of the translator's name lookups.

// FNV-1a over length characters: the hash of the translator's small name indexes
// (keywords, macros, built-in callees).
inline uint32_t HashText(const char* text, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

// Whether two texts are equal, compared here: the names the translator compares are a few
// characters long, shorter than a call of the C library takes. Neither may be null.
inline bool SameText(const char* a, const char* b)
{
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

// Characters before the terminator, counted here for the same reason.
inline size_t TextLength(const char* text)
{
    const char* end = text;
    while (*end)
        ++end;
    return static_cast<size_t>(end - text);
}

} // namespace ShaderTool
