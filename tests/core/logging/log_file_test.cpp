// The run's log file: its name, and lines whose append fails.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/engine_time.h"
#include "core/logging/log_file.h"
#include "logging_fixture.h"

namespace logging_test {
namespace {

using LogFile = LoggingTest;

std::string StampOf(const DateTime& t) {
    char stamp[32];
    snprintf(stamp, sizeof(stamp), "%.4d-%.2d-%.2d-%.2d-%.2d", t.year, t.month, t.day, t.hour, t.minute);
    return stamp;
}

TEST_F(LogFile, NameCarriesTheProgramIdTakenNamesGetANumberUpTo99AndALineThatCannotBeAppendedStaysInTheConsole) {
    g_core.settings = &record_;
    for (;;) {
        const std::string stamp = StampOf(QV_GetDateTime());
        const std::string stem = "logs://Test-Program-" + stamp;
        String first = QVI_OpenLogFile();
        fake_files::SetContents(stem + ".log", "first run");
        String second = QVI_OpenLogFile();
        for (int n = 1; n <= 98; ++n)
            fake_files::SetContents(stem + "-" + std::to_string(n) + ".log", "x");
        String last = QVI_OpenLogFile();
        fake_files::SetContents(stem + "-99.log", "x");
        String reused = QVI_OpenLogFile();
        if (StampOf(QV_GetDateTime()) != stamp)
            continue;  // the minute turned over: try again
        EXPECT_STREQ(first.text, (stem + ".log").c_str());
        EXPECT_STREQ(second.text, (stem + "-1.log").c_str());
        EXPECT_STREQ(last.text, (stem + "-99.log").c_str());
        EXPECT_STREQ(reused.text, (stem + "-99.log").c_str());
        break;
    }

    memset(record_.id, 'a', sizeof(record_.id));  // no terminator inside the field
    record_.title[0] = 'T';
    String chosen = QVI_OpenLogFile();
    ASSERT_NE(chosen.text, nullptr);
    EXPECT_EQ(std::string(chosen.text).substr(0, 7 + 32 + 1), "logs://" + std::string(32, 'a') + "-");

    StartBareLogging(true);
    QV_Log("written");
    fake_files::RefuseOpening(kTestLogPath);
    QV_Log("missed");
    EXPECT_EQ(LogFileLines().size(), 1u);
    EXPECT_EQ(ConsoleTexts(), (std::vector<std::string>{"written", "missed"}));
    EXPECT_EQ(fake_files::OpenHandles(), 0);
}

}  // namespace
}  // namespace logging_test
