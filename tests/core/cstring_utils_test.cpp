#include "core/api_pointer.h"
#include "core/cstring_utils.h"
#include "core/file_printf.h"
#include "core/name_hash.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

TEST(CStringBasics, NullTextsAreHandled)
{
    EXPECT_EQ(QVI_StrLen(nullptr), 0);
    EXPECT_EQ(QVI_StrLen("abc"), 3);

    char* copy = QVI_StrDup(nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "");
    QVI_Free(copy);
    QVI_Free(nullptr);

    EXPECT_FALSE(QVI_StrEqual(nullptr, nullptr));
    EXPECT_FALSE(QVI_StrEqual("", nullptr));
    EXPECT_TRUE(QVI_StrEqual("", ""));
    EXPECT_FALSE(QVI_StrEqual("a", "A"));

    char destination[8] = "junk";
    EXPECT_EQ(QVI_StrCopy(nullptr, "x"), nullptr);
    EXPECT_EQ(QVI_StrCopy(destination, nullptr), destination);
    EXPECT_STREQ(destination, "");
    EXPECT_STREQ(QVI_StrCopy(destination, "abc"), "abc");

    QVI_ReplaceChar(nullptr, 'a', 'b');
    char path[] = "a\\b\\c";
    QVI_ReplaceChar(path, '\\', '/');
    EXPECT_STREQ(path, "a/b/c");
}

TEST(CStringBasics, ParseFloatFallbackOnlyForNull)
{
    EXPECT_FLOAT_EQ(QVI_ParseFloat(nullptr, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("not a number", 2.5f), 0.0f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("", 2.5f), 0.0f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("-1.25xyz", 2.5f), -1.25f);
}

TEST(CopyToken, EmptyTokensAndTrailingSeparator)
{
    char buffer[16];
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 0), "a");
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 2), "");
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 3), "c");
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 4), nullptr);
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,", ",", 0), "a");
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,", ",", 1), nullptr);
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "left::right", "::", 1), "right");
}

TEST(CopyToken, RefusesBadArgumentsAndSmallBuffers)
{
    char buffer[4];
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, nullptr, ",", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a", nullptr, 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,b", "", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,b", ",", -1), nullptr);
    EXPECT_EQ(QVI_CopyToken(nullptr, 4, "a,b", ",", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, 0, "a,b", ",", 0), nullptr);

    // Three characters need four bytes.
    EXPECT_STREQ(QVI_CopyToken(buffer, 4, "abc,d", ",", 0), "abc");
    memcpy(buffer, "zzzz", 4);
    EXPECT_EQ(QVI_CopyToken(buffer, 3, "abc,d", ",", 0), nullptr);
    EXPECT_EQ(buffer[3], 'z');
}

TEST(CountTokens, AgreesWithCopyToken)
{
    EXPECT_EQ(QVI_CountTokens("a,b,", ","), 2);
    EXPECT_EQ(QVI_CountTokens("", ","), 0);
    EXPECT_EQ(QVI_CountTokens("abc", ","), 1);
    EXPECT_EQ(QVI_CountTokens("a,b,,c", ","), 4);
    EXPECT_EQ(QVI_CountTokens(",", ","), 1);
    EXPECT_EQ(QVI_CountTokens(nullptr, ","), 0);
    EXPECT_EQ(QVI_CountTokens("a,b", nullptr), 0);
    EXPECT_EQ(QVI_CountTokens("a,b", ""), 0);

    const char* texts[] = {"a,b,", "a,b,,c", ",", ",x", "x,,", "one"};
    char buffer[16];
    for (const char* text : texts) {
        int count = QVI_CountTokens(text, ",");
        for (int i = 0; i < count; ++i)
            EXPECT_NE(QVI_CopyToken(buffer, sizeof buffer, text, ",", i), nullptr) << text << " " << i;
        EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, text, ",", count), nullptr) << text;
    }
}

TEST(HasToken, WholeEntriesOnly)
{
    EXPECT_TRUE(QVI_HasToken("A B;C", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "A"));
    EXPECT_TRUE(QVI_HasToken("X,B", "B"));
    EXPECT_TRUE(QVI_HasToken("B;X", "B"));
    EXPECT_TRUE(QVI_HasToken("B", "B"));
    // A later whole entry counts even after partial matches.
    EXPECT_TRUE(QVI_HasToken("NO_SOUNDS NO_SOUND", "NO_SOUND"));
    EXPECT_TRUE(QVI_HasToken("AAB,A", "A"));
    EXPECT_FALSE(QVI_HasToken("b", "B"));
    EXPECT_FALSE(QVI_HasToken(nullptr, "B"));
    EXPECT_FALSE(QVI_HasToken("B", nullptr));
    EXPECT_FALSE(QVI_HasToken("B", ""));
}

TEST(ReplaceAll, SkipsReplacementsThatDoNotFit)
{
    // "aXaXa" (6 bytes) in 8 bytes: room 2, each replacement grows by 2.
    char destination[8];
    memset(destination, '#', sizeof destination);
    EXPECT_EQ(QVI_ReplaceAll("aXaXa", "X", "YYY", destination, 8), destination);
    EXPECT_STREQ(destination, "aYYYaXa");
    EXPECT_EQ(strlen(destination), 7u);
}

TEST(ReplaceAll, StaysInsideItsCapacity)
{
    char block[32];
    memset(block, '#', sizeof block);
    QVI_ReplaceAll("x.x.x", ".", "....", block, 10);
    EXPECT_STREQ(block, "x....x.x");
    for (size_t i = 10; i < sizeof block; ++i)
        EXPECT_EQ(block[i], '#') << i;
}

TEST(ReplaceAll, TooSmallAndRefusedInputs)
{
    char destination[4] = "old";
    EXPECT_EQ(QVI_ReplaceAll("abcd", "a", "b", destination, 4), destination);
    EXPECT_STREQ(destination, "old");
    EXPECT_EQ(QVI_ReplaceAll(nullptr, "a", "b", destination, 4), nullptr);
    EXPECT_EQ(QVI_ReplaceAll("a", "a", "b", nullptr, 4), nullptr);
    EXPECT_EQ(QVI_ReplaceAll("a", "a", "b", destination, 0), nullptr);
    EXPECT_STREQ(QVI_ReplaceAll("ab", "", "z", destination, 4), "ab");
    EXPECT_STREQ(QVI_ReplaceAll("ab", nullptr, "z", destination, 4), "ab");
}

TEST(ReplaceAll, InPlaceShrinkingAndSelfContainingReplacements)
{
    char text[32] = "a&amp;b&amp;c";
    QVI_ReplaceAll(text, "&amp;", "&", text, sizeof text);
    EXPECT_STREQ(text, "a&b&c");

    char grow[32];
    QVI_ReplaceAll("aa", "a", "aa", grow, sizeof grow);
    EXPECT_STREQ(grow, "aaaa");
}

TEST(GetToken, NinthCallReusesTheFirstBuffer)
{
    char* results[9];
    for (int i = 0; i < 9; ++i)
        results[i] = QVI_GetToken("0,1,2,3,4,5,6,7,8", ",", i);
    for (int i = 1; i < 8; ++i)
        EXPECT_NE(results[i], results[0]);
    EXPECT_EQ(results[8], results[0]);
    EXPECT_STREQ(results[0], "8");
    EXPECT_STREQ(results[1], "1");
    EXPECT_STREQ(results[7], "7");
}

TEST(GetToken, TokensOver511CharactersAreRefused)
{
    std::string fits(511, 'f');
    std::string tooLong(512, 'f');
    EXPECT_EQ(fits, QVI_GetToken(fits.c_str(), ",", 0));
    EXPECT_EQ(QVI_GetToken(tooLong.c_str(), ",", 0), nullptr);
}

TEST(GetToken, EachThreadHasItsOwnBuffers)
{
    char* mainToken = QVI_GetToken("main,side", ",", 0);
    ASSERT_STREQ(mainToken, "main");

    char* otherFirst = nullptr;
    bool otherKeptItsTokens = true;
    std::thread other([&] {
        otherFirst = QVI_GetToken("other,x", ",", 0);
        // Run through a whole rotation on this thread; the main thread's token must
        // survive it.
        for (int i = 0; i < 7; ++i)
            otherKeptItsTokens &= QVI_GetToken("y,z", ",", 1) != nullptr;
        otherKeptItsTokens &= strcmp(otherFirst, "other") == 0;
    });
    other.join();

    EXPECT_TRUE(otherKeptItsTokens);
    EXPECT_NE(otherFirst, mainToken);
    EXPECT_STREQ(mainToken, "main");
}

TEST(HashString, KnownValuesAndUnsignedBytes)
{
    EXPECT_EQ(QVI_HashString(""), 0u);
    EXPECT_EQ(QVI_HashString(nullptr), 0u);
    EXPECT_EQ(QVI_HashString("abc"), 136518u);
    EXPECT_EQ(QVI_HashString("\xff"), 255u);
    EXPECT_EQ(QVI_HashString("a\x80"), 97u * 37u + 128u);
    // \xc3\xa9 is UTF-8 e-acute: both bytes count above 127.
    EXPECT_EQ(QVI_HashString("\xc3\xa9"), 195u * 37u + 169u);
}

// Routes the engine's file-system Write member into a recorder for one test.
class FilePrintfTest : public ::testing::Test {
protected:
    static std::string written;
    static FileHandle* writtenTo;
    static int writeCalls;

    static int RecordWrite(const void* buffer, int size, FileHandle* file)
    {
        written.assign(static_cast<const char*>(buffer), static_cast<size_t>(size));
        writtenTo = file;
        ++writeCalls;
        return size;
    }

    void SetUp() override
    {
        written.clear();
        writtenTo = nullptr;
        writeCalls = 0;
        fileSystem = QuavenFileSystemAPI{};
        fileSystem.Write = RecordWrite;
        table = QuavenAPI{};
        table.fileSystem = &fileSystem;
        savedTable = qv;
        qv = &table;
    }

    void TearDown() override { qv = savedTable; }

    QuavenFileSystemAPI fileSystem;
    QuavenAPI table;
    QuavenAPI* savedTable = nullptr;
    FileHandle* const someFile = reinterpret_cast<FileHandle*>(0x1234);
};
std::string FilePrintfTest::written;
FileHandle* FilePrintfTest::writtenTo = nullptr;
int FilePrintfTest::writeCalls = 0;

TEST_F(FilePrintfTest, WritesTheFormattedTextToTheFile)
{
    EXPECT_EQ(QVI_FilePrintf(someFile, "%s=%d\n", "level", 3), 8);
    EXPECT_EQ(written, "level=3\n");
    EXPECT_EQ(writtenTo, someFile);
}

TEST_F(FilePrintfTest, LongTextIsCutTo4095AndReportsMinusOne)
{
    std::string text(5000, 'L');
    EXPECT_EQ(QVI_FilePrintf(someFile, "%s", text.c_str()), -1);
    EXPECT_EQ(written.size(), 4095u);
    EXPECT_EQ(written, text.substr(0, 4095));
}

TEST_F(FilePrintfTest, BoundaryAt4095And4096Characters)
{
    std::string fits(4095, 'a');
    EXPECT_EQ(QVI_FilePrintf(someFile, "%s", fits.c_str()), 4095);
    EXPECT_EQ(written, fits);

    std::string cut(4096, 'b');
    EXPECT_EQ(QVI_FilePrintf(someFile, "%s", cut.c_str()), -1);
    EXPECT_EQ(written, cut.substr(0, 4095));
}

TEST_F(FilePrintfTest, WithoutAWriteMemberNothingIsWritten)
{
    fileSystem.Write = nullptr;
    EXPECT_EQ(QVI_FilePrintf(someFile, "%d", 12345), 5);
    table.fileSystem = nullptr;
    EXPECT_EQ(QVI_FilePrintf(someFile, "%d", 12345), 5);
    qv = nullptr;
    EXPECT_EQ(QVI_FilePrintf(someFile, "%d", 12345), 5);
    EXPECT_EQ(writeCalls, 0);
}

TEST_F(FilePrintfTest, NullFormatWritesNothing)
{
    const char* noFormat = nullptr;
    EXPECT_EQ(QVI_FilePrintf(someFile, noFormat), -1);
    EXPECT_EQ(writeCalls, 0);
}

} // namespace
