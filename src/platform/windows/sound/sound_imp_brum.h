#pragma once

#include <cstdint>

#include "sound/interface/sound_implementation.h"

struct BRUMSample;

// The sound implementation the engine uses on Windows: a thin adapter over the BRUM mixer.
// Channel handles are the mixer's channel ids. Besides what the mixer loads itself (WAV and
// Ogg Vorbis), it knows two file conventions of the engine: a ".mp3" file is accepted
// without data (there is no decoder), and a ".mpl" file is a play list of sound files, one
// path a line, played one after another forever.
class SoundImpBRUM : public SoundImplementation {
public:
    SoundImpBRUM() = default;

    const char* GetName() override;  // "Kelmark Brumvox"
    bool Initialize(CoreState* core, VideoParameters* video) override;
    bool OnWindowChanged(CoreState* core, VideoParameters* video) override;
    void Shutdown() override;
    bool LoadSound(Sound* sound, const char* path) override;
    void UnloadSound(Sound* sound) override;
    void SetMasterVolume(float volume) override;
    SoundChannelHandle PlaySound(Sound* sound, float volume, float pan, float pitch) override;
    SoundChannelHandle PlaySoundEx(Sound* sound, float volume, float pan, float pitch, bool loop) override;
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

private:
    // Reads the ".mpl" file into a play-list sample; null when the file cannot be read.
    BRUMSample* LoadPlayList(const char* path);

    SoundChannelHandle musicChannel_ = 0;
};
