// Resolving file names into rotating buffers, and the creatable probe.

#include "filesystem/fs_test_support.h"

#include <string>

#include "filesystem/paths.h"

namespace fs_test {
namespace {

class ResolveFilePathTest : public FileSystemTest {};

TEST_F(ResolveFilePathTest, SchemePathsResolveToThemselves)
{
    ASSERT_TRUE(WriteNative(resRoot_ + "/font.ttf", "f"));
    EXPECT_STREQ(QVI_ResolveFilePath("res://font.ttf", true), "res://font.ttf");
    EXPECT_EQ(QVI_ResolveFilePath("res://other.ttf", true), nullptr);
    // With mustExist false a file that could be created there is good enough, and the
    // probe leaves nothing behind.
    EXPECT_STREQ(QVI_ResolveFilePath("res://other.ttf", false), "res://other.ttf");
    EXPECT_FALSE(NativeFileExists(resRoot_ + "/other.ttf"));
    EXPECT_EQ(QVI_ResolveFilePath(nullptr, false), nullptr);
}

TEST_F(ResolveFilePathTest, SearchPathsAreTriedInOrder)
{
    ASSERT_TRUE(fs()->CreateDirectory("res://one"));
    ASSERT_TRUE(fs()->CreateDirectory("res://two"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/two/a.mft", "a"));
    fs()->AddSearchPath("res://one", false);
    fs()->AddSearchPath("res://two", false);
    EXPECT_STREQ(QVI_ResolveFilePath("a.mft", true), "res://two/a.mft");
    EXPECT_STREQ(QVI_ResolveFilePath("b.mft", false), "res://one/b.mft");
    EXPECT_FALSE(NativeFileExists(resRoot_ + "/one/b.mft"));
    EXPECT_EQ(QVI_ResolveFilePath("b.mft", true), nullptr);
}

TEST_F(ResolveFilePathTest, TheThirtyThirdCallReusesTheFirstBuffer)
{
    ASSERT_TRUE(WriteNative(resRoot_ + "/r.txt", "r"));
    const char* first = QVI_ResolveFilePath("res://r.txt", true);
    ASSERT_NE(first, nullptr);
    for (int i = 0; i < 31; ++i)
        EXPECT_NE(QVI_ResolveFilePath("res://r.txt", true), first);
    EXPECT_EQ(QVI_ResolveFilePath("res://r.txt", true), first);
}

TEST_F(ResolveFilePathTest, CandidatesThatDoNotFitAreSkippedNeverCut)
{
    // A long search path followed by the name would not fit 260 bytes: it is skipped,
    // and the shorter search path behind it answers.
    std::string longFolder(230, 'f');
    fs()->AddSearchPath(("res://" + longFolder).c_str(), false);
    ASSERT_TRUE(fs()->CreateDirectory("res://short"));
    ASSERT_TRUE(WriteNative(resRoot_ + "/short/" + std::string(40, 'n'), "x"));
    fs()->AddSearchPath("res://short", false);
    const char* resolved = QVI_ResolveFilePath(std::string(40, 'n').c_str(), true);
    ASSERT_NE(resolved, nullptr);
    EXPECT_EQ(std::string(resolved), "res://short/" + std::string(40, 'n'));

    // A path with a scheme that does not fit is no answer at all.
    std::string tooLong = "res://" + std::string(300, 'p');
    EXPECT_EQ(QVI_ResolveFilePath(tooLong.c_str(), false), nullptr);
}

TEST_F(ResolveFilePathTest, ProbeNeverTouchesAnExistingFileItCannotRead)
{
    const std::string native = resRoot_ + "/locked.sav";
    ASSERT_TRUE(WriteNative(native, "precious"));
    // Held open without sharing: the engine can neither read nor write it.
    HANDLE lock = CreateFileA(native.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_EQ(QVI_ResolveFilePath("res://locked.sav", false), nullptr);
    EXPECT_FALSE(QVI_IsPathCreatable("res://locked.sav"));

    fs()->AddSearchPath("res://", false);
    EXPECT_EQ(QVI_ResolveFilePath("locked.sav", false), nullptr);
    CloseHandle(lock);
    EXPECT_EQ(ReadNative(native), "precious");
}

TEST_F(ResolveFilePathTest, CreatableProbeAnswersForNewFilesOnly)
{
    EXPECT_TRUE(QVI_IsPathCreatable("user://probe.bin"));
    EXPECT_FALSE(NativeFileExists(userRoot_ + "/probe.bin"));
    ASSERT_TRUE(WriteNative(userRoot_ + "/probe.bin", "data"));
    EXPECT_FALSE(QVI_IsPathCreatable("user://probe.bin"));
    EXPECT_EQ(ReadNative(userRoot_ + "/probe.bin"), "data");
    EXPECT_FALSE(QVI_IsPathCreatable("user://nowhere/probe.bin"));
    EXPECT_FALSE(QVI_IsPathCreatable(nullptr));
}

}  // namespace
}  // namespace fs_test
