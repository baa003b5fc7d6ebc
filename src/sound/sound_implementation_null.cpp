#include "sound/sound_implementation_null.h"

SoundImplementationNull* SoundImplementationNull::GetInstance()
{
    // A function-local static is built once even when threads race for it.
    static SoundImplementationNull instance;
    return &instance;
}

const char* SoundImplementationNull::GetName()
{
    return "SoundImp Null";
}

bool SoundImplementationNull::Initialize(CoreState* /*core*/, VideoParameters* /*video*/)
{
    return true;
}

bool SoundImplementationNull::OnWindowChanged(CoreState* /*core*/, VideoParameters* /*video*/)
{
    return true;
}

void SoundImplementationNull::Shutdown() {}

bool SoundImplementationNull::LoadSound(Sound* /*sound*/, const char* /*path*/)
{
    return true;
}

void SoundImplementationNull::UnloadSound(Sound* /*sound*/) {}

void SoundImplementationNull::SetMasterVolume(float /*volume*/) {}

SoundChannelHandle SoundImplementationNull::PlaySound(Sound* /*sound*/, float /*volume*/, float /*pan*/,
                                                      float /*pitch*/)
{
    return 0;
}

void SoundImplementationNull::StopChannel(SoundChannelHandle /*channel*/) {}

void SoundImplementationNull::SetChannelPan(SoundChannelHandle /*channel*/, float /*pan*/) {}

void SoundImplementationNull::SetChannelVolume(SoundChannelHandle /*channel*/, float /*volume*/) {}

void SoundImplementationNull::SetChannelPaused(SoundChannelHandle /*channel*/, bool /*paused*/) {}

void SoundImplementationNull::SetChannelLooping(SoundChannelHandle /*channel*/, bool /*looping*/) {}

void SoundImplementationNull::SetChannelPitch(SoundChannelHandle /*channel*/, float /*factor*/) {}

bool SoundImplementationNull::IsChannelPlaying(SoundChannelHandle /*channel*/)
{
    return false;
}

void SoundImplementationNull::PlayMusic(Sound* /*music*/, float /*volume*/) {}

void SoundImplementationNull::StopMusic() {}

void SoundImplementationNull::SetMusicPaused(bool /*paused*/) {}

void SoundImplementationNull::SetMusicVolume(float /*volume*/) {}

void SoundImplementationNull::Reserved(int /*value*/) {}

void SoundImplementationNull::BeginFrame() {}

void SoundImplementationNull::EndFrame() {}

bool SoundImplementationNull::Reserved32()
{
    return true;
}

void SoundImplementationNull::Reserved33() {}
