#include "data/scrambled/scrambled_data.h"

#include "core/byte_buffer.h"

#include <cstring>

// Any fixed text of this form works: only files written by this engine are read back.
const char kScrambleKey[14] = "QUAVEN_DAT_91";

namespace {

const int kKeyLength = 13;

static_assert(sizeof(kScrambleKey) == kKeyLength + 1, "the key is 13 characters and a zero byte");

uint32_t ReadU32LittleEndian(const uint8_t* bytes)
{
    return static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
           (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
}

void WriteU32LittleEndian(uint8_t* bytes, uint32_t value)
{
    bytes[0] = static_cast<uint8_t>(value);
    bytes[1] = static_cast<uint8_t>(value >> 8);
    bytes[2] = static_cast<uint8_t>(value >> 16);
    bytes[3] = static_cast<uint8_t>(value >> 24);
}

uint8_t KeyByte(uint32_t index)
{
    return static_cast<uint8_t>(kScrambleKey[index % kKeyLength]);
}

// The checksum weighs each scrambled byte, read as signed, by its index. Unsigned
// arithmetic gives the 32-bit wrap-around without overflow.
uint32_t ChecksumTerm(uint8_t scrambled, uint32_t index)
{
    int32_t signedByte = static_cast<int8_t>(scrambled);
    return static_cast<uint32_t>(signedByte) * index;
}

} // namespace

bool QVI_IsScrambledData(const uint8_t* data, int length)
{
    if (!data || length < kScrambledHeaderSize)
        return false;
    return memcmp(data, kScrambleKey, sizeof(kScrambleKey)) == 0;
}

bool QVI_ScrambleData(const uint8_t* plain, int length, ByteBuffer* out)
{
    if (!out || length < 0 || (length > 0 && !plain))
        return false;
    // The whole file must stay addressable with a signed 32-bit size, also behind
    // whatever the buffer already holds.
    int64_t total = static_cast<int64_t>(out->size) + kScrambledHeaderSize + length;
    if (total > INT32_MAX)
        return false;

    uint8_t header[kScrambledHeaderSize];
    memcpy(header, kScrambleKey, sizeof(kScrambleKey));
    WriteU32LittleEndian(header + 14, static_cast<uint32_t>(length));

    int32_t sizeBefore = out->size;
    out->WriteBytes(header, kScrambledHeaderSize);
    if (length > 0)
        out->WriteBytes(plain, length);
    if (static_cast<int64_t>(out->size) != static_cast<int64_t>(sizeBefore) + kScrambledHeaderSize + length) {
        // Out of memory part way: take back what was appended.
        out->size = sizeBefore;
        return false;
    }

    uint8_t* body = out->data + sizeBefore + kScrambledHeaderSize;
    uint32_t checksum = 0;
    for (uint32_t i = 0; i < static_cast<uint32_t>(length); ++i) {
        uint8_t scrambled = static_cast<uint8_t>(body[i] - KeyByte(i) - static_cast<uint8_t>(i));
        body[i] = scrambled;
        checksum += ChecksumTerm(scrambled, i);
    }
    WriteU32LittleEndian(out->data + sizeBefore + 18, checksum);
    return true;
}

int QVI_DescrambleInPlace(uint8_t* data, int length)
{
    if (!QVI_IsScrambledData(data, length))
        return -1;
    uint32_t bodyLength = ReadU32LittleEndian(data + 14);
    uint32_t storedChecksum = ReadU32LittleEndian(data + 18);
    // A hostile bodyLength near 4 GB must not wrap around into a match.
    if (static_cast<int64_t>(bodyLength) + kScrambledHeaderSize != static_cast<int64_t>(length))
        return -1;

    const uint8_t* body = data + kScrambledHeaderSize;
    uint32_t checksum = 0;
    for (uint32_t i = 0; i < bodyLength; ++i)
        checksum += ChecksumTerm(body[i], i);
    if (checksum != storedChecksum)
        return -1;

    // Writing byte i never overtakes reading byte i + 22, so one forward pass works.
    for (uint32_t i = 0; i < bodyLength; ++i)
        data[i] = static_cast<uint8_t>(body[i] + KeyByte(i) + static_cast<uint8_t>(i));
    data[bodyLength] = 0;
    return static_cast<int>(bodyLength);
}
