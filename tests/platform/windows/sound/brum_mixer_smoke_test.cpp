// The mixer on Wine's own DirectSound: a 1 kHz tone played through SoundImpBRUM comes out of
// the device. The runner points ALSA's default device at a file (QUAVEN_BRUM_CAPTURE); the
// case is skipped in any other run.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "brum_device.h"
#include "core/core_state.h"
#include "platform/windows/sound/sound_imp_brum.h"
#include "sound/interface/sound_record.h"
#include "support/engine_table.h"
#include "support/process.h"

namespace {

// Power of the frequency in the samples (Goertzel), per sample.
double PowerAt(const std::vector<float>& samples, double frequency, double rate) {
    const double k = 2.0 * std::cos(2.0 * 3.14159265358979323846 * frequency / rate);
    double s1 = 0, s2 = 0;
    for (float x : samples) {
        const double s = x + k * s1 - s2;
        s2 = s1;
        s1 = s;
    }
    return (s1 * s1 + s2 * s2 - k * s1 * s2) / (samples.size() * samples.size());
}

class BrumSmoke : public quaven_test::EngineFilesTest {};

TEST_F(BrumSmoke, WineDirectSoundPlaysTheToneIntoTheCapture) {
    const std::string capture = quaven_test::EnvironmentVariable("QUAVEN_BRUM_CAPTURE");
    if (capture.empty()) GTEST_SKIP() << "only in the smoke run, which captures the device's output";
    PutFile("tone.wav", quaven_test::ReadFile(std::string(QUAVEN_BRUM_SOUNDS) + "/tone_stereo_2s.wav"));

    SoundImpBRUM sound;
    CoreState core = {};
    core.api = qv;
    ASSERT_TRUE(sound.Initialize(&core, nullptr)) << BRUM::LastError();
    Sound tone = {};
    ASSERT_TRUE(sound.LoadSound(&tone, "res://tone.wav"));
    const SoundChannelHandle channel = sound.PlaySoundEx(&tone, 1.0f, 0.0f, 1.0f, true);
    ASSERT_NE(channel, 0u);
    Sleep(800);
    EXPECT_TRUE(sound.IsChannelPlaying(channel));
    sound.StopChannel(channel);
    sound.Shutdown();
    sound.UnloadSound(&tone);

    // The device's mix: 16-bit stereo at 44.1 or 48 kHz, as Wine opened ALSA's default device.
    const std::string bytes = quaven_test::ReadFile(capture);
    ASSERT_GT(bytes.size(), 4096u) << "nothing was captured";
    std::vector<float> left;
    const int16_t* frames = reinterpret_cast<const int16_t*>(bytes.data());
    for (size_t i = 0; i + 1 < bytes.size() / 2; i += 2)
        if (frames[i] != 0 || !left.empty()) left.push_back(frames[i] / 32768.0f);
    ASSERT_GT(left.size(), 4096u) << "the capture holds only silence";
    left.resize(left.size() - left.size() % 4096);
    bool heard = false;
    for (double rate : {44100.0, 48000.0}) {
        const double tonePower = PowerAt(left, 1000.0, rate);
        const double offPower = PowerAt(left, 1370.0, rate) + PowerAt(left, 650.0, rate);
        heard = heard || tonePower > 100.0 * offPower;
    }
    EXPECT_TRUE(heard) << "no 1 kHz tone in " << left.size() << " samples";
}

}  // namespace
