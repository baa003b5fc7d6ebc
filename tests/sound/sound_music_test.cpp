// Music and the master volume over the fake clock: fade-in, slides, a track replacing
// another, stopping and pausing, as the implementation hears them.
#include "sound_fixture.h"

#include <limits>
#include <string>
#include <vector>

namespace quaven_test {
namespace {

using Calls = std::vector<std::string>;

TEST_F(SoundModuleTest, MusicFadesInSlidesAndIsReplacedAfterTheOldTrackFadesOut) {
    Sound* a = Loaded("a");
    Sound* b = Loaded("b");
    sound.Take();
    qv->PlayMusic(a, 0.8f, 1.0f);
    EXPECT_EQ(qv->GetCurrentMusic(), a);  // pending already counts
    Frame(250, 5);
    EXPECT_EQ(sound.Take(), (Calls{"PlayMusic a 0", "MusicVolume 0.2", "MusicVolume 0.4", "MusicVolume 0.6",
                                   "MusicVolume 0.8"}));

    // The same track again slides to its new volume over a second instead of restarting.
    qv->PlayMusic(a, 0.4f, 0.0f);
    Frame(250, 5);
    EXPECT_EQ(sound.Take(), (Calls{"MusicVolume 0.7", "MusicVolume 0.6", "MusicVolume 0.5", "MusicVolume 0.4"}));

    // Another track waits for this one to fade out, then starts in the frame that ends the fade.
    qv->PlayMusic(b, 1.0f, 0.0f);
    EXPECT_EQ(qv->GetCurrentMusic(), b);
    Frame(250, 4);
    const Calls replaced = sound.Take();
    ASSERT_EQ(replaced.size(), 6u);
    EXPECT_EQ(replaced[2], "MusicVolume 0.0925");
    EXPECT_EQ((Calls(replaced.begin() + 3, replaced.end())), (Calls{"StopMusic", "PlayMusic b 1", "MusicVolume 1"}));

    qv->SlideMusicVolume(0.995f, 1.0f);  // within 0.01 of the volume: nothing to do
    qv->StopMusic(0.5f);
    EXPECT_EQ(qv->GetCurrentMusic(), nullptr);
    Frame(250, 2);
    EXPECT_EQ(sound.Take(), (Calls{"MusicVolume 0.495", "StopMusic"}));
    qv->StopMusic(0.5f);  // nothing requested any more
    Frame(250);
    EXPECT_TRUE(sound.Take().empty());
}

TEST_F(SoundModuleTest, PauseHoldsEveryMusicTransitionBack) {
    Sound* a = Loaded("a");
    sound.Take();
    qv->PlayMusic(a, 1.0f, 0.0f);
    qv->SetMusicPaused(true);
    Frame(250, 2);
    EXPECT_EQ(qv->GetCurrentMusic(), a);
    EXPECT_EQ(sound.Take(), Calls{"MusicPaused 1"});
    qv->SetMusicPaused(false);
    Frame(250);
    EXPECT_EQ(sound.Take(), (Calls{"MusicPaused 0", "PlayMusic a 1", "MusicVolume 1"}));

    qv->SetMusicLooping(false);
    EXPECT_EQ(LogCapture::CountPopups("SetMusicLooping is deprecated: music is always looping.", QV_LOG_WARNING), 1);
    qv->SetMasterVolume(0.5f);
    qv->SetMasterVolume(0.5f);
    qv->SetMasterVolume(std::numeric_limits<float>::quiet_NaN());
    qv->SetMasterVolume(3.0f);
    EXPECT_EQ(sound.Take(), (Calls{"Master 0.5", "Master 1"}));
    EXPECT_EQ(QVI_GetSoundMasterVolume(), 1.0f);
}

TEST_F(SoundModuleTest, DeveloperModeQuestionsOddMusicArguments) {
    g_core.developerMode = 1;
    Sound* a = Loaded("a");
    qv->PlayMusic(a, 1.5f, 12.0f);
    qv->SlideMusicVolume(-1.0f, 11.0f);
    qv->StopMusic(8.0f);
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{"QV_PlayMusic: Fade in time is suspiciously high (12)",
                                        "QV_PlayMusic: Volume parameter out of range 0..1 (1.5)",
                                        "QV_SlideMusicVolume: slide_time is suspiciously high (11)",
                                        "QV_SlideMusicVolume: target_volume parameter out of range 0..1 (-1)",
                                        "Fade out time in QV_StopMusic suspiciously high (8)"}));
}

}  // namespace
}  // namespace quaven_test
