// Cases that need a process of their own (a loaded program library stays loaded, shutdown
// deletes the engine's locks, a Cancel or a failed start-up ends the process, code may crash):
// the parent starts this test executable again on one test, told by the environment that it
// is the child, which does the work while the parent watches.
#pragma once

#include "platform/windows/win32.h"

#include <algorithm>
#include <string>
#include <vector>

namespace quaven_test {

using Lines = std::vector<std::string>;

// The plain form: InChild is true in the copy that RunCurrentTestInChild started, which answers
// its exit code (0: every check passed), or STILL_ACTIVE when it did not start or finish in time.
bool InChild(const char* variable);
DWORD RunCurrentTestInChild(const char* variable, DWORD timeoutMs = 60000);

// The engine form: a fresh folder on the child's library path holds a build of the test game
// as prog.dll; the child notes what it sees in files of that folder, line by line, and the
// parent reads them once it has ended.
struct ChildRun {
    bool ended = false;
    DWORD exitCode = 0;
    std::string box;  // the one popup's text ("" none, "<n boxes>" several)
    Lines outcome;    // what the child noted
    Lines log;        // "LEVEL text" of every line logged through the table, "popup LEVEL text"
    Lines program;    // the test game's results file
    Lines sleeps;     // milliseconds of every Sleep through the table, once NoteSleeps ran
};

// Parent: runs childTest ("Suite.Name") with fixtures/<library> as prog.dll (none for an
// empty name), caseName in the child's environment and the game following script; the
// first `popups` message boxes of the child are answered with OK.
ChildRun RunChild(const std::string& childTest, const std::string& library, const std::string& caseName,
                  const std::string& script = "", int popups = 0);

// Child: the folder and the case, "" when this process is no child (the child test then skips).
std::string ChildFolder();
std::string ChildCase();
// Child: false when this process is no child. Otherwise the folder goes on the library
// path, the main thread becomes engine thread 1, the API table is filled, the engine locks
// exist and every log line goes to the folder as it comes.
bool BeginChild();
void NoteOutcome(const std::string& line);
// Replaces the table's Sleep: each sleep is noted instead of slept.
void NoteSleeps();

// Index of the first line equal to `line`; -1 when absent.
inline int IndexOf(const Lines& lines, const std::string& line) {
    auto found = std::find(lines.begin(), lines.end(), line);
    return found == lines.end() ? -1 : static_cast<int>(found - lines.begin());
}
inline bool Has(const Lines& lines, const std::string& line) { return IndexOf(lines, line) >= 0; }
inline int CountStarting(const Lines& lines, const std::string& start) {
    return static_cast<int>(
        std::count_if(lines.begin(), lines.end(), [&](auto& line) { return line.rfind(start, 0) == 0; }));
}

}  // namespace quaven_test
