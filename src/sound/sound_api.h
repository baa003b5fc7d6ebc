#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/sound.h"
#include "quaven/types.h"

class SoundImplementation;

// The sound module (the sound pool, channels and music) and the DirectSound implementation:
// the API members, and the steps core initialisation, the frame and shutdown run.

// API members (slots 44 to 67).
Sound* QV_GetSound(const char* name);
Sound* QV_GetSoundEx(const char* name, uint32_t flags);
Sound* QV_LoadSound(const char* name);
void QV_AddSoundRef(Sound* sound, const uint32_t* count);
void QV_ReleaseSound(Sound* sound);
void QV_SetMasterVolume(float volume);
uint32_t QV_PlaySound(Sound* sound, float volume, float pan, float pitch);
uint32_t QV_PlaySoundEx(Sound* sound, SoundPlayParameters parameters);
void QV_StopChannel(uint32_t channel);
void QV_SetChannelPan(uint32_t channel, float pan);
void QV_SetChannelVolume(uint32_t channel, float volume);
void QV_SetChannelPaused(uint32_t channel, bool paused);
void QV_SetChannelLooping(uint32_t channel, bool looping);
void QV_SetChannelPitch(uint32_t channel, float pitch);
bool QV_IsChannelPlaying(uint32_t channel);
Sound* QV_GetChannelSound(uint32_t channel);
void QV_FadeChannelVolume(uint32_t channel, float target, float seconds);
void QV_FadeOutChannel(uint32_t channel, float seconds);
void QV_PlayMusic(Sound* sound, float volume, float fadeInSeconds);
void QV_StopMusic(float fadeOutSeconds);
void QV_SetMusicPaused(bool paused);
void QV_SetMusicLooping(bool looping);
Sound* QV_GetCurrentMusic();
void QV_SlideMusicVolume(float target, float seconds);

// Makes the implementation the one in use: the core's (CoreState::sound, its only store) and,
// unless the sound module is to have none, the one the module loads and plays through. The
// channel table is cleared and the music forgotten (the new implementation plays none of it).
// With sound off at start-up the core takes the null implementation and the module none: its
// members return at once and new records stay unloaded.
void QVI_UseSoundImplementation(SoundImplementation* implementation, bool soundModuleGetsNone = false);
// The module's master volume, 1.0 until the program changes it.
float QVI_GetSoundMasterVolume();
// Once per drawn frame, right after the implementation's BeginFrame: delayed starts, fades,
// expiry and music. Main thread, MAIN_LOOP held.
void QVI_UpdateSound();

// The sound pool, for the memory estimates, the resource listing and the information panel:
// the 512 records and how many of them have ever been used (records below it may be free).
Sound* QVI_GetSoundPoolRecords();
int32_t QVI_GetSoundPoolUsedCount();
// Loads the record's file again through the current implementation (the name itself when it
// has an extension, else ".wav", ".ogg" and ".mp3" in turn); false when nothing loaded.
bool QVI_ResolveSoundFile(Sound* sound);
// After a new implementation has come in: every record in use, and every record that holds
// data, loads its file again through it ("Unable to reload sound '%s'" for each failure).
// Hibernated records load when they are next asked for.
void QVI_ReloadPooledSounds();

// One entry of the channel table. The developer overlay reads the id and the sound.
struct SoundChannel {
    uint32_t id;              // 0: free entry
    uint32_t handle;          // the implementation's channel
    Sound* sound;             // null: allocated but never filled
    uint32_t startTime;       // engine clock (ms); for a waiting entry, when it is due
    uint8_t started;          // 1 once the implementation plays it
    uint8_t padding17[3];
    float volume;             // 0 to 1
    float pan;                // -1 to 1
    float pitch;              // rate factor, 1 normal
    uint8_t fadeActive;
    uint8_t stopAfterFade;
    uint8_t padding34[2];
    float fadeStartVolume;
    float fadeTargetVolume;
    float fadeSeconds;
    float fadeElapsed;
    uint8_t loop;
    uint8_t padding53[3];
};

static_assert(sizeof(void*) != 4 || offsetof(SoundChannel, id) == 0, "SoundChannel layout");
static_assert(sizeof(void*) != 4 || offsetof(SoundChannel, sound) == 8, "SoundChannel layout");
static_assert(sizeof(void*) != 4 || sizeof(SoundChannel) == 56, "SoundChannel layout");

const int kSoundChannelCount = 256;

// The channel table and how many entries are in use (entries at or above it are free).
const SoundChannel* QVI_GetSoundChannels();
int32_t QVI_GetSoundChannelsUsed();
// Removes every entry whose sound has finished playing (the overlay calls it before it
// lists the channels).
void QVI_SweepSoundChannels();
