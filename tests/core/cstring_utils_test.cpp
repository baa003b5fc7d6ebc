#include "core/cstring_utils.h"

#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(CStringUtils, NullTextsAreHandledHashesAreUnsignedTokensAreCutExactlyAndReplacementsStayInsideTheirCapacity) {
    EXPECT_EQ(QVI_StrLen(nullptr), 0);
    char* copy = QVI_StrDup(nullptr);
    EXPECT_STREQ(copy, "");
    QVI_Free(copy);
    EXPECT_FALSE(QVI_StrEqual(nullptr, nullptr));
    EXPECT_FALSE(QVI_StrEqual("", nullptr));
    char destination[8] = "junk";
    EXPECT_EQ(QVI_StrCopy(nullptr, "x"), nullptr);
    EXPECT_STREQ(QVI_StrCopy(destination, nullptr), "");
    QVI_ReplaceChar(nullptr, 'a', 'b');

    EXPECT_FLOAT_EQ(QVI_ParseFloat(nullptr, 2.5f), 2.5f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("not a number", 2.5f), 0.0f);
    EXPECT_FLOAT_EQ(QVI_ParseFloat("-1.25xyz", 2.5f), -1.25f);

    EXPECT_EQ(QVI_HashString(nullptr), 0u);
    EXPECT_EQ(QVI_HashString("abc"), 136518u);
    // \xc3\xa9 is UTF-8 e-acute: both bytes count above 127.
    EXPECT_EQ(QVI_HashString("\xc3\xa9"), 195u * 37u + 169u);

    char buffer[16];
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 2), "");
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "a,b,,c", ",", 3), "c");
    EXPECT_EQ(QVI_CopyToken(buffer, sizeof buffer, "a,", ",", 1), nullptr);
    EXPECT_STREQ(QVI_CopyToken(buffer, sizeof buffer, "left::right", "::", 1), "right");
    EXPECT_EQ(QVI_CountTokens("a,b,,c", ","), 4);
    EXPECT_EQ(QVI_CountTokens("a,", ","), 1);

    EXPECT_EQ(QVI_CopyToken(buffer, 4, nullptr, ",", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, 4, "a,b", "", 0), nullptr);
    EXPECT_EQ(QVI_CopyToken(buffer, 4, "a,b", ",", -1), nullptr);
    EXPECT_EQ(QVI_CopyToken(nullptr, 4, "a,b", ",", 0), nullptr);
    // Three characters need four bytes.
    EXPECT_STREQ(QVI_CopyToken(buffer, 4, "abc,d", ",", 0), "abc");
    memcpy(buffer, "zzzz", 4);
    EXPECT_EQ(QVI_CopyToken(buffer, 3, "abc,d", ",", 0), nullptr);
    EXPECT_EQ(buffer[3], 'z');

    EXPECT_TRUE(QVI_HasToken("A B;C", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "B"));
    EXPECT_FALSE(QVI_HasToken("AB", "A"));
    // A later whole entry counts even after partial matches.
    EXPECT_TRUE(QVI_HasToken("NO_SOUNDS NO_SOUND", "NO_SOUND"));
    EXPECT_FALSE(QVI_HasToken("b", "B"));
    EXPECT_FALSE(QVI_HasToken(nullptr, "B"));
    EXPECT_FALSE(QVI_HasToken("B", ""));

    // "aXaXa" (6 bytes) in 8 bytes: room 2, each replacement grows by 2.
    char replaced[8];
    EXPECT_EQ(QVI_ReplaceAll("aXaXa", "X", "YYY", replaced, 8), replaced);
    EXPECT_STREQ(replaced, "aYYYaXa");

    char block[32];
    memset(block, '#', sizeof block);
    QVI_ReplaceAll("x.x.x", ".", "....", block, 10);
    EXPECT_STREQ(block, "x....x.x");
    for (size_t i = 10; i < sizeof block; ++i)
        EXPECT_EQ(block[i], '#') << i;

    char small[4] = "old";
    EXPECT_EQ(QVI_ReplaceAll("abcd", "a", "b", small, 4), small);
    EXPECT_STREQ(small, "old");
    EXPECT_EQ(QVI_ReplaceAll(nullptr, "a", "b", small, 4), nullptr);
    EXPECT_EQ(QVI_ReplaceAll("a", "a", "b", small, 0), nullptr);
    EXPECT_STREQ(QVI_ReplaceAll("ab", "", "z", small, 4), "ab");
    // In place while shrinking, and replacements that contain what they replace.
    char text[32] = "a&amp;b&amp;c";
    QVI_ReplaceAll(text, "&amp;", "&", text, sizeof text);
    EXPECT_STREQ(text, "a&b&c");

    char grow[32];
    QVI_ReplaceAll("aa", "a", "aa", grow, sizeof grow);
    EXPECT_STREQ(grow, "aaaa");

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

    char* mainToken = QVI_GetToken("main,side", ",", 0);
    ASSERT_STREQ(mainToken, "main");

    char* otherFirst = nullptr;
    bool otherKeptItsTokens = true;
    std::thread other([&] {
        otherFirst = QVI_GetToken("other,x", ",", 0);
        // A whole rotation on this thread; the main thread's token must survive it.
        for (int i = 0; i < 7; ++i)
            otherKeptItsTokens &= QVI_GetToken("y,z", ",", 1) != nullptr;
        otherKeptItsTokens &= strcmp(otherFirst, "other") == 0;
    });
    other.join();

    EXPECT_TRUE(otherKeptItsTokens);
    EXPECT_NE(otherFirst, mainToken);
    EXPECT_STREQ(mainToken, "main");
}

using CodePoints = std::vector<uint32_t>;

// Decodes the bytes from a heap block of exactly their size followed by trap bytes that
// are all continuation bytes (0x80): a decoder that reads past byteLength or past the zero
// byte folds the traps into its last sequence or emits them, so an overread shows as a
// wrong result. Also checks that the terminator sits inside the byteLength + 1 slots.
CodePoints Decode(const std::vector<unsigned char>& content, int byteLength) {
    const size_t kTrapBytes = 4;
    char* bytes = static_cast<char*>(malloc(content.size() + kTrapBytes));
    if (!content.empty())
        memcpy(bytes, content.data(), content.size());
    memset(bytes + content.size(), 0x80, kTrapBytes);
    uint32_t* codePoints = QVI_ConvertUTF8ToUTF32(bytes, byteLength);
    free(bytes);
    EXPECT_NE(codePoints, nullptr);
    if (!codePoints)
        return {};
    const int slots = byteLength > 0 ? byteLength + 1 : 1;
    EXPECT_GE(_msize(codePoints), static_cast<size_t>(slots) * sizeof(uint32_t));
    CodePoints result;
    int i = 0;
    while (i < slots && codePoints[i] != 0)
        result.push_back(codePoints[i++]);
    EXPECT_LT(i, slots) << "no terminator within the array";
    free(codePoints);
    return result;
}

CodePoints DecodeAll(const std::vector<unsigned char>& bytes) {
    return Decode(bytes, static_cast<int>(bytes.size()));
}

TEST(ConvertUTF8ToUTF32, DecodesSequencesStopsAtTheTerminatorOrTheByteLengthAndRefusesHostileLengths) {
    EXPECT_EQ(DecodeAll({0xF0, 0x9F, 0x98, 0x80}), (CodePoints{0x1F600}));
    // No validation: surrogates pass as they are.
    EXPECT_EQ(DecodeAll({0xED, 0xA0, 0x80}), (CodePoints{0xD800}));
    EXPECT_EQ(DecodeAll({'x', 0xC3, 0xA9, 'y', 0xE2, 0x82, 0xAC, 0}), (CodePoints{'x', 0xE9, 'y', 0x20AC}));
    EXPECT_EQ(DecodeAll({0x80, 0xBF, 'A'}), (CodePoints{0x80, 0xBF, 'A'}));
    // 0xF8 is not a four-byte lead: the following bytes are not swallowed.
    EXPECT_EQ(DecodeAll({0xF8, 0x80, 0x80, 'B'}), (CodePoints{0xF8, 0x80, 0x80, 'B'}));
    // A non-continuation byte ends a sequence and is decoded itself; a bare lead whose own
    // bits are all zero must not turn into a 0 that ends the text.
    EXPECT_EQ(DecodeAll({0xC3, 'A'}), (CodePoints{0xC3, 'A'}));
    EXPECT_EQ(DecodeAll({0xF0, 0xE2, 0x82, 0xAC, 'k'}), (CodePoints{0xF0, 0x20AC, 'k'}));
    EXPECT_EQ(DecodeAll({0xE0, 'k'}), (CodePoints{0xE0, 'k'}));
    // The terminator or the byte length, whichever comes first, ends the text.
    EXPECT_EQ(Decode({}, 0), CodePoints{});
    EXPECT_EQ(Decode({'a', 0, 'b', 0}, 4), (CodePoints{'a'}));
    // Text drawing asks for room for 1024 more code points than the text holds.
    EXPECT_EQ(Decode({'o', 'k', 0}, 3 + 1024), (CodePoints{'o', 'k'}));
    EXPECT_EQ(Decode({'h', 'e', 'l', 'l', 'o', 0}, 3), (CodePoints{'h', 'e', 'l'}));
    // Either limit falling inside a sequence gives the sequence's bytes one by one.
    EXPECT_EQ(Decode({'x', 0xE2, 0x82, 0xAC, 0}, 3), (CodePoints{'x', 0xE2, 0x82}));
    EXPECT_EQ(Decode({0xE2, 0x82, 0, 0xAC, 'z'}, 5), (CodePoints{0xE2, 0x82}));
    EXPECT_EQ(DecodeAll({0xF0, 0x9F, 0x98}), (CodePoints{0xF0, 0x9F, 0x98}));
    // The worst case fills the array exactly: 0x80 to 0xFF in a row, so that no lead is
    // ever followed by a continuation byte, is one code point per byte.
    std::vector<unsigned char> bytes;
    for (int i = 0; i < 300; ++i)
        bytes.push_back(static_cast<unsigned char>(0x80 + i % 0x80));
    EXPECT_EQ(DecodeAll(bytes), CodePoints(bytes.begin(), bytes.end()));

    for (const char* text : {"abc", static_cast<const char*>(nullptr)}) {
        uint32_t* decoded = QVI_ConvertUTF8ToUTF32(text, text ? INT_MIN : 10);
        ASSERT_NE(decoded, nullptr);
        EXPECT_EQ(decoded[0], 0u);
        free(decoded);
    }

    // (INT_MAX + 1) four-byte slots cannot even be sized in 32 bits; the size must not
    // wrap into a small block that the decoder then overruns.
    quaven_test::LogCapture capture;
    EXPECT_EQ(QVI_ConvertUTF8ToUTF32("abc", INT_MAX), nullptr);
    EXPECT_EQ(quaven_test::LogCapture::PopupLines().size(), 1u);
    EXPECT_EQ(quaven_test::LogCapture::CountPopups("Error converting 'abc' to utf-32.", QV_LOG_ERROR), 1);

    qv->LogPopup = nullptr;   // the capture puts it back
    EXPECT_EQ(QVI_ConvertUTF8ToUTF32("abc", INT_MAX), nullptr);
}

} // namespace
