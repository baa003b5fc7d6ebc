// Runs one benchmark program as a child process and reports how long the whole process
// lived, from CreateProcess until it had ended ("bench process_ms"), and its exit code
// ("bench exit_code"). Measured here rather than by the driver, so that Wine's own start of
// a program from Linux is left out of the figure. The child inherits this program's
// standard handles and working folder: its own report lines land in the same output.
//
//   bench_launch.exe PROGRAM [ARGUMENTS...]
#include <windows.h>

#include <string>

#include "bench_report.h"

namespace {

// The command line after this program's own name, as it was given.
const char* ChildCommandLine(const char* commandLine)
{
    const char* p = commandLine;
    if (*p == '"') {
        for (++p; *p && *p != '"'; ++p) {
        }
        if (*p)
            ++p;
    } else {
        while (*p && *p != ' ' && *p != '\t')
            ++p;
    }
    while (*p == ' ' || *p == '\t')
        ++p;
    return p;
}

void MakeInheritable(DWORD which)
{
    HANDLE handle = GetStdHandle(which);
    if (handle && handle != INVALID_HANDLE_VALUE)
        SetHandleInformation(handle, HANDLE_FLAG_INHERIT, HANDLE_FLAG_INHERIT);
}

}  // namespace

int main()
{
    std::string commandLine = ChildCommandLine(GetCommandLineA());
    if (commandLine.empty()) {
        Bench_Report("error", "usage: bench_launch.exe PROGRAM [ARGUMENTS...]");
        return 2;
    }
    MakeInheritable(STD_INPUT_HANDLE);
    MakeInheritable(STD_OUTPUT_HANDLE);
    MakeInheritable(STD_ERROR_HANDLE);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION child = {};

    const double startMs = Bench_NowMs();
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &child)) {
        Bench_Report("error", "could not start %s (error %lu)", commandLine.c_str(), GetLastError());
        return 1;
    }
    WaitForSingleObject(child.hProcess, INFINITE);
    const double processMs = Bench_NowMs() - startMs;

    DWORD exitCode = 0;
    GetExitCodeProcess(child.hProcess, &exitCode);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    Bench_Report("process_ms", "%.3f", processMs);
    Bench_Report("exit_code", "%lu", exitCode);
    return 0;
}
