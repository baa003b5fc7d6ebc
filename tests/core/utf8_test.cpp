#include "core/cstring_utils.h"

#include "core/engine_log.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <malloc.h>
#include <vector>

namespace {

// The input lives in a heap block of exactly its bytes followed by trap bytes that
// are all continuation bytes (0x80). A decoder that reads past byteLength or past
// the zero byte would fold the traps into its last sequence or emit them as code
// points, so an overread shows as a wrong result instead of passing silently.
struct HeapBytes {
    static const size_t kTrapBytes = 4;
    char* bytes;
    explicit HeapBytes(const std::vector<unsigned char>& content)
        : bytes(static_cast<char*>(malloc(content.size() + kTrapBytes)))
    {
        if (!content.empty())
            memcpy(bytes, content.data(), content.size());
        memset(bytes + content.size(), 0x80, kTrapBytes);
    }
    ~HeapBytes() { free(bytes); }
};

// Decodes and returns the code points before the terminating 0. Also checks that the
// terminator sits inside the byteLength + 1 slots the array was sized for.
std::vector<uint32_t> Decode(const char* text, int byteLength)
{
    uint32_t* codePoints = QVI_ConvertUTF8ToUTF32(text, byteLength);
    EXPECT_NE(codePoints, nullptr);
    if (!codePoints)
        return {};
    int slots = byteLength > 0 ? byteLength + 1 : 1;
    EXPECT_GE(_msize(codePoints), static_cast<size_t>(slots) * sizeof(uint32_t));
    std::vector<uint32_t> result;
    int i = 0;
    while (i < slots && codePoints[i] != 0)
        result.push_back(codePoints[i++]);
    EXPECT_LT(i, slots) << "no terminator within the array";
    free(codePoints);
    return result;
}

std::vector<uint32_t> DecodeExact(const std::vector<unsigned char>& bytes, int byteLength)
{
    HeapBytes input(bytes);
    return Decode(input.bytes, byteLength);
}

std::vector<uint32_t> DecodeAll(const std::vector<unsigned char>& bytes)
{
    return DecodeExact(bytes, static_cast<int>(bytes.size()));
}

using CodePoints = std::vector<uint32_t>;

TEST(ConvertUTF8ToUTF32, DecodesEverySequenceLength)
{
    EXPECT_EQ(DecodeAll({0xF0, 0x9F, 0x98, 0x80}), (CodePoints{0x1F600}));
    // No validation: surrogates pass as they are.
    EXPECT_EQ(DecodeAll({0xED, 0xA0, 0x80}), (CodePoints{0xD800}));
    EXPECT_EQ(DecodeAll({'x', 0xC3, 0xA9, 'y', 0xE2, 0x82, 0xAC, 0}), (CodePoints{'x', 0xE9, 'y', 0x20AC}));
}

TEST(ConvertUTF8ToUTF32, BytesF8ToFFAndStrayContinuationsStandForThemselves)
{
    EXPECT_EQ(DecodeAll({0x80, 0xBF, 'A'}), (CodePoints{0x80, 0xBF, 'A'}));
    // 0xF8 is not a four-byte lead: the following bytes are not swallowed.
    EXPECT_EQ(DecodeAll({0xF8, 0x80, 0x80, 'B'}), (CodePoints{0xF8, 0x80, 0x80, 'B'}));
}

TEST(ConvertUTF8ToUTF32, TheTerminatorOrTheByteLengthWhicheverComesFirstEndsTheText)
{
    EXPECT_EQ(DecodeExact({}, 0), CodePoints{});
    EXPECT_EQ(DecodeExact({'a', 0, 'b', 0}, 4), (CodePoints{'a'}));
    // Text drawing asks for room for 1024 more code points than the text holds.
    EXPECT_EQ(DecodeExact({'o', 'k', 0}, 3 + 1024), (CodePoints{'o', 'k'}));
    EXPECT_EQ(DecodeExact({'h', 'e', 'l', 'l', 'o', 0}, 3), (CodePoints{'h', 'e', 'l'}));
    // Either limit falling inside a sequence.
    EXPECT_EQ(DecodeExact({'x', 0xE2, 0x82, 0xAC, 0}, 3), (CodePoints{'x', 0xE2, 0x82}));
    EXPECT_EQ(DecodeExact({0xE2, 0x82, 0, 0xAC, 'z'}, 5), (CodePoints{0xE2, 0x82}));
}

TEST(ConvertUTF8ToUTF32, SequenceCutByTheEndGivesItsBytesOneByOne)
{
    // Exact-size input without a terminator: the length alone must stop the read.
    EXPECT_EQ(DecodeAll({'a', 0xE2, 0x82}), (CodePoints{'a', 0xE2, 0x82}));
    EXPECT_EQ(DecodeAll({0xF0, 0x9F, 0x98}), (CodePoints{0xF0, 0x9F, 0x98}));
}

TEST(ConvertUTF8ToUTF32, NonContinuationByteEndsTheSequenceAndIsDecodedItself)
{
    EXPECT_EQ(DecodeAll({0xC3, 'A'}), (CodePoints{0xC3, 'A'}));
    // A bare lead whose own bits are all zero must not turn into a 0 that ends the text.
    EXPECT_EQ(DecodeAll({0xF0, 0xE2, 0x82, 0xAC, 'k'}), (CodePoints{0xF0, 0x20AC, 'k'}));
    EXPECT_EQ(DecodeAll({0xE0, 'k'}), (CodePoints{0xE0, 'k'}));
}

TEST(ConvertUTF8ToUTF32, NegativeLengthOrNullTextDecodeNothing)
{
    uint32_t* veryNegative = QVI_ConvertUTF8ToUTF32("abc", INT_MIN);
    ASSERT_NE(veryNegative, nullptr);
    EXPECT_EQ(veryNegative[0], 0u);
    free(veryNegative);

    uint32_t* null = QVI_ConvertUTF8ToUTF32(nullptr, 10);
    ASSERT_NE(null, nullptr);
    EXPECT_EQ(null[0], 0u);
    free(null);
}

TEST(ConvertUTF8ToUTF32, WorstCaseOneCodePointPerByteFillsTheArrayExactly)
{
    std::vector<unsigned char> bytes;
    // 0x80 to 0xFF in a row: no lead is ever followed by a continuation byte, so
    // each byte decodes to one code point.
    for (int i = 0; i < 300; ++i)
        bytes.push_back(static_cast<unsigned char>(0x80 + i % 0x80));
    CodePoints decoded = DecodeAll(bytes);
    ASSERT_EQ(decoded.size(), bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i)
        EXPECT_EQ(decoded[i], bytes[i]);
}

TEST(ConvertUTF8ToUTF32, UnallocatableLengthIsReportedAndGivesNull)
{
    // (INT_MAX + 1) four-byte slots cannot even be sized in 32 bits; the size must
    // not wrap into a small block that the decoder then overruns.
    quaven_test::LogCapture capture;
    EXPECT_EQ(QVI_ConvertUTF8ToUTF32("abc", INT_MAX), nullptr);
    const std::vector<quaven_test::LoggedLine> popups = quaven_test::LogCapture::PopupLines();
    ASSERT_EQ(popups.size(), 1u);
    EXPECT_EQ(popups[0].level, QV_LOG_ERROR);
    EXPECT_EQ(popups[0].text, "Error converting 'abc' to utf-32.");
}

TEST(ConvertUTF8ToUTF32, FailureWithoutLogPopupInTheTableIsSilent)
{
    quaven_test::LogCapture capture;   // puts the member back afterwards
    qv->LogPopup = nullptr;
    EXPECT_EQ(QVI_ConvertUTF8ToUTF32("abc", INT_MAX), nullptr);
}

} // namespace
