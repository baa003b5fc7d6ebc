// The console's line list and the line writer: splitting of multi-line texts, counting,
// numbering, the bound of 8192 lines with its "..." marker, the scrolled view, what one
// line looks like in the file and in the list for every kind of writing thread and level,
// and several threads writing at once.
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>
#include <string>

#include "logging_fixture.h"

namespace logging_test {
namespace {

using ConsoleLines = LoggingTest;

TEST_F(ConsoleLines, EachLineOfATextIsANumberedEntryAndEmptyOrOverlongPiecesAreDropped) {
    StartBareLogging(true);
    QV_LogEx(QV_LOG_ERROR, "first\nsecond\n");
    EXPECT_EQ(g_console.lines.data[1].number, 2);
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 2);
    ExpectLogFileLines({kHead + "\\[ERROR\\] first", kHead + "\\[ERROR\\] second"});
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

TEST_F(ConsoleLines, EmptyTextIsCountedButTakesNoNumber) {
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

TEST_F(ConsoleLines, OverflowKeeps8192EntriesHeadedByMarkerAndAScrolledViewFollowsItsLines) {
    StartBareLogging(false);
    QV_Log("line %d", 1);
    EXPECT_EQ(g_console.scroll, 0);  // following the newest line
    g_console.scroll = 3;
    QV_Log("line %d", 2);
    QV_Log("line %d\nline %d", 3, 4);
    EXPECT_EQ(g_console.scroll, 6);
    g_console.scroll = 0;

    for (int i = 5; i <= 8192; ++i)
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

TEST_F(ConsoleLines, LinesCarryTheirLevelsTagOrUnknownAndTheirThreadsNameNumbersGrowPastFourDigits) {
    StartBareLogging(true);
    QV_Log("plain %d", 1);
    QV_LogEx(QV_LOG_SYSTEM, "ends with feed\n");   // the feed is not doubled
    QV_LogEx(4, "four");
    QV_LogEx(7, "seven");
    QV_LogEx(8, "eight");
    // 65537 would pass for a WARNING if the level were cut to 16 bits on the way.
    QV_LogEx(65537, "wide");
    g_console.lineNumber = 9999;
    QV_LogEx(QV_LOG_WARNING, "careful");
    // The console keeps the level's tag in front of the text as given (none for 4 to 7, ERROR
    // for the clamped ones) and names the thread "MAIN".
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"plain 1", "[SYSTEM] ends with feed\n", "four", "seven",
                                                        "[ERROR] eight", "[ERROR] wide", "[WARNING] careful"}));
    EXPECT_STREQ(g_console.lines.data[0].threadName, "MAIN");
    EXPECT_EQ(g_console.counters[4], 1);
    EXPECT_EQ(g_console.counters[7], 1);
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 2);
    // Engine threads show their name as it is, other threads none.
    const auto logOnThread = [](bool engineThread, const char* name, int level, const char* text) {
        RunOnThread(engineThread, name, [=] { QV_LogEx(level, "%s", text); });
    };
    logOnThread(true, "Loader", QV_LOG_WARNING, "slow");
    logOnThread(true, nullptr, QV_LOG_INFO, "anonymous");
    logOnThread(true, "50%s", QV_LOG_INFO, "rate %d%% %s %n");
    logOnThread(false, nullptr, QV_LOG_ERROR, "from outside");
    ExpectLogFileLines({"0001: " + kTime + "plain 1", "0002: " + kTime + "\\[SYSTEM\\] ends with feed",
                        kHead + "\\[UNKNOWN\\] four", kHead + "\\[UNKNOWN\\] seven", kHead + "\\[ERROR\\] eight",
                        kHead + "\\[ERROR\\] wide", "10000: " + kTime + "\\[WARNING\\] careful",
                        "10001: " + kTime + "\\[Loader\\]> \\[WARNING\\] slow", kHead + "\\[\\]> anonymous",
                        kHead + "\\[50%s\\]> rate %d%% %s %n", kHead + "\\[ERROR\\] from outside"});
    EXPECT_STREQ(g_console.lines.data[7].threadName, "Loader");
    EXPECT_STREQ(g_console.lines.data[10].threadName, "MAIN");
}

// Two threads log single lines, two log two-line texts, all at once.
TEST_F(ConsoleLines, FourThreadsWriteWholeUniquelyNumberedLinesThatNeverMix) {
    const int kThreads = 4, kLinesPerThread = 1000;
    StartBareLogging(true);
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<HANDLE> done;
    for (int t = 0; t < kThreads; ++t) {
        done.push_back(StartOnThread(true, ("Worker" + std::to_string(t)).c_str(), [=] {
            WaitForSingleObject(start, INFINITE);
            for (int i = 0; i < kLinesPerThread; ++i) {
                if (t % 2)
                    QV_LogEx(QV_LOG_WARNING, "w%d upper %04d\nw%d lower %04d\n", t, i, t, i);
                else
                    QV_Log("worker %d says %04d and some more text to make the line longer", t, i);
            }
        }));
    }
    SetEvent(start);
    ASSERT_EQ(WaitForMultipleObjects(kThreads, done.data(), TRUE, 120000), WAIT_OBJECT_0);
    for (HANDLE event : done)
        CloseHandle(event);
    CloseHandle(start);

    const std::string contents = LogFileContents();
    ASSERT_FALSE(contents.empty());
    EXPECT_EQ(contents.back(), '\n');
    const auto lines = SplitLines(contents);
    const size_t expected = 2 * kLinesPerThread + 2 * 2 * kLinesPerThread;
    ASSERT_EQ(lines.size(), expected);

    const std::regex single("([0-9]{4,}): " + kTime + "\\[Worker([0-9])\\]> "
                            "worker ([0-9]) says ([0-9]{4}) and some more text to make the line longer");
    const std::regex piece("([0-9]{4,}): " + kTime +
                           "\\[Worker([0-9])\\]> \\[WARNING\\] w([0-9]) (upper|lower) ([0-9]{4})");
    std::set<int> numbers;
    std::set<std::string> messages;
    for (const std::string& line : lines) {
        std::smatch parts;
        const bool whole = std::regex_match(line, parts, single) || std::regex_match(line, parts, piece);
        ASSERT_TRUE(whole) << "torn line: " << line;
        EXPECT_EQ(parts[2], parts[3]) << "line logged by one thread under another's name: " << line;
        numbers.insert(std::stoi(parts[1]));
        messages.insert(line.substr(line.find('>')));
    }
    EXPECT_EQ(numbers.size(), expected);
    EXPECT_EQ(*numbers.rbegin(), static_cast<int>(expected));
    EXPECT_EQ(messages.size(), expected);
    // The list is in number order: numbers are taken and entries stored under one lock.
    ASSERT_EQ(g_console.lines.count, static_cast<int>(expected));
    for (int i = 0; i < g_console.lines.count; ++i)
        ASSERT_EQ(g_console.lines.data[i].number, i + 1);
}

}  // namespace
}  // namespace logging_test
