// SoundImpBRUM as the engine drives it: sounds loaded by path from res://, ".mp3" names,
// ".mpl" play lists and music, heard through the fake DirectSound.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "brum_device.h"
#include "core/core_state.h"
#include "platform/windows/sound/sound_imp_brum.h"
#include "sound/interface/sound_record.h"
#include "sound/sound_api.h"
#include "sound/sound_implementation_null.h"
#include "support/engine_table.h"
#include "support/process.h"

namespace {

using quaven_test::LogCapture;

class SoundImpBrumTest : public quaven_test::EngineFilesTest {
protected:
    void PutSound(const std::string& name) {
        const std::string bytes = quaven_test::ReadFile(std::string(QUAVEN_BRUM_SOUNDS) + "/" + name);
        ASSERT_FALSE(bytes.empty()) << name;
        PutFile(name, bytes);
    }
    bool Start() {
        core_.api = qv;
        return fake_.AttachFresh() && sound_.Initialize(&core_, nullptr);
    }
    void TearDown() override {
        sound_.Shutdown();
        quaven_test::EngineFilesTest::TearDown();
    }
    // The play cursors moved on by bytes, times over, each move seen by one mixer tick.
    void Advance(uint32_t bytes, int times) {
        for (int i = 0; i < times; ++i) fake_.advance(bytes), table_.Tick();
    }

    SoundImpBRUM sound_;
    CoreState core_ = {};
    brum_test::Fake fake_;
    BRUMMixerTable table_ = [] { BRUMMixerTable table = {}; BRUM::FillMixerTable(&table); return table; }();
};

BRUMSample* SampleOf(const Sound& sound) { return static_cast<BRUMSample*>(sound.sample); }

TEST_F(SoundImpBrumTest, LoadsSoundsByPathAndPretendsForMp3) {
    EXPECT_STREQ(sound_.GetName(), "Kelmark Brumvox");
    ASSERT_TRUE(Start());
    PutSound("tone_stereo_short.wav");
    PutSound("tone_mono_2s.ogg");
    PutFile("theme.mp3", "ID3 not really");
    PutFile("noise.ogg", "OggS and nothing after");

    Sound wav = {};
    ASSERT_TRUE(sound_.LoadSound(&wav, "res://tone_stereo_short.wav"));
    EXPECT_EQ(wav.dataSize, 17640u);
    EXPECT_NEAR(wav.length, 0.1f, 0.001f);
    Sound ogg = {};
    ASSERT_TRUE(sound_.LoadSound(&ogg, "res://tone_mono_2s.ogg"));
    EXPECT_EQ(ogg.dataSize, 176400u);
    EXPECT_NEAR(ogg.length, 2.0f, 0.001f);

    Sound mp3 = {};
    EXPECT_TRUE(sound_.LoadSound(&mp3, "res://theme.mp3"));
    EXPECT_EQ(mp3.sample, nullptr);
    EXPECT_EQ(LogCapture::CountContaining("SoundImplementation BRUM pretending it can load mp3.", QV_LOG_WARNING), 1);
    EXPECT_EQ(sound_.PlaySound(&mp3, 1, 0, 1), 0u);

    // Names the ".mp3" rule does not catch are read as WAV files, and refused as such.
    PutFile("loud.MP3", "ID3 and MPEG frames after the tag, padded to a header's length");
    PutFile("twice.mp3.mp3", "ID3 and MPEG frames after the tag, padded to a header's length");
    for (const char* path : {"res://loud.MP3", "res://twice.mp3.mp3"}) {
        Sound refused = {};
        EXPECT_FALSE(sound_.LoadSound(&refused, path));
        EXPECT_EQ(LogCapture::CountPopups(std::string("Bad format BRUM LoadSampleWAV '") + path +
                                          "': Header 'ID3 ' is not RIFF as expected.", QV_LOG_WARNING), 1) << path;
    }
    EXPECT_EQ(LogCapture::CountContaining("pretending"), 1);

    Sound missing = {}, broken = {};
    EXPECT_FALSE(sound_.LoadSound(&missing, "res://missing.wav"));
    EXPECT_FALSE(sound_.LoadSound(&missing, "res://missing.mp3"));
    EXPECT_FALSE(sound_.LoadSound(&broken, "res://noise.ogg"));
    EXPECT_EQ(broken.sample, nullptr);

    const SoundChannelHandle channel = sound_.PlaySoundEx(&wav, 0.5f, 0.0f, 1.0f, true);
    ASSERT_NE(channel, 0u);
    EXPECT_TRUE(sound_.IsChannelPlaying(channel));
    EXPECT_EQ(fake_.Channel(40).volume, -1000);
    sound_.SetChannelPitch(channel, 2.0f);
    EXPECT_EQ(fake_.Channel(40).frequency, 88200u);
    // Pitch 0 (a zeroed SoundPlayParameters) plays at the buffer's own rate.
    const SoundChannelHandle unpitched = sound_.PlaySoundEx(&wav, 1.0f, 0.0f, 0.0f, false);
    EXPECT_EQ(fake_.Channel(41).frequency, 0u);
    sound_.StopChannel(unpitched);
    sound_.SetChannelPaused(channel, true);
    EXPECT_TRUE(sound_.IsChannelPlaying(channel)) << "paused still counts";
    sound_.StopChannel(channel);
    EXPECT_FALSE(sound_.IsChannelPlaying(channel));
    // Loaded again: the old sample is given back, and the channels playing it stop.
    const SoundChannelHandle looping = sound_.PlaySoundEx(&wav, 1, 0, 1, true);
    ASSERT_TRUE(sound_.IsChannelPlaying(looping));
    ASSERT_TRUE(sound_.LoadSound(&wav, "res://tone_stereo_short.wav"));
    EXPECT_FALSE(sound_.IsChannelPlaying(looping));
    sound_.UnloadSound(&wav);
    sound_.UnloadSound(&ogg);
    EXPECT_EQ(wav.sample, nullptr);
}

// A 16-bit PCM WAV file whose header states this rate, holding `bytes` bytes of silence.
std::string Wav(uint32_t rate, uint16_t channels, uint32_t bytes) {
    std::string file;
    const auto u32 = [&file](uint32_t v) { for (int i = 0; i < 4; ++i) file += char((v >> (8 * i)) & 0xFF); };
    const auto u16 = [&file](uint16_t v) { file += char(v & 0xFF), file += char(v >> 8); };
    file += "RIFF", u32(36 + bytes), file += "WAVEfmt ", u32(16), u16(1), u16(channels), u32(rate);
    u32(rate * 2u * channels), u16(uint16_t(2 * channels)), u16(16), file += "data", u32(bytes);
    return file + std::string(bytes, '\0');
}

TEST_F(SoundImpBrumTest, LengthsCountTheRateInWholeEighthsAndAGamesPitchReachesTheDeviceAsGiven) {
    ASSERT_TRUE(Start());
    PutFile("cd.wav", Wav(44100, 1, 88200));
    PutFile("eight.wav", Wav(8, 2, 64));
    PutFile("seven.wav", Wav(7, 2, 64));
    PutFile("slow.wav", Wav(50, 1, 600));
    PutFile("slow_too.wav", Wav(50, 1, 600));
    // bytes / ((rate / 8, truncated) x bits x channels)
    Sound cd = {}, eight = {}, seven = {};
    ASSERT_TRUE(sound_.LoadSound(&cd, "res://cd.wav"));
    EXPECT_FLOAT_EQ(cd.length, static_cast<float>(88200.0 / (5512.0 * 16.0)));
    ASSERT_TRUE(sound_.LoadSound(&eight, "res://eight.wav"));
    EXPECT_FLOAT_EQ(eight.length, 2.0f);
    ASSERT_TRUE(sound_.LoadSound(&seven, "res://seven.wav"));
    EXPECT_EQ(seven.length, 0.0f) << "a rate below 8 has no whole eighth: no length, not an endless one";

    // Through the sound members as a game calls them: 50 Hz samples, so that a pitch far
    // above 1000 still gives a rate the device plays.
    VideoParameters video = {};
    g_core.savedVideo = &video;
    QVI_UseSoundImplementation(&sound_);
    Sound* slow = qv->LoadSound("res://slow");
    Sound* slowToo = qv->LoadSound("res://slow_too");
    ASSERT_TRUE(slow && slow->sample && slowToo && slowToo->sample);
    EXPECT_FLOAT_EQ(slow->length, 6.25f);
    const uint32_t fast = qv->PlaySound(slow, 1.0f, 0.0f, 2000.0f);
    ASSERT_NE(fast, 0u);
    EXPECT_EQ(fake_.Channel(0).frequency, 100000u);
    qv->SetChannelPitch(fast, 1500.0f);
    EXPECT_EQ(fake_.Channel(0).frequency, 75000u);
    qv->SetChannelPitch(fast, -2.0f);
    EXPECT_EQ(fake_.Channel(0).frequency, 100u) << "a rate the device refuses is its lowest";
    // A negative pitch is no rate: the mixer plays it at the device's lowest, not at the
    // buffer's own rate.
    const uint32_t low = qv->PlaySound(slowToo, 1.0f, 0.0f, -1.0f);
    ASSERT_NE(low, 0u);
    EXPECT_EQ(fake_.Channel(1).frequency, 100u);
    qv->StopChannel(fast);
    qv->StopChannel(low);
    // Released without counting, the records give their samples back to this mixer.
    g_core.referenceCounting = 0;
    qv->ReleaseSound(slow);
    qv->ReleaseSound(slowToo);
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());
    g_core.savedVideo = nullptr;
    sound_.UnloadSound(&cd);
    sound_.UnloadSound(&eight);
    sound_.UnloadSound(&seven);
}

TEST_F(SoundImpBrumTest, APlayListKeepsTheFirstFormatAndReadsItsLastLineWithoutALineFeed) {
    ASSERT_TRUE(Start());
    PutSound("tone_stereo_2s.ogg");
    PutSound("tone_mono_2s.ogg");
    PutSound("tone_stereo_short.wav");
    PutFile("mixed.mpl", "res://tone_stereo_2s.ogg\nres://tone_mono_2s.ogg\n");
    // Blank lines, an indented comment, CR LF, a missing file, an overlong line, no final line feed.
    PutFile("long.mpl", "\r\n\r\nres://tone_stereo_2s.ogg\r\n\r\n  indented is no path\n\tneither\n" +
                            std::string(600, 'x') + "\nres://missing.ogg\nres://tone_stereo_short.wav");
    PutFile("blank_end.mpl", "res://tone_stereo_short.wav\n\n\n\n");

    Sound mixed = {};
    ASSERT_TRUE(sound_.LoadSound(&mixed, "res://mixed.mpl"));
    ASSERT_NE(SampleOf(mixed), nullptr);
    EXPECT_EQ(SampleOf(mixed)->kind, BRUM_SAMPLE_PLAY_LIST);
    ASSERT_EQ(SampleOf(mixed)->entryCount, 1);
    EXPECT_STREQ(SampleOf(mixed)->entries[0]->name, "res://tone_stereo_2s.ogg");
    EXPECT_EQ(SampleOf(mixed)->channels, 2);
    EXPECT_EQ(mixed.dataSize, 0u);
    EXPECT_EQ(LogCapture::Count("Sample format of 'res://tone_mono_2s.ogg' differs from the first play list sample.\n"), 1);

    Sound longList = {};
    ASSERT_TRUE(sound_.LoadSound(&longList, "res://long.mpl"));
    ASSERT_EQ(SampleOf(longList)->entryCount, 2);
    EXPECT_STREQ(SampleOf(longList)->entries[1]->name, "res://tone_stereo_short.wav");
    EXPECT_EQ(LogCapture::CountContaining("'res://missing.ogg' was not found"), 1);
    EXPECT_EQ(LogCapture::CountContaining("longer than 511 characters is skipped"), 1);

    Sound blankEnd = {};
    ASSERT_TRUE(sound_.LoadSound(&blankEnd, "res://blank_end.mpl"));
    EXPECT_EQ(SampleOf(blankEnd)->entryCount, 1);
    Sound none = {};
    EXPECT_FALSE(sound_.LoadSound(&none, "res://absent.mpl"));

    // The list plays at the buffer's own rate (frequency 0, the output rate), forever, from
    // its first entry.
    const SoundChannelHandle channel = sound_.PlaySound(&longList, 1, 0, 1);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(fake_.Channel(40).frequency, 0u);
    // A game's pitch reaches the mixer as given; the list keeps the output rate all the same.
    const SoundChannelHandle endless = sound_.PlaySound(&blankEnd, 1, 0, std::numeric_limits<float>::infinity());
    ASSERT_NE(endless, 0u);
    EXPECT_EQ(fake_.Channel(41).frequency, 0u);
    sound_.StopChannel(endless);
    // A pitch set while it plays is kept, and the list stays at the output rate too, from
    // a pitch that would raise it as from one that would pin it to the device's lowest.
    const SoundChannelHandle raised = sound_.PlaySound(&blankEnd, 1, 0, 2.0f);
    ASSERT_NE(raised, 0u);
    for (const float pitch : {2.0f, 0.001f, 1000.0f}) {
        sound_.SetChannelPitch(raised, pitch);
        EXPECT_EQ(fake_.Channel(41).frequency, 0u) << pitch;
        EXPECT_FLOAT_EQ(table_.GetPitch(raised), pitch);
    }
    sound_.StopChannel(raised);
    Advance(44100, 8);
    EXPECT_TRUE(sound_.IsChannelPlaying(channel));
    sound_.UnloadSound(&mixed);
    sound_.UnloadSound(&longList);
    sound_.UnloadSound(&blankEnd);
    EXPECT_FALSE(sound_.IsChannelPlaying(channel)) << "freeing a sample stops its channels";
}

TEST_F(SoundImpBrumTest, MusicLoopsUntilStopMusic) {
    ASSERT_TRUE(Start());
    PutSound("tone_stereo_short.wav");
    Sound music = {};
    ASSERT_TRUE(sound_.LoadSound(&music, "res://tone_stereo_short.wav"));
    sound_.PlayMusic(&music, 0.25f);
    EXPECT_EQ(fake_.Channel(40).volume, -2000);
    const uint32_t channel = 2;  // the first channel id
    ASSERT_EQ(table_.GetSample(channel), SampleOf(music));
    Advance(22050, 8);  // ten times the sound's length
    EXPECT_TRUE(sound_.IsChannelPlaying(channel));
    sound_.SetMusicVolume(0.5f);
    EXPECT_EQ(fake_.Channel(40).volume, -1000);
    sound_.SetMusicPaused(true);
    EXPECT_EQ(table_.GetState(channel), 2);
    sound_.SetMusicPaused(false);
    sound_.StopMusic();
    EXPECT_FALSE(sound_.IsChannelPlaying(channel));
    EXPECT_TRUE(fake_.KeepAlive().playing);
    sound_.UnloadSound(&music);
}

}  // namespace
