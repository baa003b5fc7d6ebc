#pragma once

#include <cstddef>

// Memory for the records of DataManager databases (nodes, their parameter lists and
// texts). A loaded database holds hundreds of thousands of small records, and one heap
// allocation each would cost more than reading the file; a loader carves them out of
// large chunks instead.
//
// Every block, wherever it came from, is freed alone with DataStore::Free: just before
// it lies the chunk it was carved from, or null for a block of its own on the heap. A
// chunk counts the blocks in it and is given back to the heap with the last of them, so
// a record lives exactly as long as before, whichever database, thread or owner ends it.
// Blocks are aligned for pointers and 32-bit integers.
class DataStore {
public:
    DataStore() = default;
    // Gives up the store's hold on its chunks: they live on while blocks in them do.
    ~DataStore();
    DataStore(const DataStore&) = delete;
    DataStore& operator=(const DataStore&) = delete;

    // A block of at least bytes from the store's chunks (a large one gets a heap block
    // of its own). Null when memory ran out.
    void* Allocate(size_t bytes);

    // From store, or from the heap when store is null.
    static void* Allocate(DataStore* store, size_t bytes);
    // One block of store (of the heap for a null store) holding first and its zero byte,
    // then second and its zero byte (second may be null: first alone); *secondCopy is set
    // to the copy of second (null for null). Null when memory ran out.
    static char* CopyTexts(DataStore* store, const char* first, const char* second, char** secondCopy);
    // Any block Allocate gave, or null.
    static void Free(void* block);

private:
    struct Chunk;

    void Retire();
    // CopyTexts in one pass straight into the current chunk; null when they do not fit there.
    char* CarveTexts(const char* first, const char* second, char** secondCopy);

    Chunk* chunk_ = nullptr;
    char* cursor_ = nullptr;
    char* end_ = nullptr;
    int allocated_ = 0;       // blocks carved from chunk_ so far
    size_t nextChunkBytes_ = 0;
};

// A zero-terminated copy of text in a block of store (of the heap for a null store),
// freed with DataStore::Free; null for null.
char* QVI_CopyDataText(const char* text, DataStore* store);
