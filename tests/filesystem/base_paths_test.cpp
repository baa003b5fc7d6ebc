// Base paths and the per-user folders that start-up derives from the configuration.

#include "filesystem/fs_test_support.h"

#include <string>

#include "filesystem/paths.h"
#include "support/process.h"

namespace fs_test {
namespace {

TEST(FolderNamesTest, TitleKeepsOnlyLettersDigitsAndDashesAndDeveloperIsUsedAsItIs)
{
    EXPECT_STREQ(QVI_GetTitleFolderName("a-b_c.d/e\\f").text, "a-b_c_d_e_f");
    EXPECT_STREQ(QVI_GetTitleFolderName("caf\xc3\xa9").text, "caf__");
    EXPECT_STREQ(QVI_GetTitleFolderName(nullptr).text, "unknown");
    EXPECT_STREQ(QVI_GetDeveloperFolderName("Big Studio, Inc.").text, "Big Studio, Inc.");
    EXPECT_STREQ(QVI_GetDeveloperFolderName("").text, "Kelmark");
}

class BasePathsTest : public FileSystemTest {};

TEST_F(BasePathsTest, DefaultRootsComeFromWindows)
{
    ASSERT_TRUE(QVI_InitBasePaths());
    EXPECT_STREQ(g_defaultUrlRoots[SCHEME_USER].text, AppDataFolder().c_str());
    EXPECT_STREQ(g_defaultUrlRoots[SCHEME_UGC].text, "");
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string folder = WithForwardSlashes(module);
    folder = folder.substr(0, folder.rfind('/'));
    EXPECT_STREQ(g_defaultUrlRoots[SCHEME_RES].text, folder.c_str());
    for (int i = 0; i < kSchemeCount; ++i)
        EXPECT_STREQ(g_currentUrlRoots[i].text, g_defaultUrlRoots[i].text);
}

TEST_F(BasePathsTest, MovedDocsAndSaveRootsAreKept)
{
    std::string movedDocs = WithForwardSlashes(quaven_test::MakeTempDir("docs"));
    ASSERT_TRUE(QVI_InitBasePaths());
    g_currentUrlRoots[SCHEME_DOCS].Assign(movedDocs.c_str());
    g_currentUrlRoots[SCHEME_SAVE].Assign((movedDocs + "/saves").c_str());
    std::string developer = developer_ + "-moved";
    ASSERT_TRUE(QVI_SetUpUserFolders(developer.c_str(), "Moved"));
    std::string userRoot = AppDataFolder() + "/" + developer + "/Moved";

    EXPECT_STREQ(g_currentUrlRoots[SCHEME_DOCS].text, movedDocs.c_str());
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_SAVE].text, (movedDocs + "/saves").c_str());
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_USER].text, userRoot.c_str());
    EXPECT_TRUE(NativeFolderExists(userRoot + "/cache"));
    EXPECT_FALSE(NativeFolderExists(userRoot + "/documents"));
    RemoveTree(AppDataFolder() + "/" + developer);
    RemoveTree(movedDocs);
}

TEST_F(BasePathsTest, ExistingPerUserFoldersAreReusedAndOneBlockedByAFileFails)
{
    ASSERT_TRUE(WriteNative(userRoot_ + "/cache/kept.bin", "cached"));
    ASSERT_TRUE(QVI_InitBasePaths());
    ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), title_.c_str()));
    EXPECT_EQ(ReadThrough("cache://kept.bin"), "cached");

    std::string developer = developer_ + "-blocked";
    std::string developerFolder = AppDataFolder() + "/" + developer;
    ASSERT_TRUE(CreateDirectoryA(developerFolder.c_str(), nullptr));
    ASSERT_TRUE(WriteNative(developerFolder + "/Blocked", "a file where the title folder belongs"));
    EXPECT_FALSE(QVI_SetUpUserFolders(developer.c_str(), "Blocked"));
    EXPECT_EQ(ReadNative(developerFolder + "/Blocked"), "a file where the title folder belongs");
    RemoveTree(developerFolder);
}

}  // namespace
}  // namespace fs_test
