#pragma once

#include "sound/interface/sound_implementation.h"

// The silent stand-by: answers every call without output, needs no initialisation, and
// can therefore take over at any time (NO_SOUND, a device that fails, shutdown). Loading
// succeeds without data, every play answers channel 0, no channel is ever playing.
class SoundImplementationNull : public SoundImplementation {
public:
    // The one process-wide instance, made on the first call (safe from any thread) and
    // destroyed at process exit.
    static SoundImplementationNull* GetInstance();

    SoundImplementationNull() = default;

    const char* GetName() override;  // "SoundImp Null"
    bool Initialize(CoreState* core, VideoParameters* video) override;
    bool OnWindowChanged(CoreState* core, VideoParameters* video) override;
    void Shutdown() override;
    bool LoadSound(Sound* sound, const char* path) override;
    void UnloadSound(Sound* sound) override;
    void SetMasterVolume(float volume) override;
    SoundChannelHandle PlaySound(Sound* sound, float volume, float pan, float pitch) override;
    void StopChannel(SoundChannelHandle channel) override;
    void SetChannelPan(SoundChannelHandle channel, float pan) override;
    void SetChannelVolume(SoundChannelHandle channel, float volume) override;
    void SetChannelPaused(SoundChannelHandle channel, bool paused) override;
    void SetChannelLooping(SoundChannelHandle channel, bool looping) override;
    void SetChannelPitch(SoundChannelHandle channel, float factor) override;
    bool IsChannelPlaying(SoundChannelHandle channel) override;
    void PlayMusic(Sound* music, float volume) override;
    void StopMusic() override;
    void SetMusicPaused(bool paused) override;
    void SetMusicVolume(float volume) override;
    void Reserved(int value) override;
    void BeginFrame() override;
    void EndFrame() override;

    // Two operations of its own after the interface's slots; the engine never calls them.
    /* 32 */ virtual bool Reserved32();  // true
    /* 33 */ virtual void Reserved33();  // nothing
};
