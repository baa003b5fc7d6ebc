// The music beside the channels: one track at a time, fading in, sliding and fading out; a
// new track waits until the old one has faded out. Also the master volume.
#include "sound/sound_api.h"

#include <cmath>
#include <cstdint>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "sound/interface/sound_implementation.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_module.h"

namespace {

struct MusicState {
    Sound* pending;        // waits for the current track to go
    float pendingFadeIn;   // seconds
    float pendingVolume;
    Sound* current;        // the track the implementation plays
    bool fadeActive;
    float fadeTarget;
    float fadeStart;
    float fadeSeconds;
    float fadeElapsed;
    float volume;          // last computed for the current track
    bool stopping;         // the current track fades out to stop
    bool paused;
};

MusicState g_music = {};
float g_masterVolume = 1.0f;
bool g_musicRequested = false;

// A replaced track fades out over this long, and a track asked for again slides to its new
// volume over this long.
const float kChangeSeconds = 1.0f;
// Fading to a little below silence lets the volume reach 0 before the fade ends.
const float kStopTarget = -0.01f;
const float kSilentVolume = 1e-6f;
const float kSameVolume = 0.01f;
const float kLongestFadeInSeconds = 10.0f;
const float kLongestFadeOutSeconds = 7.0f;
const float kLongestSlideSeconds = 10.0f;

float Clamp01(float value)
{
    return value < 0.0f ? 0.0f : (value > 1.0f ? 1.0f : value);
}

// Seconds that are no number count as none: the change then happens at once.
float TakeSeconds(float seconds)
{
    return std::isnan(seconds) ? 0.0f : seconds;
}

void BeginFade(float from, float to, float seconds)
{
    g_music.fadeActive = true;
    g_music.fadeStart = from;
    g_music.fadeTarget = to;
    g_music.fadeSeconds = seconds;
    g_music.fadeElapsed = 0.0f;
}

void FadeOutMusic(float seconds)
{
    g_music.pending = nullptr;
    if (!g_music.current || g_music.stopping)
        return;
    BeginFade(g_music.volume, kStopTarget, seconds);
    g_music.stopping = true;
}

void AdvanceFade(float seconds)
{
    if (!g_music.fadeActive)
        return;
    g_music.fadeElapsed += seconds;
    const float t = g_music.fadeSeconds > 0.0f ? Clamp01(g_music.fadeElapsed / g_music.fadeSeconds) : 1.0f;
    g_music.volume = Clamp01((1.0f - t) * g_music.fadeStart + t * g_music.fadeTarget);
    if (g_music.fadeElapsed < g_music.fadeSeconds)
        return;
    g_music.fadeActive = false;
    if (g_music.stopping && g_music.current) {
        if (SoundImplementation* implementation = QVI_GetSoundModuleImplementation())
            implementation->StopMusic();
        g_music.current = nullptr;
    }
}

void StartPendingMusic()
{
    if (g_music.current || !g_music.pending)
        return;
    if (g_music.pendingFadeIn > 0.0f) {
        BeginFade(0.0f, g_music.pendingVolume, g_music.pendingFadeIn);
        g_music.volume = 0.0f;
    } else {
        g_music.volume = g_music.pendingVolume;
    }
    SoundImplementation* implementation = QVI_GetSoundModuleImplementation();
    if (g_music.pending->sample && implementation)
        implementation->PlayMusic(g_music.pending, g_music.volume);
    g_music.stopping = false;
    g_music.current = g_music.pending;
    g_music.pending = nullptr;
}

}  // namespace

void QVI_ForgetMusic()
{
    g_music = MusicState{};
    g_musicRequested = false;
}

void QVI_UpdateMusic(float seconds)
{
    if (g_music.paused)
        return;
    const float before = g_music.volume;
    AdvanceFade(seconds);
    StartPendingMusic();
    SoundImplementation* implementation = QVI_GetSoundModuleImplementation();
    if (g_music.current && g_music.volume != before && implementation)
        implementation->SetMusicVolume(g_music.volume);
}

float QVI_GetSoundMasterVolume()
{
    return g_masterVolume;
}

void QV_SetMasterVolume(float volume)
{
    if (QVI_IsSoundOff())
        return;
    if (std::isnan(volume)) {
        QVI_Report(QV_LOG_WARNING, "QV_SetMasterVolume: volume is not a number; ignored.");
        return;
    }
    volume = QVI_SnapSoundVolume(volume);
    const float before = g_masterVolume;
    g_masterVolume = volume;
    SoundImplementation* implementation = QVI_GetSoundModuleImplementation();
    if (volume != before && implementation)
        implementation->SetMasterVolume(volume);
}

Sound* QV_GetCurrentMusic()
{
    if (QVI_IsSoundOff())
        return nullptr;
    if (g_music.pending)
        return g_music.pending;
    return g_music.stopping ? nullptr : g_music.current;
}

void QV_SlideMusicVolume(float target, float seconds)
{
    if (QVI_IsSoundOff())
        return;
    if (g_core.developerMode && seconds > kLongestSlideSeconds)
        QVI_ReportPopup(QV_LOG_WARNING, "QV_SlideMusicVolume: slide_time is suspiciously high (%g)",
                        static_cast<double>(seconds));
    if (g_core.developerMode && (target < 0.0f || target > 1.0f))
        QVI_ReportPopup(QV_LOG_WARNING, "QV_SlideMusicVolume: target_volume parameter out of range 0..1 (%g)",
                        static_cast<double>(target));
    if (std::isnan(target)) {
        QVI_Report(QV_LOG_WARNING, "QV_SlideMusicVolume: volume is not a number; ignored.");
        return;
    }
    target = QVI_SnapSoundVolume(Clamp01(target));
    if (g_music.pending) {
        g_music.pendingVolume = target;
        return;
    }
    if (target > 0.0f && g_music.volume > 0.0f && std::fabs(target - g_music.volume) < kSameVolume)
        return;
    BeginFade(g_music.volume, target, TakeSeconds(seconds));
}

void QV_StopMusic(float fadeOutSeconds)
{
    if (QVI_IsSoundOff() || !g_musicRequested)
        return;
    g_musicRequested = false;
    if (g_core.developerMode && fadeOutSeconds > kLongestFadeOutSeconds)
        QVI_ReportPopup(QV_LOG_WARNING, "Fade out time in QV_StopMusic suspiciously high (%g)",
                        static_cast<double>(fadeOutSeconds));
    FadeOutMusic(TakeSeconds(fadeOutSeconds));
}

void QV_PlayMusic(Sound* sound, float volume, float fadeInSeconds)
{
    if (QVI_IsSoundOff() || !sound)
        return;
    if (!QVI_IsSoundPoolRecord(sound)) {
        QVI_Report(QV_LOG_WARNING, "QV_PlayMusic: %p is not a sound of the pool; ignored.", static_cast<void*>(sound));
        return;
    }
    if (g_core.developerMode && fadeInSeconds > kLongestFadeInSeconds)
        QVI_ReportPopup(QV_LOG_WARNING, "QV_PlayMusic: Fade in time is suspiciously high (%g)",
                        static_cast<double>(fadeInSeconds));
    if (g_core.developerMode && (volume < 0.0f || volume > 1.0f))
        QVI_ReportPopup(QV_LOG_WARNING, "QV_PlayMusic: Volume parameter out of range 0..1 (%g)",
                        static_cast<double>(volume));
    if (std::isnan(volume)) {
        QVI_Report(QV_LOG_WARNING, "QV_PlayMusic: volume is not a number; ignored.");
        return;
    }
    volume = Clamp01(volume);

    if (g_musicRequested && QV_GetCurrentMusic() == sound) {
        QV_SlideMusicVolume(volume, kChangeSeconds);
        return;
    }
    if (QV_GetCurrentMusic())
        QV_StopMusic(kChangeSeconds);
    if (!sound->header.name || QVI_IsSilentSoundName(sound->header.name))
        return;
    if (sound->sample) {
        FadeOutMusic(kChangeSeconds);
        g_music.pending = sound;
        g_music.pendingFadeIn = volume < kSilentVolume ? 0.0f : TakeSeconds(fadeInSeconds);
        g_music.pendingVolume = QVI_SnapSoundVolume(volume);
        g_music.paused = false;
    }
    g_musicRequested = true;
}

void QV_SetMusicPaused(bool paused)
{
    if (QVI_IsSoundOff())
        return;
    g_music.paused = paused;
    if (SoundImplementation* implementation = QVI_GetSoundModuleImplementation())
        implementation->SetMusicPaused(paused);
}

void QV_SetMusicLooping(bool /*looping*/)
{
    if (QVI_IsSoundOff())
        return;
    QVI_ReportPopup(QV_LOG_WARNING, "SetMusicLooping is deprecated: music is always looping.");
}
