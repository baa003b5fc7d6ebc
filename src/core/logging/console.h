#pragma once

#include <cstdint>

#include "core/array.h"
#include "core/engine_string.h"
#include "quaven/events.h"
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

// Room for the console's input line, terminator included.
const int kConsoleInputBytes = 512;

// A name the program registered for completion in the console.
struct ConsoleCommand {
    String name;
    String description;  // may be empty
};

// The developer console record: the log's line list, its counters and the log file, and
// the overlay's input line, history, command list and drawing state. The line writer is
// here; the overlay's operations (src/console/) are declared here and defined there.
struct Console {
    // 1 once logging has been started; while 0 nothing is logged, counted or shown, and
    // the overlay is not ready: it draws nothing and takes no input.
    uint8_t started = 0;
    // CONTROL (key code 17) and SHIFT (16) held, as the console saw them.
    uint8_t ctrlDown = 0;
    uint8_t shiftDown = 0;
    // 1 while the overlay is shown.
    uint8_t open = 0;
    // The slide: 0 closed to 1 fully open.
    float openFraction = 0.0f;
    // Chosen on the first draw and kept.
    Font* font = nullptr;
    // 1 once "core/console.mft" has been asked for: a font neither there nor made from its
    // source is not looked for again every frame.
    uint8_t fontAsked = 0;
    // Lines the view is scrolled back from the newest; 0 follows the newest line.
    int32_t scroll = 0;
    // Number of the last line written; only written lines take a number.
    int32_t lineNumber = 0;
    // 1 while lines are also appended to the log file.
    uint8_t logToFile = 0;
    char logPath[kLogPathBytes] = {};
    // The low byte of the configured toggle KeyCode (default 49831: 167, the section sign
    // of the Western code page).
    uint8_t toggleKey = 167;
    // Single lines handed to the writer, per level slot.
    int32_t counters[kLogLevelSlots] = {};
    // Copy of the configured minimum level, taken when logging is set up.
    int16_t minimumLevel = 0;
    // The input line (at most 511 characters) and the insertion position in it.
    char input[kConsoleInputBytes] = {};
    int32_t cursor = 0;
    // Set by the first Up until the next entered line; the history then ends with the
    // line that was being typed.
    uint8_t browsingHistory = 0;
    // Entered lines (heap texts), oldest first, never freed during the run.
    Array<char*> history;
    // The history position the next Up or Down shows.
    int32_t historyIndex = 0;
    // In registration order; guarded by consoleLock.
    Array<ConsoleCommand*> commands;
    // The cursor's blink phase in seconds, 0 to 1.
    float blink = 0.0f;
    // Oldest first, at most kMaxConsoleLines.
    Array<LogLine> lines;
    // "QV_CONSOLE": guards lines, counters, lineNumber, scroll and commands (not the log
    // file).
    Mutex* consoleLock = nullptr;
    // The completion hint shown below the console; empty when there is none.
    String hint;
    // Set under consoleLock while the overlay walks the lines to draw them. Only the
    // drawing thread can reach the writer then, and a line it wrote would change the list
    // being walked, so such lines are not written.
    uint8_t drawing = 0;

    constexpr Console() = default;

    // The line writer. A text with a line feed followed by more text is written piece by
    // piece (empty pieces and pieces of 512 characters or more are skipped); a single line
    // is counted, numbered, stored and appended to the log file. Any thread.
    void Print(int level, const char* text);

    // ---- The overlay (src/console/) ----

    // Registers a name for completion (any thread).
    void AddCommand(const char* name, const char* description);
    // The first command a text completes to, or null.
    const char* FindCommand(const char* text);
    // Rebuilds the completion hint for a text.
    void Autocomplete(const char* text);
    // Replaces the input line (null empties it); a text of 511 characters or more is ignored.
    void SetInputText(const char* text);
    // An event offered while the overlay is open; non-zero consumes it. Main thread.
    int HandleEvent(EngineEvent* event);
    // Moves the slide and the cursor's blink on by a frame of `seconds`. Main thread.
    void Slide(float seconds);
    // Draws the overlay over the frame. Main thread.
    void Draw();

private:
    void PrintEachLine(int level, const char* text);
    void StoreLine(int level, const char* text, const char* threadName, const DateTime& time);
    void DropOldestLines(const DateTime& time);
};

// The one console record.
extern Console g_console;

// Whether logging has been started; safe to ask from any thread.
bool QVI_IsLoggingStarted();
