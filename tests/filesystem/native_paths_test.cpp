// Conversions between engine paths and native paths.

#include "filesystem/fs_test_support.h"

#include <string>

#include "filesystem/paths.h"

namespace fs_test {
namespace {

std::string Normalized(const char* path)
{
    std::string text = path;
    QVI_NormalizeNativePath(text.data());
    return text.c_str();
}

TEST(NormalizeNativePathTest, ParentStepsCollapseOnlyBeforeASlashOrTheEndAndNeverUnderrun)
{
    EXPECT_EQ(Normalized("C:\\a\\b\\..\\c"), "C:/a/c");
    EXPECT_EQ(Normalized("C:/a/b/.."), "C:/a");
    // "/.." followed by anything else is a name.
    EXPECT_EQ(Normalized("C:/a/..foo/b"), "C:/a/..foo/b");
    EXPECT_EQ(Normalized("C:/a/..foo/../b"), "C:/a/b");
    EXPECT_EQ(Normalized("/../a"), "/a");
    EXPECT_EQ(Normalized("/../../.."), "");
    EXPECT_EQ(Normalized(".."), "..");
    QVI_NormalizeNativePath(nullptr);
}

class NativePathsTest : public FileSystemTest {
protected:
    void SetRoot(Scheme scheme, const char* root) { g_currentUrlRoots[scheme].Assign(root); }
};

TEST_F(NativePathsTest, StaticPathGetsExactlyOneSlashAfterTheRootAndUnsetRootsGiveNone)
{
    SetRoot(SCHEME_RES, "C:/game");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("res://a/b.png").text, "C:/game/a/b.png");
    SetRoot(SCHEME_RES, "C:/game/");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("res://a/b.png").text, "C:/game/a/b.png");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("a/b.png").text, "");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath(nullptr).text, "");

    SetRoot(SCHEME_UGC, "");
    // Not "/level.txt" (the drive's root) nor "level.txt" (the working folder).
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("ugc://level.txt").text, "");
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_UGC, "ugc://level.txt").text, "");
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_NONE, "level.txt").text, "");
}

TEST_F(NativePathsTest, HttpKeepsTheUrlAndWarnsWhenTooLong)
{
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_HTTP, "http://a.b/c").text, "http://a.b/c");
    std::string longUrl = "http://a.b/" + std::string(300, 'x');
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_HTTP, longUrl.c_str()).text, longUrl.c_str());
    EXPECT_EQ(CountPopupsContaining("File System ConvertPathToNativePath: local native path"), 1);
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath(longUrl.c_str()).text, longUrl.c_str());
    EXPECT_EQ(CountPopupsContaining("QV_ConvertStaticPathToNativeOSPath: local native path"), 1);
}

TEST_F(NativePathsTest, NativePathMapsBackThroughTheFirstCoveringRoot)
{
    for (int i = 0; i < kSchemeCount; ++i)
        SetRoot(static_cast<Scheme>(i), "");
    SetRoot(SCHEME_RES, "C:/game");
    SetRoot(SCHEME_USER, "C:/users/me/AppData/Dev/Title");
    SetRoot(SCHEME_CACHE, "C:/users/me/AppData/Dev/Title/cache");

    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:\\game\\data\\a.png").text, "res://data/a.png");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/game").text, "res://");
    // cache comes before user in scheme order.
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/users/me/AppData/Dev/Title/cache/x").text, "cache://x");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/users/me/AppData/Dev/Title/save/x").text, "user://save/x");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/game/sub/../b.txt").text, "res://b.txt");

    // Roots match only at folder boundaries, and empty roots claim nothing.
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/gamedata/x").text, "");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/anything/x").text, "");
    EXPECT_STREQ(QVI_ConvertNativePathToPath(nullptr).text, "");
    SetRoot(SCHEME_RES, "C:/game/");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/game/x").text, "res://x");
}

TEST_F(NativePathsTest, RoundTripThroughTheRealRoots)
{
    std::string native = QV_ConvertStaticPathToNativeOSPath("user://a/b.txt").text;
    EXPECT_EQ(native, userRoot_ + "/a/b.txt");
    EXPECT_STREQ(QVI_ConvertNativePathToPath(native.c_str()).text, "user://a/b.txt");
}

}  // namespace
}  // namespace fs_test
