// The BRUM mixer's device side: DirectSound loaded at run time, one looping secondary buffer
// per channel, a silent keep-alive buffer, and the streaming thread that wakes every 25 ms to
// refill the half of each buffer that has just played. DirectSound does the mixing; this
// side only moves bytes and tracks when a channel's sound has run out.
//
// One critical section guards every buffer call, every refill and every change of a
// channel's stream; the engine thread's plain stores of volume, pan, pitch and loop are
// single 32-bit writes the streaming thread may read at any time.

#include "platform/windows/sound/brum_mixer_internal.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "core/engine_log.h"

namespace brum_internal {

MixerState g_state;
BRUMChannel g_channels[kBRUMMaxChannels];

namespace {

CRITICAL_SECTION g_lock;
INIT_ONCE g_lockOnce = INIT_ONCE_STATIC_INIT;

}  // namespace


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

// Keeps the text of the last failed device call for the mixer's trace; the engine learns of a
// device that cannot be used from Init's answer.
void NoteError(const char* operation, HRESULT result)
{
    const char* text = ErrorText(result);
    if (text)
        snprintf(g_state.lastError, sizeof(g_state.lastError), "%s: %s", operation, text);
    else
        snprintf(g_state.lastError, sizeof(g_state.lastError), "%s: Unknown DirectSound error: 0x%x", operation,
                 static_cast<unsigned>(result));
    BRUM::Trace("BRUM DirectSound error: '%s'\n", g_state.lastError);
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
    BRUM::Lock();
    // Checked under the lock: the engine's thread may have stopped the channel meanwhile.
    if (channel.id == 0 || !channel.sample || !channel.buffer) {
        BRUM::Unlock();
        return;
    }
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

void Shutdown();

// Its 25 ms pause is a wait on the stop event, so that Shutdown need not wait out a pause.
DWORD WINAPI StreamingThread(LPVOID)
{
    InterlockedExchange(&g_state.threadRunning, 1);
    while (true) {
        BRUM::Tick();
        if (InterlockedCompareExchange(&g_state.stopThread, 0, 0))
            break;
        if (g_state.stopEvent)
            WaitForSingleObject(g_state.stopEvent, kTickMilliseconds);
        else
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
    g_state.playListStartFrame = 0;
    g_state.lastError[0] = '\0';

    g_state.library = LoadLibraryA("DSOUND.DLL");
    DirectSoundCreateFunction create = nullptr;
    if (g_state.library)
        create = reinterpret_cast<DirectSoundCreateFunction>(
            reinterpret_cast<void*>(GetProcAddress(g_state.library, "DirectSoundCreate")));
    if (!create) {
        BRUM::Trace("BRUM: DirectSound is not available.\n");
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
    if (!g_state.stopEvent)
        g_state.stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    else
        ResetEvent(g_state.stopEvent);
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
    if (g_state.stopEvent)
        SetEvent(g_state.stopEvent);
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

}  // namespace brum_internal

using namespace brum_internal;

namespace BRUM {

void FillMixerTable(BRUMMixerTable* table)
{
    if (!table)
        return;
    table->version = 1;
    table->Init = Init;
    table->Shutdown = brum_internal::Shutdown;
    table->SetWindow = SetWindow;
    table->Reserved = Reserved;
    table->SetMasterVolume = brum_internal::SetMasterVolume;
    table->GetMasterVolume = GetMasterVolume;
    table->LoadSample = LoadSample;
    table->FreeSample = FreeSample;
    table->Play = brum_internal::Play;
    table->SetPitch = brum_internal::SetPitch;
    table->SetVolume = brum_internal::SetVolume;
    table->SetPan = brum_internal::SetPan;
    table->SetLooping = brum_internal::SetLooping;
    table->SetPaused = brum_internal::SetPaused;
    table->GetPitch = GetPitch;
    table->GetVolume = GetVolume;
    table->GetPan = GetPan;
    table->GetLooping = GetLooping;
    table->GetPaused = GetPaused;
    table->GetSample = GetSample;
    table->GetState = GetState;
    table->PlayDynamicSample = brum_internal::PlayDynamicSample;
    table->Stop = brum_internal::Stop;
    table->FadeVolume = brum_internal::FadeVolume;
    table->Tick = BRUM::Tick;
    table->SetActive = brum_internal::SetActive;
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
        brum_internal::Stop(ids[i]);
}

void Tick()
{
    brum_internal::Tick();
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
