// Channels as a game plays them: starts, delays, parameters, fades and expiry over the fake
// clock, checked by what the implementation was told.
#include "sound_fixture.h"

#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace quaven_test {
namespace {

using Calls = std::vector<std::string>;

SoundPlayParameters Parameters(float volume, float delay, bool loop = false) {
    return {volume, 0.0f, 1.0f, uint8_t(loop ? 1 : 0), {}, delay};
}

TEST_F(SoundModuleTest, StartsAreSpacedBy25msAndLimitedTo20PerSound) {
    Sound* shot = Loaded("shot", 5.0f);
    sound.Take();
    const uint32_t first = qv->PlaySound(shot, 0.5f, -0.25f, 1.5f);
    EXPECT_NE(first, 0u);
    EXPECT_EQ(qv->PlaySound(shot, 0.5f, 0.0f, 1.0f), 0u);
    s_now += 24;
    EXPECT_EQ(qv->PlaySound(shot, 0.5f, 0.0f, 1.0f), 0u);
    s_now += 1;
    EXPECT_NE(qv->PlaySound(shot, 2.0f, 7.0f, 1.0f), 0u);  // volume and pan land on their ends
    EXPECT_EQ(sound.Take(), (Calls{"Play shot v0.5 p-0.25 r1.5 -> 1", "Play shot v1 p1 r1 -> 2"}));

    for (int i = 2; i < 20; ++i) {
        s_now += 25;
        EXPECT_NE(qv->PlaySound(shot, 1.0f, 0.0f, 1.0f), 0u) << i;
    }
    s_now += 25;
    EXPECT_EQ(qv->PlaySound(shot, 1.0f, 0.0f, 1.0f), 0u);
    // One that has finished makes room.
    sound.playing.erase(1);
    s_now += 5000;
    EXPECT_FALSE(qv->IsChannelPlaying(first));
    EXPECT_NE(qv->PlaySound(shot, 1.0f, 0.0f, 1.0f), 0u);
}

TEST_F(SoundModuleTest, ADelayedSoundWaitsAndTakesTheParametersSetMeanwhile) {
    Sound* bell = Loaded("bell");
    sound.Take();
    const uint32_t late = qv->PlaySoundEx(bell, Parameters(0.25f, 20.0f));
    EXPECT_EQ(LogCapture::CountPopups("Trying to play sound 'bell' with too long delay 20.0s (warning triggers at 15s)",
                                      QV_LOG_WARNING), 1);
    EXPECT_TRUE(qv->IsChannelPlaying(late));
    EXPECT_EQ(qv->GetChannelSound(late), bell);
    qv->SetChannelPan(late, -0.5f);
    qv->SetChannelPitch(late, 2.0f);
    qv->SetChannelPaused(late, true);
    qv->FadeChannelVolume(late, 0.75f, 1.0f);
    Frame(15000);
    EXPECT_TRUE(sound.Take().empty());
    Frame(1);
    EXPECT_EQ(sound.Take(), Calls{"Play bell v0.75 p-0.5 r2 -> 1"});

    s_now += 25;
    const uint32_t now = qv->PlaySoundEx(bell, Parameters(1.0f, 0.0f, true));
    EXPECT_EQ(sound.Take(), Calls{"Play bell v1 p0 r1 loop -> 2"});
    qv->SetChannelLooping(now, false);
    qv->SetChannelPaused(now, true);
    qv->SetChannelPitch(now, std::numeric_limits<float>::quiet_NaN());
    qv->SetChannelVolume(now, std::numeric_limits<float>::quiet_NaN());
    qv->SetChannelVolume(9999, 0.5f);
    qv->StopChannel(0);
    EXPECT_EQ(qv->PlaySound(bell, 1.0f, 0.0f, std::numeric_limits<float>::quiet_NaN()), 0u);
    EXPECT_EQ(sound.Take(), (Calls{"Looping 2 0", "Paused 2 1"}));
    EXPECT_EQ(LogCapture::CountContaining("is not a number; ignored.", QV_LOG_WARNING), 3);

    // Stopping a waiting entry never reaches the implementation.
    const uint32_t waiting = qv->PlaySoundEx(bell, Parameters(1.0f, 1.0f));
    qv->StopChannel(waiting);
    qv->StopChannel(now);
    EXPECT_FALSE(qv->IsChannelPlaying(waiting));
    EXPECT_EQ(sound.Take(), Calls{"Stop 2"});
}

TEST_F(SoundModuleTest, PitchesReachTheImplementationAsGivenFromEveryMember) {
    Sound* horn = Loaded("horn");
    sound.Take();
    const uint32_t first = qv->PlaySound(horn, 1.0f, 0.0f, -1.0f);
    s_now += 25;
    qv->PlaySoundEx(horn, {1.0f, 0.0f, 2500.0f, 0, {}, 0.0f});
    s_now += 25;
    qv->PlaySoundEx(horn, {1.0f, 0.0f, -3.0f, 0, {}, 0.5f});
    Frame(501);
    qv->SetChannelPitch(first, -0.5f);
    qv->SetChannelPitch(first, 1.0e6f);
    qv->SetChannelPitch(first, std::numeric_limits<float>::infinity());
    EXPECT_EQ(sound.Take(), (Calls{"Play horn v1 p0 r-1 -> 1", "Play horn v1 p0 r2.5e+03 -> 2",
                                   "Play horn v1 p0 r-3 -> 3", "Pitch 1 -0.5", "Pitch 1 1e+06", "Pitch 1 inf"}));
    EXPECT_EQ(LogCapture::CountContaining("pitch"), 0);
}

TEST_F(SoundModuleTest, LoopingChannelsPlayOnAndOthersEndWithTheirSound) {
    Sound* wind = Loaded("wind", 0.5f);
    const uint32_t loop = qv->PlaySoundEx(wind, Parameters(1.0f, 0.0f, true));
    s_now += 25;
    const uint32_t once = qv->PlaySound(wind, 1.0f, 0.0f, 1.0f);
    sound.playing = {1};  // only the looping one still sounds
    EXPECT_TRUE(qv->IsChannelPlaying(loop));
    EXPECT_EQ(QVI_GetSoundChannelsUsed(), 2);
    QVI_SweepSoundChannels();  // 100 ms before its length has passed, nobody asks
    EXPECT_EQ(QVI_GetSoundChannelsUsed(), 2);
    s_now += 400;
    QVI_SweepSoundChannels();
    EXPECT_EQ(QVI_GetSoundChannelsUsed(), 1);
    EXPECT_EQ(qv->GetChannelSound(once), nullptr);
    EXPECT_EQ(qv->GetChannelSound(loop), wind);
}

TEST_F(SoundModuleTest, FadesReachTheirTargetsAndAFadeOutStops) {
    Sound* hum = Loaded("hum", 60.0f);
    const uint32_t a = qv->PlaySound(hum, 1.0f, 0.0f, 1.0f);
    sound.Take();
    qv->FadeChannelVolume(a, 0.5f, 1.0f);
    Frame(250, 4);
    EXPECT_EQ(sound.Take(), (Calls{"Volume 1 0.875", "Volume 1 0.75", "Volume 1 0.625", "Volume 1 0.5"}));
    Frame(250);
    EXPECT_TRUE(sound.Take().empty());

    qv->FadeChannelVolume(a, 0.00005f, 2.0f);
    Frame(1000);
    qv->FadeChannelVolume(a, 1.0f, 1.0f);  // fading out to stop: left alone
    Frame(1000);
    EXPECT_EQ(sound.Take(), (Calls{"Volume 1 0.25", "Stop 1"}));
    EXPECT_FALSE(qv->IsChannelPlaying(a));

    const uint32_t b = qv->PlaySound(hum, 0.0f, 0.0f, 1.0f);
    qv->FadeChannelVolume(b, 1.0f, 0.5f);
    Frame(250, 2);
    qv->FadeOutChannel(b, std::numeric_limits<float>::quiet_NaN());
    Frame(10);
    EXPECT_EQ(sound.Take(), (Calls{"Play hum v0 p0 r1 -> 2", "Volume 2 0.5", "Volume 2 1", "Stop 2"}));
}

TEST_F(SoundModuleTest, StartingADelayedEntryNeverReordersTheTable) {
    Sound* step = Loaded("step", 0.1f);
    const uint32_t early = qv->PlaySound(step, 1.0f, 0.0f, 1.0f);
    const uint32_t late = qv->PlaySoundEx(step, Parameters(1.0f, 1.0f));
    sound.playing.clear();  // the first has played out when the second is due
    Frame(1001);
    EXPECT_TRUE(qv->IsChannelPlaying(late));
    EXPECT_EQ(qv->GetChannelSound(late), step);
    EXPECT_FALSE(qv->IsChannelPlaying(early));
    EXPECT_EQ(QVI_GetSoundChannelsUsed(), 1);

    // A waiting entry whose sound was hibernated is dropped when due.
    s_now += 25;
    const uint32_t orphan = qv->PlaySoundEx(step, Parameters(1.0f, 0.5f));
    qv->ReleaseSound(step);
    Frame(501);
    EXPECT_FALSE(qv->IsChannelPlaying(orphan));
}

}  // namespace
}  // namespace quaven_test
