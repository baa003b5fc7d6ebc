// The targets that run only inside the Windows build: archives, sequences, fonts, sounds,
// images, the configuration, HTTP responses and the services' files. Each reads its input
// through the engine's file system as a game's resources are read.
#include "fuzz/bytes_file.h"
#include "fuzz/fuzz_target.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "core/configuration.h"
#include "core/core_state.h"
#include "core/engine_log.h"
#include "data/datamanager/data_manager.h"
#include "engine/config/configuration_reader.h"
#include "filesystem/backends.h"
#include "filesystem/pak_format.h"
#include "filesystem/pak_system.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/bitmap_sequences.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "net/http_api.h"
#include "net/http_client.h"
#include "platform/windows/sound/brum_mixer.h"
#include "services/local_leaderboards.h"
#include "services/simulated_cloud_social.h"
#include "text/fonts/font_pool.h"
#include "text/generation/font_generation.h"

namespace {

// The directory read and checked, then every entry read whole through an entry handle.
void RunPAK(const uint8_t* data, size_t size)
{
    QVFBytesFile archive(data, size);
    QVFileSystem::PAKDirectory directory;
    if (!QVFileSystem::QVI_ReadPAKDirectory(&archive, &directory))
        return;
    char buffer[4096];
    for (int i = 0; i < directory.entries.count; ++i) {
        const QVFileSystem::PAKEntry& entry = directory.entries.data[i];
        QVFileSystem::PAKFile file(new QVFBytesFile(data, size), entry.offset, entry.size);
        while (file.Read(buffer, sizeof buffer) > 0) {
        }
        file.Seek(-1, 2), file.Seek(static_cast<int32_t>(entry.size / 2), 0);
        delete file.archive;
    }
}

void RunBitmapSequence(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://fuzz.bms", data, size);
    Bitmap sequence = {};
    sequence.header.name = strdup("fuzz");
    QVI_LoadBitmapSequenceFile(&sequence, "res://fuzz.bms");
    QVI_ReleaseBitmapResources(&sequence);
    free(sequence.header.name);
}

// A font record as the font pool makes one, filled by load and freed again.
void LoadFont(const char* name, bool (*load)(Font*))
{
    Font* font = static_cast<Font*>(calloc(1, sizeof(Font)));
    font->header.name = strdup(name);
    font->scale = 1.0f;
    load(font);
    QVI_FreeFontGlyphs(font);
    free(font->header.name);
    free(font);
}

void RunFontFile(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://fuzz.mft", data, size);
    LoadFont("res://fuzz.mft", QVI_ReadFontFile);
}

// A font source description over DejaVuSans.ttf (put beside it by the environment).
void RunFontSource(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://fonts/fuzz.xml", data, size);
    LoadFont("fonts/fuzz", QVI_GenerateFontFromSource);
    DataManager::UnloadDatabase(DataManager::FindDatabase("fonts/fuzz.xml"));
}

// A sound loaded as a game's sound is, then played through for a while by one channel.
void RunSound(const char* path, const uint8_t* data, size_t size, int flags)
{
    QVF_PutFile(path, data, size);
    BRUMSample* sample = BRUM::LoadSample(path, flags);
    if (!sample)
        return;
    BRUMChannel* channel = new BRUMChannel();
    channel->sample = sample;
    static uint8_t buffer[16384];
    for (int i = 0; i < 8; ++i) {
        if (sample->kind == BRUM_SAMPLE_PCM)
            BRUM::FillPCM(channel, sample, buffer, sizeof buffer, true);
        else if (sample->kind == BRUM_SAMPLE_OGG)
            BRUM::FillOgg(channel, sample, buffer, sizeof buffer, true);
    }
    BRUM::CloseDecoder(channel);
    delete channel;
    BRUM::FreeSample(sample);
}

void RunWAV(const uint8_t* data, size_t size) { RunSound("res://fuzz.wav", data, size, 0); }
// Short files are decoded at load, the rest kept compressed: the first byte picks streaming.
void RunOgg(const uint8_t* data, size_t size)
{
    RunSound("res://fuzz.ogg", data, size, size > 0 && (data[size - 1] & 1) ? BRUM_LOAD_STREAM : 0);
}

void RunImage(const char* path, const uint8_t* data, size_t size)
{
    QVF_PutFile(path, data, size);
    ImageLoaderImp* loader = QVI_GetImageLoader();
    Bitmap bitmap = {};
    bitmap.header.name = const_cast<char*>(path);
    if (loader->GetImageDimensions(&bitmap, path))
        loader->LoadImage(&bitmap, path);
    loader->FreeImagePixels(&bitmap);
}

void RunPNG(const uint8_t* data, size_t size) { RunImage("res://fuzz.png", data, size); }
void RunJPEG(const uint8_t* data, size_t size) { RunImage("res://fuzz.jpg", data, size); }
void RunTGA(const uint8_t* data, size_t size) { RunImage("res://fuzz.tga", data, size); }

// The configuration is read off the main thread, as its tests do: popups meant for a person
// come back as log lines there instead of waiting for an answer.
void ReadConfiguration()
{
    std::thread([] { QVI_ReadProgramConfiguration(); }).join();
    QVI_ResetProgramConfiguration();
    g_core.developerMode = g_core.logging = g_core.console = g_core.loggingVerboseLevel = 0;
}

const char kSaneProgram[] = "<?xml version=\"1.0\"?>\n<root><array id=\"PARAMETERS\">"
                            "<node id=\"APPLICATION\" name=\"Fuzz\" developer=\"Fuzz\"/></array></root>\n";

void RunProgramXml(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://prog.xml", data, size);
    QVF_PutFile("res://developer.xml", nullptr, 0);
    ReadConfiguration();
}

void RunDeveloperXml(const uint8_t* data, size_t size)
{
    QVF_PutFile("res://prog.xml", reinterpret_cast<const uint8_t*>(kSaneProgram), strlen(kSaneProgram));
    QVF_PutFile("res://developer.xml", data, size);
    ReadConfiguration();
}

// A response (or a chain of them, for redirects) read by the client for a GET and a HEAD.
void RunHTTP(const uint8_t* data, size_t size)
{
    const char headers[] = "Host: fuzz\r\n\r\n";
    for (HTTPRequestType type : {QV_HTTP_GET, QV_HTTP_HEAD}) {
        Buffer* responseHeaders = nullptr;
        Buffer* responseBody = nullptr;
        QVI_SetHTTPCannedResponse(reinterpret_cast<const char*>(data), static_cast<int>(size));
        QV_HTTPRequestEx(type, "http://fuzz/file", headers, static_cast<int>(strlen(headers)), nullptr, 0,
                         &responseHeaders, &responseBody, nullptr);
        QVI_SetHTTPCannedResponse(nullptr, 0);
        for (Buffer* buffer : {responseHeaders, responseBody}) {
            if (buffer)
                free(buffer->data);
            free(buffer);
        }
    }
}

// The local leaderboards' database file, as the store finds it at start, then one score
// stored into it (ranked among what the file held, and the file written anew).
void RunLeaderboards(const uint8_t* data, size_t size)
{
    QVF_PutFile(kLocalLeaderboardsFile, data, size);
    LocalScoreStore* store = new LocalScoreStore();
    ScoreRecord record = {};
    record.points = 1234;
    store->StoreScore(&record, "POINTS");
    DataManager::UnloadDatabase(DataManager::FindDatabase(kLocalLeaderboardsFile));
    qv->DestroyMutex(store->mutex);
    delete store;
}

void RunCloud(const uint8_t* data, size_t size)
{
    QVF_PutFile("user://simulated.cloud", data, size);
    SimulatedCloudImplementation* cloud = new SimulatedCloudImplementation();
    cloud->Init();
    for (const char* name : {"save", "", "a"}) {
        if (Buffer* blob = cloud->Read(name)) {
            free(blob->data);
            free(blob);
        }
    }
    delete cloud;
}

const char kBinaryTokens[] = "RLE\1PNG\1RGBA\1ATLAS\1QV_Bm_Seq_v1\1TAV_Font_v7\1TAV_Font_v5\1LATIN-1\1UTF-8\1"
                             "PAK\1V11\1RIFF\1WAVE\1fmt \1data\1OggS\1\x01vorbis\1\x03vorbis\1\x05vorbis\1IHDR\1IDAT\1"
                             "IEND\1PLTE\1tRNS\1\xff\xd8\1\xff\xc0\1\xff\xc4\1\xff\xda\1\xff\xdb\1\xff\xd9\1SIMULATED_CLOUD";
const char kXMLTokens[] = "<\1>\1</\1/>\1=\1\"\1<![CDATA[\1]]>\1<!--\1-->\1&quot;\1<array id=\"\1<node id=\"\1"
                          " value=\"\1</array>\1PARAMETERS\1APPLICATION\1DEVELOPER\1VARIANTS\1settings\1INPUT\1glyphs\1"
                          " ttf=\"DejaVuSans.ttf\"\1 size_px=\"\1 strings=\"\1features=\"\1manifests=\"\1packages=\"";
const char kHTTPTokens[] = "HTTP/1.0 \1HTTP/1.1 200 OK\r\n\1\r\n\1\r\n\r\n\1Content-Length: \1Location: \1"
                           "Location: http://fuzz/other\r\n\1301\1302\1200\1\n\n\1Transfer-Encoding: chunked\r\n";

const FuzzTarget kTargets[] = {
    {"prog_xml", RunProgramXml, kXMLTokens, 1 << 16, true},
    {"developer_xml", RunDeveloperXml, kXMLTokens, 1 << 16, true},
    {"pak", RunPAK, kBinaryTokens, 1 << 16, false},
    {"bms", RunBitmapSequence, kBinaryTokens, 1 << 18, false},
    {"mft", RunFontFile, kBinaryTokens, 1 << 18, false},
    {"font_source", RunFontSource, kXMLTokens, 1 << 14, true},
    {"wav", RunWAV, kBinaryTokens, 1 << 18, false},
    {"ogg", RunOgg, kBinaryTokens, 1 << 18, true},
    {"png", RunPNG, kBinaryTokens, 1 << 18, true},
    {"jpeg", RunJPEG, kBinaryTokens, 1 << 18, true},
    {"tga", RunTGA, kBinaryTokens, 1 << 18, false},
    {"http", RunHTTP, kHTTPTokens, 1 << 16, false},
    {"leaderboards", RunLeaderboards, kXMLTokens, 1 << 16, false},
    {"cloud", RunCloud, kBinaryTokens, 1 << 16, false},
    {nullptr, nullptr, nullptr, 0, false},
};

} // namespace

const FuzzTarget* QVF_EngineTargets() { return kTargets; }
