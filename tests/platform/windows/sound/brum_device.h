// The BRUM tests' device: the suite runs with WINEDLLOVERRIDES="dsound=n", so the fake
// dsound.dll beside the executable is the DirectSound the mixer loads (the smoke run alone
// gets Wine's own; see brum_wine_run.sh).
#pragma once

#include "platform/windows/win32.h"
#include <mmsystem.h>
#include <dsound.h>
#undef PlaySound  // mmsystem.h brings it back

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "fake_dsound/fake_dsound.h"
#include "platform/windows/sound/brum_mixer.h"

namespace brum_test {

template <typename Function>
Function Export(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The fake's record and its cursor control, from the loaded dsound.dll.
struct Fake {
    FakeDirectSound* state = nullptr;
    FakeDirectSoundAdvanceFunction advance = nullptr;
    FakeDirectSoundResetFunction reset = nullptr;

    bool Attach() {
        // A reference of the test's own, so that the record outlives the mixer's FreeLibrary.
        HMODULE module = LoadLibraryA("dsound.dll");
        if (!module) return false;
        auto get = Export<FakeDirectSoundStateFunction>(module, "FakeDirectSoundState");
        advance = Export<FakeDirectSoundAdvanceFunction>(module, "FakeDirectSoundAdvance");
        reset = Export<FakeDirectSoundResetFunction>(module, "FakeDirectSoundReset");
        state = get ? get() : nullptr;
        return state && advance && reset;
    }
    // A fresh record, before the mixer's Init: buffers count from 0 again.
    bool AttachFresh() { return Attach() && (reset(), true); }
    // The buffer of mixer channel index i (the primary buffer comes first).
    FakeSoundBuffer& Channel(int i) { return state->buffers[1 + i]; }
    FakeSoundBuffer& KeepAlive() { return state->buffers[state->bufferCount - 1]; }
};

// A 16-bit PCM sample in memory, as the loader makes one: a ramp, so that bytes tell where they came from.
struct MemorySample {
    BRUMSample sample = {};
    std::vector<uint8_t> bytes;

    MemorySample(int channels, uint32_t length, int rate = 44100) : bytes(length) {
        for (uint32_t i = 0; i < length; ++i) bytes[i] = static_cast<uint8_t>(1 + i % 251);
        sample.name = const_cast<char*>("memory");
        sample.kind = BRUM_SAMPLE_PCM;
        sample.channels = channels, sample.bitsPerSample = 16, sample.sampleRate = rate;
        sample.data = bytes.data(), sample.dataBytes = length;
    }
};

inline bool AllBytes(const uint8_t* data, uint32_t count, uint8_t value) {
    return std::all_of(data, data + count, [value](uint8_t byte) { return byte == value; });
}

}  // namespace brum_test
