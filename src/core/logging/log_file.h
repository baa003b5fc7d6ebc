#pragma once

#include "core/engine_string.h"
#include "quaven/types.h"

// The log file's path for this run: "logs://<id>-YYYY-MM-DD-hh-mm.log" from the program id
// (spaces as "-") and the local time, or the same with "-1" to "-99" before ".log" when
// the plain name is taken. When all 99 are taken the one with 99 is answered.
String QVI_OpenLogFile();

// Creates (truncates) the log file and writes its header. False when it does not open.
bool QVI_WriteLogFileHeader(const char* path);

// Appends one finished line in its file form
//   "%.4d: [%.2d:%.2d.%.2d] " ["[<thread>]> "] ["[<LEVEL>] "] message ["\n"]
// with one open-append-flush-close sequence. A line never interleaves with another
// thread's line. A file that does not open just misses the line.
void QVI_AppendLogFileLine(const char* path, int number, const DateTime& time, const char* threadName,
                           int level, const char* message);

// The process is about to end at once (Cancel in an engine message box): waits until a
// line being appended by another thread is complete and keeps any further line from
// starting, so the log file ends with whole lines. Never returns the file to use.
void QVI_HoldLogFileForExit();
