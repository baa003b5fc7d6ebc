// What one log line looks like in the file and in the console list, for every kind of
// writing thread and level.
#include <windows.h>

#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "core/logging/console.h"
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

TEST_F(LogLineFormat, MainThreadLinesCarryNoThreadPartAndNumbersGrowPastFourDigits)
{
    StartBareLogging(true);
    QV_Log("plain %d", 1);
    QV_LogEx(QV_LOG_SYSTEM, "ends with feed\n");   // the feed is not doubled
    g_console.lineNumber = 9999;
    QV_LogEx(QV_LOG_WARNING, "careful");

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 3u) << LogFileContents();
    EXPECT_TRUE(Matches(lines[0], "0001: " + kTime + "plain 1")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], "0002: " + kTime + "\\[SYSTEM\\] ends with feed")) << lines[1];
    EXPECT_TRUE(Matches(lines[2], "10000: " + kTime + "\\[WARNING\\] careful")) << lines[2];

    // The console keeps the level's tag in front of the text as given and names the thread "MAIN".
    EXPECT_EQ(ConsoleTexts()[1], "[SYSTEM] ends with feed\n");
    EXPECT_STREQ(g_console.lines.data[0].threadName, "MAIN");
}

TEST_F(LogLineFormat, EngineThreadsShowTheirNameAsItIsAndForeignThreadsNone)
{
    StartBareLogging(true);
    LogOnEngineThread("Loader", QV_LOG_WARNING, "slow");
    LogOnEngineThread(nullptr, QV_LOG_INFO, "anonymous");
    LogOnEngineThread("50%s", QV_LOG_INFO, "rate %d%% %s %n");
    ThreadLog request = {"from outside", QV_LOG_ERROR, nullptr};
    HANDLE thread = CreateThread(nullptr, 0, LogFromForeignThread, &request, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    ASSERT_EQ(WaitForSingleObject(thread, 30000), WAIT_OBJECT_0);
    CloseHandle(thread);

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(Matches(lines[0], Head() + "\\[Loader\\]> \\[WARNING\\] slow")) << lines[0];
    EXPECT_TRUE(Matches(lines[1], Head() + "\\[\\]> anonymous")) << lines[1];
    EXPECT_EQ(lines[2].substr(lines[2].find("] [") + 2), "[50%s]> rate %d%% %s %n");
    EXPECT_TRUE(Matches(lines[3], Head() + "\\[ERROR\\] from outside")) << lines[3];
    EXPECT_STREQ(g_console.lines.data[0].threadName, "Loader");
    EXPECT_STREQ(g_console.lines.data[3].threadName, "MAIN");
}

TEST_F(LogLineFormat, LevelsFourToSevenAreUnknownAndOthersBecomeErrors)
{
    StartBareLogging(true);
    QV_LogEx(5, "five");
    QV_LogEx(9, "nine");
    // 65537 would pass for a WARNING if the level were cut to 16 bits on the way.
    QV_LogEx(65537, "wide");

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_TRUE(Matches(lines[0], Head() + "\\[UNKNOWN\\] five")) << lines[0];
    EXPECT_TRUE(Matches(lines[2], Head() + "\\[ERROR\\] wide")) << lines[2];

    // No tag in the console for 4 to 7; the clamped ones are ERROR lines.
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"five", "[ERROR] nine", "[ERROR] wide"}));
    EXPECT_EQ(g_console.counters[5], 1);
    EXPECT_EQ(g_console.counters[QV_LOG_ERROR], 2);
}

}  // namespace
}  // namespace logging_test
