#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/types.h"

// Log levels are the LogLevel values of quaven/types.h (0 INFO, 1 WARNING, 2 ERROR,
// 3 SYSTEM). The line writer keeps a counter for each of eight slots, so levels 4 to 7
// are counted on their own but have no name.
const int kLogLevelSlots = 8;

// "INFO", "WARNING", "ERROR", "SYSTEM"; any other level "UNKNOWN".
const char* QVI_GetLogLevelName(int level);

// The slot a level is counted and written under: 0 to 7 stay, anything else is an ERROR.
int QVI_ClampLogLevel(int level);

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

// The console list keeps the newest lines; beyond this many the oldest are dropped and a
// "..." marker heads the list.
const int kMaxConsoleLines = 8192;

// Room for the log file's path, terminator included.
const int kLogPathBytes = 512;

// The developer console record: the log's line list, its counters and the log file. The
// overlay (input line, history, commands, drawing) adds its own fields around these, so
// the order of the fields below is kept as it is.
struct Console {
    // 1 once logging has been started; while 0 nothing is logged, counted or shown.
    uint8_t started = 0;
    // 1 while the overlay is shown.
    uint8_t open = 0;
    // Lines the view is scrolled back from the newest; 0 follows the newest line.
    int32_t scroll = 0;
    // Number of the last line written; only written lines take a number.
    int32_t lineNumber = 0;
    // 1 while lines are also appended to the log file.
    uint8_t logToFile = 0;
    char logPath[kLogPathBytes] = {};
    // Single lines handed to the writer, per level slot.
    int32_t counters[kLogLevelSlots] = {};
    // Copy of the configured minimum level, taken when logging is set up.
    int16_t minimumLevel = 0;
    // Oldest first, at most kMaxConsoleLines.
    Array<LogLine> lines;
    // "QV_CONSOLE": guards lines, counters, lineNumber and scroll (not the log file).
    Mutex* consoleLock = nullptr;

    constexpr Console() = default;

    // The line writer. A text with a line feed followed by more text is written piece by
    // piece (empty pieces and pieces of 512 characters or more are skipped); a single line
    // is counted, numbered, stored and appended to the log file. Any thread.
    void Print(int level, const char* text);

private:
    void PrintEachLine(int level, const char* text);
    void StoreLine(int level, const char* text, const char* threadName, const DateTime& time);
    void DropOldestLines(const DateTime& time);
};

// The one console record.
extern Console g_console;

// Whether logging has been started; safe to ask from any thread.
bool QVI_IsLoggingStarted();
