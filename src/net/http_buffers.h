#pragma once

#include <cstdint>

#include "quaven/types.h"

// The growable block a response is collected in: data always holds a zero byte after
// length bytes. It grows only as bytes arrive, and never past its limit, however much a
// server announces or sends.
class TextBuffer {
public:
    int length = 0;
    int capacity = 0;
    char* data = nullptr;

    explicit TextBuffer(int initialCapacity = 0);
    ~TextBuffer();
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Copies count bytes after the data. False, with the data unchanged, when the block
    // would pass limit bytes or cannot grow.
    bool Append(const void* bytes, int count, int limit);
    // Room for at least count more bytes (and the closing zero) without passing limit;
    // the free space starts at data + length. False when that cannot be had.
    bool Reserve(int count, int limit);
    // After count bytes were written into the free space by hand.
    void Commit(int count);
    void Clear();
    // Hands the data to a Buffer record (size = capacity = length, zero byte after), leaving
    // this buffer empty. The block is trimmed to what it holds.
    void MoveTo(Buffer* buffer);

private:
    bool GrowFor(int64_t needed, int limit);
};

// A copy of bytes (and a zero byte after them) in a Buffer record: size = capacity = count.
// False, with the record zeroed, when the copy cannot be allocated.
bool QVI_CopyIntoBuffer(Buffer* buffer, const void* bytes, int count);
