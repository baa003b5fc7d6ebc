// The run's log file: its name, its header, what start-up writes with the console and
// logging switches, the shutdown summary and the end of logging.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "core/engine_time.h"
#include "core/logging/log_file.h"
#include "core/logging/logging.h"
#include "logging_fixture.h"
#include "platform/popups.h"

namespace logging_test {
namespace {

using LogFile = LoggingTest;

std::string StampOf(const DateTime& t)
{
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%.4d-%.2d-%.2d-%.2d-%.2d", t.year, t.month, t.day, t.hour, t.minute);
    return stamp;
}

// The name QVI_OpenLogFile answers, checked against the minute it was taken in (the test
// retries when the minute turns over in between).
std::string ExpectedName(const char* id, const char* suffix, String* chosen)
{
    for (;;) {
        DateTime before = QV_GetDateTime();
        *chosen = QVI_OpenLogFile();
        DateTime after = QV_GetDateTime();
        if (StampOf(before) == StampOf(after))
            return std::string("logs://") + id + "-" + StampOf(before) + suffix + ".log";
    }
}

TEST_F(LogFile, NameCarriesProgramIdWithDashesForSpaces)
{
    g_core.settings = &record_;
    String chosen;
    std::string expected = ExpectedName("Test-Program", "", &chosen);
    ASSERT_NE(chosen.text, nullptr);
    EXPECT_EQ(std::string(chosen.text), expected);

    memset(record_.id, 'a', sizeof(record_.id));  // no terminator inside the field
    record_.title[0] = 'T';
    chosen = QVI_OpenLogFile();
    ASSERT_NE(chosen.text, nullptr);
    EXPECT_EQ(std::string(chosen.text).substr(0, 7 + 32 + 1), "logs://" + std::string(32, 'a') + "-");
}

TEST_F(LogFile, TakenNamesGetANumberAndThe99thIsReused)
{
    g_core.settings = &record_;
    strcpy(record_.id, "game");
    for (;;) {
        DateTime now = QV_GetDateTime();
        std::string stem = "logs://game-" + StampOf(now);
        FakeFileSystem::SetContents(stem + ".log", "first run");
        String second = QVI_OpenLogFile();
        for (int n = 1; n <= 99; ++n)
            FakeFileSystem::SetContents(stem + "-" + std::to_string(n) + ".log", "x");
        String last = QVI_OpenLogFile();
        if (StampOf(QV_GetDateTime()) != StampOf(now))
            continue;  // the minute turned over: try again
        EXPECT_EQ(std::string(second.text), stem + "-1.log");
        EXPECT_EQ(std::string(last.text), stem + "-99.log");
        break;
    }
}

TEST_F(LogFile, StartUpWritesHeaderAndStartLines)
{
    g_core.settings = &record_;
    g_core.loggingVerboseLevel = 0;
    StartLoggingAsAtStartUp();

    ASSERT_EQ(g_console.started, 1);
    ASSERT_EQ(g_console.logToFile, 1);
    ASSERT_EQ(std::string(g_console.logPath).rfind("logs://Test-Program-", 0), 0u) << g_console.logPath;
    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 4u) << LogFileContents();
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("Kelmark QV \\(API 1406 \\+ core 2325, built .+ .+\\)")))
        << lines[0];
    EXPECT_EQ(lines[1], std::string(60, '-'));
    EXPECT_TRUE(std::regex_match(lines[2], std::regex(std::string(kLineHeadPattern) +
                                                      "Logging started on [0-9]{4}-[0-9]{2}-[0-9]{2}\\.")))
        << lines[2];
    EXPECT_TRUE(std::regex_match(lines[3], std::regex(std::string(kLineHeadPattern) +
                                                      "\\[SYSTEM\\] Logging Verbose Level set to 0\\.")))
        << lines[3];
    EXPECT_EQ(lines[2].substr(0, 4), "0001");
    EXPECT_NE(g_console.consoleLock, nullptr);
    // A Cancel in an engine message box waits for the log file's lines to be whole.
    EXPECT_EQ(QVI_GetPopupLogFlushHook(), QVI_HoldLogFileForExit);
}

TEST_F(LogFile, ConsoleSwitchOffMeansNoLoggingAtAll)
{
    g_core.console = 0;
    g_core.logging = 1;
    StartLoggingAsAtStartUp();
    EXPECT_EQ(g_console.started, 0);
    EXPECT_TRUE(FakeFileSystem::Paths().empty());
    EXPECT_EQ(QV_Log("anything"), 0);
    EXPECT_EQ(QV_LogEx(QV_LOG_ERROR, "anything"), 0);
    EXPECT_EQ(QV_LogPopup(QV_LOG_ERROR, "no dialog either"), 0);
    QVI_LogShutdownSummary();
    EXPECT_EQ(g_console.lines.count, 0);
}

TEST_F(LogFile, FileThatDoesNotOpenIsReportedAndTheLinesStayInTheConsole)
{
    g_core.settings = &record_;
    FakeFileSystem::RefuseOpening("*");
    StartLoggingAsAtStartUp();

    EXPECT_EQ(g_console.started, 1);
    EXPECT_EQ(g_console.logToFile, 0);
    ASSERT_GE(g_console.lines.count, 3);
    EXPECT_STREQ(g_console.lines.data[0].text, "[WARNING] Unable to allocate file for the logs.\n");
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 1);
    QV_Log("kept");
    EXPECT_STREQ(g_console.lines.data[g_console.lines.count - 1].text, "kept");
}

TEST_F(LogFile, LineWhoseAppendFailsStaysInTheConsole)
{
    StartBareLogging(true);
    QV_Log("written");
    FakeFileSystem::RefuseOpening(kTestLogPath);
    QV_Log("missed");
    EXPECT_EQ(LogFileLines().size(), 1u);
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"written", "missed"}));
    EXPECT_EQ(FakeFileSystem::OpenHandles(), 0);
}

TEST_F(LogFile, ShutdownSummaryCountsByLevelAndStoppedLoggingStaysSilentEvenWithTheConsoleClosed)
{
    StartBareLogging(true);
    QV_LogEx(QV_LOG_ERROR, "e1");
    QV_LogEx(QV_LOG_ERROR, "e2\ne3");
    QV_LogEx(QV_LOG_WARNING, "w1");
    QV_Log("i1");
    QV_LogEx(QV_LOG_SYSTEM, "s1");
    QV_LogEx(9, "counted as error");
    QVI_LogShutdownSummary();
    auto lines = LogFileLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_NE(lines.back().find("] QUAVEN log: 4 errors, 1 warnings, 1 infos."), std::string::npos)
        << lines.back();

    const int errors = g_console.counters[QV_LOG_ERROR];
    g_console.open = 0;
    QVI_StopLogging();
    EXPECT_EQ(g_console.started, 0);
    EXPECT_EQ(g_console.lines.count, 0);
    EXPECT_EQ(g_console.consoleLock, nullptr);
    EXPECT_EQ(QV_Log("after shutdown"), 0);
    g_console.Print(QV_LOG_ERROR, "after shutdown");
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], errors);
    EXPECT_EQ(LogFileLines().size(), lines.size());
}

}  // namespace
}  // namespace logging_test
