#include "support/process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#ifndef QUAVEN_FIXTURES_DIR
#error "QUAVEN_FIXTURES_DIR must name the fixtures folder"
#endif

namespace quaven_test {

std::string FixturesDir() { return QUAVEN_FIXTURES_DIR; }

std::string MakeTempDir(const std::string& tag) {
    char base[MAX_PATH] = {};
    GetTempPathA(sizeof base, base);
    // Process ids repeat across runs, so the name alone cannot promise a fresh folder:
    // only a folder this call created itself is handed out.
    static LONG counter = 0;
    for (;;) {
        const std::string dir = std::string(base) + "quaven-" + tag + "-" + std::to_string(GetCurrentProcessId()) +
                                "-" + std::to_string(GetTickCount()) + "-" +
                                std::to_string(InterlockedIncrement(&counter));
        if (CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() != ERROR_ALREADY_EXISTS) return dir;
    }
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool WriteFile(const std::string& path, const std::string& contents) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << contents;
    return static_cast<bool>(out);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

void AppendLine(const std::string& path, const std::string& line) {
    if (FILE* out = fopen(path.c_str(), "ab")) {
        fprintf(out, "%s\n", line.c_str());
        fclose(out);
    }
}

std::string EnvironmentVariable(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

ChildProcess::~ChildProcess() {
    if (!process_) return;
    if (Running()) TerminateProcess(process_, 99);
    CloseHandle(process_);
}

bool ChildProcess::Start(const std::string& commandLine,
                         const std::vector<std::pair<std::string, std::string>>& environment,
                         const std::string& workingDir) {
    // The child inherits this process's environment with the extra variables on top.
    std::string block;
    if (!environment.empty()) {
        char* current = GetEnvironmentStringsA();
        for (const char* p = current; *p; p += strlen(p) + 1) {
            bool overridden = false;
            for (const auto& [name, value] : environment)
                if (!_strnicmp(p, (name + "=").c_str(), name.size() + 1)) overridden = true;
            if (!overridden) block.append(p).push_back('\0');
        }
        FreeEnvironmentStringsA(current);
        for (const auto& [name, value] : environment) block.append(name + "=" + value).push_back('\0');
        block.push_back('\0');
    }
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string mutableCommand = commandLine;
    if (!CreateProcessA(nullptr, mutableCommand.data(), nullptr, nullptr, FALSE, 0,
                        block.empty() ? nullptr : block.data(),
                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    processId_ = info.dwProcessId;
    return true;
}

bool ChildProcess::StartSelf(const std::string& testFilter,
                             const std::vector<std::pair<std::string, std::string>>& environment) {
    char exe[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, exe, sizeof exe)) return false;
    return Start("\"" + std::string(exe) + "\" --gtest_filter=" + testFilter, environment);
}

bool ChildProcess::Wait(DWORD timeoutMs, DWORD* exitCode) {
    if (!process_) return false;
    if (WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 99);
        WaitForSingleObject(process_, 5000);
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    if (exitCode) *exitCode = code;
    return true;
}

bool ChildProcess::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

std::string CurrentTestFilter() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return info ? std::string(info->test_suite_name()) + "." + info->name() : std::string("*");
}

}  // namespace quaven_test
