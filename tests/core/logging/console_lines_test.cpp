// The console's line list: splitting of multi-line texts, counting, numbering, the
// bound of 8192 lines with its "..." marker, and the scrolled view.
#include <gtest/gtest.h>

#include <string>

#include "core/logging/logging.h"
#include "logging_fixture.h"

namespace logging_test {
namespace {

using ConsoleLines = LoggingTest;

TEST_F(ConsoleLines, EachLineOfATextIsANumberedEntryAndEmptyOrOverlongPiecesAreDropped)
{
    StartBareLogging(true);
    QV_LogEx(QV_LOG_ERROR, "first\nsecond\n");
    EXPECT_EQ(g_console.lines.data[1].number, 2);
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 2);
    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[1].find("[ERROR] second"), std::string::npos);

    // Empty lines are skipped and not counted; a single trailing feed keeps the text one
    // line; a piece of 512 characters or more is dropped.
    const std::string longest(511, 'k');
    QV_Log("a\n\n\nb");
    QV_Log("one line\n");
    QV_Log("\nstart\n%s\n%s\nend", std::string(512, 'x').c_str(), longest.c_str());
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"[ERROR] first", "[ERROR] second", "a", "b", "one line\n",
                                                        "start", longest, "end"}));
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], 6);
}

TEST_F(ConsoleLines, EmptyTextIsCountedButTakesNoNumber)
{
    StartBareLogging(true);
    EXPECT_EQ(QV_Log("%s", ""), 0);
    g_console.Print(QV_LOG_WARNING, nullptr);
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], 1);
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 1);
    EXPECT_EQ(g_console.lineNumber, 0);
    EXPECT_EQ(g_console.lines.count, 0);
    EXPECT_EQ(LogFileContents(), "");

    // A writer below its own minimum counts, but writes nothing either.
    g_console.minimumLevel = QV_LOG_WARNING;
    g_console.Print(QV_LOG_INFO, "console echo");
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], 2);
    EXPECT_EQ(g_console.lines.count, 0);
}

TEST_F(ConsoleLines, OverflowKeeps8192EntriesHeadedByMarker)
{
    StartBareLogging(false);
    for (int i = 1; i <= 8192; ++i)
        QV_Log("line %d", i);
    ASSERT_EQ(g_console.lines.count, 8192);
    EXPECT_EQ(g_console.lines.data[0].number, 1);

    QV_Log("line %d", 8193);
    ASSERT_EQ(g_console.lines.count, 8192);
    const LogLine& marker = g_console.lines.data[0];
    EXPECT_STREQ(marker.text, "...");
    EXPECT_EQ(marker.level, QV_LOG_SYSTEM);
    EXPECT_EQ(marker.number, 0);
    EXPECT_STREQ(g_console.lines.data[1].text, "line 3");

    // Each further line drops the marker and the oldest real line and puts the marker back.
    QV_Log("line %d", 8194);
    ASSERT_EQ(g_console.lines.count, 8192);
    EXPECT_STREQ(g_console.lines.data[0].text, "...");
    EXPECT_EQ(g_console.lines.data[1].number, 4);
    EXPECT_EQ(g_console.lines.data[8191].number, 8194);
    int markers = 0;
    for (int i = 0; i < g_console.lines.count; ++i)
        markers += g_console.lines.data[i].number == 0;
    EXPECT_EQ(markers, 1);
}

TEST_F(ConsoleLines, ScrolledBackViewFollowsItsLines)
{
    StartBareLogging(false);
    QV_Log("a");
    EXPECT_EQ(g_console.scroll, 0);  // following the newest line
    g_console.scroll = 3;
    QV_Log("b");
    QV_Log("c\nd");
    EXPECT_EQ(g_console.scroll, 6);
}

}  // namespace
}  // namespace logging_test
