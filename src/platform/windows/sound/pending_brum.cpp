// Stand-ins of the DirectSound implementation and the BRUM mixer until they land.
#include "platform/windows/sound/brum_mixer.h"
#include "sound/interface/sound_implementation.h"

SoundImplementation* QVI_GetStaticSoundImplementation()
{
    return nullptr;
}

namespace BRUM {
void FillMixerTable(BRUMMixerTable*) {}
void SetApi(QuavenAPI*) {}
QuavenAPI* GetApi() { return nullptr; }
bool IsRunning() { return false; }
void Lock() {}
void Unlock() {}
void StopChannelsPlaying(BRUMSample*) {}
void Trace(const char*, ...) {}
}  // namespace BRUM
