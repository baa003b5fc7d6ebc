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

using Bytes = std::vector<uint8_t>;

Bytes Scramble(const std::string& plain) {
    ByteBuffer out;
    EXPECT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>(plain.data()), static_cast<int>(plain.size()), &out));
    return Bytes(out.data, out.data + out.size);
}

// Descrambles a copy; answers the plain text, or "<refused>".
std::string Descramble(Bytes file) {
    file.push_back(0xEE);  // a byte the reader would not own: must stay untouched
    int length = QVI_DescrambleInPlace(file.data(), static_cast<int>(file.size() - 1));
    EXPECT_EQ(file.back(), 0xEE) << "descrambling wrote past the data";
    if (length < 0)
        return "<refused>";
    EXPECT_EQ(file[length], 0) << "the plain text is zero-terminated";
    return std::string(reinterpret_cast<const char*>(file.data()), length);
}

// Header fields are little-endian, as is the machine the tests run on.
uint32_t ReadU32(const Bytes& bytes, size_t offset) {
    uint32_t value;
    memcpy(&value, &bytes[offset], 4);
    return value;
}

void WriteU32(Bytes& bytes, size_t offset, uint32_t value) { memcpy(&bytes[offset], &value, 4); }

TEST(ScrambledFormat, BytesFollowTheKeyAndPositionShift) {
    // body[i] = p[i] - key[i mod 13] - i: byte 1 becomes 0xFF, -1 as a signed byte.
    std::string plain = {static_cast<char>(kScrambleKey[0] + 5), kScrambleKey[1]};
    Bytes file = Scramble(plain);
    ASSERT_EQ(file.size(), 24u);
    EXPECT_EQ(file[22], 5);
    EXPECT_EQ(file[23], 0xFF);
    EXPECT_EQ(ReadU32(file, 18), 0xFFFFFFFFu) << "5 * 0 + (-1) * 1, wrapped to 32 bits";

    // The position enters modulo 256.
    file = Scramble(std::string(600, 'x'));
    for (int i : {255, 256, 599})
        EXPECT_EQ(file[22 + i], static_cast<uint8_t>('x' - kScrambleKey[i % 13] - (i & 0xFF))) << "byte " << i;
}

TEST(ScrambledFormat, EveryByteValueAndTheEmptyTextSurviveTheRoundTripAppendedToABuffer) {
    std::string plain;
    for (int b = 0; b < 3 * 256; ++b)
        plain.push_back(static_cast<char>(b));
    EXPECT_EQ(Descramble(Scramble(plain)), plain);
    Bytes empty = Scramble("");
    ASSERT_EQ(empty.size(), 22u) << "exactly the header";
    EXPECT_EQ(Descramble(empty), "");

    // Scrambling appends behind what the buffer holds, and refuses bad arguments.
    ByteBuffer out;
    out.WriteBytes("head", 4);
    ASSERT_TRUE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>("abc"), 3, &out));
    ASSERT_EQ(out.size, 4 + 22 + 3);
    EXPECT_EQ(Descramble(Bytes(out.data + 4, out.data + out.size)), "abc");
    out.size = 0;
    EXPECT_FALSE(QVI_ScrambleData(nullptr, 3, &out));
    EXPECT_FALSE(QVI_ScrambleData(reinterpret_cast<const uint8_t*>("a"), -1, &out));
    EXPECT_EQ(out.size, 0);
    EXPECT_TRUE(QVI_ScrambleData(nullptr, 0, &out)) << "an empty text needs no bytes";
}

TEST(ScrambledRefusal, ShortForeignOrWronglySizedDataIsRefusedAndHugeLengthsDoNotWrapAround) {
    Bytes file = Scramble("some text");
    EXPECT_TRUE(QVI_IsScrambledData(file.data(), static_cast<int>(file.size())));
    EXPECT_FALSE(QVI_IsScrambledData(file.data(), 21)) << "shorter than a header";
    EXPECT_FALSE(QVI_IsScrambledData(nullptr, 100));
    file[0] ^= 0x20;
    EXPECT_FALSE(QVI_IsScrambledData(file.data(), static_cast<int>(file.size())));
    EXPECT_EQ(Descramble(file), "<refused>");

    const Bytes abcd = Scramble("abcd");
    // Lengths whose sum with the header overflows 32 bits, and the largest ones.
    for (uint32_t declared : {0xFFFFFFFFu, 0xFFFFFFEAu, 0x80000000u}) {
        Bytes hostile = abcd;
        WriteU32(hostile, 14, declared);
        EXPECT_EQ(Descramble(hostile), "<refused>") << "declared length " << declared;
    }
    // A length one off either way.
    Bytes longer = abcd;
    longer.push_back('x');
    EXPECT_EQ(Descramble(longer), "<refused>");
    EXPECT_EQ(Descramble(Bytes(abcd.begin(), abcd.end() - 1)), "<refused>");
}

TEST(ScrambledRefusal, AnyChangedBodyByteButTheFirstFailsTheChecksum) {
    std::string plain = "<?xml version=\"1.0\"?>\n<root><array id=\"scores\"/></root>\n";
    const Bytes file = Scramble(plain);
    for (size_t i = 1; i < plain.size(); ++i) {
        Bytes tampered = file;
        tampered[22 + i] ^= 0x01;
        EXPECT_EQ(Descramble(tampered), "<refused>") << "body byte " << i;
    }
    // The checksum weighs byte 0 by zero: the format cannot see that change.
    Bytes firstChanged = file;
    firstChanged[22] ^= 0x01;
    EXPECT_NE(Descramble(firstChanged), "<refused>");

    Bytes checksum = file;
    WriteU32(checksum, 18, ReadU32(checksum, 18) + 1);
    const Bytes before = checksum;
    EXPECT_EQ(QVI_DescrambleInPlace(checksum.data(), static_cast<int>(checksum.size())), -1);
    EXPECT_EQ(checksum, before) << "refused data stay untouched";
}

} // namespace
