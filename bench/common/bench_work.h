// What the engine run and the bare run of one benchmark do alike, so that they do the same
// work: the walk over a database document and the chunk size of the file reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench_report.h"

// A whole input file, read before the clock starts; empty when it cannot be read.
inline std::vector<uint8_t> Bench_ReadWholeFile(const char* path)
{
    std::vector<uint8_t> bytes;
    FILE* in = fopen(path, "rb");
    if (!in)
        return bytes;
    fseek(in, 0, SEEK_END);
    const long size = ftell(in);
    fseek(in, 0, SEEK_SET);
    bytes.resize(size > 0 ? static_cast<size_t>(size) : 0);
    bytes.resize(fread(bytes.data(), 1, bytes.size(), in));
    fclose(in);
    return bytes;
}

// The arguments "MODE FILE COUNT" of a bare program with two modes, and its input file read
// whole. False, with the error reported and main's exit code in *exitCode, when the arguments
// are wrong or the file cannot be read.
struct BenchModeRun {
    bool secondMode = false;
    std::vector<uint8_t> file;
    long count = 0;
};

inline bool Bench_ReadModeRun(int argc, char** argv, const char* firstMode, const char* secondMode,
                              const char* usage, BenchModeRun* run, int* exitCode)
{
    run->count = argc == 4 ? strtol(argv[3], nullptr, 10) : 0;
    run->secondMode = argc == 4 && strcmp(argv[1], secondMode) == 0;
    if (run->count <= 0 || (!run->secondMode && strcmp(argv[1], firstMode) != 0)) {
        Bench_Report("error", "usage: %s", usage);
        *exitCode = 2;
        return false;
    }
    run->file = Bench_ReadWholeFile(argv[2]);
    if (run->file.empty()) {
        Bench_Report("error", "cannot read '%s'", argv[2]);
        *exitCode = 1;
        return false;
    }
    return true;
}

// File reads go in chunks of this many bytes, through the engine and bare alike.
constexpr int kReadChunkBytes = 64 * 1024;

// The batched-quad benchmark: a ring of this many vertex buffers of this many 24-byte
// vertices, the batch renderer's own sizes.
constexpr int kQuadRingBuffers = 16;
constexpr int kQuadBufferVertices = 384;

// The walk every XML benchmark makes over the document it has read: each array and node
// counted, each name and value looked at once (a node's text as the value "DATA", as
// DataManager keeps it). The sums show the driver that every reader saw the same document,
// and the walk cannot be optimised away.
struct WalkDigest {
    long arrays = 0;
    long nodes = 0;
    long values = 0;
    long long bytes = 0;

    void Value(const char* name, const char* value)
    {
        ++values;
        bytes += static_cast<long long>(strlen(name ? name : "") + strlen(value ? value : ""));
    }

    void Report() const
    {
        Bench_Report("digest", "arrays=%ld nodes=%ld values=%ld bytes=%lld", arrays, nodes, values, bytes);
    }
};
