#pragma once

// Engine code reports through the API table's logging members, as a game does. The
// table may not be filled yet (very early start-up, code exercised on its own), and a
// missing member must not turn a report into a crash: the report is then dropped. The
// text is formatted here first, so messages may quote texts that contain '%'.

// LogEx at the level: progress and failures the run survives.
void QVI_Report(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// LogPopup at the level: problems a person should see. Answers LogPopup's answer, or 0
// when there is no LogPopup yet.
int QVI_ReportPopup(int level, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
