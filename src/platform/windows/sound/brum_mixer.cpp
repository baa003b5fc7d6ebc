// The BRUM mixer: one looping DirectSound secondary buffer per playing sound, kept fed half
// a buffer at a time by a streaming thread that wakes every 25 ms. DirectSound mixes; this
// file only moves bytes, maps levels onto the device's ranges and tracks channel lifetimes.
//
// One critical section guards every buffer call, every refill and every change of a
// channel's stream; the engine thread's plain stores of volume, pan, pitch and loop are
// single 32-bit writes the streaming thread may read at any time.

#include "platform/windows/win32.h"

#include <mmsystem.h>
#include <dsound.h>

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "platform/windows/sound/brum_mixer.h"

namespace {

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
    volatile LONG tickBusy;
    DWORD lastTickTime;
    bool tickClockStarted;
    int playListStartIndex;
    char lastError[1024];
    QuavenAPI* api;
};

MixerState g_state;
BRUMChannel g_channels[kBRUMMaxChannels];
CRITICAL_SECTION g_lock;
INIT_ONCE g_lockOnce = INIT_ONCE_STATIC_INIT;
uint32_t g_lastId = 1;

BOOL CALLBACK CreateLock(PINIT_ONCE, PVOID, PVOID*)
{
    InitializeCriticalSection(&g_lock);
    return TRUE;
}

// The lock lives as long as the process: samples may be freed (and take it) after the
// mixer has shut down, and deleting it under a caller would be a crash waiting to happen.
void EnsureLock()
{
    InitOnceExecuteOnce(&g_lockOnce, CreateLock, nullptr, nullptr);
}

bool Running()
{
    return InterlockedCompareExchange(&g_state.running, 0, 0) != 0;
}

const char* ErrorText(HRESULT result)
{
    switch (static_cast<uint32_t>(result)) {
    case 0x8878001Eu: return "Control requested is not available";
    case 0x8007000Eu: return "Out of memory";
    case 0x80004001u: return "Function not supported";
    case 0x80004002u: return "Unsupported interface\n-- Is DirectX 5.0 or later installed?";
    case 0x80070057u: return "Invalid parameter";
    case 0x8878000Au: return "Audio device in use";
    case 0x88780032u: return "Invalid call for the current state";
    case 0x88780046u: return "Caller doesn't have priority";
    case 0x88780064u: return "Unsupported audio format";
    case 0x88780078u: return "No audio device found";
    case 0x88780096u: return "Mixing buffer was lost";
    default: return nullptr;
    }
}

// Keeps the text of the last failed device call; a failed call is also worth a line in the
// engine's log, since it usually means silence.
void NoteError(const char* operation, HRESULT result)
{
    const char* text = ErrorText(result);
    if (text)
        snprintf(g_state.lastError, sizeof(g_state.lastError), "%s: %s", operation, text);
    else
        snprintf(g_state.lastError, sizeof(g_state.lastError), "%s: Unknown DirectSound error: 0x%x", operation,
                 static_cast<unsigned>(result));
    BRUM::Trace("BRUM DirectSound error: '%s'\n", g_state.lastError);
    QVI_Report(QV_LOG_WARNING, "BRUM DirectSound error: '%s'", g_state.lastError);
}

WAVEFORMATEX PcmFormat(int channels, int rate)
{
    WAVEFORMATEX format = {};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = static_cast<DWORD>(rate) * format.nBlockAlign;
    return format;
}

IDirectSoundBuffer* CreateSecondaryBuffer(int channels)
{
    WAVEFORMATEX format = PcmFormat(channels, g_state.outputRate);
    DSBUFFERDESC description = {};
    description.dwSize = sizeof(description);
    description.dwFlags = kSecondaryFlags;
    description.dwBufferBytes = g_state.bufferBytes;
    description.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    HRESULT result = g_state.device->CreateSoundBuffer(&description, &buffer, nullptr);
    if (FAILED(result)) {
        NoteError("CreateSoundBuffer", result);
        return nullptr;
    }
    return buffer;
}

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

// The base rate that pitch multiplies: a play list has none and plays at the output rate.
DWORD PitchedFrequency(const BRUMSample* sample, float pitch)
{
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

void PlayKeepAlive()
{
    if (g_state.keepAlive)
        g_state.keepAlive->Play(0, 0, DSBPLAY_LOOPING);
}

// Writes half a buffer from the channel's sample at offset.
void FillHalf(BRUMChannel& channel, uint8_t* dest, uint32_t bytes)
{
    BRUMSample* sample = channel.sample;
    const int kind = sample ? sample->kind : BRUM_SAMPLE_EMPTY;
    const bool loop = channel.loop != 0;
    // A sample without a single byte of sound would make a looping fill go round forever
    // inside the lock: it plays silence instead.
    if ((kind == BRUM_SAMPLE_PCM || kind == BRUM_SAMPLE_OGG) && BRUM::GetSampleLength(sample) == 0)
        memset(dest, 0, bytes);
    else if (kind == BRUM_SAMPLE_PCM)
        BRUM::FillPCM(&channel, sample, dest, bytes, loop);
    else if (kind == BRUM_SAMPLE_OGG)
        BRUM::FillOgg(&channel, sample, dest, bytes, loop);
    else if (kind == BRUM_SAMPLE_PLAY_LIST && sample->entryCount > 0)
        BRUM::FillPlayList(&channel, dest, bytes);
    else
        memset(dest, 0, bytes);
}

void FinishChannel(BRUMChannel& channel);

void Refill(BRUMChannel& channel)
{
    if (channel.id == 0 || !channel.sample || !channel.buffer)
        return;
    BRUM::Lock();
    int half = channel.nextHalf;
    if (channel.started) {
        DWORD play = 0, write = 0;
        if (FAILED(channel.buffer->GetCurrentPosition(&play, &write))) {
            BRUM::Unlock();
            return;
        }
        uint32_t advanced = play >= channel.lastCursor ? play - channel.lastCursor
                                                       : play + channel.bufferBytes - channel.lastCursor;
        channel.bytesPlayed += advanced;
        if (!channel.loop && channel.remainingBytes >= 0) {
            channel.remainingBytes -= static_cast<int32_t>(advanced);
            if (channel.remainingBytes <= 0) {
                FinishChannel(channel);
                BRUM::Unlock();
                return;
            }
        }
        channel.lastCursor = play;
        const uint32_t halfBytes = channel.bufferBytes / 2;
        half = play < halfBytes ? 1 : 0;
        const bool writeInHalf = (write / halfBytes) == static_cast<DWORD>(half);
        if (half != channel.nextHalf || writeInHalf) {
            BRUM::Unlock();
            return;
        }
    }
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0, secondBytes = 0;
    HRESULT result = channel.buffer->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER);
    if (FAILED(result)) {
        NoteError("Lock", result);
        BRUM::Unlock();
        return;
    }
    const uint32_t halfBytes = channel.bufferBytes / 2;
    if (first && firstBytes >= channel.bufferBytes)
        FillHalf(channel, static_cast<uint8_t*>(first) + half * halfBytes, halfBytes);
    channel.nextHalf = half ^ 1;
    channel.buffer->Unlock(first, firstBytes, second, secondBytes);
    BRUM::Unlock();
}

// The end of a channel's sound, by Stop or by running out of data.
void FinishChannel(BRUMChannel& channel)
{
    BRUM::Lock();
    if (channel.decoderOpen)
        BRUM::CloseDecoder(&channel);
    if (channel.started) {
        if (channel.sample)
            --channel.sample->useCount;
        if (--g_state.playingCount <= 0) {
            g_state.playingCount = 0;
            PlayKeepAlive();
        }
    }
    if (channel.buffer)
        channel.buffer->Stop();
    channel.started = 0;
    channel.id = 0;
    channel.sample = nullptr;
    channel.currentEntry = nullptr;
    BRUM::Unlock();
}

bool IsNumber(float value)
{
    return value == value;
}

// ---- Table entries ----

void Shutdown();

DWORD WINAPI StreamingThread(LPVOID)
{
    InterlockedExchange(&g_state.threadRunning, 1);
    while (true) {
        BRUM::Tick();
        if (InterlockedCompareExchange(&g_state.stopThread, 0, 0))
            break;
        Sleep(kTickMilliseconds);
    }
    InterlockedExchange(&g_state.threadRunning, 0);
    return 0;
}

bool Init(int sampleRate, int channelCount, void* window, int /*flags*/)
{
    EnsureLock();
    Shutdown();
    if (sampleRate < 8000 || sampleRate > 192000 || channelCount < kStereoChannels) {
        QVI_Report(QV_LOG_WARNING, "BRUM Init: %d Hz and %d channels cannot be used.", sampleRate, channelCount);
        return false;
    }
    g_state.channelCount = channelCount > kBRUMMaxChannels ? kBRUMMaxChannels : channelCount;
    g_state.outputRate = sampleRate;
    g_state.bufferBytes = static_cast<uint32_t>(sampleRate) * 2;
    g_state.masterVolume = 1.0f;
    g_state.outputBits = 16;
    g_state.outputChannels = 2;
    g_state.playingCount = 0;
    g_state.stopThread = 0;
    g_state.tickBusy = 0;
    g_state.tickClockStarted = false;
    g_state.playListStartIndex = 0;
    g_state.lastError[0] = '\0';

    g_state.library = LoadLibraryA("DSOUND.DLL");
    DirectSoundCreateFunction create = nullptr;
    if (g_state.library)
        create = reinterpret_cast<DirectSoundCreateFunction>(
            reinterpret_cast<void*>(GetProcAddress(g_state.library, "DirectSoundCreate")));
    if (!create) {
        QVI_Report(QV_LOG_WARNING, "BRUM: DirectSound is not available.");
        if (g_state.library)
            FreeLibrary(g_state.library);
        g_state.library = nullptr;
        return false;
    }
    HRESULT result = create(nullptr, &g_state.device, nullptr);
    const char* failed = "DirectSoundCreate";
    if (SUCCEEDED(result)) {
        failed = "SetCooperativeLevel";
        result = g_state.device->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY);
    }
    if (SUCCEEDED(result)) {
        DSBUFFERDESC primaryDescription = {};
        primaryDescription.dwSize = sizeof(primaryDescription);
        primaryDescription.dwFlags = DSBCAPS_PRIMARYBUFFER;
        IDirectSoundBuffer* primary = nullptr;
        failed = "CreateSoundBuffer";
        result = g_state.device->CreateSoundBuffer(&primaryDescription, &primary, nullptr);
        if (SUCCEEDED(result)) {
            WAVEFORMATEX format = PcmFormat(g_state.outputChannels, sampleRate);
            failed = "SetFormat";
            result = primary->SetFormat(&format);
            primary->Release();
        }
    }
    if (FAILED(result)) {
        NoteError(failed, result);
        if (g_state.device)
            g_state.device->Release();
        g_state.device = nullptr;
        FreeLibrary(g_state.library);
        g_state.library = nullptr;
        return false;
    }

    memset(g_channels, 0, sizeof(g_channels));
    for (int i = 0; i < g_state.channelCount; ++i) {
        BRUMChannel& channel = g_channels[i];
        channel.kind = i < g_state.channelCount - kStereoChannels ? 1 : 2;
        channel.bufferBytes = g_state.bufferBytes;
        channel.buffer = CreateSecondaryBuffer(channel.kind);
    }

    // Running before the thread starts, so that its first tick is not lost.
    InterlockedExchange(&g_state.running, 1);
    InterlockedExchange(&g_state.active, 1);
    g_state.thread = CreateThread(nullptr, 0, StreamingThread, nullptr, 0, nullptr);
    if (!g_state.thread)
        QVI_Report(QV_LOG_WARNING, "BRUM: the streaming thread could not start (error %lu).", GetLastError());

    g_state.keepAlive = CreateSecondaryBuffer(2);
    if (g_state.keepAlive) {
        void* first = nullptr;
        void* second = nullptr;
        DWORD firstBytes = 0, secondBytes = 0;
        result = g_state.keepAlive->Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER);
        if (SUCCEEDED(result)) {
            if (first)
                memset(first, 0, firstBytes);
            if (second)
                memset(second, 0, secondBytes);
            g_state.keepAlive->Unlock(first, firstBytes, second, secondBytes);
        } else {
            NoteError("Lock", result);
        }
        PlayKeepAlive();
    }
    return true;
}

void Shutdown()
{
    EnsureLock();
    if (!InterlockedExchange(&g_state.running, 0))
        return;
    InterlockedExchange(&g_state.active, 0);
    InterlockedExchange(&g_state.stopThread, 1);
    bool threadLeft = true;
    if (g_state.thread) {
        threadLeft = WaitForSingleObject(g_state.thread, kThreadExitTimeoutMs) == WAIT_OBJECT_0;
        CloseHandle(g_state.thread);
        g_state.thread = nullptr;
    }
    if (!threadLeft) {
        // Releasing buffers under a thread that may still use them would be worse than leaking them.
        QVI_Report(QV_LOG_WARNING, "BRUM: the streaming thread did not stop; its buffers are left as they are.");
        return;
    }
    BRUM::Lock();
    for (int i = 0; i < g_state.channelCount; ++i) {
        BRUMChannel& channel = g_channels[i];
        if (channel.decoderOpen)
            BRUM::CloseDecoder(&channel);
        if (channel.sample && channel.started)
            --channel.sample->useCount;
        if (channel.buffer) {
            channel.buffer->Stop();
            channel.buffer->Release();
        }
        channel = BRUMChannel{};
    }
    g_state.playingCount = 0;
    if (g_state.keepAlive) {
        g_state.keepAlive->Stop();
        g_state.keepAlive->Release();
        g_state.keepAlive = nullptr;
    }
    if (g_state.device)
        g_state.device->Release();
    g_state.device = nullptr;
    if (g_state.library)
        FreeLibrary(g_state.library);
    g_state.library = nullptr;
    BRUM::Unlock();
}

void SetWindow(void* window)
{
    if (!Running() || !g_state.device)
        return;
    HRESULT result = g_state.device->SetCooperativeLevel(static_cast<HWND>(window), DSSCL_PRIORITY);
    if (FAILED(result))
        NoteError("SetCooperativeLevel", result);
}

void Reserved() {}

void SetVolume(uint32_t id, float volume);

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
    if (sample->kind == BRUM_SAMPLE_PLAY_LIST)
        channel.playListIndex = sample->entryCount > 0 ? g_state.playListStartIndex % sample->entryCount : 0;
    Refill(channel);
    ApplyVolume(channel);

    channel.buffer->SetCurrentPosition(0);
    channel.buffer->SetFrequency(PitchedFrequency(sample, pitch));
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
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
    if (!channel || !channel->sample)
        return;
    const int flag = looping ? 1 : 0;
    if (channel->loop == flag)
        return;
    BRUM::Lock();
    channel->loop = flag;
    const uint32_t length = BRUM::GetSampleLength(channel->sample);
    if (flag || channel->sample->kind == BRUM_SAMPLE_PLAY_LIST)
        channel->remainingBytes = -1;
    else if (length > 0)
        channel->remainingBytes = static_cast<int32_t>(length - channel->bytesPlayed % length);
    else
        channel->remainingBytes = 0;
    BRUM::Unlock();
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
    if (!IsNumber(target) || !IsNumber(seconds))
        return;
    BRUMChannel* channel = Running() ? FindChannel(id) : nullptr;
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

void Tick()
{
    if (!Running())
        return;
    while (InterlockedCompareExchange(&g_state.tickBusy, 1, 0) != 0) {
        Sleep(5);
        if (!Running())
            return;
    }
    // The first tick only starts the clock for the fades; it refills like any other.
    const DWORD now = timeGetTime();
    if (!g_state.tickClockStarted) {
        g_state.tickClockStarted = true;
        g_state.lastTickTime = now;
    }
    const float dt = static_cast<float>(now - g_state.lastTickTime) * 0.001f;
    g_state.lastTickTime = now;
    // Two ticks within one millisecond still refill: only fades need time to pass.
    for (int i = 0; i < g_state.channelCount && Running(); ++i) {
        BRUMChannel& channel = g_channels[i];
        if (!channel.buffer || channel.id == 0 || !channel.started)
            continue;
        if (dt > 0.0f && channel.fadeRate != 0.0f && !StepFade(channel, dt))
            continue;
        Refill(channel);
    }
    InterlockedExchange(&g_state.tickBusy, 0);
}

void SetActive(int active)
{
    const LONG flag = active ? 1 : 0;
    if (!Running() || InterlockedExchange(&g_state.active, flag) == flag)
        return;
    for (int i = 0; i < g_state.channelCount; ++i) {
        BRUMChannel& channel = g_channels[i];
        if (!channel.buffer)
            continue;
        if (!flag) {
            BRUM::Lock();
            channel.buffer->Stop();
            BRUM::Unlock();
        } else if (channel.id != 0 && !channel.paused) {
            BRUM::Lock();
            channel.buffer->Restore();
            channel.buffer->Play(0, 0, DSBPLAY_LOOPING);
            BRUM::Unlock();
            Refill(channel);
        }
    }
}

// Starts the list on a new channel at the given volume and entry; 0 when none is free.
BRUMChannel* StartListChannel(BRUMSample* list, int segment, float volume, const BRUMChannel& old)
{
    g_state.playListStartIndex = segment;
    const uint32_t id = Play(list, volume, old.pan, old.pitch, 1);
    g_state.playListStartIndex = 0;
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
    if (transition & 0x20) {
        seconds = 5.0f;
        from = start;
    } else if ((transition & 0x88) == 0x88) {
        seconds = 5.0f;
        from = old.playListIndex;
    } else if (transition & 8) {
        seconds = 1.0f;
    }
    if (seconds > 0.0f) {
        BRUMChannel* fresh = StartListChannel(list, from, 0.001f, old);
        if (!fresh)
            return;
        if ((transition & 0x88) == 0x88 && old.currentEntry && old.currentEntry->kind == BRUM_SAMPLE_PCM) {
            BRUM::Lock();
            fresh->currentEntry = old.currentEntry;
            fresh->readPosition = old.readPosition;
            BRUM::Unlock();
        }
        const uint32_t freshId = fresh->id;
        FadeVolume(freshId, 1.0f, seconds);
        FadeVolume(old.id, 0.0f, seconds);
        SwapIds(old, *fresh);
        return;
    }
    BRUM::Lock();
    if (old.decoderOpen)
        BRUM::CloseDecoder(&old);
    old.sample = list;
    old.currentEntry = nullptr;
    old.entryWord = 0;
    old.playListIndex = 0;
    old.readPosition = 0;
    BRUM::Unlock();
}

}  // namespace

namespace BRUM {

void FillMixerTable(BRUMMixerTable* table)
{
    if (!table)
        return;
    table->version = 1;
    table->Init = Init;
    table->Shutdown = ::Shutdown;
    table->SetWindow = SetWindow;
    table->Reserved = Reserved;
    table->SetMasterVolume = ::SetMasterVolume;
    table->GetMasterVolume = GetMasterVolume;
    table->LoadSample = LoadSample;
    table->FreeSample = FreeSample;
    table->Play = ::Play;
    table->SetPitch = ::SetPitch;
    table->SetVolume = ::SetVolume;
    table->SetPan = ::SetPan;
    table->SetLooping = ::SetLooping;
    table->SetPaused = ::SetPaused;
    table->GetPitch = GetPitch;
    table->GetVolume = GetVolume;
    table->GetPan = GetPan;
    table->GetLooping = GetLooping;
    table->GetPaused = GetPaused;
    table->GetSample = GetSample;
    table->GetState = GetState;
    table->PlayDynamicSample = ::PlayDynamicSample;
    table->Stop = ::Stop;
    table->FadeVolume = ::FadeVolume;
    table->Tick = BRUM::Tick;
    table->SetActive = ::SetActive;
}

void SetApi(QuavenAPI* api)
{
    g_state.api = api;
}

QuavenAPI* GetApi()
{
    return g_state.api;
}

bool IsRunning()
{
    return Running();
}

void Lock()
{
    EnsureLock();
    EnterCriticalSection(&g_lock);
}

void Unlock()
{
    LeaveCriticalSection(&g_lock);
}

void StopChannelsPlaying(BRUMSample* sample)
{
    if (!sample || !Running())
        return;
    uint32_t ids[kBRUMMaxChannels];
    int count = 0;
    Lock();
    for (int i = 0; i < g_state.channelCount; ++i) {
        const BRUMSample* playing = g_channels[i].sample;
        bool plays = playing == sample;
        // A list's channel plays its entries too.
        if (!plays && playing && playing->kind == BRUM_SAMPLE_PLAY_LIST)
            plays = g_channels[i].currentEntry == sample;
        if (g_channels[i].id != 0 && plays)
            ids[count++] = g_channels[i].id;
    }
    Unlock();
    for (int i = 0; i < count; ++i)
        ::Stop(ids[i]);
}

void Tick()
{
    ::Tick();
}

const char* LastError()
{
    return g_state.lastError;
}

void Trace(const char* format, ...)
{
    (void)format;
}

}  // namespace BRUM
