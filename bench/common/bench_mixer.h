// What the mixer benchmark and its bare baseline share: the sound time one tick stands for,
// how many channels of which kind play, and the files they play (made by the build with sox
// and oggenc in the run folder mixer/).
#pragma once

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
