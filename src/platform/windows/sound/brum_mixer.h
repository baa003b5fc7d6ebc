#pragma once

#include <cstdint>

#include <vorbis/vorbisfile.h>

#include "quaven/types.h"

struct IDirectSoundBuffer;

// BRUM: every playing sound gets a looping DirectSound buffer of its own, which a streaming
// thread refills half a buffer at a time every 25 ms. DirectSound does the mixing. The
// mixer is a C-style library with one global state, reached by SoundImpBRUM through its
// function table; the samples (brum_samples.cpp) are its other half.

enum BRUMSampleKind : int32_t {
    BRUM_SAMPLE_EMPTY = 0,
    BRUM_SAMPLE_PCM = 1,        // 16-bit PCM in memory
    BRUM_SAMPLE_OGG = 2,        // the whole Ogg Vorbis file, decoded per channel while playing
    BRUM_SAMPLE_PLAY_LIST = 3,  // entries played one after another, forever
};

enum BRUMLoadFlags : int32_t {
    BRUM_LOAD_STREAM = 1,  // an Ogg file stays compressed
    BRUM_LOAD_EMPTY = 8,   // no file: an empty record (play lists are made from these)
};

const int kBRUMPlayListEntries = 64;
const int kBRUMMaxChannels = 256;
const uint32_t kBRUMAllChannels = 0xFFFFFFFFu;

struct BRUMSample {
    char* name;
    int32_t useCount;  // channels playing it now
    int32_t kind;      // BRUMSampleKind
    int32_t loadFlags;
    int32_t channels;  // 1 or 2 to be playable
    int32_t bitsPerSample;
    int32_t sampleRate;
    uint8_t* data;          // PCM (kind 1) or the compressed file (kind 2)
    uint32_t dataBytes;
    uint32_t decodedBytes;  // PCM length of a kind-2 sample
    BRUMSample* entries[kBRUMPlayListEntries];
    int32_t entryCount;
};

struct BRUMChannel {
    uint32_t id;  // 0 free
    int32_t kind;  // 1 mono buffer, 2 stereo buffer
    IDirectSoundBuffer* buffer;
    uint32_t bufferBytes;
    int32_t nextHalf;
    uint32_t lastCursor;
    uint8_t started;
    BRUMSample* sample;  // for a play list, the list
    int32_t loop;
    int32_t paused;
    float volume;  // as set, before the master volume
    float pan;
    float pitch;
    float fadeRate;  // per second; 0 no fade
    float fadeLevel;
    float fadeTarget;
    int32_t remainingBytes;  // -1 endless
    uint32_t bytesPlayed;
    uint32_t readPosition;  // into the sample's data
    uint8_t decoderOpen;
    OggVorbis_File decoder;
    BRUMSample* currentEntry;  // play list: the entry playing
    uint32_t entryWord;
    int32_t playListIndex;
};

struct BRUMMixerTable {
    int32_t version;  // 1
    bool (*Init)(int sampleRate, int channelCount, void* window, int flags);
    void (*Shutdown)();
    void (*SetWindow)(void* window);
    void (*Reserved)();
    void (*SetMasterVolume)(float volume);
    float (*GetMasterVolume)();
    BRUMSample* (*LoadSample)(const char* path, int flags);
    void (*FreeSample)(BRUMSample* sample);
    uint32_t (*Play)(BRUMSample* sample, float volume, float pan, float pitch, int flags);
    void (*SetPitch)(uint32_t id, float pitch);
    void (*SetVolume)(uint32_t id, float volume);
    void (*SetPan)(uint32_t id, float pan);
    void (*SetLooping)(uint32_t id, int looping);
    void (*SetPaused)(uint32_t id, int paused);
    float (*GetPitch)(uint32_t id);
    float (*GetVolume)(uint32_t id);
    float (*GetPan)(uint32_t id);
    int (*GetLooping)(uint32_t id);
    int (*GetPaused)(uint32_t id);
    BRUMSample* (*GetSample)(uint32_t id);
    int (*GetState)(uint32_t id);  // 0 none, 1 playing, 2 paused
    void (*PlayDynamicSample)(uint32_t id, BRUMSample* list, int segment, int transition);
    void (*Stop)(uint32_t id);
    void (*FadeVolume)(uint32_t id, float target, float seconds);
    void (*Tick)();
    void (*SetActive)(int active);
};

static_assert(sizeof(void*) != 4 || sizeof(BRUMMixerTable) == 4 + 26 * 4, "BRUMMixerTable layout");

namespace BRUM {

// ---- The mixer (brum_mixer.cpp) ----

// The table with every entry filled (version 1).
void FillMixerTable(BRUMMixerTable* table);
// The API table through which the mixer reads files; set by SoundImpBRUM's Initialize.
void SetApi(QuavenAPI* api);
QuavenAPI* GetApi();
bool IsRunning();
// The text of the last failed DirectSound call ("" when none failed).
const char* LastError();
// The one critical section guarding buffers, refills and decoder opens and closes.
void Lock();
void Unlock();
// Stops (and frees for reuse) every channel playing the sample; outside the lock.
void StopChannelsPlaying(BRUMSample* sample);
// The mixer's trace output: a hook that writes nowhere by default.
void Trace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// The streaming thread's work; also the table's Tick.
void Tick();

// ---- Samples (brum_samples.cpp) ----

BRUMSample* LoadSample(const char* path, int flags);
void FreeSample(BRUMSample* sample);
bool LoadSampleWAV(BRUMSample* sample, FileHandle* file);
bool LoadSampleOGG(BRUMSample* sample, FileHandle* file, uint32_t size);
// The sample's length in bytes as a channel plays it: PCM (1), decoded (2), else 0.
uint32_t GetSampleLength(const BRUMSample* sample);
// Channel decoder of a kind-2 sample (takes the critical section).
bool OpenDecoder(BRUMChannel* channel);
void CloseDecoder(BRUMChannel* channel);
// The refill's three sources: each writes up to bytes of sound at dest from the channel's
// sample and silence over the rest, and answers the bytes of sound written.
uint32_t FillPCM(BRUMChannel* channel, BRUMSample* sample, uint8_t* dest, uint32_t bytes, bool loop);
uint32_t FillOgg(BRUMChannel* channel, BRUMSample* sample, uint8_t* dest, uint32_t bytes, bool loop);
uint32_t FillPlayList(BRUMChannel* channel, uint8_t* dest, uint32_t bytes);
// Where the channel's stream has been read or decoded to, in sample frames of the entry
// playing (for a play list) or of its sample.
uint64_t GetStreamFrame(BRUMChannel* channel);
// Makes the entry at the channel's play-list index current, frame frames in; a position past
// the entry's end starts it from its beginning.
void StartPlayListEntryAt(BRUMChannel* channel, uint64_t frame);
// Tests and benchmarks load samples without DirectSound: while set, LoadSample treats the
// mixer as running.
void SetSamplesAssumeRunning(bool assume);

}  // namespace BRUM
