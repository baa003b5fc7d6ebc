// What one log line looks like in the file and in the console list, for every kind of
// writing thread and level.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/logging/log_level.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "logging_fixture.h"

namespace logging_test {
namespace {

using LogLineFormat = LoggingTest;

// "[hh:mm.ss] " after a line's number.
const std::string kTime = "\\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] ";

std::string Head()
{
    return kLineHeadPattern;
}

bool Matches(const std::string& line, const std::string& pattern)
{
    return std::regex_match(line, std::regex(pattern));
}

struct ThreadLog {
    const char* text;
    int level;
    HANDLE done;
};

void LogFromThread(void* argument)
{
    auto* request = static_cast<ThreadLog*>(argument);
    QV_LogEx(request->level, "%s", request->text);
    SetEvent(request->done);
}

DWORD WINAPI LogFromForeignThread(LPVOID argument)
{
    auto* request = static_cast<ThreadLog*>(argument);
    QV_LogEx(request->level, "%s", request->text);
    return 0;
}

// Runs one log call on an engine thread of that name and waits until it has logged.
void LogOnEngineThread(const char* name, int level, const char* text)
{
    ThreadLog request = {text, level, CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    ASSERT_NE(QV_CreateThread(name, LogFromThread, &request, 0), 0u);
    ASSERT_EQ(WaitForSingleObject(request.done, 30000), WAIT_OBJECT_0);
    CloseHandle(request.done);
}

TEST_F(LogLineFormat, LevelNames)
{
    EXPECT_STREQ(QVI_GetLogLevelName(0), "INFO");
    EXPECT_STREQ(QVI_GetLogLevelName(1), "WARNING");
    EXPECT_STREQ(QVI_GetLogLevelName(2), "ERROR");
    EXPECT_STREQ(QVI_GetLogLevelName(3), "SYSTEM");
    EXPECT_STREQ(QVI_GetLogLevelName(4), "UNKNOWN");
    EXPECT_STREQ(QVI_GetLogLevelName(-1), "UNKNOWN");
    EXPECT_STREQ(QVI_GetLogLevelName(0x7fffffff), "UNKNOWN");
}

TEST_F(LogLineFormat, MainThreadLinesCarryNoThreadPart)
{
    StartBareLogging(true);
    QV_Log("plain %d", 1);
    QV_LogEx(QV_LOG_WARNING, "careful");
    QV_LogEx(QV_LOG_ERROR, "broken");
    QV_LogEx(QV_LOG_SYSTEM, "status");

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Matches(lines[0], "0001: " + kTime + "plain 1")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], "0002: " + kTime + "\\[WARNING\\] careful")) << lines[1];
    EXPECT_TRUE(Matches(lines[2], "0003: " + kTime + "\\[ERROR\\] broken")) << lines[2];
    EXPECT_TRUE(Matches(lines[3], "0004: " + kTime + "\\[SYSTEM\\] status")) << lines[3];

    // The console keeps the level's tag in front of the text and names the thread "MAIN".
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"plain 1", "[WARNING] careful", "[ERROR] broken",
                                                        "[SYSTEM] status"}));
    EXPECT_STREQ(g_console.lines.data[0].threadName, "MAIN");
    EXPECT_EQ(g_console.lines.data[1].level, QV_LOG_WARNING);
    EXPECT_EQ(g_console.lines.data[3].number, 4);
}

TEST_F(LogLineFormat, NamedEngineThreadShowsItsName)
{
    StartBareLogging(true);
    LogOnEngineThread("Loader", QV_LOG_INFO, "text");
    LogOnEngineThread("Loader", QV_LOG_WARNING, "slow");

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(Matches(lines[0], Head() + "\\[Loader\\]> text")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], Head() + "\\[Loader\\]> \\[WARNING\\] slow")) << lines[1];
    EXPECT_STREQ(g_console.lines.data[0].threadName, "Loader");
    EXPECT_STREQ(g_console.lines.data[1].text, "[WARNING] slow");
}

TEST_F(LogLineFormat, EngineThreadWithoutNameShowsEmptyThreadPart)
{
    StartBareLogging(true);
    LogOnEngineThread(nullptr, QV_LOG_INFO, "anonymous");
    auto lines = LogFileLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(Matches(lines.back(), Head() + "\\[\\]> anonymous")) << lines.back();
    EXPECT_STREQ(g_console.lines.data[g_console.lines.count - 1].threadName, "");
}

TEST_F(LogLineFormat, ThreadNotStartedByTheEngineIsUnnamed)
{
    StartBareLogging(true);
    ThreadLog request = {"from outside", QV_LOG_ERROR, nullptr};
    HANDLE thread = CreateThread(nullptr, 0, LogFromForeignThread, &request, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(Matches(lines[0], Head() + "\\[ERROR\\] from outside")) << lines[0];
    EXPECT_STREQ(g_console.lines.data[0].threadName, "MAIN");
}

TEST_F(LogLineFormat, LevelsFourToSevenAreUnknownAndOthersBecomeErrors)
{
    StartBareLogging(true);
    QV_LogEx(5, "five");
    QV_LogEx(9, "nine");
    QV_LogEx(100000, "far out");
    // 65537 would pass for a WARNING if the level were cut to 16 bits on the way.
    QV_LogEx(65537, "wide");

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Matches(lines[0], Head() + "\\[UNKNOWN\\] five")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], Head() + "\\[ERROR\\] nine")) << lines[1];
    EXPECT_TRUE(Matches(lines[2], Head() + "\\[ERROR\\] far out")) << lines[2];
    EXPECT_TRUE(Matches(lines[3], Head() + "\\[ERROR\\] wide")) << lines[3];

    // No tag in the console for 4 to 7; the clamped ones are ERROR lines.
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"five", "[ERROR] nine", "[ERROR] far out", "[ERROR] wide"}));
    EXPECT_EQ(g_console.lines.data[0].level, 5);
    EXPECT_EQ(g_console.counters[5], 1);
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 3);
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 0);
}

TEST_F(LogLineFormat, MessageEndingInLineFeedIsNotDoubled)
{
    StartBareLogging(true);
    QV_Log("ends with feed\n");
    QV_Log("no feed");
    EXPECT_TRUE(Matches(LogFileContents(), Head() + "ends with feed\n" + Head() + "no feed\n"))
        << LogFileContents();
    // The console entry keeps the message as given.
    EXPECT_EQ(ConsoleTexts()[0], "ends with feed\n");
}

TEST_F(LogLineFormat, NumbersGrowPastFourDigits)
{
    StartBareLogging(true);
    g_console.lineNumber = 9998;
    QV_Log("a");
    QV_Log("b");
    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 6), "9999: ");
    EXPECT_EQ(lines[1].substr(0, 7), "10000: ");
}

TEST_F(LogLineFormat, PercentSignsInNamesAndMessagesAreWrittenAsTheyAre)
{
    StartBareLogging(true);
    LogOnEngineThread("50%s", QV_LOG_WARNING, "rate %d%% %s %n");
    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].substr(lines[0].find("] [") + 2), "[50%s]> [WARNING] rate %d%% %s %n");
}

}  // namespace
}  // namespace logging_test
