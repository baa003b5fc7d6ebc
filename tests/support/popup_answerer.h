// Runs the popup answerer beside the code under test: it records every message box or dialog
// that appears and presses the chosen buttons, so a blocking popup never hangs a test.
#pragma once

#include "support/process.h"

#include <string>
#include <vector>

namespace quaven_test {

struct PopupRecord {
    std::string caption;
    std::string text;
    std::vector<int> buttons;  // dialog control ids of the buttons shown
    int pressed = 0;
};

class PopupAnswerer {
public:
    // Starts answering the popups of process `processId` (0: this test process): the n-th
    // popup gets press[n] (the last id repeats).
    bool Start(const std::vector<int>& press, int count, DWORD timeoutMs = 30000, DWORD processId = 0);
    // Waits for the answerer to end; false when it timed out before answering `count` popups.
    bool Finish(DWORD timeoutMs = 60000);
    // Starts commandLine in workingDir (with the extra environment) under the answerer's watch
    // instead: its first popup is recorded (pressed 0) and the process ended. Wait then gives
    // 4, or the exit code of a process that ended by itself.
    bool Watch(const std::string& commandLine, const std::string& workingDir,
               const std::vector<std::pair<std::string, std::string>>& environment = {});
    bool Wait(DWORD timeoutMs, DWORD* exitCode) { return process_.Wait(timeoutMs, exitCode); }
    // What it saw so far (complete after Finish).
    std::vector<PopupRecord> Records() const;

private:
    ChildProcess process_;
    std::string log_;
};

}  // namespace quaven_test
