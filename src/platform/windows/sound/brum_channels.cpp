// The BRUM mixer's channels: handing them out to sounds, their volume, pan, pitch, looping,
// pausing and fades, and the play-list switches of PlayDynamicSample. Levels are kept inside
// what DirectSound takes (-10000..0 hundredths of a decibel); a value that is not a number is
// refused.

#include "platform/windows/sound/brum_mixer_internal.h"

#include <cmath>
#include <cstring>

#include "core/engine_log.h"

namespace brum_internal {

namespace {

uint32_t g_lastId = 1;

// The mixer's lock for a scope. A channel is looked up under it: a sound unloaded on another
// thread stops its channels under the same lock, so what was found stays valid meanwhile.
class MixerLockHold {
public:
    MixerLockHold() { BRUM::Lock(); }
    ~MixerLockHold() { BRUM::Unlock(); }
    MixerLockHold(const MixerLockHold&) = delete;
    MixerLockHold& operator=(const MixerLockHold&) = delete;
};

}  // namespace

BRUMChannel* FindChannel(uint32_t id)
{
    if (id == 0 || id == kBRUMAllChannels)
        return nullptr;
    for (int i = 0; i < g_state.channelCount; ++i) {
        if (g_channels[i].id == id)
            return &g_channels[i];
    }
    return nullptr;
}

uint32_t NextId()
{
    ++g_lastId;
    if (g_lastId == 0 || g_lastId == kBRUMAllChannels)
        g_lastId = 2;
    return g_lastId;
}

BRUMChannel* AllocateChannel(int channels)
{
    for (int i = 0; i < g_state.channelCount; ++i) {
        BRUMChannel& channel = g_channels[i];
        // A record whose buffer could not be created is never handed out.
        if (channel.id != 0 || channel.kind != channels || !channel.buffer)
            continue;
        channel.id = NextId();
        channel.started = 0;
        // A sound paused when its channel was last stopped must not leave the next one paused.
        channel.paused = 0;
        channel.fadeRate = 0.0f;
        channel.fadeLevel = 1.0f;
        channel.fadeTarget = 1.0f;
        channel.currentEntry = nullptr;
        channel.entryWord = 0;
        channel.playListIndex = 0;
        return &channel;
    }
    return nullptr;
}

// Play's rate: the sample's rate times the pitch, truncated. 0 (pitch 0, or a play list,
// which has no rate of its own) is the buffer's own rate, the output rate. A rate the device
// refuses is brought into the device's own range. A play list stays at 0 whatever the pitch:
// 0 times an infinite one is no number, which would land on the lowest rate.
void SetPlayFrequency(IDirectSoundBuffer* buffer, const BRUMSample* sample, float pitch)
{
    const double frequency = sample->sampleRate > 0 ? static_cast<double>(sample->sampleRate) * pitch : 0.0;
    if (frequency >= 0.0 && frequency < 4294967296.0 && SUCCEEDED(buffer->SetFrequency(static_cast<DWORD>(frequency))))
        return;
    buffer->SetFrequency(frequency >= DSBFREQUENCY_MAX  ? DSBFREQUENCY_MAX
                         : frequency > DSBFREQUENCY_MIN ? static_cast<DWORD>(frequency)
                                                        : DSBFREQUENCY_MIN);
}

// SetPitch's rate, within 100..100000 Hz. A play list has no rate of its own and keeps the
// buffer's own rate, the output rate, whatever its pitch, as Play starts it: a rate of 0
// times the pitch would otherwise hold the music at the lowest rate. Another sample without
// a rate takes the output rate as its own.
DWORD PitchedFrequency(const BRUMSample* sample, float pitch)
{
    if (sample && sample->kind == BRUM_SAMPLE_PLAY_LIST)
        return DSBFREQUENCY_ORIGINAL;
    const double base = sample && sample->sampleRate > 0 ? sample->sampleRate : g_state.outputRate;
    const double frequency = base * pitch;
    if (!(frequency >= kMinFrequency))
        return kMinFrequency;
    if (frequency > kMaxFrequency)
        return kMaxFrequency;
    return static_cast<DWORD>(frequency);
}

// 1000 × log2 of the level: -10 dB for each halving, within DirectSound's -10000..0.
LONG LevelToVolume(float level)
{
    if (!(level > 0.0f))
        return kSilentVolume;
    if (level >= 1.0f)
        return 0;
    const double volume = 1000.0 * std::log2(static_cast<double>(level));
    return volume <= kSilentVolume ? kSilentVolume : static_cast<LONG>(volume);
}

float Clamp(float value, float low, float high)
{
    return value < low ? low : (value > high ? high : value);
}

void ApplyVolume(BRUMChannel& channel)
{
    const float level = Clamp(channel.volume * g_state.masterVolume, 0.0f, 1.0f);
    BRUM::Lock();
    if (channel.buffer)
        channel.buffer->SetVolume(LevelToVolume(level));
    BRUM::Unlock();
}

bool IsNumber(float value)
{
    return value == value;
}

void SetMasterVolume(float volume)
{
    if (!IsNumber(volume)) {
        QVI_Report(QV_LOG_WARNING, "BRUM SetMasterVolume: not a number, ignored.");
        return;
    }
    g_state.masterVolume = Clamp(volume, 0.0f, 1.0f);
    if (!Running())
        return;
    for (int i = 0; i < g_state.channelCount; ++i) {
        if (g_channels[i].id != 0 && g_channels[i].buffer)
            ApplyVolume(g_channels[i]);
    }
}

float GetMasterVolume()
{
    return g_state.masterVolume;
}

uint32_t Play(BRUMSample* sample, float volume, float pan, float pitch, int flags)
{
    if (!Running() || !sample)
        return 0;
    if (sample->channels != 1 && sample->channels != 2)
        return 0;
    if (!IsNumber(volume) || !IsNumber(pan) || !IsNumber(pitch)) {
        QVI_Report(QV_LOG_WARNING, "BRUM Play '%s': a volume, pan or pitch that is not a number, not playing.",
                   sample->name ? sample->name : "");
        return 0;
    }
    BRUM::Lock();
    BRUMChannel* found = AllocateChannel(sample->channels);
    if (!found) {
        BRUM::Unlock();
        BRUM::Trace("BRUM out of free sound channels, not playing '%s'..", sample->name ? sample->name : "");
        return 0;
    }
    BRUMChannel& channel = *found;
    channel.readPosition = 0;
    channel.decoderOpen = 0;
    memset(&channel.decoder, 0, sizeof(channel.decoder));
    channel.pitch = pitch;
    channel.sample = sample;
    channel.pan = Clamp(pan, -1.0f, 1.0f);
    channel.volume = Clamp(volume, 0.0f, 1.0f);
    channel.loop = flags & 1;
    if (channel.loop || sample->kind == BRUM_SAMPLE_PLAY_LIST)
        channel.remainingBytes = -1;
    else
        channel.remainingBytes = static_cast<int32_t>(BRUM::GetSampleLength(sample));
    if (sample->kind == BRUM_SAMPLE_OGG && BRUM::GetSampleLength(sample) > 0)
        BRUM::OpenDecoder(&channel);
    channel.nextHalf = 0;
    channel.lastCursor = 0;
    channel.started = 0;
    channel.bytesPlayed = 0;
    if (sample->kind == BRUM_SAMPLE_PLAY_LIST) {
        channel.playListIndex = sample->entryCount > 0 ? g_state.playListStartIndex % sample->entryCount : 0;
        if (g_state.playListStartFrame > 0)
            BRUM::StartPlayListEntryAt(&channel, g_state.playListStartFrame);
    }
    Refill(channel);
    ApplyVolume(channel);

    channel.buffer->SetCurrentPosition(0);
    SetPlayFrequency(channel.buffer, sample, pitch);
    channel.buffer->SetPan(static_cast<LONG>(channel.pan * 10000.0f));
    channel.buffer->Play(0, 0, DSBPLAY_LOOPING);
    ++g_state.playingCount;
    channel.started = 1;
    ++sample->useCount;
    if (g_state.keepAlive)
        g_state.keepAlive->Stop();
    const uint32_t id = channel.id;
    BRUM::Unlock();
    return id;
}

// Runs the action on the one channel named, or on every channel with an id and a sample.
template <typename Action>
void ForChannels(uint32_t id, Action action)
{
    if (!Running())
        return;
    MixerLockHold hold;
    if (id == kBRUMAllChannels) {
        for (int i = 0; i < g_state.channelCount; ++i) {
            if (g_channels[i].id != 0 && g_channels[i].sample)
                action(g_channels[i]);
        }
        return;
    }
    BRUMChannel* channel = FindChannel(id);
    if (channel && channel->sample)
        action(*channel);
}

void SetPitch(uint32_t id, float pitch)
{
    if (!IsNumber(pitch)) {
        QVI_Report(QV_LOG_WARNING, "BRUM SetPitch: not a number, ignored.");
        return;
    }
    ForChannels(id, [pitch](BRUMChannel& channel) {
        channel.pitch = pitch;
        BRUM::Lock();
        channel.buffer->SetFrequency(PitchedFrequency(channel.sample, pitch));
        BRUM::Unlock();
    });
}

void SetVolume(uint32_t id, float volume)
{
    if (!IsNumber(volume)) {
        QVI_Report(QV_LOG_WARNING, "BRUM SetVolume: not a number, ignored.");
        return;
    }
    ForChannels(id, [volume](BRUMChannel& channel) {
        channel.volume = Clamp(volume, 0.0f, 1.0f);
        ApplyVolume(channel);
    });
}

void SetPan(uint32_t id, float pan)
{
    if (!IsNumber(pan)) {
        QVI_Report(QV_LOG_WARNING, "BRUM SetPan: not a number, ignored.");
        return;
    }
    ForChannels(id, [pan](BRUMChannel& channel) {
        channel.pan = Clamp(pan, -1.0f, 1.0f);
        BRUM::Lock();
        channel.buffer->SetPan(static_cast<LONG>(channel.pan * 10000.0f));
        BRUM::Unlock();
    });
}

void SetLooping(uint32_t id, int looping)
{
    if (!Running())
        return;
    MixerLockHold hold;
    BRUMChannel* channel = FindChannel(id);
    if (!channel || !channel->sample)
        return;
    const int flag = looping ? 1 : 0;
    if (channel->loop == flag)
        return;
    channel->loop = flag;
    const uint32_t length = BRUM::GetSampleLength(channel->sample);
    if (flag || channel->sample->kind == BRUM_SAMPLE_PLAY_LIST)
        channel->remainingBytes = -1;
    else if (length > 0)
        channel->remainingBytes = static_cast<int32_t>(length - channel->bytesPlayed % length);
    else
        channel->remainingBytes = 0;
}

void SetPaused(uint32_t id, int paused)
{
    if (id == 0)
        return;
    const int flag = paused ? 1 : 0;
    ForChannels(id, [flag](BRUMChannel& channel) {
        if (channel.paused == flag)
            return;
        channel.paused = flag;
        BRUM::Lock();
        if (flag)
            channel.buffer->Stop();
        else
            channel.buffer->Play(0, 0, DSBPLAY_LOOPING);
        BRUM::Unlock();
    });
}

float GetPitch(uint32_t id)
{
    if (!Running())
        return 1.0f;
    BRUMChannel* channel = FindChannel(id);
    return channel ? channel->pitch : 0.0f;
}

float GetVolume(uint32_t id)
{
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    return channel ? channel->volume : 0.0f;
}

float GetPan(uint32_t id)
{
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    return channel ? channel->pan : 0.0f;
}

int GetLooping(uint32_t id)
{
    if (!Running())
        return 0;
    BRUMChannel* channel = FindChannel(id);
    return channel ? channel->loop : -1;
}

int GetPaused(uint32_t id)
{
    if (!Running())
        return 0;
    BRUMChannel* channel = FindChannel(id);
    return channel ? channel->paused : -1;
}

BRUMSample* GetSample(uint32_t id)
{
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    return channel ? channel->sample : nullptr;
}

int GetState(uint32_t id)
{
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    if (!channel || !channel->sample)
        return 0;
    return channel->paused ? 2 : 1;
}

void Stop(uint32_t id)
{
    if (!Running())
        return;
    MixerLockHold hold;
    if (id == kBRUMAllChannels) {
        for (int i = 0; i < g_state.channelCount; ++i) {
            if (g_channels[i].id != 0 && g_channels[i].buffer)
                FinishChannel(g_channels[i]);
        }
        return;
    }
    BRUMChannel* channel = FindChannel(id);
    if (channel && channel->buffer)
        FinishChannel(*channel);
}

void FadeVolume(uint32_t id, float target, float seconds)
{
    if (!IsNumber(target) || !IsNumber(seconds) || !Running())
        return;
    MixerLockHold hold;
    BRUMChannel* channel = FindChannel(id);
    if (!channel || !channel->sample)
        return;
    target = Clamp(target, 0.0f, 1.0f);
    if (channel->volume < 0.001f && target == 0.0f) {
        Stop(id);
        return;
    }
    if (seconds < 0.001f) {
        if (target < 0.001f)
            Stop(id);
        else
            SetVolume(id, target);
        return;
    }
    if (target == channel->volume || (target > 0.001f && std::fabs(target - channel->volume) <= 0.01f))
        return;
    // The rate that reaches the target in the time given, whatever the distance.
    channel->fadeTarget = target;
    channel->fadeRate = (target - channel->volume) / seconds;
}

// One fade step; false when the fade stopped the channel.
bool StepFade(BRUMChannel& channel, float dt)
{
    channel.volume += channel.fadeRate * dt;
    const bool rising = channel.fadeRate > 0.0f;
    if (rising ? channel.volume >= channel.fadeTarget : channel.volume <= channel.fadeTarget) {
        channel.fadeRate = 0.0f;
        if (!rising && channel.fadeTarget <= 0.0f) {
            FinishChannel(channel);
            return false;
        }
        channel.volume = channel.fadeTarget;
        ApplyVolume(channel);
        return true;
    }
    // A curve that keeps the fade audible until its last steps.
    const float level = Clamp(channel.volume * g_state.masterVolume, 0.0f, 1.0f);
    LONG volume = kSilentVolume;
    if (level >= 0.15f) {
        const float gain = level * 0.33333334f + 0.6666667f;
        volume = static_cast<LONG>((1.0f - gain) * -10000.0f);
        if (volume < kSilentVolume)
            volume = kSilentVolume;
        if (volume > 0)
            volume = 0;
    }
    BRUM::Lock();
    channel.buffer->SetVolume(volume);
    BRUM::Unlock();
    return true;
}

// Starts the list on a new channel at the given volume, entry and frame of that entry; null
// when no channel is free.
BRUMChannel* StartListChannel(BRUMSample* list, int segment, float volume, const BRUMChannel& old, uint64_t frame = 0)
{
    g_state.playListStartIndex = segment;
    g_state.playListStartFrame = frame;
    const uint32_t id = Play(list, volume, old.pan, old.pitch, 1);
    g_state.playListStartIndex = 0;
    g_state.playListStartFrame = 0;
    return FindChannel(id);
}

void SwapIds(BRUMChannel& a, BRUMChannel& b)
{
    BRUM::Lock();
    const uint32_t id = a.id;
    a.id = b.id;
    b.id = id;
    BRUM::Unlock();
}

void PlayDynamicSample(uint32_t id, BRUMSample* list, int segment, int transition)
{
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    if (!channel || !list)
        return;
    BRUM::Trace("new SAMPLE %X start seg %d trans %d !\n", static_cast<unsigned>(reinterpret_cast<uintptr_t>(list)),
                segment, transition);
    if (!channel->sample)
        channel->sample = list;
    BRUMSample* current = channel->sample;
    if (current->kind != BRUM_SAMPLE_PLAY_LIST || current->entryCount <= 0 || list->kind != BRUM_SAMPLE_PLAY_LIST ||
        list->entryCount <= 0)
        return;
    BRUM::Trace("dynSAMPLE %s\n", list->name ? list->name : "");
    const int start = segment >= 0 ? segment % list->entryCount : 0;
    BRUMChannel& old = *channel;
    if (transition & 4) {
        BRUMChannel* fresh = StartListChannel(list, start, old.volume, old);
        if (fresh) {
            SwapIds(old, *fresh);
            Stop(old.id);
        }
        return;
    }
    float seconds = 0.0f;
    int from = 0;
    uint64_t frame = 0;
    if (transition & 0x20) {
        seconds = 5.0f;
        from = start;
    } else if ((transition & 0x88) == 0x88) {
        // The new list goes on from the old channel's stream position: its entry and the
        // frame within it, for in-memory and decoded entries alike.
        seconds = 5.0f;
        from = old.playListIndex;
        frame = BRUM::GetStreamFrame(&old);
    } else if (transition & 8) {
        seconds = 1.0f;
    }
    if (seconds > 0.0f) {
        BRUMChannel* fresh = StartListChannel(list, from, 0.001f, old, frame);
        if (!fresh)
            return;
        const uint32_t freshId = fresh->id;
        FadeVolume(freshId, 1.0f, seconds);
        FadeVolume(old.id, 0.0f, seconds);
        SwapIds(old, *fresh);
        return;
    }
    BRUM::Lock();
    if (old.decoderOpen)
        BRUM::CloseDecoder(&old);
    if (old.started && old.sample != list) {
        --old.sample->useCount;
        ++list->useCount;
    }
    old.sample = list;
    old.currentEntry = nullptr;
    old.entryWord = 0;
    old.playListIndex = 0;
    old.readPosition = 0;
    BRUM::Unlock();
}

}  // namespace brum_internal
