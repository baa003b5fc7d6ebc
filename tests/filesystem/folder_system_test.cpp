// The folder back end: native files, folders and their listings.

#include "filesystem/fs_test_support.h"

#include <algorithm>

#include "filesystem/backends.h"

namespace fs_test {
namespace {

class FolderSystemTest : public FileSystemTest {
protected:
    QVFileSystem::System* folders() { return QVI_GetFileSystemBackend(SCHEME_RES); }
    String Native(const std::string& relative) { return String((resRoot_ + "/" + relative).c_str()); }
};

TEST_F(FolderSystemTest, CreateDirectoryRefusesPathsOutsideTheRoot)
{
    EXPECT_FALSE(folders()->CreateDirectory(SCHEME_RES, String((resRoot_ + "-elsewhere/a").c_str())));
    EXPECT_FALSE(NativeFolderExists(resRoot_ + "-elsewhere"));
    EXPECT_TRUE(folders()->CreateDirectory(SCHEME_RES, Native("x/y")));
    EXPECT_TRUE(NativeFolderExists(resRoot_ + "/x/y"));
}

TEST_F(FolderSystemTest, RecursiveListingPutsDeeperFilesFirstAndNamesEachOnce)
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

}  // namespace
}  // namespace fs_test
