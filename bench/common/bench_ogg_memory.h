// An Ogg file already in memory as vorbisfile's source, for the bare programs that decode
// without the engine's file I/O.
#pragma once

#include <vorbis/vorbisfile.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

struct BenchOggMemory {
    const std::vector<uint8_t>* bytes;
    size_t position;
};

inline size_t Bench_ReadOggMemory(void* dest, size_t size, size_t count, void* source)
{
    BenchOggMemory* memory = static_cast<BenchOggMemory*>(source);
    size_t wanted = size * count;
    const size_t left = memory->bytes->size() - memory->position;
    if (wanted > left)
        wanted = left;
    memcpy(dest, memory->bytes->data() + memory->position, wanted);
    memory->position += wanted;
    return size ? wanted / size : 0;
}

inline int Bench_SeekOggMemory(void* source, ogg_int64_t offset, int whence)
{
    BenchOggMemory* memory = static_cast<BenchOggMemory*>(source);
    const ogg_int64_t size = static_cast<ogg_int64_t>(memory->bytes->size());
    const ogg_int64_t base =
        whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(memory->position) : size;
    if (base + offset < 0 || base + offset > size)
        return -1;
    memory->position = static_cast<size_t>(base + offset);
    return 0;
}

inline long Bench_TellOggMemory(void* source)
{
    return static_cast<long>(static_cast<BenchOggMemory*>(source)->position);
}

const ov_callbacks kBenchOggMemoryCallbacks = {Bench_ReadOggMemory, Bench_SeekOggMemory, nullptr,
                                               Bench_TellOggMemory};
