#pragma once

#include "core/engine_string.h"

#include <cstdint>

// A text with a number. Copies duplicate the text (a null text stays null).
struct StringIntPair {
    String text;
    int32_t value = 0;

    StringIntPair() = default;
    StringIntPair(const StringIntPair& other) = default;
    StringIntPair& operator=(const StringIntPair& other) = default;
};
