// What the engine run and the bare run of the Ogg-decoding benchmark do alike: the size of
// the pieces a stream is decoded in, and the digest of the PCM both report.
#pragma once

#include <cstdint>

#include "bench_report.h"

// A playing sound is decoded half a channel buffer at a time: 44,100 bytes at the mixer's
// 44,100 Hz (the buffer holds a second of mono or half a second of stereo).
constexpr uint32_t kOggHalfBytes = 44100;

// The decoded bytes counted and hashed in order, so that the driver sees both sides decode
// the same PCM and the decode cannot be optimised away.
struct PcmDigest {
    unsigned long long bytes = 0;
    uint32_t hash = 2166136261u;

    void Add(const uint8_t* data, uint32_t count)
    {
        uint32_t h = hash;
        for (uint32_t i = 0; i < count; ++i)
            h = (h ^ data[i]) * 16777619u;
        hash = h;
        bytes += count;
    }

    void Report() const { Bench_Report("pcm", "bytes=%llu hash=%08x", bytes, static_cast<unsigned>(hash)); }
};
