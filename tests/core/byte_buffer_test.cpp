#include "core/byte_buffer.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Contents(const ByteBuffer& buffer)
{
    return std::vector<uint8_t>(buffer.data, buffer.data + buffer.size);
}

TEST(ByteBufferConstruction, EmptyBufferOwnsNothing)
{
    ByteBuffer buffer;
    EXPECT_EQ(buffer.external, 0);
    EXPECT_EQ(buffer.swapEndian, 0);
    EXPECT_EQ(buffer.data, nullptr);
    EXPECT_EQ(buffer.size, 0);
    EXPECT_EQ(buffer.capacity, 0);
    EXPECT_EQ(buffer.readPos, 0);
}

TEST(ByteBufferConstruction, SizedBufferReservesTwiceTheRequest)
{
    ByteBuffer sized(16);
    EXPECT_NE(sized.data, nullptr);
    EXPECT_EQ(sized.capacity, 32);
    EXPECT_EQ(sized.size, 0);

    ByteBuffer zero(0);
    EXPECT_EQ(zero.data, nullptr);
    EXPECT_EQ(zero.capacity, 0);

    ByteBuffer negative(-5);
    EXPECT_EQ(negative.data, nullptr);
    EXPECT_EQ(negative.capacity, 0);

    // Twice this does not fit in 32 bits: the buffer stays empty instead of wrapping.
    ByteBuffer huge(INT_MAX);
    EXPECT_EQ(huge.data, nullptr);
    EXPECT_EQ(huge.capacity, 0);
}

TEST(ByteBufferWrite, GrowsToTwiceTheNeededSize)
{
    ByteBuffer buffer(0);
    const uint8_t five[5] = {1, 2, 3, 4, 5};
    buffer.WriteBytes(five, 5);
    EXPECT_EQ(buffer.capacity, 10);
    EXPECT_EQ(buffer.size, 5);

    // Fits: no growth.
    buffer.WriteBytes(five, 5);
    EXPECT_EQ(buffer.capacity, 10);

    buffer.WriteByte(6);
    EXPECT_EQ(buffer.capacity, 22);
    EXPECT_EQ(buffer.size, 11);
    EXPECT_EQ(Contents(buffer), (std::vector<uint8_t>{1, 2, 3, 4, 5, 1, 2, 3, 4, 5, 6}));
}

TEST(ByteBufferWrite, U32ByteOrderFollowsSwapFlag)
{
    ByteBuffer little;
    little.WriteU32(1);
    little.WriteU32(0xA1B2C3D4u);
    EXPECT_EQ(Contents(little), (std::vector<uint8_t>{1, 0, 0, 0, 0xD4, 0xC3, 0xB2, 0xA1}));

    ByteBuffer swapped;
    swapped.swapEndian = 1;
    swapped.WriteU32(1);
    swapped.WriteU32(0xA1B2C3D4u);
    EXPECT_EQ(Contents(swapped), (std::vector<uint8_t>{0, 0, 0, 1, 0xA1, 0xB2, 0xC3, 0xD4}));
}

TEST(ByteBufferWrite, StringsCarryTheirTerminator)
{
    ByteBuffer buffer;
    buffer.WriteString("ab");
    buffer.WriteString(nullptr);
    buffer.WriteString("");
    EXPECT_EQ(Contents(buffer), (std::vector<uint8_t>{'a', 'b', 0, 0, 0}));
}

TEST(ByteBufferWrite, NothingForEmptyOrInvalidByteRuns)
{
    ByteBuffer buffer;
    const uint8_t byte = 7;
    buffer.WriteBytes(&byte, 0);
    buffer.WriteBytes(&byte, -3);
    buffer.WriteBytes(nullptr, 4);
    EXPECT_EQ(buffer.size, 0);
    EXPECT_EQ(buffer.data, nullptr);
}

TEST(ByteBufferWrite, SizeOverflowIsRefused)
{
    ByteBuffer buffer;
    const uint8_t small[4] = {1, 2, 3, 4};
    buffer.WriteBytes(small, 4);
    // size + n would wrap past INT_MAX; the write must be refused before any copy.
    buffer.WriteBytes(small, INT_MAX);
    EXPECT_EQ(buffer.size, 4);
    EXPECT_EQ(Contents(buffer), (std::vector<uint8_t>{1, 2, 3, 4}));
}

TEST(ByteBufferExternal, WritesThatDoNotFitAreRefusedWhole)
{
    // Heap storage, so that a buffer wrongly growing it through realloc would move it.
    uint8_t* storage = static_cast<uint8_t*>(malloc(16));
    ASSERT_NE(storage, nullptr);
    memset(storage, 0xEE, 16);   // bytes 8 to 15 guard the end
    ByteBuffer buffer;
    ASSERT_TRUE(buffer.AttachExternalStorage(storage, 8, 0));
    EXPECT_EQ(buffer.external, 1);

    const uint8_t six[6] = {1, 2, 3, 4, 5, 6};
    buffer.WriteBytes(six, 6);
    EXPECT_EQ(buffer.size, 6);

    buffer.WriteU32(0x01020304u);     // needs 4, only 2 left
    EXPECT_EQ(buffer.size, 6);
    buffer.WriteString("abc");        // needs 4
    EXPECT_EQ(buffer.size, 6);

    buffer.WriteByte(7);
    buffer.WriteByte(8);
    EXPECT_EQ(buffer.size, 8);
    buffer.WriteByte(9);
    EXPECT_EQ(buffer.size, 8);
    EXPECT_EQ(buffer.capacity, 8);
    EXPECT_EQ(buffer.data, storage);

    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(storage[i], i + 1);
    for (int i = 8; i < 16; ++i)
        EXPECT_EQ(storage[i], 0xEE) << "guard byte " << i;
    free(storage);
}

TEST(ByteBufferExternal, AttachRefusesInvalidStorage)
{
    uint8_t storage[4];
    ByteBuffer buffer;
    EXPECT_FALSE(buffer.AttachExternalStorage(nullptr, 4, 0));
    EXPECT_FALSE(buffer.AttachExternalStorage(storage, -1, 0));
    EXPECT_FALSE(buffer.AttachExternalStorage(storage, 4, 5));
    EXPECT_FALSE(buffer.AttachExternalStorage(storage, 4, -1));
    EXPECT_EQ(buffer.external, 0);
    EXPECT_EQ(buffer.data, nullptr);
}

TEST(ByteBufferExternal, AttachedContentIsReadableAndOwnedStorageIsReleased)
{
    char storage[] = {'h', 'i', 0, 'x', 0};
    ByteBuffer buffer(64);   // owned block, released by the attach
    ASSERT_TRUE(buffer.AttachExternalStorage(storage, sizeof(storage), sizeof(storage)));
    EXPECT_STREQ(buffer.ReadString().text, "hi");
    EXPECT_STREQ(buffer.ReadString().text, "x");
    EXPECT_EQ(buffer.ReadString().text, nullptr);
}

TEST(ByteBufferCopy, ExternalCopySharesStorageAndFreesNothing)
{
    uint8_t storage[8] = {};
    ByteBuffer original;
    ASSERT_TRUE(original.AttachExternalStorage(storage, 8, 0));
    original.WriteByte(42);
    {
        // Stack storage: freeing it on destruction would corrupt the heap.
        ByteBuffer copy(original);
        EXPECT_EQ(copy.external, 1);
        EXPECT_EQ(copy.data, storage);
        EXPECT_EQ(copy.capacity, 8);
        EXPECT_EQ(copy.size, 1);
    }
    original.WriteByte(43);
    EXPECT_EQ(storage[1], 43);
}

TEST(ByteBufferCopy, OwnedCopyHoldsAnIndependentExactBlock)
{
    ByteBuffer original(100);
    original.swapEndian = 1;
    original.WriteString("abc");
    original.readPos = 2;

    ByteBuffer copy(original);
    ASSERT_NE(copy.data, nullptr);
    EXPECT_NE(copy.data, original.data);
    EXPECT_EQ(copy.external, 0);
    EXPECT_EQ(copy.swapEndian, 1);
    EXPECT_EQ(copy.size, 4);
    EXPECT_EQ(copy.capacity, 4);
    EXPECT_EQ(copy.readPos, 2);
    EXPECT_EQ(Contents(copy), Contents(original));

    copy.data[0] = 'z';
    EXPECT_EQ(original.data[0], 'a');

    // The copy grows on its own from its exact-size block.
    copy.WriteByte(1);
    EXPECT_EQ(copy.capacity, 10);
}

TEST(ByteBufferCopy, CopyOfEmptyOwnedBufferHasNoBlock)
{
    ByteBuffer original(8);
    ByteBuffer copy(original);
    EXPECT_EQ(copy.data, nullptr);
    EXPECT_EQ(copy.capacity, 0);
}

TEST(ByteBufferReadString, ReadsSuccessiveStringsThenNull)
{
    ByteBuffer buffer;
    const uint8_t bytes[] = {'a', 'b', 0, 'c', 0};
    buffer.WriteBytes(bytes, sizeof(bytes));
    EXPECT_STREQ(buffer.ReadString().text, "ab");
    EXPECT_EQ(buffer.readPos, 3);
    EXPECT_STREQ(buffer.ReadString().text, "c");
    EXPECT_EQ(buffer.readPos, 5);
    EXPECT_EQ(buffer.ReadString().text, nullptr);
    EXPECT_EQ(buffer.readPos, 5);
}

TEST(ByteBufferReadString, LoneZeroGivesAllocatedEmptyText)
{
    ByteBuffer buffer;
    buffer.WriteByte(0);
    String empty = buffer.ReadString();
    ASSERT_NE(empty.text, nullptr);
    EXPECT_STREQ(empty.text, "");
    EXPECT_EQ(buffer.readPos, 1);
}

TEST(ByteBufferReadString, UnterminatedTailStopsAtSize)
{
    ByteBuffer buffer;
    buffer.WriteBytes("tail", 4);
    EXPECT_STREQ(buffer.ReadString().text, "tail");
    EXPECT_EQ(buffer.readPos, 4);
    EXPECT_EQ(buffer.ReadString().text, nullptr);
}

TEST(ByteBufferReadString, LongStringIsCutAt2047AndTheCutByteSkipped)
{
    ByteBuffer buffer;
    std::string longText(3000, 'x');
    longText[2047] = 'S';   // the byte at which the cut happens
    buffer.WriteString(longText.c_str());
    buffer.WriteString("next");

    String first = buffer.ReadString();
    EXPECT_EQ(std::string(first.text), std::string(2047, 'x'));
    EXPECT_EQ(buffer.readPos, 2048);

    String rest = buffer.ReadString();
    EXPECT_EQ(std::string(rest.text), std::string(3000 - 2048, 'x'));
    EXPECT_STREQ(buffer.ReadString().text, "next");
}

TEST(ByteBufferReadString, ExactlyMaximumLengthLosesNothing)
{
    ByteBuffer buffer;
    std::string text(2047, 'y');
    buffer.WriteString(text.c_str());
    buffer.WriteString("z");
    EXPECT_EQ(std::string(buffer.ReadString().text), text);
    EXPECT_STREQ(buffer.ReadString().text, "z");
}

} // namespace
