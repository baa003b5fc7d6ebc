#pragma once

#include <cstdarg>

// The API table's logging members (slots 0 to 2) and the start and end of logging.

// Slot 0: a message at level 0. Answers the characters formatted, -1 when the message
// was cut to 4095 characters, 0 when nothing was logged.
int QV_Log(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// Slot 1: as QV_Log at the given level.
int QV_LogEx(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// Slot 2: brings a problem to a person. Answers a PopupAnswer: 0 nothing shown (also
// for a dialog shown before the program's Init ran), 1 shown before, 4 queued for the
// main thread's next frame, else the dialog's answer.
int QV_LogPopup(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// Pre-initialisation, once the engine locks exist: creates the console lock
// "QV_CONSOLE" through the API table and clears the logging state (not started, no log
// file, counters 0, minimum level from the configuration).
void QVI_SetUpConsoleLogging();

// Pre-initialisation, right after QVI_SetUpConsoleLogging: when the configuration's
// console switch is on, starts logging (with the log file and its header when the
// logging switch is on too) and logs the start lines; then logs the verbose level.
void QVI_StartLogging();

// Shutdown: logs "QUAVEN log: %d errors, %d warnings, %d infos." when logging was started.
void QVI_LogShutdownSummary();

// Shutdown, after the summary and the open-file report: frees the console's lines and
// stops logging for good, whether or not the overlay is open.
void QVI_StopLogging();

// Process exit: releases the storage of the console list, the popup queue and the list of
// shown popup texts.
void QVI_FreeLoggingGlobals();

// Log messages are formatted into a buffer of this size on the caller's stack: at most
// 4095 characters and the terminator.
const int kLogMessageBytes = 4096;

// Formats a printf-style message into buffer (kLogMessageBytes bytes), always terminated.
// Answers the characters formatted, or -1 when the message was cut to 4095 characters.
// A format that asks to store through an argument ("%n") or that the C library fails on
// is not formatted: its own text (cut to fit) becomes the message and the answer is -1.
int QVI_FormatLogMessage(char* buffer, const char* format, va_list args);

// True when the format holds a "%n" conversion, which would write through an argument.
bool QVI_FormatStoresThroughArgument(const char* format);
