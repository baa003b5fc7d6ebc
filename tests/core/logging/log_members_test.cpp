// Log and LogEx as the program calls them: answers, the 4095-character cut, the
// minimum level, and hostile formats.
#include <gtest/gtest.h>

#include <string>

#include "core/logging/logging.h"
#include "logging_fixture.h"

namespace logging_test {
namespace {

using LogMembers = LoggingTest;

// Through the table, as a program calls them (and without the compiler's format checks).
int TableLog(const char* format, const char* argument)
{
    return qv->Log(format, argument);
}

TEST_F(LogMembers, LongMessageIsCutTo4095AndAnswersMinusOne)
{
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
}

TEST_F(LogMembers, MinimumLevelDropsMessagesWhole)
{
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

TEST_F(LogMembers, NullOrStoringFormatsAreNotFormatted)
{
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

}  // namespace
}  // namespace logging_test
