// The sample side of BRUM: WAV and Ogg Vorbis files turned into samples, and the three
// sources a playing channel pulls 16-bit PCM from, half a buffer at a time: PCM in memory,
// an Ogg Vorbis file decoded per channel while it plays, and a play list of either.
#include "platform/windows/sound/brum_mixer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"

namespace {

// Ogg files whose PCM is longer than this stay compressed unless the flags say otherwise.
const uint64_t kLongestDecodedOgg = 256000;
// ov_read failing more often than this in a row ends a decode: a damaged stream is
// silence from there on, never a retry loop inside the mixer's lock.
const int kMaxDecodeErrors = 33;
// A looping source that reaches its end this often without yielding a byte in between
// has nothing to loop: the rest of the half is silence.
const int kMaxEmptyPasses = 2;
// A play list gives up on a half after this many entries gave nothing.
const int kMaxEmptyEntryAttempts = 4;
const int kWAVHeaderBytes = 44;

bool g_assumeRunning = false;

// Files come through the table the mixer was given; before it has one (the mixer not
// built or not initialised), through the engine's own, which is the same table.
const QuavenFileSystemAPI* Files()
{
    QuavenAPI* api = BRUM::GetApi();
    if (!api)
        api = qv;
    const QuavenFileSystemAPI* files = api ? api->fileSystem : nullptr;
    if (!files || !files->OpenFile || !files->CloseFile || !files->Read || !files->Seek || !files->GetFilePosition)
        return nullptr;
    return files;
}

bool HasExtension(const char* path, const char* extension)
{
    const size_t length = strlen(path);
    return length >= 4 && path[length - 4] == '.' && _stricmp(path + length - 3, extension) == 0;
}

// The bytes from the file position to the end; the position stays where it was.
uint32_t BytesLeft(const QuavenFileSystemAPI* files, FileHandle* file)
{
    const int at = files->GetFilePosition(file);
    files->Seek(file, 0, QV_SEEK_END);
    const int end = files->GetFilePosition(file);
    files->Seek(file, at, QV_SEEK_SET);
    return end > at && at >= 0 ? static_cast<uint32_t>(end - at) : 0;
}

// Reads up to bytes; answers what arrived (a short file gives fewer).
uint32_t ReadUpTo(const QuavenFileSystemAPI* files, FileHandle* file, uint8_t* into, uint32_t bytes)
{
    uint32_t done = 0;
    while (done < bytes) {
        const uint32_t want = bytes - done < 0x40000000u ? bytes - done : 0x40000000u;
        const int got = files->Read(into + done, static_cast<int>(want), file);
        if (got <= 0 || static_cast<uint32_t>(got) > want)
            break;
        done += static_cast<uint32_t>(got);
    }
    return done;
}

// A refused file leaves a record that cannot play; the name stays so that its owner's
// FreeSample releases it and later messages can still name the file.
void Refuse(BRUMSample* sample)
{
    char* name = sample->name;
    free(sample->data);
    memset(sample, 0, sizeof *sample);
    sample->name = name;
}

// Header bytes quoted in a message: anything unprintable (a zero would end the text) as '?'.
char Shown(uint8_t byte)
{
    return byte >= 32 && byte < 127 ? static_cast<char>(byte) : '?';
}

uint32_t ReadU32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
           static_cast<uint32_t>(at[3]) << 24;
}

uint16_t ReadU16(const uint8_t* at)
{
    return static_cast<uint16_t>(at[0] | at[1] << 8);
}

bool HasTag(const uint8_t* at, const char* tag)
{
    return memcmp(at, tag, 4) == 0;
}

// ---- vorbisfile over bytes in memory ----

// One window over compressed bytes: a whole file at load time, or a channel's view of its
// streamed sample.
struct MemoryWindow {
    const uint8_t* data;
    uint32_t size;
    uint32_t* position;
};

size_t WindowRead(const MemoryWindow& window, void* out, size_t size, size_t count)
{
    if (size == 0 || !window.data || *window.position >= window.size)
        return 0;
    const uint64_t wanted = static_cast<uint64_t>(size) * count;
    const uint64_t left = window.size - *window.position;
    const uint64_t bytes = (wanted < left ? wanted : left) / size * size;
    memcpy(out, window.data + *window.position, static_cast<size_t>(bytes));
    *window.position += static_cast<uint32_t>(bytes);
    return static_cast<size_t>(bytes / size);
}

// Positions outside the bytes are refused, so a damaged stream can never make a read
// start past the end.
int WindowSeek(const MemoryWindow& window, ogg_int64_t offset, int whence)
{
    int64_t base = 0;
    if (whence == SEEK_CUR)
        base = *window.position;
    else if (whence == SEEK_END)
        base = window.size;
    else if (whence != SEEK_SET)
        return -1;
    if (offset > static_cast<ogg_int64_t>(UINT32_MAX) || offset < -static_cast<ogg_int64_t>(UINT32_MAX))
        return -1;
    const int64_t to = base + offset;
    if (to < 0 || to > static_cast<int64_t>(window.size))
        return -1;
    *window.position = static_cast<uint32_t>(to);
    return 0;
}

int WindowClose(void*)
{
    return 0;
}

// The load-time source: the whole file read into memory.
struct FileBytes {
    const uint8_t* data;
    uint32_t size;
    uint32_t position;

    MemoryWindow Window() { return MemoryWindow{data, size, &position}; }
};

size_t FileBytesRead(void* out, size_t size, size_t count, void* source)
{
    return WindowRead(static_cast<FileBytes*>(source)->Window(), out, size, count);
}

int FileBytesSeek(void* source, ogg_int64_t offset, int whence)
{
    return WindowSeek(static_cast<FileBytes*>(source)->Window(), offset, whence);
}

long FileBytesTell(void* source)
{
    return static_cast<long>(static_cast<FileBytes*>(source)->position);
}

const ov_callbacks kFileBytesCallbacks = {FileBytesRead, FileBytesSeek, WindowClose, FileBytesTell};

// The channel-time source: the compressed file of the sample the channel streams (for a
// play list, its current entry), read at the channel's read position.
const BRUMSample* StreamedSample(const BRUMChannel* channel)
{
    const BRUMSample* sample = channel->sample;
    if (sample && sample->kind == BRUM_SAMPLE_PLAY_LIST)
        sample = channel->currentEntry;
    return sample && sample->kind == BRUM_SAMPLE_OGG ? sample : nullptr;
}

MemoryWindow ChannelWindow(BRUMChannel* channel)
{
    const BRUMSample* sample = StreamedSample(channel);
    if (!sample)
        return MemoryWindow{nullptr, 0, &channel->readPosition};
    return MemoryWindow{sample->data, sample->dataBytes, &channel->readPosition};
}

size_t ChannelRead(void* out, size_t size, size_t count, void* source)
{
    return WindowRead(ChannelWindow(static_cast<BRUMChannel*>(source)), out, size, count);
}

int ChannelSeek(void* source, ogg_int64_t offset, int whence)
{
    return WindowSeek(ChannelWindow(static_cast<BRUMChannel*>(source)), offset, whence);
}

long ChannelTell(void* source)
{
    return static_cast<long>(static_cast<BRUMChannel*>(source)->readPosition);
}

const ov_callbacks kChannelCallbacks = {ChannelRead, ChannelSeek, WindowClose, ChannelTell};

// Decodes the whole stream into out, never past bytes; answers the bytes decoded.
uint32_t DecodeAll(OggVorbis_File* decoder, uint8_t* out, uint32_t bytes)
{
    uint32_t done = 0;
    int errors = 0;
    while (done < bytes) {
        const uint32_t left = bytes - done;
        const int want = left < 0x40000000u ? static_cast<int>(left) : 0x40000000;
        int link = 0;
        const long got = ov_read(decoder, reinterpret_cast<char*>(out + done), want, 0, 2, 1, &link);
        if (got == 0)
            break;
        if (got < 0) {
            if (++errors > kMaxDecodeErrors)
                break;
            continue;
        }
        errors = 0;
        done += static_cast<uint32_t>(got < want ? got : want);
    }
    return done;
}

void Silence(uint8_t* dest, uint32_t from, uint32_t bytes)
{
    if (dest && from < bytes)
        memset(dest + from, 0, bytes - from);
}

}  // namespace

namespace BRUM {

void SetSamplesAssumeRunning(bool assume)
{
    g_assumeRunning = assume;
}

BRUMSample* LoadSample(const char* path, int flags)
{
    BRUMSample* sample = static_cast<BRUMSample*>(calloc(1, sizeof(BRUMSample)));
    if (!sample)
        return nullptr;
    sample->name = QVI_StrDup(path);
    if (!sample->name) {
        free(sample);
        return nullptr;
    }
    sample->loadFlags = flags;
    if ((flags & BRUM_LOAD_EMPTY) || !(IsRunning() || g_assumeRunning))
        return sample;

    const QuavenFileSystemAPI* files = Files();
    FileHandle* file = files ? files->OpenFile(sample->name, "r") : nullptr;
    if (!file) {
        free(sample->name);
        free(sample);
        return nullptr;
    }
    // Every other file is taken for a WAV file, whose checks say what it is not.
    if (HasExtension(sample->name, "ogg"))
        LoadSampleOGG(sample, file, BytesLeft(files, file));
    else
        LoadSampleWAV(sample, file);
    files->CloseFile(file);
    return sample;
}

void FreeSample(BRUMSample* sample)
{
    if (!sample)
        return;
    StopChannelsPlaying(sample);
    // A play list owns its entries: it loaded them, and nothing else refers to them.
    if (sample->kind == BRUM_SAMPLE_PLAY_LIST) {
        const int count = sample->entryCount < kBRUMPlayListEntries ? sample->entryCount : kBRUMPlayListEntries;
        for (int i = 0; i < count; ++i) {
            BRUMSample* entry = sample->entries[i];
            bool seen = entry == sample;
            for (int j = 0; j < i && !seen; ++j)
                seen = sample->entries[j] == entry;
            if (entry && !seen)
                FreeSample(entry);
        }
    }
    free(sample->data);
    free(sample->name);
    free(sample);
}

bool LoadSampleWAV(BRUMSample* sample, FileHandle* file)
{
    const QuavenFileSystemAPI* files = Files();
    if (!sample || !file || !files)
        return false;
    const char* name = sample->name ? sample->name : "";
    sample->kind = BRUM_SAMPLE_PCM;
    uint8_t header[kWAVHeaderBytes];
    const uint32_t got = ReadUpTo(files, file, header, kWAVHeaderBytes);
    if (got < static_cast<uint32_t>(kWAVHeaderBytes)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bad format BRUM LoadSampleWAV '%s': Header of %u bytes is shorter than 44.",
                        name, got);
        Refuse(sample);
        return false;
    }
    if (!HasTag(header, "RIFF")) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bad format BRUM LoadSampleWAV '%s': Header '%c%c%c%c' is not RIFF as expected.",
                        name, Shown(header[0]), Shown(header[1]), Shown(header[2]), Shown(header[3]));
        Refuse(sample);
        return false;
    }
    if (!HasTag(header + 36, "data") && !HasTag(header + 36, "DATA")) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Bad format BRUM LoadSampleWAV '%s': DATA value '%c%c%c%c' is not 'DATA' or 'data' as expected.",
                        name, Shown(header[36]), Shown(header[37]), Shown(header[38]), Shown(header[39]));
        Refuse(sample);
        return false;
    }
    if (!HasTag(header + 12, "fmt ")) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "Bad format BRUM LoadSampleWAV '%s': Format '%c%c%c%c' is not 'fmt ' as expected.", name,
                        Shown(header[12]), Shown(header[13]), Shown(header[14]), Shown(header[15]));
        Refuse(sample);
        return false;
    }
    const uint16_t bits = ReadU16(header + 34);
    if (bits != 16) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bad format BRUM LoadSampleWAV '%s': Bits per sample %d is not 16 as expected.",
                        name, bits);
        Refuse(sample);
        return false;
    }
    const uint16_t channels = ReadU16(header + 22);
    if (channels == 0) {
        QVI_ReportPopup(QV_LOG_WARNING, "Bad format BRUM LoadSampleWAV '%s': Header has 0 channels.", name);
        Refuse(sample);
        return false;
    }
    sample->bitsPerSample = bits;
    sample->channels = channels;
    sample->sampleRate = static_cast<int32_t>(ReadU32(header + 28) / (bits / 8u) / channels);

    // The size the header states is believed only as far as the file goes, and only in
    // whole frames, so that a loop never starts in the middle of one.
    const uint32_t stated = ReadU32(header + 40);
    const uint32_t present = BytesLeft(files, file);
    uint32_t bytes = stated < present ? stated : present;
    uint8_t* data = bytes ? static_cast<uint8_t*>(malloc(bytes)) : nullptr;
    if (bytes && !data) {
        QVI_Report(QV_LOG_ERROR, "BRUM LoadSampleWAV '%s': no memory for %u bytes.", name, bytes);
        Refuse(sample);
        return false;
    }
    bytes = ReadUpTo(files, file, data, bytes);
    const uint32_t frame = 2u * channels;
    bytes -= bytes % frame;
    if (bytes < stated)
        QVI_Report(QV_LOG_WARNING, "BRUM LoadSampleWAV '%s': data size %u runs past the end of the file; %u bytes kept.",
                   name, stated, bytes);
    sample->data = data;
    sample->dataBytes = bytes;
    if (!bytes) {
        free(data);
        sample->data = nullptr;
    }
    return true;
}

bool LoadSampleOGG(BRUMSample* sample, FileHandle* file, uint32_t size)
{
    const QuavenFileSystemAPI* files = Files();
    if (!sample || !file || !files)
        return false;
    const char* name = sample->name ? sample->name : "";
    uint8_t* bytes = size ? static_cast<uint8_t*>(malloc(size)) : nullptr;
    if (size && !bytes) {
        QVI_Report(QV_LOG_ERROR, "BRUM LoadSampleOGG '%s': no memory for %u bytes.", name, size);
        Refuse(sample);
        return false;
    }
    FileBytes source = {bytes, bytes ? ReadUpTo(files, file, bytes, size) : 0, 0};
    OggVorbis_File decoder;
    const int opened = ov_open_callbacks(&source, &decoder, nullptr, 0, kFileBytesCallbacks);
    if (opened < 0) {
        QVI_Report(QV_LOG_WARNING, "BRUM LoadSampleOGG '%s': not an Ogg Vorbis stream (%d).", name, opened);
        free(bytes);
        Refuse(sample);
        return false;
    }
    const vorbis_info* info = ov_info(&decoder, -1);
    const ogg_int64_t frames = ov_pcm_total(&decoder, -1);
    // A length that cannot be counted in the records' 32-bit fields is no sound to play.
    const uint64_t decoded =
        info && frames >= 0 && frames < (1LL << 40) ? static_cast<uint64_t>(frames) * info->channels * 2u : UINT64_MAX;
    if (!info || info->channels <= 0 || decoded > static_cast<uint64_t>(INT32_MAX)) {
        QVI_Report(QV_LOG_WARNING, "BRUM LoadSampleOGG '%s': the stream has no usable length or channel count.", name);
        ov_clear(&decoder);
        free(bytes);
        Refuse(sample);
        return false;
    }
    sample->channels = info->channels;
    sample->sampleRate = static_cast<int32_t>(info->rate);
    sample->bitsPerSample = 16;
    sample->decodedBytes = static_cast<uint32_t>(decoded);

    const int flags = sample->loadFlags;
    if ((flags & BRUM_LOAD_STREAM) || (flags == 0 && decoded > kLongestDecodedOgg)) {
        sample->kind = BRUM_SAMPLE_OGG;
        ov_clear(&decoder);
        // The file read for the check is the copy the channels decode from.
        sample->data = bytes;
        sample->dataBytes = source.size;
        return true;
    }

    sample->kind = BRUM_SAMPLE_PCM;
    uint8_t* pcm = decoded ? static_cast<uint8_t*>(malloc(static_cast<size_t>(decoded))) : nullptr;
    if (decoded && !pcm) {
        QVI_Report(QV_LOG_ERROR, "BRUM LoadSampleOGG '%s': no memory for %u bytes.", name,
                   static_cast<uint32_t>(decoded));
        ov_clear(&decoder);
        free(bytes);
        Refuse(sample);
        return false;
    }
    uint32_t done = pcm ? DecodeAll(&decoder, pcm, static_cast<uint32_t>(decoded)) : 0;
    done -= done % (2u * static_cast<uint32_t>(info->channels));
    ov_clear(&decoder);
    free(bytes);
    sample->data = pcm;
    sample->dataBytes = done;
    if (!done) {
        free(pcm);
        sample->data = nullptr;
    }
    return true;
}

uint32_t GetSampleLength(const BRUMSample* sample)
{
    if (!sample)
        return 0;
    if (sample->kind == BRUM_SAMPLE_PCM)
        return sample->dataBytes;
    if (sample->kind == BRUM_SAMPLE_OGG)
        return sample->decodedBytes;
    return 0;
}

bool OpenDecoder(BRUMChannel* channel)
{
    if (!channel)
        return false;
    // Opening over an open decoder would lose what vorbisfile holds for it.
    CloseDecoder(channel);
    channel->readPosition = 0;
    if (!StreamedSample(channel))
        return false;
    Lock();
    channel->decoderOpen = 1;
    // On failure vorbisfile has already cleared the decoder.
    if (ov_open_callbacks(channel, &channel->decoder, nullptr, 0, kChannelCallbacks) < 0)
        channel->decoderOpen = 0;
    const bool opened = channel->decoderOpen != 0;
    Unlock();
    return opened;
}

void CloseDecoder(BRUMChannel* channel)
{
    if (!channel)
        return;
    Lock();
    if (channel->decoderOpen) {
        channel->decoderOpen = 0;
        ov_clear(&channel->decoder);
    }
    Unlock();
}

uint32_t FillPCM(BRUMChannel* channel, BRUMSample* sample, uint8_t* dest, uint32_t bytes, bool loop)
{
    if (!channel || !dest || !sample || sample->kind != BRUM_SAMPLE_PCM || !sample->data) {
        Silence(dest, 0, bytes);
        return 0;
    }
    uint32_t done = 0;
    int emptyPasses = 0;
    while (done < bytes) {
        if (channel->readPosition >= sample->dataBytes) {
            if (!loop || ++emptyPasses >= kMaxEmptyPasses)
                break;
            channel->readPosition = 0;
            continue;
        }
        const uint32_t left = sample->dataBytes - channel->readPosition;
        const uint32_t step = bytes - done < left ? bytes - done : left;
        memcpy(dest + done, sample->data + channel->readPosition, step);
        channel->readPosition += step;
        done += step;
        emptyPasses = 0;
    }
    Silence(dest, done, bytes);
    return done;
}

uint32_t FillOgg(BRUMChannel* channel, BRUMSample* sample, uint8_t* dest, uint32_t bytes, bool loop)
{
    if (!channel || !dest || !sample || sample->kind != BRUM_SAMPLE_OGG || (!channel->decoderOpen && !OpenDecoder(channel))) {
        Silence(dest, 0, bytes);
        return 0;
    }
    // ov_read answers 0 when asked for less than one frame, which would read as the end of
    // the stream: only whole frames are asked for, and a smaller tail stays silent.
    const uint32_t frame = 2u * static_cast<uint32_t>(sample->channels > 0 ? sample->channels : 1);
    uint32_t done = 0;
    int errors = 0;
    int emptyPasses = 0;
    while (bytes - done >= frame) {
        const uint32_t left = (bytes - done) / frame * frame;
        const int want = left < 0x40000000u ? static_cast<int>(left) : 0x40000000;
        int link = 0;
        const long got = ov_read(&channel->decoder, reinterpret_cast<char*>(dest + done), want, 0, 2, 1, &link);
        if (got > 0) {
            done += static_cast<uint32_t>(got < want ? got : want);
            errors = 0;
            emptyPasses = 0;
        } else if (got == 0) {
            if (!loop || ++emptyPasses >= kMaxEmptyPasses || ov_pcm_seek(&channel->decoder, 0) != 0)
                break;
        } else if (++errors > kMaxDecodeErrors) {
            break;
        }
    }
    Silence(dest, done, bytes);
    return done;
}

uint32_t FillPlayList(BRUMChannel* channel, uint8_t* dest, uint32_t bytes)
{
    BRUMSample* list = channel ? channel->sample : nullptr;
    const int count = list && list->kind == BRUM_SAMPLE_PLAY_LIST
                          ? (list->entryCount < kBRUMPlayListEntries ? list->entryCount : kBRUMPlayListEntries)
                          : 0;
    BRUMSample* entry = channel ? channel->currentEntry : nullptr;
    if (!entry && count > 0) {
        if (channel->playListIndex < 0 || channel->playListIndex >= count)
            channel->playListIndex = 0;
        entry = list->entries[channel->playListIndex];
        channel->currentEntry = entry;
    }
    if (!dest || !entry || count <= 0) {
        Silence(dest, 0, bytes);
        return 0;
    }
    uint32_t done = 0;
    int emptyAttempts = 0;
    while (done < bytes && emptyAttempts < kMaxEmptyEntryAttempts) {
        const uint32_t want = bytes - done;
        uint32_t got = 0;
        if (entry->kind == BRUM_SAMPLE_PCM)
            got = FillPCM(channel, entry, dest + done, want, false);
        else if (entry->kind == BRUM_SAMPLE_OGG)
            got = FillOgg(channel, entry, dest + done, want, false);
        done += got;
        if (got == 0)
            ++emptyAttempts;
        if (got >= want)
            break;
        // The entry has ended: the next one starts where it stopped, in this same half.
        if (entry->kind == BRUM_SAMPLE_OGG)
            CloseDecoder(channel);
        channel->readPosition = 0;
        channel->decoderOpen = 0;
        int index = channel->playListIndex;
        index = (index < 0 || index >= count) ? 0 : (index + 1) % count;
        channel->playListIndex = index;
        if (list->entries[index])
            entry = list->entries[index];
        channel->currentEntry = entry;
        if (entry->kind == BRUM_SAMPLE_OGG)
            OpenDecoder(channel);
    }
    Silence(dest, done, bytes);
    channel->loop = 1;
    return done;
}

uint64_t GetStreamFrame(BRUMChannel* channel)
{
    const BRUMSample* sample = channel ? channel->sample : nullptr;
    if (sample && sample->kind == BRUM_SAMPLE_PLAY_LIST)
        sample = channel->currentEntry;
    if (!sample || sample->channels <= 0)
        return 0;
    if (sample->kind == BRUM_SAMPLE_PCM)
        return channel->readPosition / (2u * static_cast<uint32_t>(sample->channels));
    if (sample->kind != BRUM_SAMPLE_OGG)
        return 0;
    Lock();
    const ogg_int64_t frame = channel->decoderOpen ? ov_pcm_tell(&channel->decoder) : 0;
    Unlock();
    return frame > 0 ? static_cast<uint64_t>(frame) : 0;
}

void StartPlayListEntryAt(BRUMChannel* channel, uint64_t frame)
{
    BRUMSample* list = channel ? channel->sample : nullptr;
    if (!list || list->kind != BRUM_SAMPLE_PLAY_LIST || channel->playListIndex < 0 ||
        channel->playListIndex >= list->entryCount || channel->playListIndex >= kBRUMPlayListEntries)
        return;
    BRUMSample* entry = list->entries[channel->playListIndex];
    if (!entry || entry->channels <= 0)
        return;
    CloseDecoder(channel);
    channel->currentEntry = entry;
    channel->readPosition = 0;
    if (entry->kind == BRUM_SAMPLE_PCM) {
        const uint64_t at = frame * 2u * static_cast<uint32_t>(entry->channels);
        channel->readPosition = at < entry->dataBytes ? static_cast<uint32_t>(at) : 0;
    } else if (entry->kind == BRUM_SAMPLE_OGG && OpenDecoder(channel) && frame > 0) {
        Lock();
        if (static_cast<uint64_t>(ov_pcm_total(&channel->decoder, -1)) <= frame ||
            ov_pcm_seek(&channel->decoder, static_cast<ogg_int64_t>(frame)) != 0)
            ov_pcm_seek(&channel->decoder, 0);
        Unlock();
    }
}

}  // namespace BRUM
