// Path validity, schemes and wildcard lists.

#include "filesystem/fs_test_support.h"

#include <string>

#include "filesystem/paths.h"

namespace fs_test {
namespace {

TEST(SchemeTest, PrefixesAreMatchedCaseSensitivelyOverTheirFullLength)
{
    EXPECT_EQ(QVI_GetPathScheme("cache://a"), SCHEME_CACHE);
    EXPECT_EQ(QVI_GetPathScheme("ugc://a"), SCHEME_UGC);
    EXPECT_EQ(QVI_GetPathScheme("RES://a"), SCHEME_UNKNOWN);
    EXPECT_EQ(QVI_GetPathScheme("res:/a"), SCHEME_NONE);
    EXPECT_EQ(QVI_GetPathScheme(nullptr), SCHEME_NONE);
    EXPECT_EQ(QVI_GetSchemePrefixLength("cache://x"), 8);
}

TEST(PathValidityTest, SchemeRulesForbiddenSequencesAndTheLengthLimitOf511)
{
    EXPECT_TRUE(QVI_IsPathValid("res://", false, true));
    EXPECT_FALSE(QVI_IsPathValid("res://", false, false));
    EXPECT_FALSE(QVI_IsPathValid("", false, true));
    EXPECT_FALSE(QVI_IsPathValid("a.png", true, false));
    EXPECT_TRUE(QVI_IsPathValid("a.png", false, false));
    for (const char* bad : {"foo://a", "res:///a", "res://a//b", "res://a/../b", "a/..", "res://a..b", "res://a\\b",
                            "res://C:/x", "res://a?b", "res://caf\xc3\xa9", "res://a://b"})
        EXPECT_FALSE(QVI_IsPathValid(bad, false, false)) << bad;
    EXPECT_TRUE(QVI_IsPathValid("res://Level 1 (v2)/map-a_b@2x.png", false, false));

    std::string longest = "res://" + std::string(511 - 6, 'a');
    ASSERT_EQ(longest.size(), 511u);
    EXPECT_TRUE(QVI_IsPathValid(longest.c_str(), true, false));
    std::string tooLong = longest + "a";
    EXPECT_FALSE(QVI_IsPathValid(tooLong.c_str(), true, false));
    std::string huge(1 << 20, 'a');
    EXPECT_FALSE(QVI_IsPathValid(huge.c_str(), false, false));
}

TEST(WildcardTest, ListsSplitAtSemicolonsAndOneBadPatternRefusesTheWholeList)
{
    Array<String> good;
    ASSERT_TRUE(QVI_ParseWildcards("*.xml;a*b", good));
    ASSERT_EQ(good.count, 2);
    EXPECT_STREQ(good.data[1].text, "a*b");

    Array<String> patterns;
    EXPECT_FALSE(QVI_ParseWildcards("*.xml;?.dat", patterns));
    EXPECT_FALSE(QVI_ParseWildcards("*.xml;a\\b", patterns));
    EXPECT_FALSE(QVI_ParseWildcards(("*.xml;" + std::string(512, 'a')).c_str(), patterns));
    // A pattern must not reach out of the listed folder.
    EXPECT_FALSE(QVI_ParseWildcards("../*", patterns));
    EXPECT_FALSE(QVI_ParseWildcards("*.xml;..", patterns));
    EXPECT_EQ(patterns.count, 0);
    EXPECT_TRUE(QVI_ParseWildcards(std::string(511, '*').c_str(), patterns));
}

class PathMembersTest : public FileSystemTest {};

TEST_F(PathMembersTest, InvalidPathsAreReportedWithTheMembersName)
{
    EXPECT_FALSE(fs()->IsPathValid("res://../secret"));
    EXPECT_EQ(fs()->OpenFile("res://../secret", "r"), nullptr);
    EXPECT_EQ(CountLogged("File System OpenFile: path 'res://../secret' is invalid, see IsPathValid() for more info."), 1);
    EXPECT_FALSE(fs()->FileExists("res://a//b"));
    EXPECT_EQ(CountLogged("File System FileExists: path 'res://a//b' is invalid, see IsPathValid() for more info."), 1);
    EXPECT_FALSE(fs()->DeleteFile("a.txt"));  // a scheme is required
    EXPECT_EQ(CountLogged("File System DeleteFile: path 'a.txt' is invalid, see IsPathValid() for more info."), 1);
}

TEST_F(PathMembersTest, HostilePathsNeverReachTheDisk)
{
    ASSERT_TRUE(WriteNative(resRoot_ + "/../outside-" + developer_ + ".txt", "secret"));
    const char* hostile[] = {"res://../outside.txt", "res://..\\outside.txt", "res://C:/Windows/win.ini", "",
                             "res://\xff\xfe"};
    for (const char* path : hostile) {
        SCOPED_TRACE(path);
        EXPECT_EQ(fs()->OpenFile(path, "w"), nullptr);
        EXPECT_EQ(fs()->OpenFile(path, "r"), nullptr);
        EXPECT_FALSE(fs()->FileExists(path));
        EXPECT_FALSE(fs()->DeleteFile(path));
        EXPECT_FALSE(fs()->CreateDirectory(path));
        EXPECT_FALSE(fs()->DeleteDirectory(path, false));
        FileInfo info;
        EXPECT_FALSE(fs()->GetFileInfo(path, &info));
    }
    EXPECT_EQ(ReadNative(resRoot_ + "/../outside-" + developer_ + ".txt"), "secret");
    DeleteFileA((resRoot_ + "/../outside-" + developer_ + ".txt").c_str());

    std::string overLong = "res://" + std::string(600, 'a');
    EXPECT_EQ(fs()->OpenFile(overLong.c_str(), "w"), nullptr);
    EXPECT_FALSE(fs()->IsPathValid(overLong.c_str()));
    EXPECT_EQ(fs()->OpenFile(nullptr, "r"), nullptr);
    EXPECT_FALSE(fs()->FileExists(nullptr));
    EXPECT_FALSE(fs()->DeleteFile(nullptr));
    EXPECT_FALSE(fs()->CreateDirectory(nullptr));
    EXPECT_FALSE(fs()->IsSearchPath(nullptr));
    fs()->AddSearchPath(nullptr, true);
    fs()->RemoveSearchPath(nullptr);
    EXPECT_EQ(fs()->GetSearchPathCount(), 0);
}

TEST_F(PathMembersTest, PathsAtTheEngineLimitPassTheChecksAndFailOnlyNatively)
{
    // 511 characters is a valid engine path; the native path is then too long for
    // Windows, which must end in a plain failure.
    std::string longest = "res://" + std::string(505, 'n');
    ASSERT_TRUE(fs()->IsPathValid(longest.c_str()));
    ClearLogged();
    EXPECT_EQ(fs()->OpenFile(longest.c_str(), "w"), nullptr);
    EXPECT_EQ(CountPopupsContaining("is invalid"), 0);
    std::string tooLong = longest + "n";
    EXPECT_EQ(fs()->OpenFile(tooLong.c_str(), "w"), nullptr);
    EXPECT_EQ(CountPopupsContaining("is invalid"), 1);
}

}  // namespace
}  // namespace fs_test
