#include "core/name_hash.h"

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
