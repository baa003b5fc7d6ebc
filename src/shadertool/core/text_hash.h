#pragma once

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// FNV-1a over length characters: the hash of the translator's small name indexes
// (keywords, macros, built-in callees).
inline uint32_t HashText(const char* text, size_t length)
{
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < length; ++i)
        hash = (hash ^ static_cast<unsigned char>(text[i])) * 16777619u;
    return hash;
}

} // namespace ShaderTool
