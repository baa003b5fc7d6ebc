// Starting Windows child processes from tests: the engine host, the popup answerer and other
// fixtures run as real processes in the same Wine prefix.
#pragma once

#include "platform/windows/win32.h"

#include <string>
#include <utility>
#include <vector>

namespace quaven_test {

// Folder of the built fixtures (prog.dll, popup_answerer.exe) as a Windows path.
std::string FixturesDir();

// A fresh, empty folder for one test's files, as a Windows path.
std::string MakeTempDir(const std::string& tag);

std::string ReadFile(const std::string& path);
bool WriteFile(const std::string& path, const std::string& contents);
std::vector<std::string> ReadLines(const std::string& path);
// Appends line and a line feed at once, so that what a child process noted stays even
// when the process ends right after.
void AppendLine(const std::string& path, const std::string& line);

// An environment variable's value; "" when it is not set (how a test in a child role
// learns its role and folder).
std::string EnvironmentVariable(const char* name);

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Starts commandLine with the current environment plus the given variables.
    bool Start(const std::string& commandLine,
               const std::vector<std::pair<std::string, std::string>>& environment = {},
               const std::string& workingDir = {});
    // Starts this test executable again with a gtest filter, so that a test can watch from
    // outside what ends or poisons a process (a Cancel, per-process counters).
    bool StartSelf(const std::string& testFilter,
                   const std::vector<std::pair<std::string, std::string>>& environment = {});
    // True when the process ended within timeoutMs, with its full 32-bit exit code in
    // *exitCode; a process still running then is killed.
    bool Wait(DWORD timeoutMs, DWORD* exitCode = nullptr);
    bool Running() const;
    DWORD ProcessId() const { return processId_; }

private:
    HANDLE process_ = nullptr;
    DWORD processId_ = 0;
};

// The gtest filter that names the running test, for ChildProcess::StartSelf.
std::string CurrentTestFilter();

}  // namespace quaven_test
