#pragma once

#include <cstdint>

// The name hash of every name-keyed pool and table: h = h * 37 + byte over the
// unsigned bytes, wrapping modulo 2^32. "" hashes to 0, "abc" to 136518.
uint32_t QVI_HashString(const char* name);
