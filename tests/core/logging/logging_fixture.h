// The logging tests' common ground: an API table with the real logging, lock and thread
// members and the in-memory file system, a configuration in g_core, and clean logging
// state before and after every test.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/logging/console.h"
#include "fake_file_system.h"
#include "quaven/program.h"

namespace logging_test {

// The path the bare set-ups log to.
extern const char* const kTestLogPath;

class LoggingTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // As pre-initialisation does it: console lock, then start with the g_core switches.
    void StartLoggingAsAtStartUp();
    // Logging started directly, line numbers from 1, no start lines; toFile writes
    // kTestLogPath (created empty).
    void StartBareLogging(bool toFile);

    // The console entries' texts, oldest first.
    std::vector<std::string> ConsoleTexts() const;
    // The lines of the log file in use (kTestLogPath for bare logging).
    std::vector<std::string> LogFileLines() const;
    std::string LogFileContents() const;

    ProgramInterface record_ = {};

private:
    QuavenAPI savedTable_ = {};
    CoreState savedCore_ = {};
};

// A regular expression for a file line's "NNNN: [hh:mm.ss] " head.
extern const char* const kLineHeadPattern;

}  // namespace logging_test
