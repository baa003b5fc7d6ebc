// The sound module and the DirectSound implementation until sound arrives. The API members
// report once that they are not available and answer 0, null or false; the module's steps
// do nothing and there is no DirectSound implementation, so core initialisation falls back
// to the null sound implementation.
#include "sound/sound_api.h"

#include "core/missing_member.h"

Sound* QV_GetSound(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("GetSound");
    return nullptr;
}

Sound* QV_GetSoundEx(const char* name, uint32_t flags)
{
    QVI_REPORT_MISSING_MEMBER("GetSoundEx");
    return nullptr;
}

Sound* QV_LoadSound(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("LoadSound");
    return nullptr;
}

void QV_AddSoundRef(Sound* sound, const uint32_t* count)
{
    QVI_REPORT_MISSING_MEMBER("AddSoundRef");
}

void QV_ReleaseSound(Sound* sound)
{
    QVI_REPORT_MISSING_MEMBER("ReleaseSound");
}

void QV_SetMasterVolume(float volume)
{
    QVI_REPORT_MISSING_MEMBER("SetMasterVolume");
}

uint32_t QV_PlaySound(Sound* sound, float volume, float pan, float pitch)
{
    QVI_REPORT_MISSING_MEMBER("PlaySound");
    return 0;
}

uint32_t QV_PlaySoundEx(Sound* sound, SoundPlayParameters parameters)
{
    QVI_REPORT_MISSING_MEMBER("PlaySoundEx");
    return 0;
}

void QV_StopChannel(uint32_t channel)
{
    QVI_REPORT_MISSING_MEMBER("StopChannel");
}

void QV_SetChannelPan(uint32_t channel, float pan)
{
    QVI_REPORT_MISSING_MEMBER("SetChannelPan");
}

void QV_SetChannelVolume(uint32_t channel, float volume)
{
    QVI_REPORT_MISSING_MEMBER("SetChannelVolume");
}

void QV_SetChannelPaused(uint32_t channel, bool paused)
{
    QVI_REPORT_MISSING_MEMBER("SetChannelPaused");
}

void QV_SetChannelLooping(uint32_t channel, bool looping)
{
    QVI_REPORT_MISSING_MEMBER("SetChannelLooping");
}

void QV_SetChannelPitch(uint32_t channel, float pitch)
{
    QVI_REPORT_MISSING_MEMBER("SetChannelPitch");
}

bool QV_IsChannelPlaying(uint32_t channel)
{
    QVI_REPORT_MISSING_MEMBER("IsChannelPlaying");
    return false;
}

Sound* QV_GetChannelSound(uint32_t channel)
{
    QVI_REPORT_MISSING_MEMBER("GetChannelSound");
    return nullptr;
}

void QV_FadeChannelVolume(uint32_t channel, float target, float seconds)
{
    QVI_REPORT_MISSING_MEMBER("FadeChannelVolume");
}

void QV_FadeOutChannel(uint32_t channel, float seconds)
{
    QVI_REPORT_MISSING_MEMBER("FadeOutChannel");
}

void QV_PlayMusic(Sound* sound, float volume, float fadeInSeconds)
{
    QVI_REPORT_MISSING_MEMBER("PlayMusic");
}

void QV_StopMusic(float fadeOutSeconds)
{
    QVI_REPORT_MISSING_MEMBER("StopMusic");
}

void QV_SetMusicPaused(bool paused)
{
    QVI_REPORT_MISSING_MEMBER("SetMusicPaused");
}

void QV_SetMusicLooping(bool looping)
{
    QVI_REPORT_MISSING_MEMBER("SetMusicLooping");
}

Sound* QV_GetCurrentMusic()
{
    QVI_REPORT_MISSING_MEMBER("GetCurrentMusic");
    return nullptr;
}

void QV_SlideMusicVolume(float target, float seconds)
{
    QVI_REPORT_MISSING_MEMBER("SlideMusicVolume");
}

void QVI_SetSoundModuleImplementation(SoundImplementation* implementation)
{
}

float QVI_GetSoundMasterVolume()
{
    return 1.0f;
}

void QVI_UpdateSound()
{
}
