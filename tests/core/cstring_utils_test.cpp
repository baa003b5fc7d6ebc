#include "core/engine_log.h"
#include "core/cstring_utils.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

namespace {

TEST(CStringBasics, NullTextsAreHandled)
{
    EXPECT_EQ(QVI_StrLen(nullptr), 0);
    char* copy = QVI_StrDup(nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_STREQ(copy, "");
    QVI_Free(copy);
    EXPECT_FALSE(QVI_StrEqual(nullptr, nullptr));
    EXPECT_FALSE(QVI_StrEqual("", nullptr));
    char destination[8] = "junk";
    EXPECT_EQ(QVI_StrCopy(nullptr, "x"), nullptr);
    EXPECT_STREQ(QVI_StrCopy(destination, nullptr), "");
    QVI_ReplaceChar(nullptr, 'a', 'b');
}

TEST(CStringBasics, ParseFloatFallbackOnlyForNull)
{
    EXPECT_FLOAT_EQ(QVI_ParseFloat(nullptr, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("not a number", 2.5f), 0.0f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("-1.25xyz", 2.5f), -1.25f);
}

TEST(CopyToken, EmptyTokensAndTrailingSeparator)
{
    char buffer[16];
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 2), "");
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 3), "c");
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,", ",", 1), nullptr);
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "left::right", "::", 1), "right");
}

TEST(CopyToken, RefusesBadArgumentsAndSmallBuffers)
{
    char buffer[4];
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, nullptr, ",", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,b", "", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,b", ",", -1), nullptr);
    EXPECT_EQ(QVI_CopyToken(nullptr, 4, "a,b", ",", 0), nullptr);

    // Three characters need four bytes.
    EXPECT_STREQ(QVI_CopyToken(buffer, 4, "abc,d", ",", 0), "abc");
    memcpy(buffer, "zzzz", 4);
    EXPECT_EQ(QVI_CopyToken(buffer, 3, "abc,d", ",", 0), nullptr);
    EXPECT_EQ(buffer[3], 'z');
}

TEST(HasToken, WholeEntriesOnly)
{
    EXPECT_TRUE(QVI_HasToken("A B;C", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "A"));
    // A later whole entry counts even after partial matches.
    EXPECT_TRUE(QVI_HasToken("NO_SOUNDS NO_SOUND", "NO_SOUND"));
    EXPECT_FALSE(QVI_HasToken("b", "B"));
    EXPECT_FALSE(QVI_HasToken(nullptr, "B"));
    EXPECT_FALSE(QVI_HasToken("B", ""));
}

TEST(ReplaceAll, SkipsReplacementsThatDoNotFitAndStaysInsideItsCapacity)
{
    // "aXaXa" (6 bytes) in 8 bytes: room 2, each replacement grows by 2.
    char destination[8];
    EXPECT_EQ(QVI_ReplaceAll("aXaXa", "X", "YYY", destination, 8), destination);
    EXPECT_STREQ(destination, "aYYYaXa");

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
    EXPECT_EQ(QVI_ReplaceAll("a", "a", "b", destination, 0), nullptr);
    EXPECT_STREQ(QVI_ReplaceAll("ab", "", "z", destination, 4), "ab");
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

TEST(GetToken, NinthCallReusesTheFirstBufferAndLongTokensAreRefused)
{
    char* results[9];
    for (int i = 0; i < 9; ++i)
        results[i] = QVI_GetToken("0,1,2,3,4,5,6,7,8", ",", i);
    for (int i = 1; i < 8; ++i)
        EXPECT_NE(results[i], results[0]);
    EXPECT_EQ(results[8], results[0]);
    EXPECT_STREQ(results[0], "8");
    EXPECT_STREQ(results[7], "7");

    std::string fits(511, 'f');
    EXPECT_EQ(fits, QVI_GetToken(fits.c_str(), ",", 0));
    EXPECT_EQ(QVI_GetToken((fits + "f").c_str(), ",", 0), nullptr);
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
    EXPECT_EQ(QVI_HashString(nullptr), 0u);
    EXPECT_EQ(QVI_HashString("abc"), 136518u);
    // \xc3\xa9 is UTF-8 e-acute: both bytes count above 127.
    EXPECT_EQ(QVI_HashString("\xc3\xa9"), 195u * 37u + 169u);
}

std::string g_written;
int g_writeCalls = 0;

int RecordWrite(const void* buffer, int size, FileHandle*)
{
    g_written.assign(static_cast<const char*>(buffer), static_cast<size_t>(size));
    ++g_writeCalls;
    return size;
}

TEST(FilePrintf, WritesUpTo4095CharactersAndAnswersMinusOneForACut)
{
    QuavenFileSystemAPI fileSystem = {};
    fileSystem.Write = RecordWrite;
    QuavenAPI table = {};
    table.fileSystem = &fileSystem;
    QuavenAPI* const saved = qv;
    qv = &table;
    FileHandle* const file = reinterpret_cast<FileHandle*>(0x1234);

    const std::string fits(4095, 'a');
    EXPECT_EQ(QVI_FilePrintf(file, "%s", fits.c_str()), 4095);
    EXPECT_EQ(g_written, fits);
    EXPECT_EQ(QVI_FilePrintf(file, "%s!", fits.c_str()), -1);
    EXPECT_EQ(g_written, fits);

    // Without a format, a Write member or a table, nothing is written.
    g_writeCalls = 0;
    const char* noFormat = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, noFormat), -1);
    fileSystem.Write = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, "%d", 12345), 5);
    qv = nullptr;
    EXPECT_EQ(QVI_FilePrintf(file, "%d", 12345), 5);
    EXPECT_EQ(g_writeCalls, 0);
    qv = saved;
}

} // namespace
