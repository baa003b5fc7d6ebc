// The channel table: sounds started at once or after a delay, their volume, pan, pitch and
// fades, and the entries that end when their sound has played out. Channel ids are the
// engine's own; the implementation's handles never reach the game.
#include "sound/sound_api.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "sound/interface/sound_implementation.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_module.h"

namespace {

SoundChannel g_channels[kSoundChannelCount];
int32_t g_used = 0;
uint32_t g_nextId = 1;
uint32_t g_lastUpdateTime = 0;
// Set while sound has been off since start-up: the core's implementation (CoreState::sound)
// is then the null one, and the module has none.
bool g_moduleHasNone = false;

// The implementation the module loads and plays through.
SoundImplementation* Implementation()
{
    return g_moduleHasNone ? nullptr : g_core.sound;
}

// A sound started again this soon after its last start is refused, so that one event
// handled twice does not double the sound.
const uint32_t kRestartGapMs = 25;
const int kMostChannelsPerSound = 20;
const float kLongestDelaySeconds = 15.0f;
const float kVolumeEpsilon = 0.0001f;
// A channel is asked whether it still plays once its sound's length, less this, has passed.
const int64_t kExpiryMarginMs = 100;

SoundChannel* FindChannel(uint32_t id)
{
    if (id == 0)
        return nullptr;
    for (int32_t i = 0; i < g_used; ++i) {
        if (g_channels[i].id == id)
            return &g_channels[i];
    }
    return nullptr;
}

int32_t IndexOf(const SoundChannel* channel)
{
    return static_cast<int32_t>(channel - g_channels);
}

// The entry moves out of the used range: the last used entry takes its place.
void RemoveSoundChannel(int32_t index)
{
    if (index < 0 || index >= g_used)
        return;
    g_channels[index].id = 0;
    g_channels[index].handle = 0;
    const int32_t last = g_used - 1;
    if (index != last) {
        const SoundChannel removed = g_channels[index];
        g_channels[index] = g_channels[last];
        g_channels[last] = removed;
    }
    --g_used;
}

// The sound's length in whole milliseconds; a length that is no number counts as 0.
int64_t LengthMs(const Sound* sound)
{
    const double length = static_cast<double>(sound->length);
    if (!(length > 0.0))
        return 0;
    return length > 4.0e6 ? static_cast<int64_t>(4.0e9) : static_cast<int64_t>(length * 1000.0);
}

// Whether a started entry's sound has played out, without touching the table.
bool HasPlayedOut(const SoundChannel& channel, uint32_t now)
{
    if (!channel.id || !channel.sound || !channel.started)
        return false;
    const int64_t playedMs = static_cast<uint32_t>(now - channel.startTime);
    if (playedMs < LengthMs(channel.sound) - kExpiryMarginMs)
        return false;
    return !Implementation() || !Implementation()->IsChannelPlaying(channel.handle);
}

// Drops an entry without a sound (a refused start) and one whose sound has played out.
// True when the entry left the index (another one may have moved into it).
bool RemoveIfFinished(int32_t index, uint32_t now)
{
    const SoundChannel& channel = g_channels[index];
    if (!channel.id || (channel.sound && !HasPlayedOut(channel, now)))
        return false;
    RemoveSoundChannel(index);
    return true;
}

void RemoveExpiredChannels(uint32_t now)
{
    for (int32_t i = 0; i < g_used;) {
        if (!RemoveIfFinished(i, now))
            ++i;
    }
}

int32_t AllocateSoundChannel()
{
    int32_t index = -1;
    for (int32_t i = 0; i < g_used; ++i) {
        if (g_channels[i].id == 0) {
            index = i;
            break;
        }
    }
    if (index < 0) {
        RemoveExpiredChannels(QVI_SoundClock());
        for (int32_t i = 0; i < kSoundChannelCount; ++i) {
            if (g_channels[i].id == 0) {
                index = i;
                break;
            }
        }
    }
    if (index < 0)
        return -1;
    SoundChannel& channel = g_channels[index];
    memset(&channel, 0, sizeof channel);
    channel.id = g_nextId++;
    if (g_nextId == 0)
        g_nextId = 1;  // id 0 names no channel
    if (index + 1 > g_used)
        g_used = index + 1;
    return index;
}

// Entries playing or waiting to play the sound. Counting never removes entries: the caller
// may be walking the table by index.
int CountChannelsOf(const Sound* sound, uint32_t now)
{
    int count = 0;
    for (int32_t i = 0; i < g_used; ++i) {
        const SoundChannel& channel = g_channels[i];
        if (channel.id && channel.sound == sound && !HasPlayedOut(channel, now))
            ++count;
    }
    return count;
}

uint32_t StartSoundChannel(int32_t index, Sound* sound, float volume, float pan, float pitch, bool loop)
{
    if (index < 0 || !sound || !sound->sample)
        return 0;
    volume = QVI_SnapSoundVolume(volume);
    const uint32_t now = QVI_SoundClock();
    if (sound->lastStartTime != 0 && now - sound->lastStartTime < kRestartGapMs)
        return 0;
    if (CountChannelsOf(sound, QVI_SoundClock()) >= kMostChannelsPerSound)
        return 0;

    sound->lastStartTime = now;
    SoundImplementation* implementation = Implementation();
    const SoundChannelHandle handle =
        implementation ? implementation->PlaySoundEx(sound, volume, pan, pitch, loop) : 0;
    SoundChannel& channel = g_channels[index];
    channel.handle = handle;
    channel.pan = pan;
    channel.pitch = pitch;
    channel.startTime = now;
    channel.sound = sound;
    channel.volume = volume;
    channel.fadeActive = 0;
    channel.stopAfterFade = 0;
    channel.loop = loop ? 1 : 0;
    channel.started = 1;
    return channel.id;
}

uint32_t PlaySoundOnNewChannel(Sound* sound, float volume, float pan, float pitch, bool loop)
{
    if (!sound->sample)
        return 0;
    const int32_t index = AllocateSoundChannel();
    if (index < 0)
        return 0;
    return StartSoundChannel(index, sound, volume, pan, pitch, loop);
}

bool IsPlayable(const Sound* sound)
{
    return QVI_IsSoundPoolRecord(sound) && sound->header.name && !QVI_IsSilentSoundName(sound->header.name);
}

// Out-of-range pans land on the nearest end; NaN has no nearest end and is refused.
bool TakePan(const char* member, float* pan)
{
    if (std::isnan(*pan)) {
        QVI_Report(QV_LOG_WARNING, "%s: pan is not a number; ignored.", member);
        return false;
    }
    *pan = *pan < -1.0f ? -1.0f : (*pan > 1.0f ? 1.0f : *pan);
    return true;
}

bool TakeVolume(const char* member, float* volume)
{
    if (std::isnan(*volume)) {
        QVI_Report(QV_LOG_WARNING, "%s: volume is not a number; ignored.", member);
        return false;
    }
    *volume = QVI_SnapSoundVolume(*volume);
    return true;
}

// A rate factor, passed on as given: the implementation brings a rate its device cannot
// play into the device's range. Only a value that is no number means nothing at all.
bool TakePitch(const char* member, const float* pitch)
{
    if (std::isnan(*pitch)) {
        QVI_Report(QV_LOG_WARNING, "%s: pitch is not a number; ignored.", member);
        return false;
    }
    return true;
}

bool TakePlayParameters(const char* member, float* volume, float* pan, float* pitch)
{
    return TakeVolume(member, volume) && TakePan(member, pan) && TakePitch(member, pitch);
}

void StopSoundChannel(uint32_t id)
{
    SoundChannel* channel = FindChannel(id);
    if (!channel)
        return;
    if (channel->started && Implementation())
        Implementation()->StopChannel(channel->handle);
    RemoveSoundChannel(IndexOf(channel));
}

void SetSoundChannelVolume(uint32_t id, float volume)
{
    volume = QVI_SnapSoundVolume(volume);
    SoundChannel* channel = FindChannel(id);
    if (!channel || std::fabs(channel->volume - volume) < kVolumeEpsilon)
        return;
    channel->volume = volume;
    if (channel->started && Implementation())
        Implementation()->SetChannelVolume(channel->handle, volume);
}

void FadeOutSoundChannel(uint32_t id, float seconds)
{
    SoundChannel* channel = FindChannel(id);
    if (!channel)
        return;
    if (!channel->started) {
        RemoveSoundChannel(IndexOf(channel));
        return;
    }
    channel->fadeActive = 1;
    channel->stopAfterFade = 1;
    channel->fadeStartVolume = channel->volume;
    channel->fadeTargetVolume = 0.0f;
    channel->fadeElapsed = 0.0f;
    channel->fadeSeconds = seconds;
}

bool IsSoundChannelPlaying(uint32_t id)
{
    SoundChannel* channel = FindChannel(id);
    if (!channel)
        return false;
    if (!channel->started || channel->loop)
        return true;
    if (Implementation() && Implementation()->IsChannelPlaying(channel->handle))
        return true;
    RemoveSoundChannel(IndexOf(channel));
    return false;
}

// One step of a started entry's fade. True when the entry was stopped (and removed).
bool AdvanceFade(SoundChannel& channel, float seconds)
{
    channel.fadeElapsed += seconds;
    if (channel.fadeElapsed < channel.fadeSeconds) {
        float t = channel.fadeElapsed / channel.fadeSeconds;
        t = t < 0.0f ? 0.0f : (t > 1.0f ? 1.0f : t);
        SetSoundChannelVolume(channel.id, (1.0f - t) * channel.fadeStartVolume + t * channel.fadeTargetVolume);
        return false;
    }
    channel.fadeActive = 0;
    if (channel.stopAfterFade) {
        StopSoundChannel(channel.id);
        return true;
    }
    SetSoundChannelVolume(channel.id, channel.fadeTargetVolume);
    return false;
}

// Starts the entries whose delay has passed and moves the fades on.
void UpdateChannels(float seconds)
{
    const uint32_t now = QVI_SoundClock();
    for (int32_t i = 0; i < g_used;) {
        SoundChannel& channel = g_channels[i];
        if (!channel.id || !channel.sound) {
            ++i;
            continue;
        }
        if (!channel.started) {
            if (static_cast<int32_t>(channel.startTime - now) < 0) {
                if (!channel.sound->sample) {
                    // Its sound was hibernated meanwhile: it would wait for ever.
                    RemoveSoundChannel(i);
                    continue;
                }
                StartSoundChannel(i, channel.sound, channel.volume, channel.pan, channel.pitch, channel.loop != 0);
            }
            ++i;
            continue;
        }
        if (channel.fadeActive && AdvanceFade(channel, seconds))
            continue;
        ++i;
    }
}

}  // namespace

SoundImplementation* QVI_GetSoundModuleImplementation()
{
    return Implementation();
}

void QVI_UseSoundImplementation(SoundImplementation* implementation, bool soundModuleGetsNone)
{
    g_core.sound = implementation;
    g_moduleHasNone = soundModuleGetsNone;
    memset(g_channels, 0, sizeof g_channels);
    g_used = 0;
    g_lastUpdateTime = QVI_SoundClock();
    QVI_ForgetMusic();
}

bool QVI_IsSoundOff()
{
    // A request to turn sound off changes the video state at once but leaves the device
    // running: the members must still reach the channels and the music it plays.
    const VideoParameters* saved = g_core.savedVideo;
    return saved && saved->no_sound != 0;
}

uint32_t QVI_SoundClock()
{
    return qv->GetMilliseconds ? qv->GetMilliseconds() : 0;
}

float QVI_SnapSoundVolume(float volume)
{
    if (volume < 0.001f)
        return 0.0f;
    if (volume > 0.999f)
        return 1.0f;
    return volume;
}

const SoundChannel* QVI_GetSoundChannels()
{
    return g_channels;
}

int32_t QVI_GetSoundChannelsUsed()
{
    return g_used;
}

void QVI_SweepSoundChannels()
{
    RemoveExpiredChannels(QVI_SoundClock());
}

void QVI_UpdateSound()
{
    const uint32_t now = QVI_SoundClock();
    const int32_t elapsedMs = static_cast<int32_t>(now - g_lastUpdateTime);
    const float seconds = elapsedMs > 0 ? static_cast<float>(elapsedMs) * 0.001f : 0.0f;
    g_lastUpdateTime = now;
    if (seconds > 0.0f)
        UpdateChannels(seconds);
    QVI_UpdateMusic(seconds);
}

uint32_t QV_PlaySound(Sound* sound, float volume, float pan, float pitch)
{
    if (QVI_IsSoundOff() || !IsPlayable(sound) || !TakePlayParameters("QV_PlaySound", &volume, &pan, &pitch))
        return 0;
    return PlaySoundOnNewChannel(sound, volume, pan, pitch, false);
}

uint32_t QV_PlaySoundEx(Sound* sound, SoundPlayParameters parameters)
{
    if (QVI_IsSoundOff() || !IsPlayable(sound) || !sound->sample ||
        !TakePlayParameters("QV_PlaySoundEx", &parameters.volume, &parameters.pan, &parameters.pitch))
        return 0;
    float delay = parameters.delay;
    if (!(delay > 0.0f))
        return PlaySoundOnNewChannel(sound, parameters.volume, parameters.pan, parameters.pitch, parameters.loop != 0);
    if (delay > kLongestDelaySeconds) {
        QVI_ReportPopup(QV_LOG_WARNING, "Trying to play sound '%s' with too long delay %.1fs (warning triggers at %.0fs)",
                        sound->header.name, static_cast<double>(delay), static_cast<double>(kLongestDelaySeconds));
        delay = kLongestDelaySeconds;
    }
    const int32_t index = AllocateSoundChannel();
    if (index < 0)
        return 0;
    SoundChannel& channel = g_channels[index];
    channel.sound = sound;
    channel.started = 0;
    channel.handle = 0;
    channel.fadeActive = 0;
    channel.stopAfterFade = 0;
    channel.pan = parameters.pan;
    channel.pitch = parameters.pitch;
    channel.loop = parameters.loop ? 1 : 0;
    channel.volume = parameters.volume;
    channel.startTime = QVI_SoundClock() + static_cast<uint32_t>(delay * 1000.0f);
    return channel.id;
}

void QV_StopChannel(uint32_t channel)
{
    if (!QVI_IsSoundOff())
        StopSoundChannel(channel);
}

void QV_SetChannelPan(uint32_t id, float pan)
{
    SoundChannel* channel = QVI_IsSoundOff() ? nullptr : FindChannel(id);
    if (!channel || !TakePan("QV_SetChannelPan", &pan))
        return;
    channel->pan = pan;
    if (channel->started && Implementation())
        Implementation()->SetChannelPan(channel->handle, pan);
}

void QV_SetChannelVolume(uint32_t channel, float volume)
{
    if (!QVI_IsSoundOff() && TakeVolume("QV_SetChannelVolume", &volume))
        SetSoundChannelVolume(channel, volume);
}

void QV_SetChannelPaused(uint32_t id, bool paused)
{
    SoundChannel* channel = QVI_IsSoundOff() ? nullptr : FindChannel(id);
    if (channel && channel->started && Implementation())
        Implementation()->SetChannelPaused(channel->handle, paused);
}

void QV_SetChannelLooping(uint32_t id, bool looping)
{
    SoundChannel* channel = QVI_IsSoundOff() ? nullptr : FindChannel(id);
    if (!channel)
        return;
    channel->loop = looping ? 1 : 0;
    if (channel->started && Implementation())
        Implementation()->SetChannelLooping(channel->handle, looping);
}

void QV_SetChannelPitch(uint32_t id, float pitch)
{
    SoundChannel* channel = QVI_IsSoundOff() ? nullptr : FindChannel(id);
    if (!channel || !TakePitch("QV_SetChannelPitch", &pitch))
        return;
    channel->pitch = pitch;
    if (channel->started && Implementation())
        Implementation()->SetChannelPitch(channel->handle, pitch);
}

bool QV_IsChannelPlaying(uint32_t channel)
{
    return !QVI_IsSoundOff() && IsSoundChannelPlaying(channel);
}

Sound* QV_GetChannelSound(uint32_t id)
{
    if (QVI_IsSoundOff() || !IsSoundChannelPlaying(id))
        return nullptr;
    SoundChannel* channel = FindChannel(id);
    return channel ? channel->sound : nullptr;
}

void QV_FadeChannelVolume(uint32_t id, float target, float seconds)
{
    if (QVI_IsSoundOff())
        return;
    if (std::isnan(target)) {
        QVI_Report(QV_LOG_WARNING, "QV_FadeChannelVolume: volume is not a number; ignored.");
        return;
    }
    if (target < kVolumeEpsilon) {
        FadeOutSoundChannel(id, seconds);
        return;
    }
    target = QVI_SnapSoundVolume(target);
    SoundChannel* channel = FindChannel(id);
    if (!channel || std::fabs(channel->volume - target) < kVolumeEpsilon ||
        (channel->fadeActive && channel->stopAfterFade))
        return;
    if (!channel->started) {
        channel->volume = target;
        return;
    }
    channel->fadeActive = 1;
    channel->stopAfterFade = 0;
    channel->fadeStartVolume = channel->volume;
    channel->fadeTargetVolume = target;
    channel->fadeElapsed = 0.0f;
    channel->fadeSeconds = seconds;
}

void QV_FadeOutChannel(uint32_t channel, float seconds)
{
    if (!QVI_IsSoundOff())
        FadeOutSoundChannel(channel, seconds);
}
