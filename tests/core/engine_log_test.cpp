#include "core/engine_log.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using quaven_test::LogCapture;

std::string g_written;
int g_writeCalls = 0;

TEST(EngineLog, ReportsKeepPercentSignsFilePrintfWritesUpTo4095CharactersAndWithoutMembersNothingHappens) {
    QuavenAPI* const saved = qv;
    {
        LogCapture capture;
        LogCapture::SetPopupAnswer(QV_POPUP_NO);
        QVI_Report(QV_LOG_WARNING, "file '%s' missing", "100%s.png");
        EXPECT_EQ(QVI_ReportPopup(QV_LOG_ERROR, "%d%% done", 50), QV_POPUP_NO);
        EXPECT_EQ(LogCapture::CountContaining("file '100%s.png' missing", QV_LOG_WARNING), 1);
        EXPECT_EQ(LogCapture::CountPopups("50% done", QV_LOG_ERROR), 1);
        qv->LogEx = nullptr;   // the capture puts the members back
        qv->LogPopup = nullptr;
        QVI_Report(QV_LOG_ERROR, "dropped");
        EXPECT_EQ(QVI_ReportPopup(QV_LOG_ERROR, "dropped"), 0);
    }
    qv = nullptr;
    QVI_Report(QV_LOG_ERROR, "no table");
    EXPECT_EQ(QVI_ReportPopup(QV_LOG_ERROR, "no table"), 0);

    QuavenFileSystemAPI fileSystem = {};
    fileSystem.Write = [](const void* buffer, int size, FileHandle*) {
        g_written.assign(static_cast<const char*>(buffer), static_cast<size_t>(size));
        ++g_writeCalls;
        return size;
    };
    QuavenAPI table = {};
    table.fileSystem = &fileSystem;
    qv = &table;
    FileHandle* const file = reinterpret_cast<FileHandle*>(0x1234);
    const std::string fits(4095, 'a');
    EXPECT_EQ(QVI_FilePrintf(file, "%s", fits.c_str()), 4095);
    EXPECT_EQ(g_written, fits);
    EXPECT_EQ(QVI_FilePrintf(file, "%s!", fits.c_str()), -1);
    EXPECT_EQ(g_written, fits);
    // Without a format, a Write member or a table, nothing is written.
    g_writeCalls = 0;
    const char* noFormat = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, noFormat), -1);
    fileSystem.Write = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, "%d", 12345), 5);
    qv = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, "%d", 12345), 5);
    EXPECT_EQ(g_writeCalls, 0);
    qv = saved;
}

} // namespace
