#include "platform/windows/sound/sound_imp_brum.h"

#include <cstring>
#include <string>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "platform/windows/sound/brum_mixer.h"
#include "sound/interface/sound_record.h"

namespace {

BRUMMixerTable g_table;
// Null until the first Initialize: every channel slot checks it.
BRUMMixerTable* g_mixer = nullptr;

// Longest play-list line kept; a longer one is skipped whole rather than cut into a
// path that names some other file.
const size_t kMaxPlayListLine = 511;

// True when the first occurrence of ext in path is its last characters.
bool EndsWithOnly(const char* path, const char* ext)
{
    const char* found = strstr(path, ext);
    return found && strlen(found) == strlen(ext);
}

void FreeRejected(BRUMSample* sample)
{
    if (sample && g_mixer)
        g_mixer->FreeSample(sample);
}

// One play-list line: a path, appended when its format matches the list's.
void AddPlayListEntry(BRUMSample* list, const std::string& line)
{
    if (list->entryCount >= kBRUMPlayListEntries)
        return;
    BRUMSample* entry = g_mixer->LoadSample(line.c_str(), BRUM_LOAD_STREAM);
    if (!entry) {
        QVI_Report(QV_LOG_WARNING, "Play list entry '%s' was not found; skipped.", line.c_str());
        return;
    }
    if (entry->channels == 0) {
        QVI_Report(QV_LOG_WARNING, "Play list entry '%s' could not be loaded; skipped.", line.c_str());
        FreeRejected(entry);
        return;
    }
    if (list->entryCount > 0 &&
        (entry->bitsPerSample != list->bitsPerSample || entry->channels != list->channels)) {
        QVI_Report(QV_LOG_INFO, "Sample format of '%s' differs from the first play list sample.\n",
                   entry->name ? entry->name : line.c_str());
        FreeRejected(entry);
        return;
    }
    if (list->entryCount == 0) {
        list->bitsPerSample = entry->bitsPerSample;
        list->channels = entry->channels;
    }
    list->entries[list->entryCount++] = entry;
}

}  // namespace

const char* SoundImpBRUM::GetName()
{
    return "Kelmark Brumvox";
}

bool SoundImpBRUM::Initialize(CoreState* core, VideoParameters*)
{
    musicChannel_ = 0;
    BRUM::FillMixerTable(&g_table);
    g_mixer = &g_table;
    if (!core)
        return false;
    BRUM::SetApi(core->api);
    return g_mixer->Init(44100, 64, core->mainWindow, 0);
}

bool SoundImpBRUM::OnWindowChanged(CoreState* core, VideoParameters*)
{
    QVI_Report(QV_LOG_SYSTEM, "SoundImplementation BRUM acknowledging window change.");
    if (g_mixer && core)
        g_mixer->SetWindow(core->mainWindow);
    return true;
}

void SoundImpBRUM::Shutdown()
{
    QVI_Report(QV_LOG_SYSTEM, "SoundImplementation BRUM Shutdown.");
    musicChannel_ = 0;
    if (g_mixer)
        g_mixer->Shutdown();
}

BRUMSample* SoundImpBRUM::LoadPlayList(const char* path)
{
    QuavenAPI* api = BRUM::GetApi();
    if (!api || !api->fileSystem)
        return nullptr;
    FileHandle* file = api->fileSystem->OpenFile(path, "r");
    if (!file)
        return nullptr;
    BRUMSample* list = g_mixer->LoadSample(path, BRUM_LOAD_EMPTY);
    if (!list) {
        api->fileSystem->CloseFile(file);
        return nullptr;
    }
    list->kind = BRUM_SAMPLE_PLAY_LIST;
    list->channels = 2;
    list->entryCount = 0;

    // Lines end at "\n" or "\r"; the last line counts whether or not a line end follows it.
    std::string line;
    bool tooLong = false;
    auto endLine = [&]() {
        if (tooLong)
            QVI_Report(QV_LOG_WARNING, "Play list '%s': a line longer than %u characters is skipped.", path,
                       static_cast<unsigned>(kMaxPlayListLine));
        else if (!line.empty() && line[0] != ' ' && line[0] != '\t')
            AddPlayListEntry(list, line);
        line.clear();
        tooLong = false;
    };
    char chunk[4096];
    int got;
    while ((got = api->fileSystem->Read(chunk, sizeof(chunk), file)) > 0) {
        for (int i = 0; i < got; ++i) {
            const char c = chunk[i];
            if (c == '\n' || c == '\r') {
                if (!line.empty() || tooLong)
                    endLine();
            } else if (line.size() >= kMaxPlayListLine) {
                tooLong = true;
            } else if (!tooLong) {
                line.push_back(c);
            }
        }
    }
    if (!line.empty() || tooLong)
        endLine();
    api->fileSystem->CloseFile(file);
    return list;
}

bool SoundImpBRUM::LoadSound(Sound* sound, const char* path)
{
    if (!sound || !path || !g_mixer)
        return false;
    QuavenAPI* api = BRUM::GetApi();
    if (EndsWithOnly(path, ".mp3") && api && api->fileSystem && api->fileSystem->FileExists(path)) {
        QVI_Report(QV_LOG_WARNING, "SoundImplementation BRUM pretending it can load mp3.");
        return true;
    }
    BRUMSample* sample = nullptr;
    if (EndsWithOnly(path, ".mpl")) {
        sample = LoadPlayList(path);
        if (!sample)
            return false;
    } else {
        sample = g_mixer->LoadSample(path, 0);
    }
    if (!sample)
        return false;
    if (sample->channels == 0) {
        // Nothing playable came of the file: the engine tries the next extension.
        g_mixer->FreeSample(sample);
        return false;
    }
    // A record loaded again (its file reloaded while it still held data) gives the old data back.
    UnloadSound(sound);
    sound->sample = sample;
    uint32_t bytes = 0;
    if (sample->kind == BRUM_SAMPLE_PCM)
        bytes = sample->dataBytes;
    else if (sample->kind == BRUM_SAMPLE_OGG)
        bytes = sample->decodedBytes;
    sound->dataSize = bytes;
    // The rate counts in whole eighths, with the bits per sample in place of the bytes: a rate
    // below 8 (a header may state one) gives no length rather than an endless one, which would
    // keep a finished channel from ever being swept.
    const double divisor =
        static_cast<double>(sample->sampleRate / 8) * sample->bitsPerSample * static_cast<double>(sample->channels);
    sound->length = divisor > 0.0 ? static_cast<float>(bytes / divisor) : 0.0f;
    return true;
}

void SoundImpBRUM::UnloadSound(Sound* sound)
{
    if (!sound || !sound->sample)
        return;
    if (g_mixer)
        g_mixer->FreeSample(static_cast<BRUMSample*>(sound->sample));
    sound->sample = nullptr;
}

void SoundImpBRUM::SetMasterVolume(float volume)
{
    if (g_mixer)
        g_mixer->SetMasterVolume(volume);
}

SoundChannelHandle SoundImpBRUM::PlaySound(Sound* sound, float volume, float pan, float pitch)
{
    return PlaySoundEx(sound, volume, pan, pitch, false);
}

SoundChannelHandle SoundImpBRUM::PlaySoundEx(Sound* sound, float volume, float pan, float pitch, bool loop)
{
    if (!sound || !g_mixer)
        return 0;
    return g_mixer->Play(static_cast<BRUMSample*>(sound->sample), volume, pan, pitch, loop ? 1 : 0);
}

void SoundImpBRUM::StopChannel(SoundChannelHandle channel)
{
    if (g_mixer)
        g_mixer->Stop(channel);
}

void SoundImpBRUM::SetChannelPan(SoundChannelHandle channel, float pan)
{
    if (g_mixer)
        g_mixer->SetPan(channel, pan);
}

void SoundImpBRUM::SetChannelVolume(SoundChannelHandle channel, float volume)
{
    if (g_mixer)
        g_mixer->SetVolume(channel, volume);
}

void SoundImpBRUM::SetChannelPaused(SoundChannelHandle channel, bool paused)
{
    if (g_mixer)
        g_mixer->SetPaused(channel, paused ? 1 : 0);
}

void SoundImpBRUM::SetChannelLooping(SoundChannelHandle channel, bool looping)
{
    if (g_mixer)
        g_mixer->SetLooping(channel, looping ? 1 : 0);
}

void SoundImpBRUM::SetChannelPitch(SoundChannelHandle channel, float factor)
{
    if (g_mixer)
        g_mixer->SetPitch(channel, factor);
}

bool SoundImpBRUM::IsChannelPlaying(SoundChannelHandle channel)
{
    return g_mixer && g_mixer->GetState(channel) != 0;
}

void SoundImpBRUM::PlayMusic(Sound* music, float volume)
{
    musicChannel_ = PlaySound(music, volume, 0.0f, 1.0f);
    SetChannelLooping(musicChannel_, true);
}

void SoundImpBRUM::StopMusic()
{
    StopChannel(musicChannel_);
    musicChannel_ = 0;
}

void SoundImpBRUM::SetMusicPaused(bool paused)
{
    if (musicChannel_ != 0)
        SetChannelPaused(musicChannel_, paused);
}

void SoundImpBRUM::SetMusicVolume(float volume)
{
    SetChannelVolume(musicChannel_, volume);
}

void SoundImpBRUM::Reserved(int) {}

void SoundImpBRUM::BeginFrame() {}

void SoundImpBRUM::EndFrame() {}

SoundImplementation* QVI_GetStaticSoundImplementation()
{
    // Kept for the whole run: re-initialisation after a sound switch reuses it.
    static SoundImpBRUM* const instance = new SoundImpBRUM;
    return instance;
}
