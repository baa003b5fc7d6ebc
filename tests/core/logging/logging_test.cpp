// Log and LogEx as the program calls them (answers, the 4095-character cut, the minimum
// level, hostile formats), and the start and end of logging around a run.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/logging/early_messages.h"
#include "core/logging/log_file.h"
#include "logging_fixture.h"
#include "platform/popups.h"

namespace logging_test {
namespace {

using Logging = LoggingTest;

// Through the table, as a program calls them (and without the compiler's format checks).
int TableLog(const char* format, const char* argument) {
    return qv->Log(format, argument);
}

TEST_F(Logging, LongMessagesAreCutTo4095TheSummaryCountsByLevelAndStoppedLoggingStaysSilent) {
    StartBareLogging(true);
    std::string exact(4095, 'e');
    std::string huge(100000, 'h');
    EXPECT_EQ(QV_Log("%s", exact.c_str()), 4095);   // the answer: characters formatted
    EXPECT_EQ(QV_LogEx(QV_LOG_ERROR, "%s", huge.c_str()), -1);
    EXPECT_EQ(QV_Log("%s!", exact.c_str()), -1);

    ASSERT_EQ(g_console.lines.count, 3);
    EXPECT_EQ(std::string(g_console.lines.data[0].text), exact);
    EXPECT_EQ(std::string(g_console.lines.data[1].text), "[ERROR] " + std::string(4095, 'h'));
    EXPECT_EQ(std::string(g_console.lines.data[2].text), exact);  // the "!" is what was cut
    // Full-length messages reach the file whole, after their line head, on lines of their own.
    std::string body(4094, 'z');
    EXPECT_EQ(QV_Log("%s\nX", body.c_str()), -1);      // the cut leaves body and feed
    QV_Log("next");
    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].size(), std::string("0001: [00:00.00] ").size() + 4095);
    EXPECT_EQ(lines[1].substr(lines[1].size() - 4097), "] " + std::string(4095, 'h'));
    EXPECT_EQ(lines[3].substr(lines[3].size() - 4096), "] " + body);
    EXPECT_EQ(lines[4].substr(lines[4].size() - 6), "] next");
    // The shutdown summary counts by level; stopped logging stays silent, the console closed or not.
    QV_LogEx(QV_LOG_ERROR, "e1");
    QV_LogEx(QV_LOG_ERROR, "e2\ne3");
    QV_LogEx(QV_LOG_WARNING, "w1");
    QV_Log("i1");
    QV_LogEx(QV_LOG_SYSTEM, "s1");
    QV_LogEx(9, "counted as error");
    QVI_LogShutdownSummary();
    const auto summarised = LogFileLines();
    ASSERT_FALSE(summarised.empty());
    EXPECT_NE(summarised.back().find("] QUAVEN log: 5 errors, 1 warnings, 5 infos."), std::string::npos)
        << summarised.back();

    const int errors = g_console.counters[QV_LOG_ERROR];
    g_console.open = 0;
    QVI_StopLogging();
    EXPECT_EQ(g_console.started, 0);
    EXPECT_EQ(g_console.lines.count, 0);
    EXPECT_EQ(g_console.consoleLock, nullptr);
    EXPECT_EQ(QV_Log("after shutdown"), 0);
    g_console.Print(QV_LOG_ERROR, "after shutdown");
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], errors);
    EXPECT_EQ(LogFileLines().size(), summarised.size());
}

TEST_F(Logging, MinimumLevelDropsMessagesWhole) {
    g_core.loggingVerboseLevel = QV_LOG_WARNING;
    StartBareLogging(true);
    EXPECT_EQ(QV_Log("info"), 0);
    EXPECT_EQ(QV_LogEx(QV_LOG_INFO, "info"), 0);
    EXPECT_EQ(QV_LogEx(QV_LOG_WARNING, "warn"), 4);
    EXPECT_EQ(QV_LogEx(QV_LOG_SYSTEM, "sys"), 3);
    EXPECT_EQ(QV_LogEx(-1, "negative"), 0);
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], 0);
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"[WARNING] warn", "[SYSTEM] sys"}));
    EXPECT_EQ(LogFileLines().size(), 2u);
}

TEST_F(Logging, NullOrStoringFormatsAreNotFormatted) {
    StartBareLogging(false);
    EXPECT_EQ(TableLog(nullptr, nullptr), 0);
    EXPECT_EQ(qv->LogEx(QV_LOG_ERROR, nullptr), 0);
    ASSERT_EQ(g_console.lines.count, 2);
    EXPECT_EQ(g_console.lines.data[0].level, QV_LOG_WARNING) << "a warning instead";
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 0);

    int target = 12345;
    EXPECT_EQ(qv->Log("count%n done", &target), -1);
    EXPECT_EQ(qv->Log("%-08.3hhn", &target), -1);
    EXPECT_EQ(target, 12345);
    EXPECT_EQ(ConsoleTexts()[2], "count%n done");
    EXPECT_EQ(ConsoleTexts()[3], "%-08.3hhn");

    EXPECT_TRUE(QVI_FormatStoresThroughArgument("%I64n"));
    EXPECT_FALSE(QVI_FormatStoresThroughArgument("100%%n nights"));
    EXPECT_FALSE(QVI_FormatStoresThroughArgument(nullptr));
    // An unknown specifier is formatted as the C library does, without a crash.
    EXPECT_GE(TableLog("odd %y %", "x"), 0);
    EXPECT_EQ(g_console.lines.count, 5);
}

TEST_F(Logging, StartUpWritesTheFileHeaderAndTheStartLines) {
    g_core.settings = &record_;
    StartLoggingAsAtStartUp();

    ASSERT_EQ(g_console.started, 1);
    ASSERT_EQ(g_console.logToFile, 1);
    ASSERT_EQ(std::string(g_console.logPath).rfind("logs://Test-Program-", 0), 0u) << g_console.logPath;
    ExpectLogFileLines({"Kelmark QV \\(API 1406 \\+ core 2325, built .+ .+\\)", std::string(60, '-'),
                        "0001: " + kTime + "Logging started on [0-9]{4}-[0-9]{2}-[0-9]{2}\\.",
                        kHead + "\\[SYSTEM\\] Logging Verbose Level set to 0\\."});
    EXPECT_NE(g_console.consoleLock, nullptr);
    // A Cancel in an engine message box waits for the log file's lines to be whole.
    EXPECT_EQ(QVI_GetPopupLogFlushHook(), QVI_HoldLogFileForExit);
}

TEST_F(Logging, ConsoleSwitchOffMeansNoLoggingAtAllAndTheLoggingSwitchOnlyTheFile) {
    g_core.console = 0;
    StartLoggingAsAtStartUp();
    EXPECT_EQ(g_console.started, 0);
    EXPECT_EQ(fake_files::FileCount(), 0);
    EXPECT_EQ(QV_Log("anything"), 0);
    EXPECT_EQ(QV_LogEx(QV_LOG_ERROR, "anything"), 0);
    EXPECT_EQ(QV_LogPopup(QV_LOG_ERROR, "no dialog either"), 0);
    QVI_LogShutdownSummary();
    EXPECT_EQ(g_console.lines.count, 0);
    QVI_StopLogging();
    // Without the logging switch, or with a file that does not open, lines stay in the console.
    g_core.console = 1;
    g_core.settings = &record_;
    g_core.logging = 0;
    StartLoggingAsAtStartUp();
    EXPECT_EQ(g_console.logToFile, 0);
    EXPECT_EQ(fake_files::FileCount(), 0);
    EXPECT_EQ(ConsoleTexts().back(), "[SYSTEM] Logging Verbose Level set to 0.");
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 0) << "no file was wanted, so none is missing";
    QVI_StopLogging();

    g_core.logging = 1;
    fake_files::RefuseOpening("*");
    StartLoggingAsAtStartUp();
    EXPECT_EQ(g_console.started, 1);
    EXPECT_EQ(g_console.logToFile, 0);
    ASSERT_GE(g_console.lines.count, 3);
    EXPECT_STREQ(g_console.lines.data[0].text, "[WARNING] Unable to allocate file for the logs.\n");
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 1);
}

TEST_F(Logging, MessagesOfStartUpBeforeTheStartFollowTheStartLinesAtTheirLevelsOrGoNowhere) {
    g_core.settings = &record_;
    // With the console off logging never starts: what was kept goes nowhere.
    g_core.console = 0;
    QVI_BeginKeepingEarlyMessages();
    QV_Log("never written");
    StartLoggingAsAtStartUp();
    g_core.console = 1;
    QVI_BeginKeepingEarlyMessages();
    EXPECT_EQ(QV_LogEx(QV_LOG_WARNING, "reader %s", "warned"), 0) << "not logged yet";
    EXPECT_EQ(QV_Log("reader noted %d", 2), 0);
    StartLoggingAsAtStartUp();
    ExpectLogFileLines({"Kelmark QV .+", std::string(60, '-'), "0001: " + kTime + "Logging started on .+",
                        kHead + "\\[SYSTEM\\] Logging Verbose Level set to 0\\.",
                        "0003: " + kTime + "\\[WARNING\\] reader warned", "0004: " + kTime + "reader noted 2"});
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 1);
    QVI_StopLogging();

    // No more are kept than the console can hold; the rest are counted.
    g_core.logging = 0;
    QVI_BeginKeepingEarlyMessages();
    for (int i = 0; i < kMaxConsoleLines + 3; ++i) QV_Log("early");
    StartLoggingAsAtStartUp();
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], kMaxConsoleLines + 1);
    EXPECT_EQ(ConsoleTexts().back(), "[WARNING] 3 messages raised before logging started were dropped.");
}

}  // namespace
}  // namespace logging_test
