// The folder back end: native files, folders and their listings.
#include "filesystem/fs_test_support.h"

#include <algorithm>

namespace fs_test {
namespace {

class FolderSystemTest : public FileSystemTest {};

TEST_F(FolderSystemTest, CreateDirectoryRefusesPathsOutsideTheRoot)
{
    QVFileSystem::System* folders = QVI_GetFileSystemBackend(SCHEME_RES);
    EXPECT_FALSE(folders->CreateDirectory(SCHEME_RES, String((ResRoot() + "-elsewhere/a").c_str())));
    EXPECT_FALSE(NativeExists(ResRoot() + "-elsewhere", true));
    EXPECT_TRUE(folders->CreateDirectory(SCHEME_RES, String((ResRoot() + "/x/y").c_str())));
    EXPECT_TRUE(NativeExists(ResRoot() + "/x/y", true));
}

TEST_F(FolderSystemTest, RecursiveListingPutsDeeperFilesFirstAndNamesEachOnce)
{
    WriteFilesIn(ResRoot(), {{"levels/top.xml", "t"}, {"levels/top.dat", "t"}, {"levels/deep/low.xml", "l"},
                         {"levels/deep/skip.txt", "s"}});
    EXPECT_EQ(Find("res://levels/", "*.xml;*.dat;*.xml", true),
              (Names{"res://levels/deep/low.xml", "res://levels/top.xml", "res://levels/top.dat"}));
    Names flat = Find("res://levels", "*", false);
    std::sort(flat.begin(), flat.end());
    EXPECT_EQ(flat, (Names{"res://levels/top.dat", "res://levels/top.xml"}));
}

}  // namespace
}  // namespace fs_test
