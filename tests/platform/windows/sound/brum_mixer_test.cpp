// The BRUM mixer against the fake DirectSound: what the device is asked to create, set and
// play, and how channels end, as the play cursors move only when the test moves them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "brum_device.h"
#include "support/engine_table.h"
#include "support/process.h"

namespace {

using brum_test::AllBytes;
using brum_test::Fake;
using brum_test::MemorySample;

const uint32_t kBufferBytes = 88200;
const uint32_t kHalf = kBufferBytes / 2;
template <typename A, typename B>
using Pairs = std::initializer_list<std::pair<A, B>>;

class Mixer {
public:
    Mixer() {
        attached = fake.AttachFresh();
        BRUM::FillMixerTable(&table);
        running = table.Init(44100, 64, nullptr, 0);
    }
    ~Mixer() { table.Shutdown(); }
    void Advance(uint32_t bytes) {
        fake.advance(bytes);
        table.Tick();
    }

    quaven_test::EngineTable engine;
    BRUMMixerTable table = {};
    Fake fake;
    bool running = false;
    bool attached = false;
};

// Each test's own mixer, on a fresh record of the fake device.
class BrumMixerStarted : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(mixer.running && mixer.attached) << "not the fake dsound.dll"; }
    Mixer mixer;
};

TEST(BrumMixer, InitCreatesFortyMonoAndTwentyFourStereoBuffersAndASilentKeepAlive) {
    {
        Mixer mixer;
        ASSERT_TRUE(mixer.running);
        ASSERT_TRUE(mixer.attached) << "the fake dsound.dll was not the one loaded";
        FakeDirectSound& device = *mixer.fake.state;
        EXPECT_EQ(device.created, 1);
        EXPECT_EQ(device.level, static_cast<DWORD>(DSSCL_PRIORITY));
        EXPECT_EQ(device.primaryFormat.nChannels, 2);
        EXPECT_EQ(device.primaryFormat.nSamplesPerSec, 44100u);
        EXPECT_EQ(device.primaryFormat.wBitsPerSample, 16);
        EXPECT_EQ(device.primaryFormat.nBlockAlign, 4);
        EXPECT_EQ(device.primaryFormat.nAvgBytesPerSec, 176400u);
        ASSERT_EQ(device.bufferCount, 1 + 64 + 1);
        EXPECT_TRUE(device.buffers[0].primary);
        for (int i = 0; i < 64; ++i) {
            const FakeSoundBuffer& buffer = mixer.fake.Channel(i);
            EXPECT_EQ(buffer.channels, i < 40 ? 1 : 2) << i;
            EXPECT_EQ(buffer.bytes, kBufferBytes) << i;
            EXPECT_EQ(buffer.flags, 0x180E8u) << i;
            EXPECT_EQ(buffer.rate, 44100u) << i;
            EXPECT_EQ(buffer.playing, 0) << i;
        }
        const FakeSoundBuffer& keepAlive = mixer.fake.KeepAlive();
        EXPECT_EQ(keepAlive.channels, 2);
        EXPECT_TRUE(keepAlive.playing);
        EXPECT_EQ(keepAlive.playFlags, static_cast<DWORD>(DSBPLAY_LOOPING));
        EXPECT_TRUE(AllBytes(keepAlive.data, kBufferBytes, 0));
        EXPECT_FLOAT_EQ(mixer.table.GetMasterVolume(), 1.0f);
    }
    // Shutdown stopped the thread and gave every buffer and the device back.
    Fake after;
    ASSERT_TRUE(after.Attach());
    for (int i = 1; i < after.state->bufferCount; ++i) EXPECT_EQ(after.state->buffers[i].released, 1) << i;
    EXPECT_EQ(after.state->released, 1);
    EXPECT_FALSE(BRUM::IsRunning());
    // Entries after shutdown do nothing and answer their "not running" values.
    BRUMMixerTable table = {};
    BRUM::FillMixerTable(&table);
    MemorySample tone(1, 1000);
    EXPECT_EQ(table.Play(&tone.sample, 1, 0, 1, 0), 0u);
    EXPECT_FLOAT_EQ(table.GetPitch(5), 1.0f);
    EXPECT_EQ(table.GetLooping(5), 0);
    EXPECT_EQ(table.GetState(5), 0);
    table.Stop(kBRUMAllChannels);
    table.Tick();
}

TEST_F(BrumMixerStarted, ChannelsRunOutByKindAndLevelsMapIntoTheDeviceRanges) {
    BRUMMixerTable& t = mixer.table;
    MemorySample mono(1, 4000), stereo(2, 4000);

    std::vector<uint32_t> ids;
    for (int i = 0; i < 40; ++i) ids.push_back(t.Play(&mono.sample, 1.0f, 0.0f, 1.0f, 1));
    EXPECT_EQ(ids[0], 2u);  // the first id given
    EXPECT_EQ(std::count(ids.begin(), ids.end(), 0u), 0);
    EXPECT_EQ(t.Play(&mono.sample, 1.0f, 0.0f, 1.0f, 1), 0u) << "the 41st mono sound";
    const uint32_t stereoId = t.Play(&stereo.sample, 1.0f, 0.0f, 1.0f, 1);
    EXPECT_NE(stereoId, 0u) << "stereo channels are still free";
    EXPECT_EQ(mono.sample.useCount, 40);
    EXPECT_FALSE(mixer.fake.KeepAlive().playing);

    FakeSoundBuffer& first = mixer.fake.Channel(0);
    const uint32_t id = ids[0];
    EXPECT_EQ(first.frequency, 44100u);
    // 0.0001 is below -100 dB: clamped, never -10001.
    for (auto [volume, level] :
         Pairs<float, LONG>{{0.5f, -1000}, {0.25f, -2000}, {0.0f, -10000}, {0.0001f, -10000}, {7.0f, 0}}) {
        t.SetVolume(id, volume);
        EXPECT_EQ(first.volume, level) << volume;
    }
    EXPECT_FLOAT_EQ(t.GetVolume(id), 1.0f);
    t.SetMasterVolume(0.5f);
    EXPECT_EQ(first.volume, -1000);
    t.SetMasterVolume(1.0f);

    for (auto [pitch, frequency] : Pairs<float, DWORD>{{10.0f, 100000}, {0.001f, 100}, {NAN, 100}}) {
        t.SetPitch(id, pitch);
        EXPECT_EQ(first.frequency, frequency) << pitch;
    }
    EXPECT_FLOAT_EQ(t.GetPitch(id), 0.001f);
    for (auto [pan, level] : Pairs<float, LONG>{{-3.0f, -10000}, {0.25f, 2500}}) {
        t.SetPan(id, pan);
        EXPECT_EQ(first.pan, level) << pan;
    }
    EXPECT_EQ(quaven_test::LogCapture::CountContaining("not a number"), 1);

    // Play sets the sample's rate times the pitch: 0 is the buffer's own rate, and a rate
    // the device refuses is brought into the device's range.
    for (auto [pitch, frequency] :
         Pairs<float, DWORD>{{0.0f, 0}, {3.0f, 132300}, {0.001f, 100}, {0.00001f, 0}, {-1.0f, 100}, {10.0f, 200000}}) {
        t.Stop(ids[1]);
        ids[1] = t.Play(&mono.sample, 1.0f, 0.0f, pitch, 0);
        EXPECT_EQ(mixer.fake.Channel(1).frequency, frequency) << pitch;
    }
    const uint32_t fast = ids[1];
    EXPECT_EQ(t.Play(&mono.sample, NAN, 0.0f, 1.0f, 0), 0u);

    t.SetPaused(fast, 1);
    EXPECT_EQ(t.GetState(fast), 2);
    EXPECT_FALSE(mixer.fake.Channel(1).playing);
    t.SetPaused(fast, 0);
    EXPECT_EQ(t.GetState(fast), 1);
    EXPECT_TRUE(mixer.fake.Channel(1).playing);
    // Stopped while paused: the next sound on that channel starts unpaused and pauses.
    t.SetPaused(fast, 1);
    t.Stop(fast);
    const uint32_t next = t.Play(&mono.sample, 1.0f, 0.0f, 1.0f, 0);
    EXPECT_EQ(t.GetState(next), 1);
    t.SetPaused(next, 1);
    EXPECT_FALSE(mixer.fake.Channel(1).playing);
    EXPECT_EQ(t.GetState(12345), 0);
    EXPECT_EQ(t.GetLooping(12345), -1);
    EXPECT_EQ(t.GetSample(stereoId), &stereo.sample);

    // Stop(-1) ends every channel and the keep-alive plays again.
    t.Stop(kBRUMAllChannels);
    EXPECT_EQ(mono.sample.useCount, 0);
    EXPECT_EQ(stereo.sample.useCount, 0);
    EXPECT_EQ(t.GetState(stereoId), 0);
    EXPECT_TRUE(mixer.fake.KeepAlive().playing);
    for (int i = 0; i < 64; ++i) EXPECT_FALSE(mixer.fake.Channel(i).playing) << i;
}

TEST_F(BrumMixerStarted, ANonLoopingSampleFillsHalvesAndStopsItselfOnceItsBytesHavePlayed) {
    MemorySample tone(1, 50000);
    const uint32_t id = mixer.table.Play(&tone.sample, 1.0f, 0.0f, 1.0f, 0);
    ASSERT_NE(id, 0u);
    FakeSoundBuffer& buffer = mixer.fake.Channel(0);
    EXPECT_TRUE(buffer.playing);
    EXPECT_EQ(buffer.playFlags, static_cast<DWORD>(DSBPLAY_LOOPING));
    EXPECT_EQ(0, memcmp(buffer.data, tone.bytes.data(), kHalf)) << "Play fills the first half";

    mixer.Advance(0);  // the play cursor in the first half: the second half is filled
    EXPECT_EQ(0, memcmp(buffer.data + kHalf, tone.bytes.data() + kHalf, 50000 - kHalf));
    EXPECT_TRUE(AllBytes(buffer.data + 50000, kBufferBytes - 50000, 0)) << "silence after the end";

    mixer.Advance(kHalf);  // 44,100 of 50,000 bytes played: still on
    EXPECT_EQ(mixer.table.GetState(id), 1);
    EXPECT_TRUE(AllBytes(buffer.data, kHalf, 0));
    mixer.Advance(kHalf);
    EXPECT_EQ(mixer.table.GetState(id), 0);
    EXPECT_FALSE(buffer.playing);
    EXPECT_EQ(tone.sample.useCount, 0);
    EXPECT_TRUE(mixer.fake.KeepAlive().playing);
}

TEST_F(BrumMixerStarted, LoopingPlaysOnAndSwitchingItOffPlaysOutTheCurrentPass) {
    MemorySample tone(2, 30000);
    const uint32_t id = mixer.table.Play(&tone.sample, 1.0f, 0.0f, 1.0f, 1);
    FakeSoundBuffer& buffer = mixer.fake.Channel(40);  // the first stereo channel
    // The first half holds the sample, then the sample again from its start.
    EXPECT_EQ(0, memcmp(buffer.data, tone.bytes.data(), 30000));
    EXPECT_EQ(0, memcmp(buffer.data + 30000, tone.bytes.data(), kHalf - 30000));
    mixer.Advance(0);
    for (int i = 0; i < 10; ++i) mixer.Advance(kHalf);
    EXPECT_EQ(mixer.table.GetState(id), 1);
    EXPECT_EQ(mixer.table.GetLooping(id), 1);

    // 441,000 bytes played: 9,000 of the current 30,000-byte pass are left.
    mixer.table.SetLooping(id, 0);
    mixer.Advance(8000);
    EXPECT_EQ(mixer.table.GetState(id), 1);
    mixer.Advance(1000);
    EXPECT_EQ(mixer.table.GetState(id), 0);
}

TEST_F(BrumMixerStarted, FadesReachTheirTargetsAndAFadeToSilenceStopsTheChannel) {
    MemorySample tone(1, 8000);
    const uint32_t down = mixer.table.Play(&tone.sample, 1.0f, 0.0f, 1.0f, 1);
    const uint32_t up = mixer.table.Play(&tone.sample, 0.001f, 0.0f, 1.0f, 1);
    mixer.table.FadeVolume(down, 0.0f, 0.05f);
    mixer.table.FadeVolume(up, 0.5f, 0.05f);
    for (int i = 0; i < 1000 && (mixer.table.GetState(down) != 0 || mixer.table.GetVolume(up) != 0.5f); ++i) {
        Sleep(5);
        mixer.table.Tick();
    }
    EXPECT_EQ(mixer.table.GetState(down), 0);
    EXPECT_FLOAT_EQ(mixer.table.GetVolume(up), 0.5f);
    EXPECT_EQ(mixer.fake.Channel(1).volume, -1000);

    // An immediate fade to silence stops at once; to a level sets it.
    mixer.table.FadeVolume(up, 0.25f, 0.0f);
    EXPECT_EQ(mixer.fake.Channel(1).volume, -2000);
    mixer.table.FadeVolume(up, 0.0f, 0.0f);
    EXPECT_EQ(mixer.table.GetState(up), 0);
}

TEST_F(BrumMixerStarted, ALoopingSampleWithoutDataPlaysSilenceInsteadOfSpinning) {
    MemorySample empty(2, 0);
    const uint32_t id = mixer.table.Play(&empty.sample, 1.0f, 0.0f, 1.0f, 1);
    ASSERT_NE(id, 0u);
    mixer.Advance(0);
    mixer.Advance(kHalf);
    EXPECT_TRUE(AllBytes(mixer.fake.Channel(40).data, kBufferBytes, 0));
    mixer.table.Stop(id);
    // Data present but no bytes of it: the fill gives up after its empty passes.
    uint8_t none = 0, out[64];
    BRUMSample hollow = {};
    hollow.kind = BRUM_SAMPLE_PCM, hollow.channels = 1, hollow.bitsPerSample = 16, hollow.data = &none;
    BRUMChannel channel = {};
    EXPECT_EQ(BRUM::FillPCM(&channel, &hollow, out, sizeof out, true), 0u);
    // Samples that cannot play get no channel.
    MemorySample odd(3, 600);
    EXPECT_EQ(mixer.table.Play(&odd.sample, 1, 0, 1, 0), 0u);
    EXPECT_EQ(mixer.table.Play(nullptr, 1, 0, 1, 0), 0u);
}

TEST(BrumMixer, AChannelWhoseBufferCouldNotBeCreatedIsNeverPlayed) {
    quaven_test::EngineTable engine;
    Fake fake;
    // The device is loaded by the mixer; load it first to arrange the failure.
    ASSERT_TRUE(fake.AttachFresh());
    fake.state->failBuffer = 1;  // the first channel's buffer
    BRUMMixerTable table = {};
    BRUM::FillMixerTable(&table);
    ASSERT_TRUE(table.Init(44100, 64, nullptr, 0));
    EXPECT_STREQ(BRUM::LastError(), "CreateSoundBuffer: Out of memory");
    // The error goes to the mixer's trace only.
    EXPECT_EQ(quaven_test::LogCapture::CountContaining("CreateSoundBuffer"), 0);
    MemorySample tone(1, 8000);
    ASSERT_NE(table.Play(&tone.sample, 1, 0, 1, 0), 0u);
    EXPECT_TRUE(fake.state->buffers[2].playing) << "the second channel took the sound";
    table.Shutdown();

    // A device that cannot be made leaves the mixer off.
    fake.state->createResult = static_cast<HRESULT>(0x88780078);
    EXPECT_FALSE(table.Init(44100, 64, nullptr, 0));
    EXPECT_STREQ(BRUM::LastError(), "DirectSoundCreate: No audio device found");
    EXPECT_TRUE(quaven_test::LogCapture::Lines().empty());
    EXPECT_FALSE(BRUM::IsRunning());
    EXPECT_EQ(table.Play(&tone.sample, 1, 0, 1, 0), 0u);
}

TEST_F(BrumMixerStarted, InactiveStopsEveryBufferAndActivePlaysTheUnpausedOnesAgain) {
    MemorySample tone(1, 8000);
    const uint32_t a = mixer.table.Play(&tone.sample, 1, 0, 1, 1);
    const uint32_t b = mixer.table.Play(&tone.sample, 1, 0, 1, 1);
    mixer.table.SetPaused(b, 1);
    mixer.table.SetActive(0);
    EXPECT_FALSE(mixer.fake.Channel(0).playing);
    mixer.table.SetActive(1);
    EXPECT_TRUE(mixer.fake.Channel(0).playing);
    EXPECT_EQ(mixer.fake.Channel(0).restores, 1);
    EXPECT_FALSE(mixer.fake.Channel(1).playing);
    EXPECT_EQ(mixer.table.GetState(a), 1);
    EXPECT_EQ(mixer.table.GetPaused(b), 1);
}

// A play list of two in-memory entries, as SoundImpBRUM builds one from a ".mpl" file.
struct MemoryList {
    MemorySample a{2, 20000}, b{2, 30000};
    BRUMSample list = {};
    MemoryList() {
        list.name = const_cast<char*>("list");
        list.kind = BRUM_SAMPLE_PLAY_LIST, list.channels = 2, list.bitsPerSample = 16;
        list.entries[0] = &a.sample, list.entries[1] = &b.sample, list.entryCount = 2;
    }
};

TEST_F(BrumMixerStarted, DynamicPlayListsRestartOrCrossFadeWhileTheCallersIdFollowsTheNewSound) {
    MemoryList music, next;
    BRUMMixerTable& t = mixer.table;
    const uint32_t id = t.Play(&music.list, 0.5f, 0.0f, 1.0f, 0);
    ASSERT_NE(id, 0u);
    EXPECT_EQ(mixer.fake.Channel(40).frequency, 0u) << "a list plays at the buffer's own rate, the output rate";
    EXPECT_EQ(0, memcmp(mixer.fake.Channel(40).data, music.a.bytes.data(), 20000));

    // Restart at segment 1 on a new channel at the same volume; the old one stops.
    t.PlayDynamicSample(id, &next.list, 1, 4);
    EXPECT_EQ(t.GetSample(id), &next.list);
    EXPECT_FLOAT_EQ(t.GetVolume(id), 0.5f);
    EXPECT_FALSE(mixer.fake.Channel(40).playing);
    EXPECT_TRUE(mixer.fake.Channel(41).playing);
    EXPECT_EQ(0, memcmp(mixer.fake.Channel(41).data, next.b.bytes.data(), 30000)) << "from its second entry";

    // A one-second cross-fade: the id names the rising sound, the falling one ends by itself.
    t.PlayDynamicSample(id, &music.list, 0, 8);
    EXPECT_EQ(t.GetSample(id), &music.list);
    EXPECT_LT(t.GetVolume(id), 0.01f);
    EXPECT_TRUE(mixer.fake.Channel(41).playing);
    for (int i = 0; i < 2000 && (t.GetVolume(id) < 1.0f || mixer.fake.Channel(41).playing); ++i) {
        Sleep(5);
        t.Tick();
    }
    EXPECT_FLOAT_EQ(t.GetVolume(id), 1.0f);
    EXPECT_FALSE(mixer.fake.Channel(41).playing);
    EXPECT_EQ(next.list.useCount, 0);

    // Without a transition only the list and its position change.
    t.PlayDynamicSample(id, &next.list, 0, 0);
    EXPECT_EQ(t.GetSample(id), &next.list);
    EXPECT_EQ(t.GetState(id), 1);
    EXPECT_EQ(next.list.useCount, 1);
    EXPECT_EQ(music.list.useCount, 0);
}

// A compressed Ogg Vorbis sample, as LoadSample keeps a long one, and the PCM it decodes to.
struct OggSample {
    BRUMSample sample = {};
    std::string file;
    std::vector<uint8_t> pcm = std::vector<uint8_t>(400000);

    explicit OggSample(const char* name) : file(quaven_test::ReadFile(std::string(QUAVEN_BRUM_SOUNDS) + "/" + name)) {
        sample.name = const_cast<char*>(name);
        sample.kind = BRUM_SAMPLE_OGG, sample.channels = 2, sample.bitsPerSample = 16, sample.sampleRate = 44100;
        sample.data = reinterpret_cast<uint8_t*>(file.data()), sample.dataBytes = static_cast<uint32_t>(file.size());
        BRUMChannel decoder = {};
        decoder.sample = &sample;
        pcm.resize(BRUM::FillOgg(&decoder, &sample, pcm.data(), static_cast<uint32_t>(pcm.size()), false));
        BRUM::CloseDecoder(&decoder);
        sample.decodedBytes = static_cast<uint32_t>(pcm.size());
    }
};

TEST_F(BrumMixerStarted, ACrossFadeFromTheStreamPositionGoesOnWhereTheOldOggEntryWas) {
    OggSample calm("tone_stereo_2s.ogg"), tense("tone_stereo_2s_440.ogg");
    ASSERT_EQ(tense.pcm.size(), 352800u);
    MemorySample intro(2, 8000);
    BRUMSample calmList = {}, tenseList = {};
    for (auto [list, entry] : {std::make_pair(&calmList, &calm.sample), std::make_pair(&tenseList, &tense.sample)}) {
        list->kind = BRUM_SAMPLE_PLAY_LIST, list->channels = 2, list->bitsPerSample = 16;
        list->entries[0] = &intro.sample, list->entries[1] = entry, list->entryCount = 2;
    }
    BRUMMixerTable& t = mixer.table;
    const uint32_t id = t.Play(&calmList, 1.0f, 0.0f, 1.0f, 1);
    // The intro's 2,000 frames, then the calm entry decoded to frame 9,025, then 11,025 frames more.
    mixer.Advance(0);
    t.PlayDynamicSample(id, &tenseList, 0, 0x88);
    EXPECT_EQ(t.GetSample(id), &tenseList);
    EXPECT_LT(t.GetVolume(id), 0.01f);
    const FakeSoundBuffer& fresh = mixer.fake.Channel(41);
    ASSERT_TRUE(fresh.playing);
    EXPECT_EQ(0, memcmp(fresh.data, tense.pcm.data() + 20050 * 4, kHalf)) << "the tense entry from frame 20,050";
    t.Stop(kBRUMAllChannels);
}

}  // namespace
