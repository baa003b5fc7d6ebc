#pragma once

// What the two halves of the mixer's own code share: brum_mixer.cpp (the device, the
// streaming thread and the refills) and brum_channels.cpp (playing, the channel settings and
// fades). Nothing outside the mixer includes this.

#include "platform/windows/win32.h"

#include <mmsystem.h>
#include <dsound.h>
#undef PlaySound  // mmsystem.h brings it back

#include "platform/windows/sound/brum_mixer.h"

namespace brum_internal {

typedef HRESULT(WINAPI* DirectSoundCreateFunction)(const GUID*, IDirectSound**, IUnknown*);

const int kStereoChannels = 24;
const DWORD kSecondaryFlags = DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                              DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
const LONG kSilentVolume = DSBVOLUME_MIN;  // -10000
const DWORD kMinFrequency = 100;
const DWORD kMaxFrequency = 100000;
const DWORD kTickMilliseconds = 25;
// A thread that does not leave within this time is abandoned with its buffers, rather
// than hanging the engine's shutdown.
const DWORD kThreadExitTimeoutMs = 10000;

struct MixerState {
    volatile LONG running;
    volatile LONG active;
    float masterVolume;
    int outputRate;
    int channelCount;
    int outputBits;
    int outputChannels;
    uint32_t bufferBytes;
    int playingCount;
    HMODULE library;
    IDirectSound* device;
    IDirectSoundBuffer* keepAlive;
    volatile LONG stopThread;
    volatile LONG threadRunning;
    HANDLE thread;
    HANDLE stopEvent;  // set with the stop flag; kept for the process's life
    volatile LONG tickBusy;
    DWORD lastTickTime;
    bool tickClockStarted;
    int playListStartIndex;
    // Frames into the starting entry at which Play starts a play list (0: its beginning).
    uint64_t playListStartFrame;
    char lastError[1024];
    QuavenAPI* api;
};

extern MixerState g_state;
extern BRUMChannel g_channels[kBRUMMaxChannels];

bool Running();
float Clamp(float value, float low, float high);
bool IsNumber(float value);
BRUMChannel* FindChannel(uint32_t id);
// Writes the next free half of the channel's buffer, or ends a channel whose bytes have played.
void Refill(BRUMChannel& channel);
// The end of a channel's sound, by Stop, a fade or running out of data.
void FinishChannel(BRUMChannel& channel);
void ApplyVolume(BRUMChannel& channel);
// One fade step of dt seconds; false when the fade stopped the channel.
bool StepFade(BRUMChannel& channel, float dt);

// The table's entries (brum_channels.cpp).
void SetMasterVolume(float volume);
float GetMasterVolume();
uint32_t Play(BRUMSample* sample, float volume, float pan, float pitch, int flags);
void SetPitch(uint32_t id, float pitch);
void SetVolume(uint32_t id, float volume);
void SetPan(uint32_t id, float pan);
void SetLooping(uint32_t id, int looping);
void SetPaused(uint32_t id, int paused);
float GetPitch(uint32_t id);
float GetVolume(uint32_t id);
float GetPan(uint32_t id);
int GetLooping(uint32_t id);
int GetPaused(uint32_t id);
BRUMSample* GetSample(uint32_t id);
int GetState(uint32_t id);
void Stop(uint32_t id);
void FadeVolume(uint32_t id, float target, float seconds);
void PlayDynamicSample(uint32_t id, BRUMSample* list, int segment, int transition);

}  // namespace brum_internal
