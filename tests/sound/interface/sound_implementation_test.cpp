// The sound interface's slot order, the base class's own bodies and the null
// implementation's answers: what the core relies on when sound is off or unavailable.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/engine_log.h"
#include "sound/sound_implementation_null.h"
#include "support/log_capture.h"
// After the capture's <windows.h>: undoes PlaySound, as for every engine file.
#include "platform/windows/win32.h"

namespace {

using quaven_test::LogCapture;

// This compiler stores a pointer to a virtual member as 1 + its byte offset in the vtable
// and gives the virtual destructor two entries, so operation slot s sits at entry s + 1.
template <typename Member>
int VtableEntry(Member member) {
    uintptr_t words[2];
    static_assert(sizeof(member) == sizeof(words), "pointer to member has two words");
    memcpy(words, &member, sizeof(words));
    return (words[0] & 1) ? static_cast<int>((words[0] - 1) / sizeof(void*)) : -1;
}

#define EXPECT_SOUND_SLOT(operation, slot) \
    EXPECT_EQ(VtableEntry(&SoundImplementationNull::operation), (slot) + 1) << #operation

TEST(SoundInterface, EveryOperationSitsInItsSlot) {
    // Spread over the table: a slot added, dropped or swapped anywhere shifts one of these.
    EXPECT_SOUND_SLOT(GetName, 1);
    EXPECT_SOUND_SLOT(PlaySoundEx, 9);
    EXPECT_SOUND_SLOT(SetChannelPitch, 15);
    EXPECT_SOUND_SLOT(Deprecated1, 17);
    EXPECT_SOUND_SLOT(PlayMusic, 18);
    EXPECT_SOUND_SLOT(Deprecated8, 26);
    EXPECT_SOUND_SLOT(EndFrame, 31);
    EXPECT_SOUND_SLOT(Reserved33, 33);  // the null implementation's own two end the table
}

TEST(SoundImplementationNull, LoadsWithoutDataAndNeverPlays) {
    SoundImplementationNull* sound = SoundImplementationNull::GetInstance();
    EXPECT_EQ(SoundImplementationNull::GetInstance(), sound);
    EXPECT_STREQ(sound->GetName(), "SoundImp Null");
    EXPECT_TRUE(sound->Initialize(nullptr, nullptr));
    EXPECT_TRUE(sound->LoadSound(nullptr, nullptr));
    EXPECT_EQ(sound->PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, true), 0u);
    EXPECT_FALSE(sound->IsChannelPlaying(0xFFFFFFFFu));
}

TEST(SoundImplementationBase, PlaySoundExLoopsTheChannelOnlyWhenAsked) {
    struct Recording : SoundImplementationNull {
        std::vector<SoundChannelHandle> looped;
        SoundChannelHandle PlaySound(Sound*, float, float, float) override { return 7; }
        void SetChannelLooping(SoundChannelHandle channel, bool on) override {
            if (on) looped.push_back(channel);
        }
    } sound;
    EXPECT_EQ(sound.PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, false), 7u);
    EXPECT_TRUE(sound.looped.empty());
    EXPECT_EQ(sound.PlaySoundEx(nullptr, 1.0f, 0.0f, 1.0f, true), 7u);
    EXPECT_EQ(sound.looped, std::vector<SoundChannelHandle>{7u});
}

TEST(SoundImplementationBase, DeprecatedSlotsAnswer555AndWarnOncePerCall) {
    SoundImplementation* sound = SoundImplementationNull::GetInstance();
    {
        LogCapture capture(qv);
        const int answers[] = {sound->Deprecated1(1, 2, 3), sound->Deprecated3(1, 2), sound->Deprecated4(),
                               sound->Deprecated5(1, 2),    sound->Deprecated6(1),    sound->Deprecated7(1, 2, 3),
                               sound->Deprecated8(1, 2),    sound->Deprecated4()};
        for (int answer : answers) EXPECT_EQ(answer, 555);
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
