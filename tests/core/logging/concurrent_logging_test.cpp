// Several engine threads logging at once: every line reaches the list and the file whole,
// with a number of its own.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <set>
#include <string>

#include "core/logging/logging.h"
#include "core/threads.h"
#include "logging_fixture.h"

namespace logging_test {
namespace {

using ConcurrentLogging = LoggingTest;

const int kThreads = 4;
const int kLinesPerThread = 1000;

struct Worker {
    int index;
    bool multiLine;
    HANDLE start;
    HANDLE done;
};

void LogMany(void* argument)
{
    auto* worker = static_cast<Worker*>(argument);
    WaitForSingleObject(worker->start, INFINITE);
    for (int i = 0; i < kLinesPerThread; ++i) {
        if (worker->multiLine)
            QV_LogEx(QV_LOG_WARNING, "w%d upper %04d\nw%d lower %04d\n", worker->index, i, worker->index, i);
        else
            QV_Log("worker %d says %04d and some more text to make the line longer", worker->index, i);
    }
    SetEvent(worker->done);
}

// Starts the workers together and waits until every one has logged all its lines.
void RunWorkers(bool multiLine)
{
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Worker workers[kThreads];
    HANDLE done[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        done[t] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        workers[t] = {t, multiLine, start, done[t]};
        char name[16];
        snprintf(name, sizeof(name), "Worker%d", t);
        ASSERT_NE(QV_CreateThread(name, LogMany, &workers[t], 0), 0u);
    }
    SetEvent(start);
    ASSERT_EQ(WaitForMultipleObjects(kThreads, done, TRUE, 120000), WAIT_OBJECT_0);
    for (HANDLE event : done)
        CloseHandle(event);
    CloseHandle(start);
}

TEST_F(ConcurrentLogging, FourThreadsWrite4000WholeUniquelyNumberedLines)
{
    StartBareLogging(true);
    RunWorkers(false);

    std::string contents = LogFileContents();
    ASSERT_FALSE(contents.empty());
    EXPECT_EQ(contents.back(), '\n');
    auto lines = SplitLines(contents);
    ASSERT_EQ(lines.size(), static_cast<size_t>(kThreads * kLinesPerThread));

    std::regex whole("([0-9]{4,}): \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] \\[Worker([0-9])\\]> "
                     "worker ([0-9]) says ([0-9]{4}) and some more text to make the line longer");
    std::set<int> numbers;
    std::set<std::string> messages;
    for (const std::string& line : lines) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, whole)) << "torn line: " << line;
        EXPECT_EQ(parts[2], parts[3]) << "line logged by one thread under another's name: " << line;
        numbers.insert(std::stoi(parts[1]));
        messages.insert(parts[3].str() + "/" + parts[4].str());
    }
    EXPECT_EQ(numbers.size(), lines.size());
    EXPECT_EQ(*numbers.begin(), 1);
    EXPECT_EQ(*numbers.rbegin(), kThreads * kLinesPerThread);
    EXPECT_EQ(messages.size(), lines.size());

    EXPECT_EQ(g_console.lines.count, kThreads * kLinesPerThread);
    EXPECT_EQ(g_console.counters[QV_LOG_INFO], kThreads * kLinesPerThread);
    // The list is in number order: numbers are taken and entries stored under one lock.
    for (int i = 0; i < g_console.lines.count; ++i)
        ASSERT_EQ(g_console.lines.data[i].number, i + 1);
}

TEST_F(ConcurrentLogging, MultiLineTextsOfDifferentThreadsNeverMix)
{
    StartBareLogging(true);
    RunWorkers(true);

    auto lines = LogFileLines();
    ASSERT_EQ(lines.size(), static_cast<size_t>(2 * kThreads * kLinesPerThread));
    std::regex piece("[0-9]{4,}: \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] \\[Worker([0-9])\\]> \\[WARNING\\] "
                     "w([0-9]) (upper|lower) ([0-9]{4})");
    std::set<std::string> seen;
    for (const std::string& line : lines) {
        std::smatch parts;
        ASSERT_TRUE(std::regex_match(line, parts, piece)) << "torn line: " << line;
        EXPECT_EQ(parts[1], parts[2]) << line;
        seen.insert(line.substr(line.find("w", line.find("[WARNING]"))));
    }
    EXPECT_EQ(seen.size(), lines.size());
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 2 * kThreads * kLinesPerThread);
}

}  // namespace
}  // namespace logging_test
