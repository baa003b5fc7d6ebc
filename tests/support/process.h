// Starting Windows child processes from tests: the engine host, the popup answerer and other
// fixtures run as real processes in the same Wine prefix.
#pragma once

#include <windows.h>

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
    // The exit code, or -1 when it had not ended after timeoutMs (it is then killed).
    int Wait(DWORD timeoutMs);
    bool Running() const;

private:
    HANDLE process_ = nullptr;
};

}  // namespace quaven_test
