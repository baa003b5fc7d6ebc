#pragma once

#include "core/array.h"
#include "core/engine_string.h"

#include <cstring>

template <typename V>
struct StringMapEntry {
    String key;   // never changed after insertion
    V value{};    // numbers start at 0
};

// A small text-keyed map: heap entries kept in insertion order and searched linearly
// from the first. The map owns its entries and cannot lose single ones; it grows
// until it is destroyed.
template <typename V>
class StringMap {
public:
    using Entry = StringMapEntry<V>;

    // Entries in insertion order; read freely, but add only through operator[].
    Array<Entry*> entries;

    constexpr StringMap() = default;
    // Entries are owned through raw pointers: a copy would delete them twice.
    StringMap(const StringMap&) = delete;
    StringMap& operator=(const StringMap&) = delete;

    ~StringMap() { entries.DeleteAll(); }

    // The value under key; a missing key gets a new entry (value 0 / default) appended.
    V& operator[](const char* key)
    {
        if (Entry* existing = FindEntry(key))
            return existing->value;
        Entry* entry = new Entry();
        entry->key.Assign(key);
        entries.Add(entry);
        return entry->value;
    }

    bool Contains(const char* key) const { return FindEntry(key) != nullptr; }

    // The first entry whose key equals key, or null; entries with a null key never match.
    Entry* FindEntry(const char* key) const
    {
        if (!key)
            return nullptr;
        for (int32_t i = 0; i < entries.count; ++i) {
            Entry* entry = entries.data[i];
            // The first characters are compared here first: most keys differ there, and
            // the call to strcmp cost more than the search itself in the shader tables.
            if (entry && entry->key.text && entry->key.text[0] == key[0] && strcmp(entry->key.text, key) == 0)
                return entry;
        }
        return nullptr;
    }
};
