#pragma once

// Ends the process at once with the exit code, as start-up does when it cannot go on.
// Global destructors and exit handlers do not run (other code may still hold what they
// would free); the log file is first brought to a whole line.
[[noreturn]] void QVI_EndProcess(int exitCode);
