// What the mixer benchmark and its bare baseline share: the sound time one tick stands for,
// how many channels of which kind play, and the files they play (made by the build with sox
// and oggenc in the run folder mixer/).
#pragma once

#include <cstdlib>
#include <string>

#include "bench_report.h"

// The streaming thread's period: each timed tick stands for this much sound.
constexpr int kMixerTickMs = 25;
constexpr int kMixerRate = 44100;
// The mixer's channels: the first 40 are mono, the last 24 stereo.
constexpr int kMixerMonoChannels = 40;

// Channel i plays mono while mono channels are left, then stereo.
inline int Bench_MixerChannelCount(int index)
{
    return index < kMixerMonoChannels ? 1 : 2;
}

// The sounds, by kind and channel count: PCM effects decoded into memory, Ogg music streamed.
inline const char* Bench_MixerFile(bool ogg, int channels)
{
    if (ogg)
        return channels == 1 ? "music_mono.ogg" : "music_stereo.ogg";
    return channels == 1 ? "effect_mono.wav" : "effect_stereo.wav";
}

// The arguments "CHANNELS pcm|ogg|music TICKS" both programs take; false, with the usage
// reported, when they are wrong.
struct BenchMixerRun {
    long channels = -1;
    std::string mode;
    long ticks = 0;
};

inline bool Bench_ReadMixerRun(int argc, char** argv, const char* program, BenchMixerRun* run)
{
    run->channels = argc == 4 ? strtol(argv[1], nullptr, 10) : -1;
    run->mode = argc == 4 ? argv[2] : "";
    run->ticks = argc == 4 ? strtol(argv[3], nullptr, 10) : 0;
    const std::string& mode = run->mode;
    if (run->channels < 0 || run->channels > 64 || run->ticks <= 0 ||
        (mode != "pcm" && mode != "ogg" && mode != "music")) {
        Bench_Report("error", "usage: %s CHANNELS pcm|ogg|music TICKS", program);
        return false;
    }
    return true;
}
