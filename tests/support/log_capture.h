// Captures what engine code logs: while a LogCapture lives, an API table's Log, LogEx and
// LogPopup record each call instead of writing or showing anything, and the members it
// replaced come back when it ends.
//
// The record is process-wide (the fakes are plain functions in the table, so they cannot
// carry a capture of their own): only one LogCapture may be alive at a time, and the
// queries are static so that helpers outside a fixture can ask them too. Engine threads
// may log while a test reads; every access is locked.
#pragma once

#include "platform/windows/win32.h"

#include <string>
#include <vector>

#include "core/engine_log.h"

namespace quaven_test {

// One call of a logging member, as the engine made it.
struct LoggedLine {
    enum Kind { Log, LogEx, Popup };
    Kind kind = Log;
    int level = 0;           // QV_LOG_INFO for Log
    std::string format;      // as passed; "(null)" when null
    std::string text;        // formatted, never cut

    bool popup() const { return kind == Popup; }
};

class LogCapture {
public:
    // Any level, for the level arguments of the queries.
    static const int kAnyLevel = -1;

    // Saves table's Log, LogEx and LogPopup, installs the recording ones and starts an
    // empty record. LogPopup answers QV_POPUP_OK until SetPopupAnswer says otherwise.
    explicit LogCapture(QuavenAPI* table = qv);
    // Puts the saved members back. What was recorded stays readable.
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    static void SetPopupAnswer(int answer);
    // Also appends every line, as it comes, to the file at path: "<level> <text>", popups
    // as "popup <level> <text>". A child process whose engine may end it mid-call keeps
    // its log this way for the parent to read.
    static void MirrorTo(const std::string& path);

    static std::vector<LoggedLine> Lines();
    static std::vector<LoggedLine> PopupLines();
    static std::vector<std::string> Texts();
    static std::vector<std::string> PopupTexts();

    // Lines of any kind whose text is exactly `text`.
    static int Count(const std::string& text);
    // Lines of any kind whose text contains `part`, at `level` unless kAnyLevel.
    static int CountContaining(const std::string& part, int level = kAnyLevel);
    // Popups whose text is exactly `text`, at `level` unless kAnyLevel.
    static int CountPopups(const std::string& text, int level = kAnyLevel);
    static int CountPopupsContaining(const std::string& part);

    static void Clear();

private:
    QuavenAPI* table_;
    int (*savedLog_)(const char*, ...);
    int (*savedLogEx_)(int, const char*, ...);
    int (*savedLogPopup_)(int, const char*, ...);
};

}  // namespace quaven_test
