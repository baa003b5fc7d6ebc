// Runs the current test again in a fresh copy of this executable, for checks that must not
// share the process: per-process state, or code that may crash it. The copy is told by an
// environment variable that it is the child, and does the checks; the parent only watches.
#pragma once

#include <windows.h>

namespace quaven_test {

// True in the copy that RunCurrentTestInChild(variable) started.
bool InChild(const char* variable);

// The child's exit code (0 when every check passed there), or STILL_ACTIVE when it did not
// start or did not finish within timeoutMs (and was killed).
DWORD RunCurrentTestInChild(const char* variable, DWORD timeoutMs = 60000);

}  // namespace quaven_test
