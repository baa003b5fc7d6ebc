// The sound pool as a game uses it: sounds found by name, counted, hibernated and loaded
// again, with the implementation's loads written down.
#include "sound_fixture.h"

#include <string>
#include <vector>

namespace quaven_test {
namespace {

using Calls = std::vector<std::string>;

TEST_F(SoundModuleTest, LoadTwiceReleaseTwiceHibernatesAndLoadsAgain) {
    sound.files = {"shot.wav"};
    Sound* shot = qv->LoadSound("shot");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(qv->LoadSound("shot"), shot);
    EXPECT_EQ(shot->header.refCount, 2);
    EXPECT_EQ(shot->header.type, 2);
    EXPECT_EQ(shot->unused, -1);
    EXPECT_STREQ(shot->resolvedPath, "shot.wav");
    EXPECT_EQ(sound.Take(), Calls{"LoadSound shot.wav"});

    qv->ReleaseSound(shot);
    EXPECT_EQ(LogCapture::Count("Hibernating sound 'shot'.."), 0);
    qv->ReleaseSound(shot);
    EXPECT_EQ(LogCapture::Count("Hibernating sound 'shot'.."), 1);
    EXPECT_EQ(shot->residency, 0);
    EXPECT_EQ(shot->sample, nullptr);
    EXPECT_EQ(shot->dataSize, 0u);
    EXPECT_STREQ(shot->header.name, "shot");  // the record keeps its name and slot

    EXPECT_EQ(qv->LoadSound("shot"), shot);
    EXPECT_EQ(shot->header.refCount, 1);
    EXPECT_NE(shot->sample, nullptr);
    EXPECT_EQ(sound.Take(), (Calls{"UnloadSound shot", "LoadSound shot.wav"}));

    qv->ReleaseSound(shot);
    qv->ReleaseSound(shot);
    EXPECT_EQ(shot->header.refCount, 0);
    EXPECT_EQ(LogCapture::CountPopups("Sound 'shot' reference count less than zero.", QV_LOG_WARNING), 1);
}

TEST_F(SoundModuleTest, GetSoundCountsOnceAndLookupOnlyCreatesNothing) {
    EXPECT_EQ(qv->GetSoundEx("ghost", QV_SOUND_LOOKUP_ONLY), nullptr);
    EXPECT_EQ(NamedRecords(), 0);

    sound.files = {"door.ogg"};
    Sound* door = qv->GetSound("door");
    EXPECT_EQ(qv->GetSound("door"), door);
    EXPECT_EQ(door->header.refCount, 1);
    EXPECT_EQ(door->flags & 1u, 1u);
    EXPECT_EQ(qv->GetSoundEx("door", QV_SOUND_LOOKUP_ONLY), door);
    EXPECT_EQ(sound.Take(), (Calls{"LoadSound door.wav", "LoadSound door.ogg"}));

    qv->ReleaseSound(door);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Releasing sound 'door' too many times"), 1);
    EXPECT_EQ(door->residency, 0);
    // GetSound hands a hibernated sound back as it is; LoadSound brings its data back.
    EXPECT_EQ(qv->GetSound("door"), door);
    EXPECT_EQ(door->sample, nullptr);
    EXPECT_EQ(qv->LoadSound("door"), door);
    EXPECT_NE(door->sample, nullptr);
}

TEST_F(SoundModuleTest, ExtensionsAreTriedInOrderAndAGivenOneIsTakenAsItIs) {
    sound.files = {"a.ogg", "a.mp3", "sfx/b.wav", "my.dir/c.wav"};
    g_core.developerMode = 1;
    Sound* a = qv->LoadSound("a");
    EXPECT_STREQ(a->resolvedPath, "a.ogg");
    Sound* b = qv->LoadSound("sfx/b.wav");
    EXPECT_EQ(b->resolvedPath, nullptr);
    EXPECT_NE(b->sample, nullptr);
    Sound* c = qv->LoadSound("my.dir/c");
    EXPECT_STREQ(c->resolvedPath, "my.dir/c.wav");
    EXPECT_EQ(sound.Take(), (Calls{"LoadSound a.wav", "LoadSound a.ogg", "LoadSound sfx/b.wav",
                                   "LoadSound my.dir/c.wav"}));
    EXPECT_EQ(LogCapture::PopupTexts(),
              std::vector<std::string>{"Sound name 'sfx/b.wav' has file extension. Remove it from the file name."});

    Sound* missing = qv->LoadSound("nowhere");
    EXPECT_EQ(missing->residency, QV_SOUND_LOAD);
    EXPECT_EQ(missing->sample, nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Sound resource 'nowhere' not found.", QV_LOG_WARNING), 1);
    EXPECT_EQ(qv->PlaySound(missing, 1.0f, 0.0f, 1.0f), 0u);
}

TEST_F(SoundModuleTest, TheSilentSoundIsNeverLoadedCountedOrPlayed) {
    Sound* none = qv->LoadSound("!NONE");
    ASSERT_NE(none, nullptr);
    EXPECT_EQ(qv->LoadSound("!NONE"), none);
    qv->ReleaseSound(none);
    qv->ReleaseSound(none);
    EXPECT_EQ(none->header.refCount, 1);
    EXPECT_EQ(none->residency, QV_SOUND_LOAD);
    EXPECT_EQ(qv->PlaySound(none, 1.0f, 0.0f, 1.0f), 0u);
    qv->PlayMusic(none, 1.0f, 0.0f);
    Frame(20);
    EXPECT_TRUE(sound.Take().empty());
}

TEST_F(SoundModuleTest, CountsAreCappedByLoadButNotByAddRefAndNeverWrap) {
    Sound* hum = Loaded("hum");
    const uint32_t many = 5000;
    qv->AddSoundRef(hum, &many);
    EXPECT_EQ(hum->header.refCount, 5001);
    qv->LoadSound("hum");
    EXPECT_EQ(hum->header.refCount, 4096);
    EXPECT_EQ(LogCapture::CountPopups("Sound 'hum' reference count suspiciously high: capping at 4096.",
                                      QV_LOG_WARNING), 1);
    const uint32_t tooMany = 40000;
    qv->AddSoundRef(hum, &tooMany);
    EXPECT_EQ(hum->header.refCount, 32767);

    // Counted back up from 0, the sound is loaded again.
    Sound* tick = Loaded("tick");
    qv->ReleaseSound(tick);
    sound.Take();
    const uint32_t three = 3;
    qv->AddSoundRef(tick, &three);
    EXPECT_EQ(tick->header.refCount, 3);
    EXPECT_EQ(sound.Take(), Calls{"LoadSound tick.wav"});

    Sound foreign = {};
    qv->AddSoundRef(&foreign, &three);
    qv->ReleaseSound(&foreign);
    EXPECT_EQ(foreign.header.refCount, 0);
    EXPECT_EQ(qv->LoadSound(nullptr), nullptr);
    EXPECT_EQ(qv->GetSound(nullptr), nullptr);
    EXPECT_EQ(NamedRecords(), 2);
}

TEST_F(SoundModuleTest, The513thNameFindsNoRecordAndReleasesNeverFreeOne) {
    std::vector<Sound*> sounds;
    for (int i = 0; i < 512; ++i) {
        Sound* s = qv->LoadSound(("n" + std::to_string(i)).c_str());
        ASSERT_NE(s, nullptr) << i;
        sounds.push_back(s);
    }
    EXPECT_EQ(qv->LoadSound("n512"), nullptr);
    EXPECT_EQ(LogCapture::CountPopups(" ! Quaven out of free sounds.", QV_LOG_ERROR), 1);
    for (Sound* s : sounds) qv->ReleaseSound(s);
    EXPECT_EQ(qv->GetSound("n512"), nullptr);
    EXPECT_EQ(qv->LoadSound("n7"), sounds[7]);

    // Without reference counting a release gives the record back.
    g_core.referenceCounting = 0;
    qv->ReleaseSound(sounds[3]);
    EXPECT_EQ(sounds[3]->header.name, nullptr);
    EXPECT_EQ(qv->LoadSound("n512"), sounds[3]);
}

TEST_F(SoundModuleTest, WithoutSoundThePoolCountsUnloadedRecordsThatLoadWhenSoundComesBack) {
    // Sound off from the start: the core has the null implementation, the module none.
    saved.no_sound = 1;
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance(), true);
    for (const char* file : {"shot.wav", "theme.wav", "gone.wav"}) sound.files.insert(file);
    Sound* shot = qv->LoadSound("shot");
    ASSERT_NE(shot, nullptr);
    EXPECT_EQ(qv->LoadSound("shot"), shot);
    EXPECT_EQ(shot->header.refCount, 2);
    EXPECT_TRUE(shot->residency == 0 && !shot->resolvedPath && !shot->sample) << "returned unloaded";
    Sound* theme = qv->GetSound("theme");
    EXPECT_TRUE(theme->residency == 0 && !theme->resolvedPath && theme->header.refCount == 1);
    Sound* gone = qv->LoadSound("gone");
    qv->ReleaseSound(gone);
    EXPECT_EQ(gone->header.refCount, 0);
    EXPECT_EQ(qv->PlaySound(shot, 1.0f, 0.0f, 1.0f), 0u);
    qv->PlayMusic(theme, 1.0f, 0.0f);
    Frame(100);
    EXPECT_EQ(qv->GetCurrentMusic(), nullptr);
    EXPECT_EQ(LogCapture::PopupTexts().size(), 0u);

    // Sound comes back: the records in use load through the new implementation, the
    // hibernated one when it is next asked for.
    saved.no_sound = 0;
    QVI_UseSoundImplementation(&sound);
    EXPECT_EQ(g_core.sound, &sound);
    QVI_ReloadPooledSounds();
    EXPECT_EQ(sound.Take(), (std::vector<std::string>{"LoadSound shot.wav", "LoadSound theme.wav"}));
    EXPECT_TRUE(shot->residency == 4 && shot->sample && theme->residency == 4 && theme->sample);
    EXPECT_STREQ(theme->resolvedPath, "theme.wav");
    EXPECT_EQ(gone->sample, nullptr);
    EXPECT_NE(qv->PlaySound(shot, 1.0f, 0.0f, 1.0f), 0u);
}

}  // namespace
}  // namespace quaven_test
