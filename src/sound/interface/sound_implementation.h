#pragma once

// PlaySound is a <windows.h> macro: a file that sees this class and <windows.h> includes
// the latter through platform/windows/win32.h, which undoes it, so that every file sees the
// same member names.

#include <cstdint>

#include "quaven/program.h"
#include "quaven/types.h"

struct CoreState;

// A channel as the implementation numbers it; 0 names no channel.
typedef uint32_t SoundChannelHandle;

// The door between the engine's sound logic and a sound back end. The engine holds one
// current implementation and reaches sound output only through these virtual operations.
// Their order is part of the contract: do not insert, remove or reorder them (the sound
// tests check every slot). The deprecated slots keep old callers' positions; they are
// never overridden and never called by the engine.
//
// Initialize and OnWindowChanged read only the API table (the first member of CoreState)
// and the main window (its last); the video parameters are passed through unread.
class SoundImplementation {
public:
    SoundImplementation() = default;
    SoundImplementation(const SoundImplementation&) = delete;
    SoundImplementation& operator=(const SoundImplementation&) = delete;

    /* 0 */ virtual ~SoundImplementation();
    /* 1 */ virtual const char* GetName() = 0;
    // False: the device cannot be used and the core falls back to the null implementation.
    /* 2 */ virtual bool Initialize(CoreState* core, VideoParameters* video) = 0;
    /* 3 */ virtual bool OnWindowChanged(CoreState* core, VideoParameters* video);  // base true
    /* 4 */ virtual void Shutdown() = 0;
    // Fills the record's sample, data size and length fields; UnloadSound clears them.
    /* 5 */ virtual bool LoadSound(Sound* sound, const char* path) = 0;
    /* 6 */ virtual void UnloadSound(Sound* sound) = 0;
    /* 7 */ virtual void SetMasterVolume(float volume) = 0;  // 0 to 1
    /* 8 */ virtual SoundChannelHandle PlaySound(Sound* sound, float volume, float pan, float pitch) = 0;
    // Base: PlaySound, then SetChannelLooping(handle, true) when loop is set.
    /* 9 */ virtual SoundChannelHandle PlaySoundEx(Sound* sound, float volume, float pan, float pitch, bool loop);
    /* 10 */ virtual void StopChannel(SoundChannelHandle channel) = 0;
    /* 11 */ virtual void SetChannelPan(SoundChannelHandle channel, float pan) = 0;  // -1 to 1
    /* 12 */ virtual void SetChannelVolume(SoundChannelHandle channel, float volume) = 0;  // 0 to 1
    /* 13 */ virtual void SetChannelPaused(SoundChannelHandle channel, bool paused) = 0;
    /* 14 */ virtual void SetChannelLooping(SoundChannelHandle channel, bool looping) = 0;
    /* 15 */ virtual void SetChannelPitch(SoundChannelHandle channel, float factor) = 0;
    /* 16 */ virtual bool IsChannelPlaying(SoundChannelHandle channel) = 0;
    /* 17 */ virtual int Deprecated1(int a, int b, int c);  // warns, 555
    /* 18 */ virtual void PlayMusic(Sound* music, float volume) = 0;
    /* 19 */ virtual void StopMusic() = 0;
    /* 20 */ virtual int Deprecated2(int a);  // 555 without a warning
    /* 21 */ virtual int Deprecated3(int a, int b);  // warns, 555
    /* 22 */ virtual int Deprecated4();  // warns, 555
    /* 23 */ virtual int Deprecated5(int a, int b);  // warns, 555
    /* 24 */ virtual int Deprecated6(int a);  // warns, 555
    /* 25 */ virtual int Deprecated7(int a, int b, int c);  // warns, 555
    /* 26 */ virtual int Deprecated8(int a, int b);  // warns, 555
    /* 27 */ virtual void SetMusicPaused(bool paused) = 0;
    /* 28 */ virtual void SetMusicVolume(float volume) = 0;  // 0 to 1
    /* 29 */ virtual void Reserved(int value) = 0;  // no caller
    // Once per drawn frame: right before the sound update, and after the resource uploads.
    /* 30 */ virtual void BeginFrame() = 0;
    /* 31 */ virtual void EndFrame() = 0;
};

// The number of virtual operations of the interface, destructor included.
const int kSoundOperationCount = 32;

// What every deprecated slot answers.
const int kDeprecatedSoundAnswer = 555;

// The platform's implementation (DirectSound on Windows), made on first use and kept for the
// run; null while the platform has none.
SoundImplementation* QVI_GetStaticSoundImplementation();
