// The folder back end and its listings.

#include "filesystem/fs_test_support.h"

#include "filesystem/backends.h"
#include "filesystem/paths.h"

namespace fs_test {
namespace {

class FolderBackendTest : public FileSystemTest {
protected:
    QVFileSystem::System* folders() { return QVI_GetFileSystemBackend(SCHEME_RES); }
    String Native(const std::string& relative) { return String((resRoot_ + "/" + relative).c_str()); }
};

TEST_F(FolderBackendTest, OpenModesAndSizes)
{
    EXPECT_EQ(folders()->OpenFile(SCHEME_RES, Native("missing"), FILE_MODE_READ), nullptr);

    ASSERT_TRUE(WriteNative(resRoot_ + "/five", "12345"));
    QVFileSystem::File* reader = folders()->OpenFile(SCHEME_RES, Native("five"), FILE_MODE_READ);
    ASSERT_NE(reader, nullptr);
    EXPECT_EQ(reader->size, 5u);
    EXPECT_EQ(reader->writable, 0);
    EXPECT_TRUE(folders()->CloseFile(reader));

    QVFileSystem::File* appender = folders()->OpenFile(SCHEME_RES, Native("five"), FILE_MODE_APPEND);
    ASSERT_NE(appender, nullptr);
    EXPECT_EQ(appender->size, 5u);
    EXPECT_EQ(appender->Write("6", 1), 1u);
    folders()->CloseFile(appender);
    EXPECT_EQ(ReadNative(resRoot_ + "/five"), "123456");

    QVFileSystem::File* writer = folders()->OpenFile(SCHEME_RES, Native("five"), FILE_MODE_WRITE);
    ASSERT_NE(writer, nullptr);
    EXPECT_EQ(writer->size, 0u);
    folders()->CloseFile(writer);
    EXPECT_EQ(ReadNative(resRoot_ + "/five"), "");

    EXPECT_EQ(folders()->OpenFile(SCHEME_RES, Native("x"), static_cast<FileMode>(7)), nullptr);
    EXPECT_EQ(folders()->OpenFile(SCHEME_RES, String(""), FILE_MODE_WRITE), nullptr);
}

TEST_F(FolderBackendTest, CreateDirectoryRefusesPathsOutsideTheRoot)
{
    EXPECT_FALSE(folders()->CreateDirectory(SCHEME_RES, String((resRoot_ + "-elsewhere/a").c_str())));
    EXPECT_FALSE(NativeFolderExists(resRoot_ + "-elsewhere"));
    EXPECT_TRUE(folders()->CreateDirectory(SCHEME_RES, Native("x/y")));
    EXPECT_TRUE(NativeFolderExists(resRoot_ + "/x/y"));
}

TEST_F(FolderBackendTest, RecursiveListingPutsDeeperFilesFirstAndNamesEachOnce)
{
    ASSERT_TRUE(fs()->CreateDirectory("res://levels/deep"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/levels/top.xml", "t"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/levels/top.dat", "t"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/levels/deep/low.xml", "l"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/levels/deep/skip.txt", "s"));

    std::vector<std::string> names = Find("res://levels/", "*.xml;*.dat;*.xml", true);
    std::vector<std::string> expected = {"res://levels/deep/low.xml", "res://levels/top.xml", "res://levels/top.dat"};
    EXPECT_EQ(names, expected);

    std::vector<std::string> flat = Find("res://levels", "*", false);
    std::sort(flat.begin(), flat.end());
    EXPECT_EQ(flat, (std::vector<std::string>{"res://levels/top.dat", "res://levels/top.xml"}));
}

TEST_F(FolderBackendTest, ListingRefusesBadArguments)
{
    EXPECT_TRUE(Find(nullptr, "*", false).empty());
    EXPECT_TRUE(Find("res://", "?.xml", false).empty());
    EXPECT_EQ(CountLogged("File System FindFiles: wildcards (?.xml) are invalid, see FindFiles() for more info."), 1);
    EXPECT_TRUE(Find("res://", "../*", false).empty());
    EXPECT_TRUE(Find("res://../", "*", false).empty());
    EXPECT_EQ(CountLogged("File System FindFiles: path 'res://../' is invalid, see IsPathValid() for more info."), 1);
    EXPECT_TRUE(Find("res://nowhere/", "*", true).empty());
}

}  // namespace
}  // namespace fs_test
