// Path validity, schemes and wildcard lists.

#include "filesystem/fs_test_support.h"

#include <string>

#include "filesystem/path_validity.h"
#include "filesystem/scheme.h"

namespace fs_test {
namespace {

TEST(SchemeTest, PrefixesAreMatchedCaseSensitivelyOverTheirFullLength)
{
    EXPECT_EQ(QVI_GetPathScheme("cache://a"), SCHEME_CACHE);
    EXPECT_EQ(QVI_GetPathScheme("docs://a"), SCHEME_DOCS);
    EXPECT_EQ(QVI_GetPathScheme("http://a"), SCHEME_HTTP);
    EXPECT_EQ(QVI_GetPathScheme("logs://a"), SCHEME_LOGS);
    EXPECT_EQ(QVI_GetPathScheme("res://a"), SCHEME_RES);
    EXPECT_EQ(QVI_GetPathScheme("save://a"), SCHEME_SAVE);
    EXPECT_EQ(QVI_GetPathScheme("user://a"), SCHEME_USER);
    EXPECT_EQ(QVI_GetPathScheme("ugc://a"), SCHEME_UGC);
    EXPECT_EQ(QVI_GetPathScheme("RES://a"), SCHEME_UNKNOWN);
    EXPECT_EQ(QVI_GetPathScheme("foo://a"), SCHEME_UNKNOWN);
    EXPECT_EQ(QVI_GetPathScheme("res:/a"), SCHEME_NONE);
    EXPECT_EQ(QVI_GetPathScheme("a.png"), SCHEME_NONE);
    EXPECT_EQ(QVI_GetPathScheme(nullptr), SCHEME_NONE);
    EXPECT_EQ(QVI_GetSchemePrefixLength("cache://x"), 8);
    EXPECT_EQ(QVI_GetSchemePrefixLength("x"), 0);
}

TEST(PathValidityTest, EmptyRestIsValidOnlyWhereAllowedAndWithAScheme)
{
    EXPECT_TRUE(QVI_IsPathValid("res://", false, true));
    EXPECT_FALSE(QVI_IsPathValid("res://", false, false));
    EXPECT_FALSE(QVI_IsPathValid("", false, true));
    EXPECT_FALSE(QVI_IsPathValid("", false, false));
    EXPECT_FALSE(QVI_IsPathValid(nullptr, false, true));
}

TEST(PathValidityTest, SchemeRulesAndForbiddenSequences)
{
    EXPECT_FALSE(QVI_IsPathValid("a.png", true, false));
    EXPECT_TRUE(QVI_IsPathValid("a.png", false, false));
    EXPECT_FALSE(QVI_IsPathValid("foo://a", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res:///a", false, false));
    EXPECT_FALSE(QVI_IsPathValid("/a", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a//b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://../a", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a/../b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("a/..", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a..b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a\\b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://C:/x", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a*b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a?b", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://caf\xc3\xa9", false, false));
    EXPECT_FALSE(QVI_IsPathValid("res://a://b", false, false));
    EXPECT_TRUE(QVI_IsPathValid("res://Level 1 (v2)/map-a_b@2x.png", false, false));
}

TEST(PathValidityTest, LengthLimitIsFiveHundredAndElevenCharacters)
{
    std::string longest = "res://" + std::string(511 - 6, 'a');
    ASSERT_EQ(longest.size(), 511u);
    EXPECT_TRUE(QVI_IsPathValid(longest.c_str(), true, false));
    std::string tooLong = longest + "a";
    EXPECT_FALSE(QVI_IsPathValid(tooLong.c_str(), true, false));
    std::string huge(1 << 20, 'a');
    EXPECT_FALSE(QVI_IsPathValid(huge.c_str(), false, false));
}

TEST(WildcardTest, ListsSplitAtSemicolonsInOrder)
{
    Array<String> patterns;
    ASSERT_TRUE(QVI_ParseWildcards("*.xml;*.dat;a*b", patterns));
    ASSERT_EQ(patterns.count, 3);
    EXPECT_STREQ(patterns.data[0].text, "*.xml");
    EXPECT_STREQ(patterns.data[1].text, "*.dat");
    EXPECT_STREQ(patterns.data[2].text, "a*b");

    Array<String> none;
    EXPECT_TRUE(QVI_ParseWildcards(nullptr, none));
    EXPECT_EQ(none.count, 0);
}

TEST(WildcardTest, OneBadPatternRefusesTheWholeList)
{
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
    FileInfo info = {};
    EXPECT_FALSE(fs()->GetFileInfo("user://x.txt", &info));
    EXPECT_EQ(CountLogged("File System GetFileInfo: path prefix is invalid in path 'user://x.txt', see GetFileInfo() for more info."),
              1);
}

TEST_F(PathMembersTest, HostilePathsNeverReachTheDisk)
{
    ASSERT_TRUE(WriteNative(resRoot_ + "/../outside-" + developer_ + ".txt", "secret"));
    const char* hostile[] = {"res://../outside.txt", "res://..\\outside.txt", "res://C:/Windows/win.ini",
                             "res:///etc/passwd", "", "foo://bar", "res://a\x01", "res://\xff\xfe"};
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
    for (const char* nullable : {static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(fs()->OpenFile(nullable, "r"), nullptr);
        EXPECT_FALSE(fs()->FileExists(nullable));
        EXPECT_FALSE(fs()->DeleteFile(nullable));
        EXPECT_FALSE(fs()->CreateDirectory(nullable));
        EXPECT_FALSE(fs()->DeleteDirectory(nullable, false));
        EXPECT_FALSE(fs()->IsPathValid(nullable));
        EXPECT_FALSE(fs()->IsSearchPath(nullable));
        fs()->AddSearchPath(nullable, true);
        fs()->RemoveSearchPath(nullable);
    }
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

    std::string name(150, 'n');
    std::string path = "res://" + name;
    ASSERT_TRUE(WriteThrough(path.c_str(), "long"));
    EXPECT_EQ(ReadThrough(path.c_str()), "long");
}

}  // namespace
}  // namespace fs_test
