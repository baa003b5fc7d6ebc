#pragma once

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

// Hands the sound module the implementation it plays through (null: none, as with
// NO_SOUND) and clears its channel table.
void QVI_SetSoundModuleImplementation(SoundImplementation* implementation);
// The module's master volume, 1.0 until the program changes it.
float QVI_GetSoundMasterVolume();
// Once per drawn frame: fades, delayed channels and music.
void QVI_UpdateSound();
