#include "core/byte_buffer.h"

#include <climits>
#include <cstdlib>
#include <cstring>

namespace {

// ReadString copies at most this many characters plus the terminator.
const int kReadStringBytes = 2048;

} // namespace

ByteBuffer::ByteBuffer()
    : external(0), swapEndian(0), data(nullptr), size(0), capacity(0), readPos(0)
{
}

ByteBuffer::ByteBuffer(int n) : ByteBuffer()
{
    if (n < 1 || n > INT_MAX / 2)
        return;
    data = static_cast<uint8_t*>(malloc(static_cast<size_t>(n) * 2));
    if (data)
        capacity = n * 2;
}

ByteBuffer::ByteBuffer(const ByteBuffer& other)
    : external(other.external), swapEndian(other.swapEndian), data(nullptr), size(other.size),
      capacity(0), readPos(other.readPos)
{
    if (external) {
        data = other.data;
        capacity = other.capacity;
        return;
    }
    if (other.size <= 0 || !other.data)
        return;
    data = static_cast<uint8_t*>(malloc(static_cast<size_t>(other.size)));
    if (!data) {
        // An empty copy is consistent; a size without storage would not be.
        size = 0;
        readPos = 0;
        return;
    }
    memcpy(data, other.data, static_cast<size_t>(other.size));
    capacity = other.size;
}

ByteBuffer::~ByteBuffer()
{
    if (!external)
        free(data);
    data = nullptr;
}

bool ByteBuffer::AttachExternalStorage(void* storage, int storageCapacity, int validSize)
{
    if (!storage || storageCapacity < 0 || validSize < 0 || validSize > storageCapacity)
        return false;
    if (!external)
        free(data);
    external = 1;
    data = static_cast<uint8_t*>(storage);
    capacity = storageCapacity;
    size = validSize;
    readPos = 0;
    return true;
}

bool ByteBuffer::Reserve(int n)
{
    if (n > capacity - size) {
        // External storage is someone else's memory: never grow it or write past it.
        if (external)
            return false;
        long long needed = static_cast<long long>(size) + n;
        if (needed > INT_MAX)
            return false;
        long long grown = needed * 2;
        if (grown > INT_MAX)
            grown = INT_MAX;
        void* block = realloc(data, static_cast<size_t>(grown));
        if (!block)
            return false;
        data = static_cast<uint8_t*>(block);
        capacity = static_cast<int32_t>(grown);
    }
    return true;
}

void ByteBuffer::WriteBytes(const void* bytes, int n)
{
    if (n <= 0 || !bytes)
        return;
    if (!Reserve(n))
        return;
    memcpy(data + size, bytes, static_cast<size_t>(n));
    size += n;
}

void ByteBuffer::WriteU32(uint32_t value)
{
    uint8_t bytes[4];
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<uint8_t>(value >> (8 * i));
    if (swapEndian) {
        uint8_t swapped[4] = {bytes[3], bytes[2], bytes[1], bytes[0]};
        memcpy(bytes, swapped, sizeof(bytes));
    }
    WriteBytes(bytes, 4);
}

void ByteBuffer::WriteString(const char* text)
{
    if (!text) {
        WriteByte(0);
        return;
    }
    size_t length = strlen(text);
    if (length >= INT_MAX)
        return;
    WriteBytes(text, static_cast<int>(length) + 1);
}

void ByteBuffer::WriteByte(uint8_t value)
{
    WriteBytes(&value, 1);
}

String ByteBuffer::ReadString()
{
    if (readPos < 0 || readPos >= size || !data)
        return String();

    char scratch[kReadStringBytes];
    int copied = 0;
    while (readPos < size && copied < kReadStringBytes - 1) {
        char c = static_cast<char>(data[readPos]);
        if (c == '\0')
            break;
        scratch[copied++] = c;
        ++readPos;
    }
    scratch[copied] = '\0';

    // Step over the terminator; after a cut at 2047 characters this skips the
    // byte at which the cut happened.
    if (readPos < size)
        ++readPos;
    return String(scratch);
}
