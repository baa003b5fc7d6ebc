#pragma once

#include <cstdint>

#include "quaven/types.h"

// One entry of the console's line list. The entry owns both texts.
struct LogLine {
    uint8_t level;     // the line's level after the range rule (0 to 7)
    int32_t number;    // running line number; 0 for the "..." overflow marker
    DateTime time;     // local time the line was written
    // The message, or "[LEVEL] message" for levels 1 to 3 so the console can show the tag.
    char* text;
    // Name of the writing thread, "MAIN" when its record has none; null for the marker.
    char* threadName;
};

// Frees both texts and clears the pointers.
void QVI_FreeLogLineTexts(LogLine* line);
