#include "core/byte_buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Contents(const ByteBuffer& buffer) {
    return std::vector<uint8_t>(buffer.data, buffer.data + buffer.size);
}

TEST(ByteBuffer, OwnedStorageGrowsToTwiceTheNeedU32FollowsTheSwapFlagAndBadRunsAreRefused) {
    ByteBuffer sized(16);
    EXPECT_EQ(sized.capacity, 32);
    EXPECT_EQ(sized.size, 0);
    ByteBuffer one(1);
    EXPECT_EQ(one.capacity, 2);
    ByteBuffer negative(-5);
    EXPECT_EQ(negative.data, nullptr);
    // Twice this does not fit in 32 bits: the buffer stays empty instead of wrapping.
    ByteBuffer huge(INT_MAX);
    EXPECT_EQ(huge.data, nullptr);
    EXPECT_EQ(huge.capacity, 0);

    ByteBuffer buffer(0);
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    buffer.WriteBytes(five, 5);
    EXPECT_EQ(buffer.capacity, 10);
    buffer.WriteBytes(five, 5);
    EXPECT_EQ(buffer.capacity, 10);
    buffer.WriteByte(6);
    EXPECT_EQ(buffer.capacity, 22);
    EXPECT_EQ(Contents(buffer), (std::vector<uint8_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 6}));

    ByteBuffer little;
    little.WriteU32(0xA1B2C3D4u);
    little.WriteString("ab");
    little.WriteString(nullptr);
    EXPECT_EQ(Contents(little), (std::vector<uint8_t>{0xD4, 0xC3, 0xB2, 0xA1, 'a', 'b', 0, 0}));

    ByteBuffer swapped;
    swapped.swapEndian = 1;
    swapped.WriteU32(0xA1B2C3D4u);
    EXPECT_EQ(Contents(swapped), (std::vector<uint8_t>{0xA1, 0xB2, 0xC3, 0xD4}));

    ByteBuffer refusing;
    const uint8_t small[4] = {1, 2, 3, 4};
    refusing.WriteBytes(small, -3);
    refusing.WriteBytes(nullptr, 4);
    EXPECT_EQ(refusing.data, nullptr);
    refusing.WriteBytes(small, 4);
    // size + n would wrap past INT_MAX; the write must be refused before any copy.
    refusing.WriteBytes(small, INT_MAX);
    EXPECT_EQ(Contents(refusing), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(ByteBuffer, ExternalStorageIsNeverGrownOrFreedAndStringsAreReadUpTo2047Characters) {
    // Heap storage, so that a buffer wrongly growing it through realloc would move it.
    uint8_t* storage = static_cast<uint8_t*>(malloc(16));
    ASSERT_NE(storage, nullptr);
    memset(storage, 0xEE, 16);   // bytes 8 to 15 guard the end
    ByteBuffer buffer;
    EXPECT_FALSE(buffer.AttachExternalStorage(nullptr, 8, 0));
    EXPECT_FALSE(buffer.AttachExternalStorage(storage, -1, 0));
    EXPECT_FALSE(buffer.AttachExternalStorage(storage, 8, 9));
    EXPECT_EQ(buffer.external, 0);
    ASSERT_TRUE(buffer.AttachExternalStorage(storage, 8, 0));

    const uint8_t six[6] = {1, 2, 3, 4, 5, 6};
    buffer.WriteBytes(six, 6);
    buffer.WriteU32(0x01020304u);     // needs 4, only 2 left
    buffer.WriteString("abc");        // needs 4
    EXPECT_EQ(buffer.size, 6);
    for (uint8_t byte : {7, 8, 9})
        buffer.WriteByte(byte);
    EXPECT_EQ(buffer.size, 8);
    EXPECT_EQ(buffer.data, storage);
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(storage[i], i + 1);
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(storage[i], 0xEE) << "guard byte " << i;

    ByteBuffer full;
    ASSERT_TRUE(full.AttachExternalStorage(storage, 8, 8));   // every byte already valid
    full.WriteByte(10);
    EXPECT_EQ(full.size, 8);
    EXPECT_EQ(storage[8], 0xEE);
    free(storage);

    uint8_t stack[8] = {};
    ByteBuffer original;
    ASSERT_TRUE(original.AttachExternalStorage(stack, 8, 0));
    original.WriteByte(42);
    {
        // Stack storage: freeing it on destruction would corrupt the heap.
        ByteBuffer copy(original);
        EXPECT_EQ(copy.data, stack);
        EXPECT_EQ(copy.size, 1);
    }
    original.WriteByte(43);
    EXPECT_EQ(stack[1], 43);

    ByteBuffer reading;
    const uint8_t bytes[] = {'a', 'b', 0, 0, 't', 'a', 'i', 'l'};
    reading.WriteBytes(bytes, sizeof(bytes));
    EXPECT_STREQ(reading.ReadString().text, "ab");
    EXPECT_STREQ(reading.ReadString().text, "");
    EXPECT_STREQ(reading.ReadString().text, "tail");
    EXPECT_EQ(reading.readPos, 8);
    EXPECT_EQ(reading.ReadString().text, nullptr);
    EXPECT_EQ(reading.readPos, 8);

    ByteBuffer strings;
    std::string longText(3000, 'x');
    longText[2047] = 'S';   // the byte at which the cut happens
    strings.WriteString(longText.c_str());
    strings.WriteString(std::string(2047, 'y').c_str());

    EXPECT_EQ(std::string(strings.ReadString().text), std::string(2047, 'x'));
    EXPECT_EQ(strings.readPos, 2048);
    EXPECT_EQ(std::string(strings.ReadString().text), std::string(3000 - 2048, 'x'));
    EXPECT_EQ(std::string(strings.ReadString().text), std::string(2047, 'y')) << "exactly the maximum loses nothing";
}

} // namespace
