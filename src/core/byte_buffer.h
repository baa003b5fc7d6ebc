#pragma once

#include "core/engine_string.h"

#include <cstddef>
#include <cstdint>

// A binary stream: writes append at size, reads consume from readPos.
// Owned storage comes from malloc/realloc and grows on demand. External storage
// belongs to someone else: it is never grown or freed, copies share it, and a write
// that does not fit is refused whole.
class ByteBuffer {
public:
    uint8_t external;
    uint8_t swapEndian;   // WriteU32 stores values byte-reversed
    uint8_t* data;
    int32_t size;         // bytes written so far, the write position
    int32_t capacity;     // bytes of storage
    int32_t readPos;      // 0 to size

    ByteBuffer();
    // Reserves 2n bytes up front when n >= 1 (stays empty when that fails).
    explicit ByteBuffer(int n);
    // An external buffer shares the other's storage; an owned one gets its own block
    // of exactly the other's size.
    ByteBuffer(const ByteBuffer& other);
    ~ByteBuffer();

    // Assignment would have to choose between sharing and copying storage; nothing
    // needs it, so it is not offered.
    ByteBuffer& operator=(const ByteBuffer&) = delete;

    // Turns this buffer into a view of caller storage of capacity bytes whose first
    // size bytes are already valid (readable). Owned storage held so far is freed.
    // Refused (false, buffer unchanged) for null storage or sizes out of range.
    bool AttachExternalStorage(void* storage, int capacity, int size);

    void WriteU32(uint32_t value);
    // Nothing for n <= 0 or null bytes.
    void WriteBytes(const void* bytes, int n);
    // With the terminating zero byte; a null text writes a single zero byte.
    void WriteString(const char* text);
    void WriteByte(uint8_t value);

    // The next zero-terminated string, cut at 2047 characters; null String at the end.
    String ReadString();

private:
    // Makes room for n more bytes; false leaves the buffer untouched.
    bool Reserve(int n);
};

static_assert(offsetof(ByteBuffer, external) == 0, "ByteBuffer layout");
static_assert(offsetof(ByteBuffer, swapEndian) == 1, "ByteBuffer layout");
static_assert(offsetof(ByteBuffer, data) == sizeof(void*), "ByteBuffer layout");
static_assert(offsetof(ByteBuffer, size) == 2 * sizeof(void*), "ByteBuffer layout");
static_assert(offsetof(ByteBuffer, capacity) == 2 * sizeof(void*) + 4, "ByteBuffer layout");
static_assert(offsetof(ByteBuffer, readPos) == 2 * sizeof(void*) + 8, "ByteBuffer layout");
