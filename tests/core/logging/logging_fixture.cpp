#include "logging_fixture.h"

#include <cstring>

#include "core/engine_time.h"
#include "core/locks.h"
#include "core/logging/logging.h"
#include "core/threads.h"

namespace logging_test {

const char* const kTestLogPath = "logs://test.log";
const char* const kLineHeadPattern = "[0-9]{4,}: \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] ";

void LoggingTest::SetUp()
{
    savedTable_ = *qv;
    savedCore_ = g_core;

    QVI_InitializeThreading();
    QVI_CreateEngineLocks();

    qv->Log = QV_Log;
    qv->LogEx = QV_LogEx;
    qv->LogPopup = QV_LogPopup;
    qv->Sleep = QV_Sleep;
    qv->CreateMutex = QV_CreateMutex;
    qv->DestroyMutex = QV_DestroyMutex;
    qv->LockMutex = QV_LockMutex;
    qv->UnlockMutex = QV_UnlockMutex;
    qv->CreateThread = QV_CreateThread;
    qv->GetThreadId = QV_GetThreadId;
    qv->IsMainThread = QV_IsMainThread;
    qv->fileSystem = FakeFileSystem::Table();
    FakeFileSystem::Reset();

    strcpy(record_.id, "Test Program");
    strcpy(record_.title, "Logging Test");
    g_core.settings = nullptr;  // message boxes then carry the engine's own caption
    g_core.programInitRan = 0;
    g_core.coreInitialized = 0;
    g_core.developerMode = 0;
    g_core.console = 1;
    g_core.logging = 1;
    g_core.loggingVerboseLevel = 0;
}

void LoggingTest::TearDown()
{
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

void LoggingTest::StartLoggingAsAtStartUp()
{
    QVI_SetUpConsoleLogging();
    QVI_StartLogging();
}

void LoggingTest::StartBareLogging(bool toFile)
{
    QVI_SetUpConsoleLogging();
    g_console.lineNumber = 0;
    if (toFile) {
        FakeFileSystem::SetContents(kTestLogPath, "");
        strcpy(g_console.logPath, kTestLogPath);
        g_console.logToFile = 1;
    }
    g_console.started = 1;
}

std::vector<std::string> LoggingTest::ConsoleTexts() const
{
    std::vector<std::string> texts;
    for (int32_t i = 0; i < g_console.lines.count; ++i)
        texts.push_back(g_console.lines.data[i].text ? g_console.lines.data[i].text : "<null>");
    return texts;
}

std::string LoggingTest::LogFileContents() const
{
    return FakeFileSystem::Contents(g_console.logPath);
}

std::vector<std::string> LoggingTest::LogFileLines() const
{
    return SplitLines(LogFileContents());
}

}  // namespace logging_test
