// The members of the fileSystem sub-table, driven as a game drives them.
#include "filesystem/fs_test_support.h"

#include <algorithm>

namespace fs_test {
namespace {

class FileSystemApiTest : public FileSystemTest {};

TEST_F(FileSystemApiTest, EveryFolderSchemeWritesAppendsReadsListsAndDeletes) {
    // Each scheme root and where it lands on disk.
    const std::pair<std::string, std::string> schemes[] = {
        {"res://", ResRoot()}, {"user://", userRoot_}, {"cache://", userRoot_ + "/cache"},
        {"logs://", userRoot_ + "/logs"}, {"docs://", userRoot_ + "/documents"}};
    for (const auto& [scheme, native] : schemes) {
        SCOPED_TRACE(scheme);
        const std::string folder = scheme + "game", path = folder + "/notes.txt";
        ASSERT_TRUE(fs()->CreateDirectory(folder.c_str()));
        ASSERT_TRUE(WriteThrough(path.c_str(), "0123456789", "w"));
        EXPECT_EQ(ReadNative(native + "/game/notes.txt"), "0123456789");
        ASSERT_TRUE(WriteThrough(path.c_str(), "ab", "a"));
        EXPECT_EQ(ReadThrough(path.c_str()), "0123456789ab");
        EXPECT_TRUE(fs()->FileExists(path.c_str()));
        // Time stamps and listings serve docs:// and res:// (and ugc://) only.
        const bool listable = scheme == "res://" || scheme == "docs://";
        FileInfo info = {};
        EXPECT_EQ(fs()->GetFileInfo(path.c_str(), &info), listable);
        EXPECT_EQ(Find(folder.c_str(), "*.txt", false), listable ? Names{path} : Names{});

        EXPECT_FALSE(fs()->DeleteDirectory(folder.c_str(), false));  // still holds the file
        EXPECT_TRUE(fs()->DeleteFile(path.c_str()));
        EXPECT_FALSE(fs()->FileExists(path.c_str()));
        EXPECT_TRUE(fs()->DeleteDirectory((folder + "/").c_str(), false));
        EXPECT_FALSE(NativeExists(native + "/game", true));
    }
}

TEST_F(FileSystemApiTest, HandlesSeekAsStdioDoesAndBadModesOrArgumentsFailQuietly) {
    EXPECT_EQ(fs()->OpenFile("res://missing.txt", "r"), nullptr);
    EXPECT_FALSE(fs()->FileExists("res://missing.txt"));
    EXPECT_FALSE(fs()->DeleteFile("res://missing.txt"));
    EXPECT_FALSE(fs()->GetFileInfo("res://missing.txt", nullptr));
    EXPECT_EQ(fs()->OpenFile("http://example.com/a.png", "r"), nullptr);

    char buffer[8] = {};
    FileHandle* file = fs()->OpenFile("res://here.txt", "w");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 0u);
    EXPECT_EQ(fs()->Write(buffer, -5, file), 0);
    EXPECT_EQ(fs()->Write("0123456789", 10, file), 10);
    EXPECT_EQ(fs()->GetFilePosition(file), 10);
    EXPECT_EQ(fs()->FlushFile(file), 0);
    fs()->CloseFile(file);
    EXPECT_EQ(ReadNative(ResRoot() + "/here.txt"), "0123456789");
    file = fs()->OpenFile("res://here.txt", "a");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 10u);
    fs()->CloseFile(file);
    for (const char* mode : {"x", "", static_cast<const char*>(nullptr)})
        EXPECT_EQ(fs()->OpenFile("res://here.txt", mode), nullptr);
    EXPECT_EQ(LogCapture::Count("File System OpenFile: mode is invalid, see OpenFile() for more info."), 3);

    // Only the first character of a mode counts: "rb+" opens for READ.
    file = fs()->OpenFile("res://here.txt", "rb+");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 10u);
    EXPECT_EQ(fs()->Write("y", 1, file), 0);
    // A negative size must not turn into a huge unsigned read into an 8-byte buffer.
    EXPECT_EQ(fs()->Read(buffer, -1, file), 0);
    EXPECT_EQ(fs()->Read(nullptr, 3, file), 0);
    EXPECT_EQ(fs()->Seek(file, 0, 7), -1);  // unknown origin is refused, not handed to the C runtime
    EXPECT_EQ(fs()->Seek(file, 4, QV_SEEK_SET), 0);  // stdio files answer 0, not the position
    EXPECT_EQ(fs()->Read(buffer, 3, file), 3);
    EXPECT_EQ(std::string(buffer, 3), "456");
    EXPECT_EQ(fs()->Seek(file, -2, QV_SEEK_END), 0);
    EXPECT_EQ(fs()->GetFilePosition(file), 8);
    fs()->CloseFile(file);
    EXPECT_EQ(ReadNative(ResRoot() + "/here.txt"), "0123456789");
    EXPECT_EQ(fs()->Read(buffer, 8, nullptr), 0);
    EXPECT_EQ(fs()->Seek(nullptr, 0, 0), 0);
    fs()->CloseFile(nullptr);
}

TEST_F(FileSystemApiTest, SaveWorksOnlyWhileMountedAndUgcOnlyOnceItsRootIsSet) {
    EXPECT_EQ(fs()->OpenFile("save://slot.dat", "w"), nullptr);
    EXPECT_FALSE(fs()->Mount("SAVE", 0));
    EXPECT_FALSE(fs()->Mount(nullptr, 0));
    EXPECT_FALSE(fs()->Mount("save", -1));
    fs()->Unmount(nullptr);

    ASSERT_TRUE(fs()->Mount("save", 0));
    EXPECT_TRUE(NativeExists(userRoot_ + "/save", true));
    ASSERT_TRUE(WriteThrough("save://slot.dat", "progress"));
    EXPECT_EQ(ReadThrough("save://slot.dat"), "<missing>");  // buffered until Unmount
    fs()->Unmount("save");
    EXPECT_EQ(ReadNative(userRoot_ + "/save/slot.dat"), "progress");
    EXPECT_FALSE(fs()->FileExists("save://slot.dat"));
    EXPECT_EQ(fs()->OpenFile("save://slot.dat", "r"), nullptr);
    // save:// is not a listable scheme.
    EXPECT_TRUE(Find("save://", "*", false).empty());
    EXPECT_EQ(LogCapture::CountPopupsContaining("File System FindFiles: path prefix is invalid in path 'save://'"), 1);

    // Until the ugc:// root is set its paths name places relative to the working folder,
    // never below the drive's root.
    char saved[MAX_PATH] = {};
    ASSERT_NE(GetCurrentDirectoryA(MAX_PATH, saved), 0u);
    const std::string work = quaven_test::MakeTempDir("ugc-work");
    ASSERT_TRUE(SetCurrentDirectoryA(work.c_str()));
    EXPECT_TRUE(fs()->CreateDirectory("ugc://maps/deep"));
    EXPECT_TRUE(NativeExists(work + "/maps/deep", true));
    EXPECT_TRUE(WriteThrough("ugc://maps/level.txt", "relative"));
    EXPECT_EQ(ReadNative(work + "/maps/level.txt"), "relative");
    EXPECT_EQ(ReadThrough("ugc://maps/level.txt"), "relative");
    EXPECT_EQ(Find("ugc://maps/", "*.txt", false), Names{"ugc://maps/level.txt"});
    EXPECT_TRUE(Find("ugc://", "*", true).empty()) << "the working folder itself is not listed as \"/\"";
    // Searched along "ugc://", paths without a scheme find the working folder's files too.
    fs()->AddSearchPath("ugc://", false);
    EXPECT_TRUE(fs()->FileExists("maps/level.txt"));
    EXPECT_FALSE(fs()->FileExists("maps/other.txt"));
    EXPECT_EQ(ReadThrough("maps/level.txt"), "relative");
    FileInfo info = {};
    EXPECT_TRUE(fs()->GetFileInfo("maps/level.txt", &info));
    EXPECT_EQ(Find("maps/", "*.txt", false), Names{"maps/level.txt"});
    EXPECT_EQ(Find("maps", "*", true), Names{"maps/level.txt"});
    EXPECT_TRUE(Find("", "*", true).empty()) << "nor along the bare search path";
    fs()->RemoveSearchPath("ugc://");
    EXPECT_FALSE(fs()->FileExists("maps/level.txt"));
    EXPECT_TRUE(fs()->DeleteFile("ugc://maps/level.txt"));
    EXPECT_FALSE(NativeExists(work + "/maps/level.txt"));
    EXPECT_TRUE(fs()->DeleteDirectory("ugc://maps/deep", false));
    EXPECT_FALSE(NativeExists(work + "/maps/deep", true));
    ASSERT_TRUE(SetCurrentDirectoryA(saved));
    RemoveTree(work);

    g_currentUrlRoots[SCHEME_UGC].Assign((ResRoot() + "/ugc").c_str());
    ASSERT_TRUE(CreateDirectoryA((ResRoot() + "/ugc").c_str(), nullptr));
    ASSERT_TRUE(WriteThrough("ugc://level.txt", "ugc"));
    EXPECT_EQ(ReadNative(ResRoot() + "/ugc/level.txt"), "ugc");
    EXPECT_EQ(Find("ugc://", "*.txt", false), Names{"ugc://level.txt"});
}

TEST_F(FileSystemApiTest, FoldersAreBuiltWholeButNeverOverFilesAndNeverDeletedRecursively) {
    ASSERT_TRUE(fs()->CreateDirectory("user://a/b/c"));
    EXPECT_TRUE(NativeExists(userRoot_ + "/a/b/c", true));
    EXPECT_TRUE(fs()->CreateDirectory("user://a/b/c/"));
    EXPECT_FALSE(fs()->CreateDirectory("a/b"));  // a scheme is required

    WriteFilesIn(ResRoot(), {{"taken", "data"}, {"box/inside.txt", "kept"}});
    EXPECT_FALSE(fs()->CreateDirectory("res://taken"));
    EXPECT_FALSE(fs()->CreateDirectory("res://taken/inner"));
    EXPECT_EQ(ReadNative(ResRoot() + "/taken"), "data");
    EXPECT_EQ(fs()->OpenFile("res://box", "w"), nullptr);
    EXPECT_FALSE(fs()->FileExists("res://box"));  // a folder is not a file
    EXPECT_FALSE(fs()->DeleteFile("res://box"));
    EXPECT_FALSE(fs()->DeleteDirectory("res://box", true));
    EXPECT_EQ(LogCapture::Count("File System DeleteDirectory: deleting directory 'res://box' with existing files is "
                                "not allowed."),
              1);
    EXPECT_EQ(ReadNative(ResRoot() + "/box/inside.txt"), "kept");
}

TEST_F(FileSystemApiTest, MisuseIsReportedUnderTheMembersName) {
    EXPECT_FALSE(fs()->IsPathValid("res://../secret"));
    EXPECT_EQ(fs()->OpenFile("res://../secret", "r"), nullptr);
    EXPECT_FALSE(fs()->FileExists("res://a//b"));
    EXPECT_FALSE(fs()->DeleteFile("a.txt"));  // a scheme is required
    FileInfo info = {};
    EXPECT_FALSE(fs()->GetFileInfo("user://a.txt", &info));  // time stamps serve docs, res and ugc only
    EXPECT_TRUE(Find("res://../", "*", false).empty());
    EXPECT_TRUE(Find("res://", "?.xml", false).empty());
    EXPECT_EQ(LogCapture::PopupTexts(),
              (Names{"File System OpenFile: path 'res://../secret' is invalid, see IsPathValid() for more info.",
                     "File System FileExists: path 'res://a//b' is invalid, see IsPathValid() for more info.",
                     "File System DeleteFile: path 'a.txt' is invalid, see IsPathValid() for more info.",
                     "File System GetFileInfo: path prefix is invalid in path 'user://a.txt', see GetFileInfo() for "
                     "more info.",
                     "File System FindFiles: path 'res://../' is invalid, see IsPathValid() for more info.",
                     "File System FindFiles: wildcards (?.xml) are invalid, see FindFiles() for more info."}));

    EXPECT_TRUE(Find(nullptr, "*", false).empty());
    EXPECT_TRUE(Find("res://", "../*", false).empty());  // a pattern must not leave the folder
    EXPECT_TRUE(Find("res://nowhere/", "*", true).empty());
}

TEST_F(FileSystemApiTest, ReadOnlyResRefusesEveryChangeButStillReads) {
    WriteFilesIn(ResRoot(), {{"data/kept.txt", "kept"}});
    fs()->AddSearchPath("res://data", false);
    LogCapture::Clear();
    g_resWritable = 0;
    EXPECT_EQ(fs()->OpenFile("res://data/kept.txt", "a"), nullptr);
    EXPECT_EQ(fs()->OpenFile("kept.txt", "w"), nullptr);  // found under res:// along the search paths
    EXPECT_FALSE(fs()->CreateDirectory("res://more"));
    EXPECT_FALSE(fs()->DeleteFile("res://data/kept.txt"));
    EXPECT_FALSE(fs()->DeleteDirectory("res://data", false));
    EXPECT_EQ(ReadThrough("res://data/kept.txt"), "kept");
    EXPECT_EQ(ReadThrough("kept.txt"), "kept");
    EXPECT_TRUE(WriteThrough("user://free.txt", "free"));
    g_resWritable = 1;

    EXPECT_EQ(ReadNative(ResRoot() + "/data/kept.txt"), "kept");
    EXPECT_FALSE(NativeExists(ResRoot() + "/more", true));
    // OpenFile logs its refusal; the others show it.
    EXPECT_EQ(LogCapture::Count("File System OpenFile: attempted to modify path 'res://data/kept.txt', which is not "
                          "writable."),
              1);
    EXPECT_EQ(LogCapture::PopupTexts(),
              (Names{"File System CreateDirectory: attempted to modify path 'res://more', which is not writable.",
                     "File System DeleteFile: attempted to modify path 'res://data/kept.txt', which is not writable.",
                     "File System DeleteDirectory: attempted to modify path 'res://data', which is not writable."}));
}

TEST_F(FileSystemApiTest, HostilePathsNeverReachTheDisk) {
    const std::string outside = ResRoot() + "/../outside-" + developer_ + ".txt";
    WriteFilesIn(ResRoot() + "/..", {{"outside-" + developer_ + ".txt", "secret"}});
    for (const char* path : {"res://../outside.txt", "res://..\\outside.txt", "res://C:/Windows/win.ini", "",
                             "res://\xff\xfe", static_cast<const char*>(nullptr)}) {
        SCOPED_TRACE(path ? path : "null");
        EXPECT_EQ(fs()->OpenFile(path, "w"), nullptr);
        EXPECT_EQ(fs()->OpenFile(path, "r"), nullptr);
        EXPECT_FALSE(fs()->FileExists(path));
        EXPECT_FALSE(fs()->DeleteFile(path));
        EXPECT_FALSE(fs()->CreateDirectory(path));
        EXPECT_FALSE(fs()->DeleteDirectory(path, false));
        FileInfo info;
        EXPECT_FALSE(fs()->GetFileInfo(path, &info));
        fs()->AddSearchPath(path, true);
        EXPECT_FALSE(fs()->IsSearchPath(path));
        fs()->RemoveSearchPath(path);
    }
    EXPECT_EQ(fs()->GetSearchPathCount(), 0);
    EXPECT_EQ(ReadNative(outside), "secret");
    DeleteFileA(outside.c_str());
}

TEST_F(FileSystemApiTest, PathsAtTheEngineLimitPassTheChecksAndFailOnlyNatively) {
    // 511 characters is a valid engine path; the native path is then too long for
    // Windows, which must end in a plain failure.
    const std::string longest = "res://" + std::string(505, 'n');
    ASSERT_TRUE(fs()->IsPathValid(longest.c_str()));
    EXPECT_EQ(fs()->OpenFile(longest.c_str(), "w"), nullptr);
    EXPECT_EQ(LogCapture::CountPopupsContaining("is invalid"), 0);
    EXPECT_EQ(fs()->OpenFile((longest + "n").c_str(), "w"), nullptr);
    EXPECT_EQ(LogCapture::CountPopupsContaining("is invalid"), 1);
}

TEST_F(FileSystemApiTest, AListingReachesTheLongestNativeSearchPathAndNotOneCharacterFurther) {
    // A folder whose native search text, "<res root>/<folder>/*.txt", is 259 characters: the
    // most a Windows path holds before its terminator.
    const std::string prefix = ResRoot() + "/";
    const size_t folderLength = 259 - prefix.size() - std::string("/*.txt").size();
    ASSERT_LT(folderLength, 250u) << "the res root is too long for this test";
    const std::string folder(folderLength, 'f');
    ASSERT_EQ((prefix + folder + "/*.txt").size(), 259u);
    WriteFilesIn(ResRoot(), {{folder + "/a.txt", "a"}});
    const std::string path = "res://" + folder + "/";
    EXPECT_EQ(Find(path.c_str(), "*.txt", false), Names{path + "a.txt"});
    EXPECT_EQ(Find(path.c_str(), "a*.txt", false), Names{}) << "260 characters are not searched";
    EXPECT_EQ(Find(path.c_str(), "*.txt;a*.txt", false), Names{path + "a.txt"});
    EXPECT_EQ(LogCapture::CountPopupsContaining("invalid"), 0);
}

// The folder back end itself: native files, folders and their listings.
TEST_F(FileSystemApiTest, FolderBackEndCreateDirectoryRefusesPathsOutsideTheRoot) {
    QVFileSystem::System* folders = QVI_GetFileSystemBackend(SCHEME_RES);
    EXPECT_FALSE(folders->CreateDirectory(SCHEME_RES, String((ResRoot() + "-elsewhere/a").c_str())));
    EXPECT_FALSE(NativeExists(ResRoot() + "-elsewhere", true));
    EXPECT_TRUE(folders->CreateDirectory(SCHEME_RES, String((ResRoot() + "/x/y").c_str())));
    EXPECT_TRUE(NativeExists(ResRoot() + "/x/y", true));
}

TEST_F(FileSystemApiTest, FolderBackEndRecursiveListingPutsDeeperFilesFirstAndNamesEachOnce) {
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
