#pragma once

#include "quaven/api.h"

// The engine's own view of the API table: engine code logs and reaches the file
// system through it, as the program does. Points at a zero-filled table until
// pre-initialisation fills it.
extern QuavenAPI* qv;

// Engine code reports through the API table's logging members, as a game does. The
// table may not be filled yet (very early start-up, code exercised on its own), and a
// missing member must not turn a report into a crash: the report is then dropped. The
// text is formatted here first, so messages may quote texts that contain '%'.

// LogEx at the level: progress and failures the run survives.
void QVI_Report(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// LogPopup at the level: problems a person should see. Answers LogPopup's answer, or 0
// when there is no LogPopup yet.
int QVI_ReportPopup(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

// Formats at most 4095 characters and writes them through the API table's file-system
// Write member. Answers the character count, or -1 when the text was cut (the first
// 4095 characters are still written).
int QVI_FilePrintf(FileHandle* file, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
