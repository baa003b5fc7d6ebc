// The scrambled file format: what the engine writes must read back, and anything
// damaged, cut short or padded must be refused rather than parsed as garbage.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "data/scrambled/scrambled_data.h"

namespace {

std::vector<uint8_t> Scramble(const std::string& plain)
{
    ByteBuffer out;
    EXPECT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &out));
    return std::vector<uint8_t>(out.data, out.data + out.size);
}

// Descrambles a copy; answers the plain text, or "<refused>".
std::string Descramble(std::vector<uint8_t> file)
{
    file.push_back(0xEE);  // a byte the reader would not own: must stay untouched
    int length = QVI_DescrambleInPlace(file.data(), static_cast<int>(file.size() - 1));
    EXPECT_EQ(file.back(), 0xEE) << "descrambling wrote past the data";
    if (length < 0)
        return "<refused>";
    EXPECT_EQ(file[length], 0) << "the plain text is zero-terminated";
    return std::string(reinterpret_cast<const char*>(file.data()), length);
}

uint32_t ReadU32(const std::vector<uint8_t>& bytes, size_t offset)
{
    return bytes[offset] | (bytes[offset + 1] << 8) | (bytes[offset + 2] << 16) | (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

void WriteU32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<uint8_t>(value >> (8 * i));
}

TEST(ScrambledFormat, BytesFollowTheKeyAndPositionShift)
{
    // Two plain bytes whose scrambled forms are known: body[i] = p[i] - key[i] - i.
    const uint8_t key0 = static_cast<uint8_t>(kScrambleKey[0]);
    const uint8_t key1 = static_cast<uint8_t>(kScrambleKey[1]);
    std::string plain;
    plain.push_back(static_cast<char>(key0 + 5));
    plain.push_back(static_cast<char>(key1));  // minus key1 minus 1: 0xFF, -1 as a signed byte
    std::vector<uint8_t> file = Scramble(plain);
    ASSERT_EQ(file.size(), 24u);
    EXPECT_EQ(file[22], 5);
    EXPECT_EQ(file[23], 0xFF);
    // checksum = 5 * 0 + (-1) * 1, wrapped to 32 bits
    EXPECT_EQ(ReadU32(file, 18), 0xFFFFFFFFu);

    // The position enters modulo 256: byte 256 is shifted like byte 0 (apart from its key character).
    std::string longer(600, 'x');
    file = Scramble(longer);
    for (int i : {255, 256, 599}) {
        uint8_t expected = static_cast<uint8_t>('x' - static_cast<uint8_t>(kScrambleKey[i % 13]) - (i & 0xFF));
        EXPECT_EQ(file[22 + i], expected) << "byte " << i;
    }
}

TEST(ScrambledFormat, EveryByteValueAndTheEmptyTextSurviveTheRoundTrip)
{
    std::string plain;
    for (int round = 0; round < 3; ++round)
        for (int b = 0; b < 256; ++b)
            plain.push_back(static_cast<char>(b));
    EXPECT_EQ(Descramble(Scramble(plain)), plain);
    std::vector<uint8_t> empty = Scramble("");
    ASSERT_EQ(empty.size(), 22u) << "exactly the header";
    EXPECT_EQ(Descramble(empty), "");
}

TEST(ScrambledFormat, AppendsBehindWhatTheBufferHoldsAndRefusesBadArguments)
{
    ByteBuffer out;
    out.WriteBytes("head", 4);
    ASSERT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>("abc"), 3, &out));
    ASSERT_EQ(out.size, 4 + 22 + 3);
    EXPECT_EQ(Descramble(std::vector<uint8_t>(out.data + 4, out.data + out.size)), "abc");
    out.size = 0;
    EXPECT_FALSE(QVI_ScrambleData(nullptr, 3, &out));
    EXPECT_FALSE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>("a"), -1, &out));
    EXPECT_EQ(out.size, 0);
    EXPECT_TRUE(QVI_ScrambleData(nullptr, 0, &out)) << "an empty text needs no bytes";
}

TEST(ScrambledRecognition, ShortOrForeignDataIsPlain)
{
    std::vector<uint8_t> file = Scramble("some text");
    EXPECT_TRUE(QVI_IsScrambledData(file.data(), static_cast<int>(file.size())));
    EXPECT_FALSE(QVI_IsScrambledData(file.data(), 21)) << "shorter than a header";
    EXPECT_FALSE(QVI_IsScrambledData(nullptr, 100));
    std::vector<uint8_t> otherKey = file;
    otherKey[0] ^= 0x20;
    EXPECT_FALSE(QVI_IsScrambledData(otherKey.data(), static_cast<int>(otherKey.size())));
    EXPECT_EQ(QVI_DescrambleInPlace(otherKey.data(), static_cast<int>(otherKey.size())), -1);
}

TEST(ScrambledRefusal, AnyChangedBodyByteButTheFirstFailsTheChecksum)
{
    std::string plain = "<?xml version=\"1.0\"?>\n<root><array id=\"scores\"/></root>\n";
    std::vector<uint8_t> file = Scramble(plain);
    for (size_t i = 1; i < plain.size(); ++i) {
        std::vector<uint8_t> tampered = file;
        tampered[22 + i] ^= 0x01;
        EXPECT_EQ(Descramble(tampered), "<refused>") << "body byte " << i;
    }
    // The checksum weighs byte 0 by zero: the format cannot see that change.
    std::vector<uint8_t> firstChanged = file;
    firstChanged[22] ^= 0x01;
    EXPECT_NE(Descramble(firstChanged), "<refused>");

    std::vector<uint8_t> checksum = file;
    WriteU32(checksum, 18, ReadU32(checksum, 18) + 1);
    const std::vector<uint8_t> before = checksum;
    EXPECT_EQ(QVI_DescrambleInPlace(checksum.data(), static_cast<int>(checksum.size())), -1);
    EXPECT_EQ(checksum, before) << "refused data stay untouched";
}

TEST(ScrambledRefusal, LengthMustMatchExactlyAndHugeOnesDoNotWrapAround)
{
    std::vector<uint8_t> file = Scramble("abcd");
    // Lengths whose sum with the header overflows 32 bits, and the largest ones.
    for (uint32_t declared : {0xFFFFFFFFu, 0xFFFFFFEAu, 0x80000000u}) {
        std::vector<uint8_t> hostile = file;
        WriteU32(hostile, 14, declared);
        EXPECT_EQ(Descramble(hostile), "<refused>") << "declared length " << declared;
    }
    // A length one off either way.
    std::vector<uint8_t> longer = file;
    longer.push_back('x');
    EXPECT_EQ(Descramble(longer), "<refused>");
    EXPECT_EQ(Descramble(std::vector<uint8_t>(file.begin(), file.end() - 1)), "<refused>");
}

} // namespace
