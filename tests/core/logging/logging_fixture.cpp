#include "logging_fixture.h"

#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <regex>
#include <set>
#include <sstream>

#include "core/locks.h"
#include "core/threads.h"

namespace logging_test {

const char* const kTestLogPath = "logs://test.log";

namespace {

std::mutex g_filesLock;
std::map<std::string, std::string> g_files;
std::set<std::string> g_refused;
int g_openHandles = 0;

using Guard = std::lock_guard<std::mutex>;

// The engine only passes FileHandle pointers around: a handle is the path it writes to.
std::string& PathOf(FileHandle* file) { return *reinterpret_cast<std::string*>(file); }

QuavenFileSystemAPI g_fakeFileSystem = [] {
    QuavenFileSystemAPI table = {};
    table.FileExists = [](const char* path) {
        Guard guard(g_filesLock);
        return path && g_files.count(path) != 0;
    };
    table.OpenFile = [](const char* path, const char* mode) -> FileHandle* {
        Guard guard(g_filesLock);
        if (!path || !mode || g_refused.count(path) || g_refused.count("*") || (mode[0] != 'w' && mode[0] != 'a'))
            return nullptr;
        std::string& contents = g_files[path];
        if (mode[0] == 'w')
            contents.clear();
        ++g_openHandles;
        return reinterpret_cast<FileHandle*>(new std::string(path));
    };
    table.Write = [](const void* buffer, int size, FileHandle* file) {
        Guard guard(g_filesLock);
        g_files[PathOf(file)].append(static_cast<const char*>(buffer), static_cast<size_t>(size));
        return size;
    };
    table.FlushFile = [](FileHandle*) { return 0; };
    table.CloseFile = [](FileHandle* file) {
        Guard guard(g_filesLock);
        --g_openHandles;
        delete &PathOf(file);
    };
    return table;
}();

struct ThreadJob {
    std::function<void()> call;
    HANDLE done;
};

void RunJob(void* argument) {
    std::unique_ptr<ThreadJob> job(static_cast<ThreadJob*>(argument));
    job->call();
    SetEvent(job->done);
}

DWORD WINAPI RunForeignJob(LPVOID argument) {
    RunJob(argument);
    return 0;
}

}  // namespace

namespace fake_files {

std::string Contents(const std::string& path) {
    Guard guard(g_filesLock);
    return g_files.count(path) ? g_files[path] : std::string();
}

void SetContents(const std::string& path, const std::string& contents) {
    Guard guard(g_filesLock);
    g_files[path] = contents;
}

void RefuseOpening(const std::string& path) { Guard guard(g_filesLock); g_refused.insert(path); }
int FileCount() { Guard guard(g_filesLock); return static_cast<int>(g_files.size()); }
int OpenHandles() { Guard guard(g_filesLock); return g_openHandles; }

}  // namespace fake_files

std::vector<std::string> SplitLines(const std::string& contents) {
    std::vector<std::string> lines;
    std::istringstream in(contents);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

HANDLE StartOnThread(bool engineThread, const char* name, std::function<void()> call) {
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    auto* job = new ThreadJob{std::move(call), done};
    if (engineThread)
        EXPECT_NE(QV_CreateThread(name, RunJob, job, 0), 0u);
    else
        CloseHandle(CreateThread(nullptr, 0, RunForeignJob, job, 0, nullptr));
    return done;
}

void RunOnThread(bool engineThread, const char* name, std::function<void()> call) {
    HANDLE done = StartOnThread(engineThread, name, std::move(call));
    EXPECT_EQ(WaitForSingleObject(done, 60000), WAIT_OBJECT_0);
    CloseHandle(done);
}

void LoggingTest::ExpectLogFileLines(const std::vector<std::string>& patterns) const {
    const std::vector<std::string> lines = LogFileLines();
    ASSERT_EQ(lines.size(), patterns.size()) << LogFileContents();
    for (size_t i = 0; i < lines.size(); ++i)
        EXPECT_TRUE(std::regex_match(lines[i], std::regex(patterns[i]))) << lines[i] << "\n  against " << patterns[i];
}

void LoggingTest::SetUp() {
    savedTable_ = *qv;
    savedCore_ = g_core;

    QVI_InitializeThreading();
    QVI_CreateEngineLocks();

    qv->Log = QV_Log;
    qv->LogEx = QV_LogEx;
    qv->LogPopup = QV_LogPopup;
    qv->CreateMutex = QV_CreateMutex;
    qv->LockMutex = QV_LockMutex;
    qv->UnlockMutex = QV_UnlockMutex;
    qv->CreateThread = QV_CreateThread;
    qv->fileSystem = &g_fakeFileSystem;
    {
        Guard guard(g_filesLock);
        g_files.clear();
        g_refused.clear();
        g_openHandles = 0;
    }

    strcpy(record_.id, "Test Program");
    g_core.settings = nullptr;  // message boxes then carry the engine's own caption
    g_core.programInitRan = 0;
    g_core.coreInitialized = 0;
    g_core.developerMode = 0;
    g_core.console = 1;
    g_core.logging = 1;
    g_core.loggingVerboseLevel = 0;
}

void LoggingTest::TearDown() {
    QVI_StopLogging();
    QVI_FreeLoggingGlobals();
    g_console.lineNumber = 0;
    g_console.logToFile = 0;
    g_console.logPath[0] = '\0';
    memset(g_console.counters, 0, sizeof(g_console.counters));

    Mutex* locks[MUTEX_COUNT];
    memcpy(locks, g_core.locks, sizeof(locks));
    g_core = savedCore_;
    memcpy(g_core.locks, locks, sizeof(locks));
    *qv = savedTable_;
}

void LoggingTest::StartBareLogging(bool toFile) {
    QVI_SetUpConsoleLogging();
    g_console.lineNumber = 0;
    if (toFile) {
        fake_files::SetContents(kTestLogPath, "");
        strcpy(g_console.logPath, kTestLogPath);
        g_console.logToFile = 1;
    }
    g_console.started = 1;
}

std::vector<std::string> LoggingTest::ConsoleTexts() const {
    std::vector<std::string> texts;
    for (int32_t i = 0; i < g_console.lines.count; ++i)
        texts.push_back(g_console.lines.data[i].text ? g_console.lines.data[i].text : "<null>");
    return texts;
}

}  // namespace logging_test
