// The game's view: every scheme driven through the real fileSystem sub-table.

#include "filesystem/fs_test_support.h"

#include "filesystem/paths.h"

namespace fs_test {
namespace {

class GameViewTest : public FileSystemTest {};

TEST_F(GameViewTest, PerUserFolderIsLaidOutUnderAppData)
{
    // "<AppData>/<developer>/<title with ':', ' ' and '!' made '_'>"
    EXPECT_TRUE(NativeFolderExists(userRoot_ + "/documents"));
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_USER].text, userRoot_.c_str());
    EXPECT_STREQ(g_currentUrlRoots[SCHEME_SAVE].text, (userRoot_ + "/save").c_str());
}

TEST_F(GameViewTest, EveryFolderSchemeWritesSeeksReadsListsAndDeletes)
{
    struct Case {
        const char* folder;  // scheme root as a folder path
        std::string native;  // where that lands on disk
    };
    const Case cases[] = {
        {"res://", resRoot_},
        {"user://", userRoot_},
        {"cache://", userRoot_ + "/cache"},
        {"logs://", userRoot_ + "/logs"},
        {"docs://", userRoot_ + "/documents"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        std::string folder = std::string(c.folder) + "game";
        ASSERT_TRUE(fs()->CreateDirectory(folder.c_str()));
        std::string path = folder + "/notes.txt";

        FileHandle* file = fs()->OpenFile(path.c_str(), "w");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(fs()->Write("0123456789", 10, file), 10);
        EXPECT_EQ(fs()->GetFilePosition(file), 10);
        EXPECT_EQ(fs()->FlushFile(file), 0);
        fs()->CloseFile(file);
        EXPECT_EQ(ReadNative(c.native + "/game/notes.txt"), "0123456789");

        file = fs()->OpenFile(path.c_str(), "r");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(fs()->Seek(file, 4, QV_SEEK_SET), 0);  // stdio files answer 0, not the position
        char middle[3] = {};
        EXPECT_EQ(fs()->Read(middle, 3, file), 3);
        EXPECT_EQ(std::string(middle, 3), "456");
        EXPECT_EQ(fs()->Seek(file, -2, QV_SEEK_END), 0);
        EXPECT_EQ(fs()->GetFilePosition(file), 8);
        fs()->CloseFile(file);

        ASSERT_TRUE(WriteThrough(path.c_str(), "ab", "a"));
        EXPECT_EQ(ReadThrough(path.c_str()), "0123456789ab");

        EXPECT_TRUE(fs()->FileExists(path.c_str()));
        // Time stamps and listings serve docs:// and res:// (and ugc://) only.
        bool listable = std::string(c.folder) == "res://" || std::string(c.folder) == "docs://";
        FileInfo info = {};
        EXPECT_EQ(fs()->GetFileInfo(path.c_str(), &info), listable);
        std::vector<std::string> expected;
        if (listable)
            expected.push_back(path);
        EXPECT_EQ(Find(folder.c_str(), "*.txt", false), expected);

        EXPECT_FALSE(fs()->DeleteDirectory(folder.c_str(), false));  // still holds the file
        EXPECT_TRUE(fs()->DeleteFile(path.c_str()));
        EXPECT_FALSE(fs()->FileExists(path.c_str()));
        EXPECT_TRUE(fs()->DeleteDirectory((folder + "/").c_str(), false));
        EXPECT_FALSE(NativeFolderExists(c.native + "/game"));
    }
}

TEST_F(GameViewTest, MissingFilesAndBadModes)
{
    EXPECT_EQ(fs()->OpenFile("res://missing.txt", "r"), nullptr);
    EXPECT_FALSE(fs()->FileExists("res://missing.txt"));
    EXPECT_FALSE(fs()->DeleteFile("res://missing.txt"));
    EXPECT_FALSE(fs()->GetFileInfo("res://missing.txt", nullptr));

    ASSERT_TRUE(WriteNative(resRoot_ + "/here.txt", "x"));
    EXPECT_EQ(fs()->OpenFile("res://here.txt", "x"), nullptr);
    EXPECT_EQ(fs()->OpenFile("res://here.txt", ""), nullptr);
    EXPECT_EQ(fs()->OpenFile("res://here.txt", nullptr), nullptr);
    EXPECT_EQ(CountLogged("File System OpenFile: mode is invalid, see OpenFile() for more info."), 3);

    // Only the first character of a mode counts: "rb+" opens for READ.
    FileHandle* file = fs()->OpenFile("res://here.txt", "rb+");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(fs()->Write("y", 1, file), 0);
    fs()->CloseFile(file);
    EXPECT_EQ(fs()->OpenFile("http://example.com/a.png", "r"), nullptr);
}

TEST_F(GameViewTest, HandleMembersIgnoreNullHandlesAndNegativeSizes)
{
    char buffer[8] = {};
    EXPECT_EQ(fs()->Read(buffer, 8, nullptr), 0);
    EXPECT_EQ(fs()->Seek(nullptr, 0, 0), 0);
    fs()->CloseFile(nullptr);

    ASSERT_TRUE(WriteNative(resRoot_ + "/small.txt", "abc"));
    FileHandle* file = fs()->OpenFile("res://small.txt", "r");
    ASSERT_NE(file, nullptr);
    // A negative size must not turn into a huge unsigned read into an 8-byte buffer.
    EXPECT_EQ(fs()->Read(buffer, -1, file), 0);
    EXPECT_EQ(fs()->Read(nullptr, 3, file), 0);
    EXPECT_EQ(fs()->Seek(file, 0, 7), -1);  // unknown origin is refused, not handed to the C runtime
    fs()->CloseFile(file);

    FileHandle* out = fs()->OpenFile("res://out.txt", "w");
    ASSERT_NE(out, nullptr);
    EXPECT_EQ(fs()->Write(buffer, -5, out), 0);
    fs()->CloseFile(out);
    EXPECT_EQ(ReadNative(resRoot_ + "/out.txt"), "");
}

TEST_F(GameViewTest, SaveAreaWorksOnlyWhileMounted)
{
    EXPECT_EQ(fs()->OpenFile("save://slot.dat", "w"), nullptr);
    EXPECT_FALSE(fs()->Mount("SAVE", 0));
    EXPECT_FALSE(fs()->Mount(nullptr, 0));
    EXPECT_FALSE(fs()->Mount("save", -1));
    fs()->Unmount(nullptr);

    ASSERT_TRUE(fs()->Mount("save", 0));
    EXPECT_TRUE(NativeFolderExists(userRoot_ + "/save"));
    ASSERT_TRUE(WriteThrough("save://slot.dat", "progress"));
    EXPECT_EQ(ReadThrough("save://slot.dat"), "progress");
    fs()->Unmount("save");
    EXPECT_EQ(ReadNative(userRoot_ + "/save/slot.dat"), "progress");
    EXPECT_FALSE(fs()->FileExists("save://slot.dat"));
    EXPECT_EQ(fs()->OpenFile("save://slot.dat", "r"), nullptr);
    // save:// is not a listable scheme.
    EXPECT_TRUE(Find("save://", "*", false).empty());
    EXPECT_EQ(CountPopupsContaining("File System FindFiles: path prefix is invalid in path 'save://'"), 1);
}

TEST_F(GameViewTest, UgcWorksOnlyOnceItsRootIsSet)
{
    // Until the root is set nothing may land relative to the working folder.
    EXPECT_EQ(fs()->OpenFile("ugc://level.txt", "w"), nullptr);
    EXPECT_FALSE(fs()->CreateDirectory("ugc://maps"));
    EXPECT_FALSE(NativeFileExists("level.txt"));
    EXPECT_TRUE(Find("ugc://", "*", true).empty());

    g_currentUrlRoots[SCHEME_UGC].Assign((resRoot_ + "/ugc").c_str());
    ASSERT_TRUE(CreateDirectoryA((resRoot_ + "/ugc").c_str(), nullptr));
    ASSERT_TRUE(WriteThrough("ugc://level.txt", "ugc"));
    EXPECT_EQ(ReadNative(resRoot_ + "/ugc/level.txt"), "ugc");
    EXPECT_EQ(Find("ugc://", "*.txt", false), std::vector<std::string>{"ugc://level.txt"});
}

TEST_F(GameViewTest, FoldersAreBuiltWholeButNeverOverFilesAndNeverDeletedRecursively)
{
    ASSERT_TRUE(fs()->CreateDirectory("user://a/b/c"));
    EXPECT_TRUE(NativeFolderExists(userRoot_ + "/a/b/c"));
    EXPECT_TRUE(fs()->CreateDirectory("user://a/b/c/"));
    EXPECT_FALSE(fs()->CreateDirectory("a/b"));  // a scheme is required

    ASSERT_TRUE(WriteNative(resRoot_ + "/taken", "data"));
    EXPECT_FALSE(fs()->CreateDirectory("res://taken"));
    EXPECT_FALSE(fs()->CreateDirectory("res://taken/inner"));
    EXPECT_EQ(ReadNative(resRoot_ + "/taken"), "data");

    ASSERT_TRUE(fs()->CreateDirectory("res://box"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/box/inside.txt", "kept"));
    EXPECT_EQ(fs()->OpenFile("res://box", "w"), nullptr);
    EXPECT_FALSE(fs()->FileExists("res://box"));  // a folder is not a file
    EXPECT_FALSE(fs()->DeleteFile("res://box"));
    EXPECT_FALSE(fs()->DeleteDirectory("res://box", true));
    EXPECT_EQ(CountLogged("File System DeleteDirectory: deleting directory 'res://box' with existing files is not allowed."),
              1);
    EXPECT_EQ(ReadNative(resRoot_ + "/box/inside.txt"), "kept");
}

}  // namespace
}  // namespace fs_test
