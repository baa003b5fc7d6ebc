#include "sound/interface/sound_implementation.h"

#include "core/engine_log.h"

namespace {

// Raised through LogPopup, which does nothing until the API table is filled.
int AnswerDeprecated()
{
    QVI_ReportPopup(QV_LOG_WARNING, "Calling deprecated Sound Imp method!");
    return kDeprecatedSoundAnswer;
}

}  // namespace

SoundImplementation::~SoundImplementation() = default;

bool SoundImplementation::OnWindowChanged(CoreState* /*core*/, VideoParameters* /*video*/)
{
    return true;
}

SoundChannelHandle SoundImplementation::PlaySoundEx(Sound* sound, float volume, float pan, float pitch, bool loop)
{
    SoundChannelHandle channel = PlaySound(sound, volume, pan, pitch);
    if (loop)
        SetChannelLooping(channel, true);
    return channel;
}

int SoundImplementation::Deprecated1(int, int, int)
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated2(int)
{
    return kDeprecatedSoundAnswer;
}

int SoundImplementation::Deprecated3(int, int)
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated4()
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated5(int, int)
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated6(int)
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated7(int, int, int)
{
    return AnswerDeprecated();
}

int SoundImplementation::Deprecated8(int, int)
{
    return AnswerDeprecated();
}
