// Stand-ins of the BRUM samples until they land.
#include "platform/windows/sound/brum_mixer.h"

namespace BRUM {
BRUMSample* LoadSample(const char*, int) { return nullptr; }
void FreeSample(BRUMSample*) {}
bool LoadSampleWAV(BRUMSample*, FileHandle*) { return false; }
bool LoadSampleOGG(BRUMSample*, FileHandle*, uint32_t) { return false; }
uint32_t GetSampleLength(const BRUMSample*) { return 0; }
bool OpenDecoder(BRUMChannel*) { return false; }
void CloseDecoder(BRUMChannel*) {}
uint32_t FillPCM(BRUMChannel*, BRUMSample*, uint8_t*, uint32_t, bool) { return 0; }
uint32_t FillOgg(BRUMChannel*, BRUMSample*, uint8_t*, uint32_t, bool) { return 0; }
uint32_t FillPlayList(BRUMChannel*, uint8_t*, uint32_t) { return 0; }
}  // namespace BRUM
