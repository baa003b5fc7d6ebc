#pragma once

#include <cstddef>
#include <cstdint>

class ByteBuffer;

// Scrambled data files: a light obfuscation that keeps players from editing data
// files (the local leaderboards) with a text editor. It is not encryption.
//
// Layout, integers 32-bit little-endian:
//   0  14 bytes  the 13-character key and a zero byte (the file's magic)
//  14   4 bytes  bodyLength
//  18   4 bytes  checksum over the scrambled body
//  22  bodyLength bytes of scrambled body
// Body byte i is the plain byte minus key[i mod 13] minus i, all modulo 256; the
// checksum is the sum of (body byte i as a signed byte) * i with 32-bit wrap-around.

#pragma pack(push, 1)
struct ScrambledFileHeader {
    char magic[14];
    uint32_t bodyLength;
    uint32_t checksum;
};
#pragma pack(pop)

static_assert(sizeof(ScrambledFileHeader) == 22, "scrambled file header is 22 bytes");
static_assert(offsetof(ScrambledFileHeader, bodyLength) == 14, "bodyLength at 14");
static_assert(offsetof(ScrambledFileHeader, checksum) == 18, "checksum at 18");

const int kScrambledHeaderSize = 22;

// The built-in key: 13 characters of capitals, digits and '_'.
extern const char kScrambleKey[14];

// True when length is at least 22 and the data begin with the key and its zero byte.
// Anything else is plain data and is used as it is.
bool QVI_IsScrambledData(const uint8_t* data, int length);

// Appends the header and the scrambled form of plain (length bytes, 22 more in all)
// to out. False, with out unchanged, for a negative length, a null text with a
// positive length, or a result that would not fit into a 32-bit signed size.
bool QVI_ScrambleData(const uint8_t* plain, int length, ByteBuffer* out);

// Descrambles a scrambled file held in data (length bytes) in place: the plain text
// is moved to the start and followed by a zero byte (which fits, the header being
// longer than one byte). Answers the plain length, or -1 when the data are refused:
// no scrambled header, a length that differs from bodyLength + 22, or a checksum
// that does not match. Refused data are left untouched.
int QVI_DescrambleInPlace(uint8_t* data, int length);
