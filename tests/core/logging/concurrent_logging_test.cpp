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

// Starts the workers together (the odd ones logging two-line texts) and waits until every
// one has logged all its lines.
void RunWorkers()
{
    HANDLE start = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Worker workers[kThreads];
    HANDLE done[kThreads];
    for (int t = 0; t < kThreads; ++t) {
        done[t] = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        workers[t] = {t, t % 2 == 1, start, done[t]};
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

// Two threads log single lines, two log two-line texts, all at once.
TEST_F(ConcurrentLogging, FourThreadsWriteWholeUniquelyNumberedLinesThatNeverMix)
{
    StartBareLogging(true);
    RunWorkers();

    const std::string contents = LogFileContents();
    ASSERT_FALSE(contents.empty());
    EXPECT_EQ(contents.back(), '\n');
    const auto lines = SplitLines(contents);
    const size_t expected = 2 * kLinesPerThread + 2 * 2 * kLinesPerThread;
    ASSERT_EQ(lines.size(), expected);

    const std::regex single("([0-9]{4,}): \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] \\[Worker([0-9])\\]> "
                            "worker ([0-9]) says ([0-9]{4}) and some more text to make the line longer");
    const std::regex piece("([0-9]{4,}): \\[[0-9]{2}:[0-9]{2}\\.[0-9]{2}\\] \\[Worker([0-9])\\]> \\[WARNING\\] "
                           "w([0-9]) (upper|lower) ([0-9]{4})");
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
