#pragma once

#include <cstdarg>

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
