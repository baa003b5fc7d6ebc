// The logging tests' common ground: an API table with the real logging, lock and thread
// members and an in-memory file system, a configuration in g_core, and clean logging
// state before and after every test.
#pragma once

#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "core/logging/console.h"
#include "core/logging/logging.h"
#include "quaven/program.h"

namespace logging_test {

// An in-memory stand-in for the fileSystem sub-table, enough for the log writer:
// FileExists, OpenFile ("w" truncates, "a" appends), Write, FlushFile and CloseFile.
// Each Write lands whole; nothing keeps two calls of different threads together.
namespace fake_files {
std::string Contents(const std::string& path);
void SetContents(const std::string& path, const std::string& contents);
// Every OpenFile of this path ("*": of any path) fails from now on.
void RefuseOpening(const std::string& path);
int FileCount();
int OpenHandles();
}  // namespace fake_files

// The file split at "\n"; a final piece without "\n" is kept too (and shows a torn end).
std::vector<std::string> SplitLines(const std::string& contents);

// Starts call on a new engine thread of that name (engineThread false: on a thread the
// engine did not start). The event it answers is set once call has returned; the caller
// closes it. RunOnThread also waits for it.
HANDLE StartOnThread(bool engineThread, const char* name, std::function<void()> call);
void RunOnThread(bool engineThread, const char* name, std::function<void()> call);

// The path the bare set-ups log to.
extern const char* const kTestLogPath;
// Regular expressions for a file line's "[hh:mm.ss] " and its whole "NNNN: [hh:mm.ss] " head.
inline const std::string kTime = "\\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] ";
inline const std::string kHead = "[0-9]{4,}: " + kTime;

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // As pre-initialisation does it: console lock, then start with the g_core switches.
    void StartLoggingAsAtStartUp() {
        QVI_SetUpConsoleLogging();
        QVI_StartLogging();
    }
    // Logging started directly, line numbers from 1, no start lines; toFile writes
    // kTestLogPath (created empty).
    void StartBareLogging(bool toFile);
    // The console entries' texts, oldest first.
    std::vector<std::string> ConsoleTexts() const;
    std::string LogFileContents() const { return fake_files::Contents(g_console.logPath); }
    std::vector<std::string> LogFileLines() const { return SplitLines(LogFileContents()); }
    // The log file has exactly as many lines as patterns, each matching its regular expression.
    void ExpectLogFileLines(const std::vector<std::string>& patterns) const;

    ProgramInterface record_ = {};

private:
    QuavenAPI savedTable_ = {};
    CoreState savedCore_ = {};
};

}  // namespace logging_test
