#include "data/datamanager/data_store.h"

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {

// Chunks grow from small (a settings file needs a few kilobytes) to large (a database of
// many megabytes needs few chunks).
const size_t kFirstChunkBytes = 4096;
const size_t kLargestChunkBytes = 1024 * 1024;
// Larger blocks (long texts) get a heap block of their own rather than leaving the rest
// of a chunk unused.
const size_t kLargestCarvedBlock = 16384;

// While the store still carves from a chunk it holds it with this many counts, far more
// than a chunk can hold blocks, so that blocks freed during loading never end it early.
const int32_t kStoreHold = 1 << 30;

const size_t kAlignment = sizeof(void*);

size_t RoundUp(size_t bytes)
{
    return (bytes + kAlignment - 1) & ~(kAlignment - 1);
}

} // namespace

// The head of a chunk: how many of its blocks are alive (plus the store's hold while it
// still carves from it). Its blocks follow.
struct DataStore::Chunk {
    explicit Chunk(int32_t count) : live(count) {}
    std::atomic<int32_t> live;
};

DataStore::~DataStore()
{
    Retire();
}

void DataStore::Retire()
{
    if (!chunk_)
        return;
    // The hold becomes the count of blocks carved, less those already freed.
    const int32_t before = chunk_->live.fetch_add(allocated_ - kStoreHold);
    if (before == kStoreHold - allocated_) {
        chunk_->~Chunk();
        free(chunk_);
    }
    chunk_ = nullptr;
    cursor_ = end_ = nullptr;
    allocated_ = 0;
}

void* DataStore::Allocate(size_t bytes)
{
    const size_t needed = RoundUp(bytes) + sizeof(Chunk*);
    if (needed > kLargestCarvedBlock)
        return Allocate(nullptr, bytes);
    if (static_cast<size_t>(end_ - cursor_) < needed) {
        Retire();
        if (nextChunkBytes_ == 0)
            nextChunkBytes_ = kFirstChunkBytes;
        // The block must fit even while the chunks are still small.
        const size_t leastBytes = RoundUp(sizeof(Chunk)) + needed;
        const size_t chunkBytes = nextChunkBytes_ > leastBytes ? nextChunkBytes_ : leastBytes;
        char* memory = static_cast<char*>(malloc(chunkBytes));
        if (!memory)
            return nullptr;
        chunk_ = new (memory) Chunk(kStoreHold);
        cursor_ = memory + RoundUp(sizeof(Chunk));
        end_ = memory + chunkBytes;
        if (nextChunkBytes_ < kLargestChunkBytes)
            nextChunkBytes_ *= 2;
    }
    char* block = cursor_ + sizeof(Chunk*);
    memcpy(cursor_, &chunk_, sizeof(Chunk*));
    cursor_ += needed;
    ++allocated_;
    return block;
}

namespace {

// Copies text with its zero byte to out, stopping at limit; the end of the copy, or null
// when it did not fit.
char* CopyUpTo(char* out, const char* limit, const char* text)
{
    while (out < limit) {
        if ((*out++ = *text++) == 0)
            return out;
    }
    return nullptr;
}

} // namespace

char* DataStore::CarveTexts(const char* first, const char* second, char** secondCopy)
{
    // Most texts are short: measuring them first would walk each twice.
    if (static_cast<size_t>(end_ - cursor_) <= sizeof(Chunk*))
        return nullptr;
    char* block = cursor_ + sizeof(Chunk*);
    char* copyOfSecond = nullptr;
    char* out = CopyUpTo(block, end_, first);
    if (out && second) {
        copyOfSecond = out;
        out = CopyUpTo(out, end_, second);
    }
    const size_t needed = out ? RoundUp(static_cast<size_t>(out - block)) + sizeof(Chunk*) : 0;
    if (!out || needed > kLargestCarvedBlock || needed > static_cast<size_t>(end_ - cursor_))
        return nullptr;
    memcpy(cursor_, &chunk_, sizeof(Chunk*));
    cursor_ += needed;
    ++allocated_;
    *secondCopy = copyOfSecond;
    return block;
}

char* DataStore::CopyTexts(DataStore* store, const char* first, const char* second, char** secondCopy)
{
    if (store)
        if (char* block = store->CarveTexts(first, second, secondCopy))
            return block;
    const size_t firstBytes = strlen(first) + 1;
    const size_t secondBytes = second ? strlen(second) + 1 : 0;
    char* block = static_cast<char*>(Allocate(store, firstBytes + secondBytes));
    *secondCopy = nullptr;
    if (!block)
        return nullptr;
    memcpy(block, first, firstBytes);
    if (second) {
        *secondCopy = block + firstBytes;
        memcpy(*secondCopy, second, secondBytes);
    }
    return block;
}

void* DataStore::Allocate(DataStore* store, size_t bytes)
{
    if (store)
        return store->Allocate(bytes);
    char* memory = static_cast<char*>(malloc(sizeof(Chunk*) + bytes));
    if (!memory)
        return nullptr;
    const Chunk* none = nullptr;
    memcpy(memory, &none, sizeof(Chunk*));
    return memory + sizeof(Chunk*);
}

void DataStore::Free(void* block)
{
    if (!block)
        return;
    char* prefix = static_cast<char*>(block) - sizeof(Chunk*);
    Chunk* chunk = nullptr;
    memcpy(&chunk, prefix, sizeof(Chunk*));
    if (!chunk) {
        free(prefix);
        return;
    }
    if (chunk->live.fetch_sub(1) == 1) {
        chunk->~Chunk();
        free(chunk);
    }
}

char* QVI_CopyDataText(const char* text, DataStore* store)
{
    if (!text)
        return nullptr;
    char* none = nullptr;
    return DataStore::CopyTexts(store, text, nullptr, &none);
}
