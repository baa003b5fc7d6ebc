#pragma once

// Log levels are the LogLevel values of quaven/types.h (0 INFO, 1 WARNING, 2 ERROR,
// 3 SYSTEM). The line writer keeps a counter for each of eight slots, so levels 4 to 7
// are counted on their own but have no name.
const int kLogLevelSlots = 8;

// "INFO", "WARNING", "ERROR", "SYSTEM"; any other level "UNKNOWN".
const char* QVI_GetLogLevelName(int level);

// The slot a level is counted and written under: 0 to 7 stay, anything else is an ERROR.
int QVI_ClampLogLevel(int level);
