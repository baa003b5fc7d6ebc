// Engine paths: schemes, validity, wildcard lists, native paths, the roots start-up
// sets, and resolving file names into rotating buffers.
#include "filesystem/fs_test_support.h"

namespace fs_test {
namespace {

TEST(SchemeTest, PrefixesAreMatchedCaseSensitivelyOverTheirFullLength) {
    EXPECT_EQ(QVI_GetPathScheme("cache://a"), SCHEME_CACHE);
    EXPECT_EQ(QVI_GetPathScheme("ugc://a"), SCHEME_UGC);
    EXPECT_EQ(QVI_GetPathScheme("RES://a"), SCHEME_UNKNOWN);
    EXPECT_EQ(QVI_GetPathScheme("res:/a"), SCHEME_NONE);
    EXPECT_EQ(QVI_GetPathScheme(nullptr), SCHEME_NONE);
    EXPECT_EQ(QVI_GetSchemePrefixLength("cache://x"), 8);
}

TEST(PathValidityTest, SchemeRulesForbiddenSequencesAndTheLengthLimitOf511) {
    EXPECT_TRUE(QVI_IsPathValid("res://", false, true));
    EXPECT_FALSE(QVI_IsPathValid("res://", false, false));
    EXPECT_FALSE(QVI_IsPathValid("", false, true));
    EXPECT_FALSE(QVI_IsPathValid("a.png", true, false));
    EXPECT_TRUE(QVI_IsPathValid("a.png", false, false));
    for (const char* bad : {"foo://a", "res:///a", "res://a//b", "res://a/../b", "a/..", "res://a..b", "res://a\\b",
                            "res://C:/x", "res://a?b", "res://caf\xc3\xa9", "res://a://b"})
        EXPECT_FALSE(QVI_IsPathValid(bad, false, false)) << bad;
    EXPECT_TRUE(QVI_IsPathValid("res://Level 1 (v2)/map-a_b@2x.png", false, false));

    const std::string longest = "res://" + std::string(511 - 6, 'a');
    EXPECT_TRUE(QVI_IsPathValid(longest.c_str(), true, false));
    EXPECT_FALSE(QVI_IsPathValid((longest + "a").c_str(), true, false));
    EXPECT_FALSE(QVI_IsPathValid(std::string(1 << 20, 'a').c_str(), false, false));
}

TEST(WildcardTest, ListsSplitAtSemicolonsAndOneBadPatternRefusesTheWholeList) {
    Array<String> good;
    ASSERT_TRUE(QVI_ParseWildcards("*.xml;a*b", good));
    ASSERT_EQ(good.count, 2);
    EXPECT_STREQ(good.data[1].text, "a*b");

    // A pattern must not reach out of the listed folder either.
    Array<String> patterns;
    for (const std::string& bad :
         Names{"*.xml;?.dat", "*.xml;a\\b", "*.xml;" + std::string(512, 'a'), "../*", "*.xml;.."})
        EXPECT_FALSE(QVI_ParseWildcards(bad.c_str(), patterns)) << bad;
    EXPECT_EQ(patterns.count, 0);
    EXPECT_TRUE(QVI_ParseWildcards(std::string(511, '*').c_str(), patterns));
}

TEST(NormalizeNativePathTest, ParentStepsCollapseOnlyBeforeASlashOrTheEndAndNeverUnderrun) {
    // "/.." followed by anything else is a name.
    for (const auto& [path, normalized] : std::vector<std::pair<std::string, std::string>>{
             {"C:\\a\\b\\..\\c", "C:/a/c"}, {"C:/a/b/..", "C:/a"}, {"C:/a/..foo/b", "C:/a/..foo/b"},
             {"C:/a/..foo/../b", "C:/a/b"}, {"/../a", "/a"}, {"/../../..", ""}, {"..", ".."}}) {
        std::string text = path;
        QVI_NormalizeNativePath(text.data());
        EXPECT_EQ(text.c_str(), normalized) << path;
    }
    QVI_NormalizeNativePath(nullptr);
}

TEST(FolderNamesTest, TitleKeepsOnlyLettersDigitsAndDashesAndDeveloperIsUsedAsItIs) {
    EXPECT_STREQ(QVI_GetTitleFolderName("a-b_c.d/e\\f").text, "a-b_c_d_e_f");
    EXPECT_STREQ(QVI_GetTitleFolderName("caf\xc3\xa9").text, "caf__");
    EXPECT_STREQ(QVI_GetTitleFolderName(nullptr).text, "unknown");
    EXPECT_STREQ(QVI_GetDeveloperFolderName("Big Studio, Inc.").text, "Big Studio, Inc.");
    EXPECT_STREQ(QVI_GetDeveloperFolderName("").text, "Kelmark");
}

class PathsTest : public FileSystemTest {
protected:
    void SetRoot(Scheme scheme, const char* root) { g_currentUrlRoots[scheme].Assign(root); }
    std::string Resolved(const std::string& path, bool mustExist) {
        const char* resolved = QVI_ResolveFilePath(path.c_str(), mustExist);
        return resolved ? resolved : "<none>";
    }
};

TEST_F(PathsTest, NativePathsGetOneSlashAfterTheRootUnsetRootsGiveTheRelativeTextAndUrlsWarnPast260Characters) {
    SetRoot(SCHEME_RES, "C:/game");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("res://a/b.png").text, "C:/game/a/b.png");
    SetRoot(SCHEME_RES, "C:/game/");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("res://a/b.png").text, "C:/game/a/b.png");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("a/b.png").text, "");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath(nullptr).text, "");

    SetRoot(SCHEME_UGC, "");
    // Under an empty root the bare relative text, never "/maps/level.txt" (the drive's root).
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_UGC, "ugc://maps/level.txt").text, "maps/level.txt");
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_UGC, "ugc://").text, "");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("ugc://maps/level.txt").text, "maps/level.txt");
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath("ugc:///level.txt").text, "") << "would be the drive's root";
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_NONE, "level.txt").text, "");

    // A URL stays as it is, with a warning past 260 characters.
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_HTTP, "http://a.b/c").text, "http://a.b/c");
    const std::string longest = "http://a.b/" + std::string(260 - 11, 'x');
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_HTTP, longest.c_str()).text, longest.c_str());
    QV_ConvertStaticPathToNativeOSPath(longest.c_str());
    EXPECT_EQ(LogCapture::CountPopupsContaining("local native path"), 0);

    const std::string tooLong = longest + "x";
    EXPECT_STREQ(ConvertPathToNativePath(SCHEME_HTTP, tooLong.c_str()).text, tooLong.c_str());
    EXPECT_EQ(LogCapture::CountPopupsContaining("File System ConvertPathToNativePath: local native path"), 1);
    EXPECT_STREQ(QV_ConvertStaticPathToNativeOSPath(tooLong.c_str()).text, tooLong.c_str());
    EXPECT_EQ(LogCapture::CountPopupsContaining("QV_ConvertStaticPathToNativeOSPath: local native path"), 1);
}

TEST_F(PathsTest, NativePathMapsBackThroughTheFirstCoveringRoot) {
    for (int i = 0; i < kSchemeCount; ++i)
        SetRoot(static_cast<Scheme>(i), "");
    SetRoot(SCHEME_RES, "C:/game");
    SetRoot(SCHEME_USER, "C:/users/me/AppData/Dev/Title");
    SetRoot(SCHEME_CACHE, "C:/users/me/AppData/Dev/Title/cache");

    // cache comes before user in scheme order; roots match only at folder boundaries; the
    // first empty root (docs here) claims a relative path, and no absolute one.
    for (const auto& [native, path] : std::vector<std::pair<const char*, const char*>>{
             {"C:\\game\\data\\a.png", "res://data/a.png"}, {"C:/game", "res://"},
             {"C:/users/me/AppData/Dev/Title/cache/x", "cache://x"},
             {"C:/users/me/AppData/Dev/Title/save/x", "user://save/x"}, {"C:/game/sub/../b.txt", "res://b.txt"},
             {"C:/gamedata/x", ""}, {"C:/anything/x", ""}, {"/anything/x", ""}, {"\\\\server\\x", ""},
             {"maps\\a.txt", "docs://maps/a.txt"}, {nullptr, ""}})
        EXPECT_STREQ(QVI_ConvertNativePathToPath(native).text, path) << (native ? native : "null");
    SetRoot(SCHEME_RES, "C:/game/");
    EXPECT_STREQ(QVI_ConvertNativePathToPath("C:/game/x").text, "res://x");
}

TEST_F(PathsTest, DefaultRootsComeFromWindowsAndMovedDocsAndSaveRootsAreKept) {
    ASSERT_TRUE(QVI_InitBasePaths());
    EXPECT_STREQ(g_defaultUrlRoots[SCHEME_USER].text, AppDataFolder().c_str());
    EXPECT_STREQ(g_defaultUrlRoots[SCHEME_UGC].text, "");
    char module[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, module, sizeof module);
    const std::string exe = WithForwardSlashes(module);
    EXPECT_EQ(g_defaultUrlRoots[SCHEME_RES].text, exe.substr(0, exe.rfind('/')));
    for (int i = 0; i < kSchemeCount; ++i)
        EXPECT_STREQ(g_currentUrlRoots[i].text, g_defaultUrlRoots[i].text);

    const std::string movedDocs = WithForwardSlashes(quaven_test::MakeTempDir("docs"));
    g_currentUrlRoots[SCHEME_DOCS].Assign(movedDocs.c_str());
    g_currentUrlRoots[SCHEME_SAVE].Assign((movedDocs + "/saves").c_str());
    const std::string developer = developer_ + "-moved";
    ASSERT_TRUE(QVI_SetUpUserFolders(developer.c_str(), "Moved"));
    const std::string userRoot = AppDataFolder() + "/" + developer + "/Moved";
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_DOCS].text, movedDocs.c_str());
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_SAVE].text, (movedDocs + "/saves").c_str());
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_USER].text, userRoot.c_str());
    EXPECT_TRUE(NativeExists(userRoot + "/cache", true));
    EXPECT_FALSE(NativeExists(userRoot + "/documents", true));
    RemoveTree(AppDataFolder() + "/" + developer);
    RemoveTree(movedDocs);
}

TEST_F(PathsTest, ExistingPerUserFoldersAreReusedAndOneBlockedByAFileFails) {
    WriteFilesIn(userRoot_, {{"cache/kept.bin", "cached"}});
    ASSERT_TRUE(QVI_InitBasePaths());
    ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), title_.c_str()));
    EXPECT_EQ(ReadThrough("cache://kept.bin"), "cached");

    const std::string developer = developer_ + "-blocked", developerFolder = AppDataFolder() + "/" + developer;
    WriteFilesIn(AppDataFolder(), {{developer + "/Blocked", "a file where the title folder belongs"}});
    EXPECT_FALSE(QVI_SetUpUserFolders(developer.c_str(), "Blocked"));
    EXPECT_EQ(ReadNative(developerFolder + "/Blocked"), "a file where the title folder belongs");
    RemoveTree(developerFolder);
}

TEST_F(PathsTest, SchemePathsResolveToThemselvesInOneOf32BuffersAndProbesLeaveNothingBehind) {
    WriteFilesIn(ResRoot(), {{"font.ttf", "f"}});
    EXPECT_EQ(Resolved("res://font.ttf", true), "res://font.ttf");
    // The thirty-third resolution reuses the first buffer.
    const char* first = QVI_ResolveFilePath("res://font.ttf", true);
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 31; ++i)
        EXPECT_NE(QVI_ResolveFilePath("res://font.ttf", true), first);
    EXPECT_EQ(QVI_ResolveFilePath("res://font.ttf", true), first);
    EXPECT_EQ(Resolved("res://other.ttf", true), "<none>");
    // With mustExist false a file that could be created there is good enough.
    EXPECT_EQ(Resolved("res://other.ttf", false), "res://other.ttf");
    EXPECT_FALSE(NativeExists(ResRoot() + "/other.ttf"));
    EXPECT_EQ(QVI_ResolveFilePath(nullptr, false), nullptr);

    EXPECT_TRUE(QVI_IsPathCreatable("user://probe.bin"));
    EXPECT_FALSE(NativeExists(userRoot_ + "/probe.bin"));
    WriteFilesIn(userRoot_, {{"probe.bin", "data"}});
    EXPECT_FALSE(QVI_IsPathCreatable("user://probe.bin"));
    EXPECT_EQ(ReadNative(userRoot_ + "/probe.bin"), "data");
    EXPECT_FALSE(QVI_IsPathCreatable("user://nowhere/probe.bin"));
    EXPECT_FALSE(QVI_IsPathCreatable(nullptr));
}

TEST_F(PathsTest, SearchPathsAreTriedInOrderAndCandidatesThatDoNotFitAreSkipped) {
    // Behind the long search path the names do not fit 260 bytes: that candidate is
    // skipped, and the search paths behind it answer.
    const std::string a = std::string(40, 'a') + ".mft";
    const std::string b = std::string(40, 'b') + ".mft";
    fs()->AddSearchPath(("res://" + std::string(230, 'f')).c_str(), false);
    ASSERT_TRUE(fs()->CreateDirectory("res://one"));
    WriteFilesIn(ResRoot(), {{"two/" + a, "a"}});
    fs()->AddSearchPath("res://one", false);
    fs()->AddSearchPath("res://two", false);
    EXPECT_EQ(Resolved(a, true), "res://two/" + a);
    EXPECT_EQ(Resolved(b, false), "res://one/" + b);
    EXPECT_FALSE(NativeExists(ResRoot() + "/one/" + b));
    EXPECT_EQ(Resolved(b, true), "<none>");

    // A path with a scheme that does not fit is no answer at all.
    EXPECT_EQ(Resolved("res://" + std::string(300, 'p'), false), "<none>");

    // A buffer holds 259 characters and the terminator, both files existing. Under ugc://
    // before its folder is set the native path is the name alone, in the working folder.
    char saved[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    const std::string work = quaven_test::MakeTempDir("resolve-work");
    ASSERT_TRUE(SetCurrentDirectoryA(work.c_str()));
    SetRoot(SCHEME_UGC, "");
    const std::string fits = std::string(253, 'n'), over = std::string(254, 'n');
    for (const std::string& name : {fits, over})
        ASSERT_TRUE(WriteThrough(("ugc://" + name).c_str(), "x")) << name.size();
    EXPECT_EQ(Resolved("ugc://" + fits, true), "ugc://" + fits);
    EXPECT_EQ(Resolved("ugc://" + over, true), "<none>");
    fs()->AddSearchPath("ugc://", false);
    EXPECT_EQ(Resolved(fits, true), "ugc://" + fits);
    EXPECT_EQ(Resolved(over, true), "<none>");
    for (const std::string& name : {fits, over}) {
        EXPECT_TRUE(fs()->DeleteFile(("ugc://" + name).c_str())) << name.size();
        EXPECT_FALSE(NativeExists(work + "/" + name)) << name.size();
    }
    ASSERT_TRUE(SetCurrentDirectoryA(saved));
    RemoveTree(work);
}

TEST_F(PathsTest, ResolvingNeverTouchesAnExistingFileItCannotRead) {
    const std::string native = ResRoot() + "/locked.sav";
    WriteFilesIn(ResRoot(), {{"locked.sav", "precious"}});
    // Held open without sharing: the engine can neither read nor write it.
    HANDLE lock = CreateFileA(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Resolved("res://locked.sav", false), "<none>");
    EXPECT_FALSE(QVI_IsPathCreatable("res://locked.sav"));

    fs()->AddSearchPath("res://", false);
    EXPECT_EQ(Resolved("locked.sav", false), "<none>");
    CloseHandle(lock);
    EXPECT_EQ(ReadNative(native), "precious");
}

}  // namespace
}  // namespace fs_test
