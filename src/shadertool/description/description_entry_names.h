#pragma once

#include "core/array.h"
#include "core/engine_string.h"

#include <cstring>

namespace ShaderTool {

// The name of a description entry: the entry itself for a pixel output, its name field
// for every other record.
inline const char* EntryName(const String& entry)
{
    return entry.text;
}

template <typename T>
const char* EntryName(const T& entry)
{
    return entry.name.text;
}

// True when an entry of that name (byte for byte) is already in the array.
template <typename T>
bool HasEntryNamed(const Array<T>& entries, const char* name)
{
    if (!name)
        return false;
    for (int i = 0; i < entries.count; ++i) {
        const char* entryName = EntryName(entries.data[i]);
        if (entryName && strcmp(entryName, name) == 0)
            return true;
    }
    return false;
}

} // namespace ShaderTool
