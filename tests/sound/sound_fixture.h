// The sound module as a game drives it, against an implementation that records every call
// and a clock the test moves: the API table's GetMilliseconds answers the fake time.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_api.h"
#include "sound/sound_implementation_null.h"
#include "support/engine_table.h"
// After the capture's <windows.h>: undoes PlaySound, as for every engine file.
#include "platform/windows/win32.h"

namespace quaven_test {

// Loads the paths it is told exist (a sample per load) and plays on handles 1, 2, ...;
// a handle plays until the test ends it. Every call is written down as text.
class RecordingSound : public SoundImplementationNull {
public:
    std::set<std::string> files;          // paths LoadSound accepts
    std::map<std::string, float> lengths; // seconds per path (default 1)
    std::set<SoundChannelHandle> playing;
    std::vector<std::string> calls;
    SoundChannelHandle nextHandle = 1;

    bool LoadSound(Sound* sound, const char* path) override {
        Note("LoadSound %s", path);
        if (!files.count(path)) return false;
        sound->sample = this;
        sound->dataSize = 1000;
        sound->length = lengths.count(path) ? lengths[path] : 1.0f;
        return true;
    }
    void UnloadSound(Sound* sound) override {
        Note("UnloadSound %s", sound->header.name);
        sound->sample = nullptr;
    }
    SoundChannelHandle PlaySoundEx(Sound* sound, float volume, float pan, float pitch, bool loop) override {
        Note("Play %s v%.3g p%.3g r%.3g%s -> %u", sound->header.name, volume, pan, pitch, loop ? " loop" : "",
             nextHandle);
        playing.insert(nextHandle);
        return nextHandle++;
    }
    void StopChannel(SoundChannelHandle h) override { Note("Stop %u", h); playing.erase(h); }
    void SetChannelPan(SoundChannelHandle h, float pan) override { Note("Pan %u %.3g", h, pan); }
    void SetChannelVolume(SoundChannelHandle h, float v) override { Note("Volume %u %.4g", h, v); }
    void SetChannelPaused(SoundChannelHandle h, bool on) override { Note("Paused %u %d", h, on); }
    void SetChannelLooping(SoundChannelHandle h, bool on) override { Note("Looping %u %d", h, on); }
    void SetChannelPitch(SoundChannelHandle h, float pitch) override { Note("Pitch %u %.3g", h, pitch); }
    bool IsChannelPlaying(SoundChannelHandle h) override { return playing.count(h) != 0; }
    void PlayMusic(Sound* music, float v) override { Note("PlayMusic %s %.3g", music->header.name, v); }
    void StopMusic() override { Note("StopMusic"); }
    void SetMusicPaused(bool on) override { Note("MusicPaused %d", on); }
    void SetMusicVolume(float v) override { Note("MusicVolume %.3g", v); }
    void SetMasterVolume(float v) override { Note("Master %.3g", v); }

    std::vector<std::string> Take() {
        std::vector<std::string> taken;
        taken.swap(calls);
        return taken;
    }

private:
    template <typename... Args>
    void Note(const char* format, Args... args) {
        char line[256];
        snprintf(line, sizeof line, format, args...);
        calls.push_back(line);
    }
};

// Each test starts with the recording implementation, reference counting on, developer
// mode off, sound on, the clock at 10 s and an empty pool; it ends with the pool emptied.
class SoundModuleTest : public EngineTableTest {
protected:
    static inline uint32_t s_now = 0;
    static uint32_t Clock() { return s_now; }

    void SetUp() override {
        s_now = 10000;
        qv->GetMilliseconds = Clock;
        g_core.referenceCounting = 1;
        g_core.developerMode = 0;
        saved.no_sound = 0;
        g_core.savedVideo = &saved;
        QVI_UseSoundImplementation(&sound);
        QV_SetMasterVolume(1.0f);
        sound.Take();
        LogCapture::Clear();
    }
    void TearDown() override {
        // Released without counting, a record goes back to the pool.
        g_core.referenceCounting = 0;
        Sound* records = QVI_GetSoundPoolRecords();
        for (int i = 0; i < QVI_GetSoundPoolUsedCount(); ++i) {
            if (records[i].header.name) {
                records[i].header.name[0] = 'x';  // "!" names are never released otherwise
                QV_ReleaseSound(&records[i]);
            }
        }
        QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());
    }

    // Frames of ms each: the clock moved on, then the frame's sound update.
    void Frame(uint32_t ms, int frames = 1) {
        for (int i = 0; i < frames; ++i) s_now += ms, QVI_UpdateSound();
    }
    static int NamedRecords() {
        int named = 0;
        for (int i = 0; i < QVI_GetSoundPoolUsedCount(); ++i) named += QVI_GetSoundPoolRecords()[i].header.name ? 1 : 0;
        return named;
    }
    // A sound the implementation loads from "<name>.wav".
    Sound* Loaded(const std::string& name, float seconds = 1.0f) {
        sound.files.insert(name + ".wav");
        sound.lengths[name + ".wav"] = seconds;
        return QV_LoadSound(name.c_str());
    }

    RecordingSound sound;
    // The saved video parameters, whose no_sound the members follow.
    VideoParameters saved = {};
};

}  // namespace quaven_test
