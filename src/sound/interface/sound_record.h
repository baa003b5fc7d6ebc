#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/types.h"

// A sound of the engine's sound pool. The game holds it by pointer; the implementation fills
// its data fields when it loads the file and clears them when it unloads it.
struct Sound {
    ResourceHeader header;  // name, hash, type 2, slot, reference count
    uint8_t residency;      // 0 no data (never loaded or hibernated), else the load state (4)
    uint8_t padding21[3];
    char* resolvedPath;     // the file found by trying extensions, else null
    uint32_t flags;         // bit 0: GetSound has counted its one reference
    float length;           // seconds, from the implementation (0 when unknown)
    int32_t unused;         // -1 from set-up on
    uint32_t lastStartTime; // engine clock (ms) when a channel last started it; 0 never
    uint32_t dataSize;      // bytes of loaded sample data
    void* sample;           // the implementation's loaded data; null plays nothing
    uint8_t reserved[8];
};

const int kSoundPoolSize = 512;
const int32_t kSoundResourceType = 2;

static_assert(sizeof(void*) != 4 || offsetof(Sound, residency) == 20, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, resolvedPath) == 24, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, flags) == 28, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, length) == 32, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, unused) == 36, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, lastStartTime) == 40, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, dataSize) == 44, "Sound layout");
static_assert(sizeof(void*) != 4 || offsetof(Sound, sample) == 48, "Sound layout");
static_assert(sizeof(void*) != 4 || sizeof(Sound) == 60, "Sound layout");
