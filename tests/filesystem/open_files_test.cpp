// Bookkeeping of open files and the shutdown report.
#include "filesystem/fs_test_support.h"

namespace fs_test {
namespace {

class OpenFilesTest : public FileSystemTest {};

TEST_F(OpenFilesTest, SixteenOpenFilesWarnOnEveryFurtherOpenAndShutdownListsThem) {
    std::vector<FileHandle*> handles;
    for (int i = 0; i < 17; ++i) {
        handles.push_back(fs()->OpenFile(("user://open" + std::to_string(i) + ".txt").c_str(), "w"));
        ASSERT_NE(handles.back(), nullptr);
    }
    ASSERT_EQ(QVI_GetOpenFileCount(), 17);
    EXPECT_EQ(LogCapture::CountPopupsContaining("files are open at the same time"), 2);
    EXPECT_EQ(LogCapture::Count("File System OpenFile: 16 files are open at the same time, last file opened is "
                          "'user://open15.txt'."),
              1);
    QVI_ReportOpenFiles();
    EXPECT_EQ(LogCapture::Count("17 files left open.."), 1);
    EXPECT_EQ(LogCapture::Count("File 'user://open16.txt' left open."), 1);

    for (FileHandle* handle : handles)
        fs()->CloseFile(handle);
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
    LogCapture::Clear();
    QVI_ReportOpenFiles();
    EXPECT_EQ(LogCapture::Count("0 files left open.."), 1);
}

TEST_F(OpenFilesTest, LogFilesAndStartUpFilesAreNotTracked) {
    FileHandle* log = fs()->OpenFile("logs://quaven-2024.log", "w");
    ASSERT_NE(log, nullptr);
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
    fs()->CloseFile(log);

    g_core.coreInitialized = 0;
    EXPECT_TRUE(QVI_IsEngineLogPath("res://prog.xml"));
    FileHandle* early = fs()->OpenFile("user://early.txt", "w");
    ASSERT_NE(early, nullptr);
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
    g_core.coreInitialized = 1;
    fs()->CloseFile(early);  // opened before tracking began: nothing to remove
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
    EXPECT_FALSE(QVI_IsEngineLogPath(nullptr));
    EXPECT_FALSE(QVI_IsEngineLogPath("res://prog.xml"));
}

TEST_F(OpenFilesTest, FilesClosedAfterTheBackEndsAreGoneDoNotCrash) {
    FileHandle* handle = fs()->OpenFile("user://late.txt", "w");
    ASSERT_NE(handle, nullptr);
    ASSERT_EQ(fs()->Write("late", 4, handle), 4);
    QVI_DeleteFileSystemBackends();
    EXPECT_EQ(fs()->OpenFile("user://other.txt", "w"), nullptr);
    EXPECT_FALSE(fs()->FileExists("user://late.txt"));
    EXPECT_FALSE(fs()->Mount("save", 0));
    fs()->CloseFile(handle);
    ASSERT_TRUE(QVI_InitFileSystem());
    EXPECT_EQ(ReadNative(userRoot_ + "/late.txt"), "late");
}

}  // namespace
}  // namespace fs_test
