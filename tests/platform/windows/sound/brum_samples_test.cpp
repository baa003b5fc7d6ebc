// BRUM samples loaded through the engine's file system from the sounds the build made with
// sox and oggenc, and the PCM a playing channel pulls out of them half a buffer at a time,
// checked byte for byte against the files and against vorbisfile's own decode.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/windows/sound/brum_mixer.h"
#include "support/engine_table.h"
#include "support/files.h"

namespace {

using quaven_test::LogCapture;
using Bytes = std::string;

// vorbisfile alone over the build's file: what every decode here must equal.
Bytes Decode(const std::string& name) {
    OggVorbis_File vf;
    EXPECT_EQ(0, ov_fopen((std::string(QUAVEN_TEST_SOUNDS_DIR) + "/" + name).c_str(), &vf)) << name;
    Bytes pcm;
    char chunk[4096];
    int link = 0;
    for (long got; (got = ov_read(&vf, chunk, sizeof chunk, 0, 2, 1, &link)) != 0;)
        if (got > 0) pcm.append(chunk, static_cast<size_t>(got));
    ov_clear(&vf);
    return pcm;
}

Bytes Repeat(const Bytes& bytes, size_t length) {
    Bytes out;
    while (out.size() < length) out += bytes;
    return out.substr(0, length);
}

struct ChannelRecord {
    ChannelRecord() : channel(new BRUMChannel()) {}
    ~ChannelRecord() { BRUM::CloseDecoder(channel.get()); }
    std::unique_ptr<BRUMChannel> channel;
};

class BrumSamplesTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        BRUM::SetApi(qv);
        BRUM::SetSamplesAssumeRunning(true);
    }
    void TearDown() override {
        for (BRUMSample* sample : loaded_) BRUM::FreeSample(sample);
        BRUM::SetSamplesAssumeRunning(false);
        EngineFilesTest::TearDown();
    }

    static Bytes FileBytes(const std::string& name) {
        const Bytes bytes = quaven_test::ReadNative(std::string(QUAVEN_TEST_SOUNDS_DIR) + "/" + name);
        EXPECT_NE("<missing>", bytes) << name;
        return bytes;
    }
    // The sound put into res:// and loaded as a game's sound is; freed after the test.
    BRUMSample* Load(const std::string& name, int flags = 0) {
        PutFile(name, FileBytes(name));
        BRUMSample* sample = BRUM::LoadSample(("res://" + name).c_str(), flags);
        if (sample) loaded_.push_back(sample);
        return sample;
    }

    // What a channel hears: halves of `half` bytes until `length` bytes; the answers summed.
    static Bytes Pull(BRUMChannel* channel, BRUMSample* sample, uint32_t half, size_t length, bool loop,
                      uint32_t* sound = nullptr) {
        channel->sample = sample;
        Bytes out;
        std::vector<uint8_t> buffer(half, 0xCD);
        uint32_t total = 0;
        while (out.size() < length) {
            if (sample->kind == BRUM_SAMPLE_PCM)
                total += BRUM::FillPCM(channel, sample, buffer.data(), half, loop);
            else if (sample->kind == BRUM_SAMPLE_OGG)
                total += BRUM::FillOgg(channel, sample, buffer.data(), half, loop);
            else total += BRUM::FillPlayList(channel, buffer.data(), half);
            out.append(reinterpret_cast<const char*>(buffer.data()), half);
        }
        if (sound) *sound = total;
        return out.substr(0, length);
    }

    std::vector<BRUMSample*> loaded_;
};

TEST_F(BrumSamplesTest, WavFilesOfEachRateAndChannelCountPlayTheirBytesThenSilenceOrAgain) {
    const struct { const char* name; int channels, rate; } files[] = {
        {"mono_22050.wav", 1, 22050}, {"stereo_22050.wav", 2, 22050},
        {"mono_44100.wav", 1, 44100}, {"stereo_44100.wav", 2, 44100}};
    for (const auto& file : files) {
        SCOPED_TRACE(file.name);
        BRUMSample* sample = Load(file.name);
        ASSERT_NE(nullptr, sample);
        const Bytes pcm = FileBytes(file.name).substr(44);
        EXPECT_EQ(BRUM_SAMPLE_PCM, sample->kind);
        EXPECT_EQ(file.channels, sample->channels);
        EXPECT_EQ(file.rate, sample->sampleRate);
        EXPECT_EQ(16, sample->bitsPerSample);
        ASSERT_EQ(pcm.size(), sample->dataBytes);
        EXPECT_EQ(pcm.size(), BRUM::GetSampleLength(sample));

        ChannelRecord once, looping;
        uint32_t sound = 0;
        const Bytes heard = Pull(once.channel.get(), sample, 1000, pcm.size() + 3000, false, &sound);
        EXPECT_EQ(pcm.size(), sound);
        EXPECT_TRUE(heard == pcm + Bytes(3000, '\0'));
        EXPECT_TRUE(Pull(looping.channel.get(), sample, 4410, pcm.size() * 3 + 10, true) ==
                    Repeat(pcm, pcm.size() * 3 + 10));
    }
}

TEST_F(BrumSamplesTest, OggFilesAreDecodedWhenShortAndKeptCompressedWhenLongOrStreamed) {
    BRUMSample* oneSecond = Load("stereo_1s.ogg");
    BRUMSample* longer = Load("stereo_1_5s.ogg");
    BRUMSample* streamed = Load("stereo.ogg", BRUM_LOAD_STREAM);
    BRUMSample* mono = Load("mono_22050.ogg");
    ASSERT_TRUE(oneSecond && longer && streamed && mono);

    EXPECT_EQ(BRUM_SAMPLE_PCM, oneSecond->kind);
    EXPECT_EQ(176400u, oneSecond->decodedBytes);
    const Bytes pcm = Decode("stereo_1s.ogg");
    ASSERT_EQ(pcm.size(), oneSecond->dataBytes);
    EXPECT_EQ(0, memcmp(pcm.data(), oneSecond->data, pcm.size()));

    EXPECT_EQ(BRUM_SAMPLE_OGG, longer->kind);
    EXPECT_EQ(264600u, longer->decodedBytes);
    EXPECT_EQ(FileBytes("stereo_1_5s.ogg").size(), longer->dataBytes);
    EXPECT_EQ(264600u, BRUM::GetSampleLength(longer));
    EXPECT_EQ(BRUM_SAMPLE_OGG, streamed->kind);
    EXPECT_EQ(2, streamed->channels);
    EXPECT_EQ(44100, streamed->sampleRate);
    EXPECT_EQ(1, mono->channels);
    EXPECT_EQ(22050, mono->sampleRate);
}

TEST_F(BrumSamplesTest, StreamedOggFillsEqualTheDecodeAtEveryHalfSizeAndLoopWithoutAGap) {
    BRUMSample* sample = Load("stereo_1_5s.ogg");
    ASSERT_TRUE(sample && sample->kind == BRUM_SAMPLE_OGG);
    const Bytes pcm = Decode("stereo_1_5s.ogg");
    ASSERT_EQ(264600u, pcm.size());
    for (uint32_t half : {88200u, 44100u, 22052u, 4096u, 1000u}) {
        SCOPED_TRACE(half);
        ChannelRecord once, looping;
        uint32_t sound = 0;
        EXPECT_TRUE(Pull(once.channel.get(), sample, half, pcm.size() + half, false, &sound) ==
                    pcm + Bytes(half, '\0'));
        EXPECT_EQ(pcm.size(), sound);
        EXPECT_TRUE(Pull(looping.channel.get(), sample, half, pcm.size() * 5 / 2, true) ==
                    Repeat(pcm, pcm.size() * 5 / 2));
    }
}

TEST_F(BrumSamplesTest, APlayListPlaysItsEntriesInTurnWithoutAGap) {
    BRUMSample* list = BRUM::LoadSample("music.mpl", BRUM_LOAD_EMPTY);
    ASSERT_TRUE(list && list->kind == BRUM_SAMPLE_EMPTY);
    list->kind = BRUM_SAMPLE_PLAY_LIST;
    list->channels = 2;
    PutFile("a.wav", FileBytes("stereo_44100.wav"));
    PutFile("b.ogg", FileBytes("stereo.ogg"));
    list->entries[list->entryCount++] = BRUM::LoadSample("res://a.wav", BRUM_LOAD_STREAM);
    list->entries[list->entryCount++] = BRUM::LoadSample("res://b.ogg", BRUM_LOAD_STREAM);
    loaded_.push_back(list);  // with its entries
    ASSERT_EQ(BRUM_SAMPLE_PCM, list->entries[0]->kind);
    ASSERT_EQ(BRUM_SAMPLE_OGG, list->entries[1]->kind);

    const Bytes ab = FileBytes("stereo_44100.wav").substr(44) + Decode("stereo.ogg");
    for (uint32_t half : {44100u, 3000u}) {
        ChannelRecord channel;
        uint32_t sound = 0;
        EXPECT_TRUE(Pull(channel.channel.get(), list, half, ab.size() * 5 / 2, true, &sound) ==
                    Repeat(ab, ab.size() * 5 / 2)) << half;
        EXPECT_EQ(1, channel.channel->loop);
    }
}

TEST_F(BrumSamplesTest, SourcesWithNothingToPlayGiveSilenceAndNeverSpin) {
    BRUMSample* wav = Load("no_audio.wav");
    BRUMSample* ogg = Load("no_audio.ogg", BRUM_LOAD_STREAM);
    ASSERT_TRUE(wav && ogg);
    EXPECT_EQ(0u, wav->dataBytes);
    EXPECT_EQ(BRUM_SAMPLE_OGG, ogg->kind);
    EXPECT_EQ(0u, ogg->decodedBytes);
    ChannelRecord a, b;
    uint32_t sound = 1;
    EXPECT_TRUE(Pull(a.channel.get(), wav, 44100, 88200, true, &sound) == Bytes(88200, '\0'));
    EXPECT_EQ(0u, sound);
    EXPECT_TRUE(Pull(b.channel.get(), ogg, 44100, 88200, true, &sound) == Bytes(88200, '\0'));
    EXPECT_EQ(0u, sound);

    BRUMSample* list = BRUM::LoadSample("empty.mpl", BRUM_LOAD_EMPTY);
    loaded_.push_back(list);
    list->kind = BRUM_SAMPLE_PLAY_LIST;
    list->entries[list->entryCount++] = BRUM::LoadSample("res://no_audio.ogg", BRUM_LOAD_STREAM);
    ChannelRecord c;
    EXPECT_TRUE(Pull(c.channel.get(), list, 44100, 88200, true, &sound) == Bytes(88200, '\0'));
}

TEST_F(BrumSamplesTest, DamagedAndUnsupportedFilesAreRefusedWithTheirMessage) {
    const struct { const char* name; const char* message; } refused[] = {
        {"truncated_header.wav", "Header of 20 bytes is shorter than 44."},
        {"empty.wav", "Header of 0 bytes is shorter than 44."},
        {"zero_channels.wav", "Header has 0 channels."},
        {"bits8.wav", "Bits per sample 8 is not 16 as expected."},
        {"extra_chunk.wav", "DATA value 'LIST' is not 'DATA' or 'data' as expected."},
        {"random.ogg", "not an Ogg Vorbis stream"},
        {"empty.ogg", "not an Ogg Vorbis stream"},
        {"truncated_headers.ogg", "not an Ogg Vorbis stream"}};
    for (const auto& file : refused) {
        SCOPED_TRACE(file.name);
        LogCapture::Clear();
        BRUMSample* sample = Load(file.name);
        ASSERT_NE(nullptr, sample);
        EXPECT_EQ(0, sample->channels);
        EXPECT_EQ(BRUM_SAMPLE_EMPTY, sample->kind);
        EXPECT_EQ(nullptr, sample->data);
        EXPECT_EQ("res://" + std::string(file.name), sample->name);
        EXPECT_EQ(1, LogCapture::CountContaining(file.message)) << ::testing::PrintToString(LogCapture::Texts());
    }

    // Bytes the header claims past the end: only the whole frames present are kept.
    BRUMSample* pastEnd = Load("data_past_end.wav");
    ASSERT_NE(nullptr, pastEnd);
    const Bytes present = FileBytes("data_past_end.wav").substr(44);
    EXPECT_EQ(present.size(), pastEnd->dataBytes);
    EXPECT_EQ(0, memcmp(present.data(), pastEnd->data, present.size()));
    EXPECT_EQ(1, LogCapture::CountContaining("runs past the end of the file", QV_LOG_WARNING));

    // An Ogg file cut in its audio plays what it holds, never more than it stated.
    BRUMSample* cut = Load("truncated.ogg");
    ASSERT_TRUE(cut && cut->channels == 2);
    EXPECT_LE(cut->dataBytes, cut->decodedBytes);
    const Bytes cutPcm = Decode("truncated.ogg");
    EXPECT_EQ(0, memcmp(cutPcm.data(), cut->data, std::min<size_t>(cutPcm.size(), cut->dataBytes)));

    // A missing file is no sample and no message; any file but an Ogg one is read as WAV.
    LogCapture::Clear();
    EXPECT_EQ(nullptr, BRUM::LoadSample("res://missing.wav", 0));
    EXPECT_EQ(0u, LogCapture::Lines().size());
    PutFile("a.mp3", "ID3\4 and MPEG frames after the tag, padded to a WAV header's length");
    PutFile("b.MP3", "ID3\4 and MPEG frames after the tag, padded to a WAV header's length");
    for (const char* name : {"res://a.mp3", "res://b.MP3"}) {
        loaded_.push_back(BRUM::LoadSample(name, 0));
        ASSERT_NE(nullptr, loaded_.back());
        EXPECT_EQ(0, loaded_.back()->channels);
        EXPECT_EQ(1, LogCapture::CountPopups(std::string("Bad format BRUM LoadSampleWAV '") + name +
                                             "': Header 'ID3?' is not RIFF as expected.", QV_LOG_WARNING));
    }
}

TEST_F(BrumSamplesTest, WithoutARunningMixerASampleStaysUnloaded) {
    BRUM::SetSamplesAssumeRunning(false);
    BRUMSample* sample = Load("stereo_44100.wav");
    ASSERT_NE(nullptr, sample);
    EXPECT_EQ(BRUM_SAMPLE_EMPTY, sample->kind);
    EXPECT_EQ(0, sample->channels);
    EXPECT_STREQ("res://stereo_44100.wav", sample->name);
}

}  // namespace
