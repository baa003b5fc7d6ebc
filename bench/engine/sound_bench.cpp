// The engine side of the Ogg-decoding benchmark: the DirectSound implementation's sample
// reader as a game's sounds use it, with the file system set up as pre-initialisation sets
// it up (res:// at this program's folder) and without DirectSound, so that only decoding is
// timed (the samples are loaded as for a running mixer; nothing plays):
//
//   sound_bench.exe stream PATH ROUNDS  res://PATH loaded streamed (kept compressed), then
//                                       decoded by a channel half a buffer at a time, ROUNDS
//                                       times from the start
//   sound_bench.exe load PATH ROUNDS    res://PATH loaded, read and decoded whole into memory
//                                       as a short sound is, and freed, ROUNDS times
//
// Reports "bench work_ms" (the mean of one decode or load) and "bench pcm" (bench_ogg.h).
#include "platform/windows/win32.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "bench_ogg.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "platform/windows/sound/brum_mixer.h"

namespace {

void SetUpEngineServices()
{
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    BRUM::SetApi(qv);
    BRUM::SetSamplesAssumeRunning(true);
}

// One pass over the stream as the mixer's refill makes it, from a freshly opened decoder.
bool Stream(BRUMSample* sample, PcmDigest* digest, double* workMs)
{
    static uint8_t half[kOggHalfBytes];
    std::unique_ptr<BRUMChannel> channel(new BRUMChannel());
    channel->sample = sample;
    const double startMs = Bench_NowMs();
    if (!BRUM::OpenDecoder(channel.get()))
        return false;
    for (;;) {
        const uint32_t got = BRUM::FillOgg(channel.get(), sample, half, kOggHalfBytes, false);
        digest->Add(half, got);
        if (got < kOggHalfBytes)
            break;
    }
    BRUM::CloseDecoder(channel.get());
    *workMs += Bench_NowMs() - startMs;
    return true;
}

bool Load(const char* url, PcmDigest* digest, double* workMs)
{
    const double startMs = Bench_NowMs();
    BRUMSample* sample = BRUM::LoadSample(url, 0);
    const bool decoded = sample && sample->kind == BRUM_SAMPLE_PCM;
    if (decoded)
        digest->Add(sample->data, sample->dataBytes);
    BRUM::FreeSample(sample);
    *workMs += Bench_NowMs() - startMs;
    return decoded;
}

int Usage()
{
    Bench_Report("error", "usage: sound_bench.exe stream|load PATH ROUNDS");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const long rounds = argc == 4 ? strtol(argv[3], nullptr, 10) : 0;
    if (rounds <= 0)
        return Usage();
    const std::string mode = argv[1];
    const std::string url = std::string("res://") + argv[2];
    SetUpEngineServices();

    double workMs = 0.0;
    PcmDigest digest;
    if (mode == "stream") {
        BRUMSample* sample = BRUM::LoadSample(url.c_str(), BRUM_LOAD_STREAM);
        if (!sample || sample->kind != BRUM_SAMPLE_OGG) {
            Bench_Report("error", "'%s' did not load as a stream", url.c_str());
            return 1;
        }
        for (long i = 0; i < rounds; ++i) {
            PcmDigest pass;
            if (!Stream(sample, &pass, &workMs)) {
                Bench_Report("error", "'%s' did not open for decoding", url.c_str());
                return 1;
            }
            digest = pass;
        }
        BRUM::FreeSample(sample);
    } else if (mode == "load") {
        for (long i = 0; i < rounds; ++i) {
            digest = PcmDigest();
            if (!Load(url.c_str(), &digest, &workMs)) {
                Bench_Report("error", "'%s' did not decode at load", url.c_str());
                return 1;
            }
        }
    } else {
        return Usage();
    }
    Bench_Report("work_ms", "%.3f", workMs / rounds);
    digest.Report();
    return 0;
}
