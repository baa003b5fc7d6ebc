#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/logging/log_level.h"
#include "core/logging/log_line.h"
#include "quaven/types.h"

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
