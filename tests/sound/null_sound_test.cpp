// The sound interface's slot order, the base class's own bodies and the null
// implementation's answers: what the core relies on when sound is off or unavailable.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/api_pointer.h"
#include "sound/sound_implementation_null.h"
#include "support/log_capture.h"

namespace {

using quaven_test::LogCapture;

// This compiler stores a pointer to a virtual member as 1 + its byte offset in the vtable
// and gives the virtual destructor two entries, so operation slot s sits at entry s + 1.
template <typename Member>
int VtableEntry(Member member)
{
    uintptr_t words[2];
    static_assert(sizeof(member) == sizeof(words), "pointer to member has two words");
    memcpy(words, &member, sizeof(words));
    return (words[0] & 1) ? static_cast<int>((words[0] - 1) / sizeof(void*)) : -1;
}

#define EXPECT_SOUND_SLOT(operation, slot) \
    EXPECT_EQ(VtableEntry(&SoundImplementationNull::operation), (slot) + 1) << #operation

TEST(SoundInterface, EveryOperationSitsInItsSlot)
{
    EXPECT_SOUND_SLOT(GetName, 1);
    EXPECT_SOUND_SLOT(Initialize, 2);
    EXPECT_SOUND_SLOT(OnWindowChanged, 3);
    EXPECT_SOUND_SLOT(Shutdown, 4);
    EXPECT_SOUND_SLOT(LoadSound, 5);
    EXPECT_SOUND_SLOT(UnloadSound, 6);
    EXPECT_SOUND_SLOT(SetMasterVolume, 7);
    EXPECT_SOUND_SLOT(PlaySound, 8);
    EXPECT_SOUND_SLOT(PlaySoundEx, 9);
    EXPECT_SOUND_SLOT(StopChannel, 10);
    EXPECT_SOUND_SLOT(SetChannelPan, 11);
    EXPECT_SOUND_SLOT(SetChannelVolume, 12);
    EXPECT_SOUND_SLOT(SetChannelPaused, 13);
    EXPECT_SOUND_SLOT(SetChannelLooping, 14);
    EXPECT_SOUND_SLOT(SetChannelPitch, 15);
    EXPECT_SOUND_SLOT(IsChannelPlaying, 16);
    EXPECT_SOUND_SLOT(Deprecated1, 17);
    EXPECT_SOUND_SLOT(PlayMusic, 18);
    EXPECT_SOUND_SLOT(StopMusic, 19);
    EXPECT_SOUND_SLOT(Deprecated2, 20);
    EXPECT_SOUND_SLOT(Deprecated3, 21);
    EXPECT_SOUND_SLOT(Deprecated4, 22);
    EXPECT_SOUND_SLOT(Deprecated5, 23);
    EXPECT_SOUND_SLOT(Deprecated6, 24);
    EXPECT_SOUND_SLOT(Deprecated7, 25);
    EXPECT_SOUND_SLOT(Deprecated8, 26);
    EXPECT_SOUND_SLOT(SetMusicPaused, 27);
    EXPECT_SOUND_SLOT(SetMusicVolume, 28);
    EXPECT_SOUND_SLOT(Reserved, 29);
    EXPECT_SOUND_SLOT(BeginFrame, 30);
    EXPECT_SOUND_SLOT(EndFrame, 31);
    EXPECT_SOUND_SLOT(Reserved32, 32);  // the null implementation's own two
    EXPECT_SOUND_SLOT(Reserved33, 33);
}

TEST(SoundImplementationNull, LoadsWithoutDataAndNeverPlays)
{
    SoundImplementationNull* sound = SoundImplementationNull::GetInstance();
    EXPECT_EQ(SoundImplementationNull::GetInstance(), sound);
    EXPECT_STREQ(sound->GetName(), "SoundImp Null");
    EXPECT_TRUE(sound->Initialize(nullptr, nullptr));
    EXPECT_TRUE(sound->OnWindowChanged(nullptr, nullptr));
    EXPECT_TRUE(sound->LoadSound(nullptr, nullptr));
    EXPECT_EQ(sound->PlaySound(nullptr, 1.0f, 0.0f, 1.0f), 0u);
    EXPECT_EQ(sound->PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, true), 0u);
    EXPECT_FALSE(sound->IsChannelPlaying(0xFFFFFFFFu));
    EXPECT_TRUE(sound->Reserved32());
}

TEST(SoundImplementationBase, PlaySoundExLoopsTheChannelOnlyWhenAsked)
{
    struct Recording : SoundImplementationNull {
        std::vector<SoundChannelHandle> looped;
        SoundChannelHandle PlaySound(Sound*, float, float, float) override { return 7; }
        void SetChannelLooping(SoundChannelHandle channel, bool on) override
        {
            if (on)
                looped.push_back(channel);
        }
    } sound;
    EXPECT_EQ(sound.PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, false), 7u);
    EXPECT_TRUE(sound.looped.empty());
    EXPECT_EQ(sound.PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, true), 7u);
    EXPECT_EQ(sound.looped, std::vector<SoundChannelHandle>{7u});
}

TEST(SoundImplementationBase, DeprecatedSlotsAnswer555AndWarnOncePerCall)
{
    SoundImplementation* sound = SoundImplementationNull::GetInstance();
    {
        LogCapture capture(qv);
        const int answers[] = {sound->Deprecated1(1, 2, 3), sound->Deprecated3(1, 2), sound->Deprecated4(),
                               sound->Deprecated5(1, 2),    sound->Deprecated6(1),    sound->Deprecated7(1, 2, 3),
                               sound->Deprecated8(1, 2),    sound->Deprecated4()};
        for (int answer : answers)
            EXPECT_EQ(answer, 555);
        EXPECT_EQ(LogCapture::CountPopups("Calling deprecated Sound Imp method!", QV_LOG_WARNING), 8);
        LogCapture::Clear();
        EXPECT_EQ(sound->Deprecated2(9), 555);
        EXPECT_TRUE(LogCapture::Lines().empty());
    }
    // Before the API table is filled the warning has nowhere to go.
    QuavenAPI saved = *qv;
    qv->LogPopup = nullptr;
    EXPECT_EQ(sound->Deprecated1(0, 0, 0), 555);
    *qv = saved;
}

}  // namespace
