// The engine side of the mixer benchmark: the BRUM mixer's work per 25 ms tick, with CHANNELS
// sounds playing in a loop, over the fake DirectSound (tests/fixtures/fake_dsound, run with
// WINEDLLOVERRIDES="dsound=n" from the folder that holds it), whose play cursors move on by
// exactly one tick's sound before each timed tick. What is timed is Tick itself: the cursor
// reads, the refills of the halves that came free and, for Ogg, the decoding into them.
//
//   mixer_bench.exe CHANNELS pcm|ogg|music TICKS
//     pcm    every channel plays an effect decoded into memory (WAV)
//     ogg    every channel streams an Ogg file, decoding while it plays
//     music  one channel streams Ogg music, the others play effects
//
// Reports "bench work_ms" (the mean time of one tick) and "bench channels" (channels playing
// at the end).
#include "platform/windows/win32.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_mixer.h"
#include "bench_report.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "platform/windows/sound/brum_mixer.h"

namespace {

typedef void (*AdvanceTime)(DWORD milliseconds);

}  // namespace

int main(int argc, char** argv)
{
    BenchMixerRun run;
    if (!Bench_ReadMixerRun(argc, argv, "mixer_bench.exe", &run))
        return 2;
    const long channels = run.channels, ticks = run.ticks;
    const std::string mode = run.mode;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();

    BRUMMixerTable mixer = {};
    BRUM::FillMixerTable(&mixer);
    BRUM::SetApi(qv);
    if (!mixer.Init(kMixerRate, 64, nullptr, 0)) {
        Bench_Report("error", "the mixer did not start: %s", BRUM::LastError());
        return 1;
    }
    HMODULE device = GetModuleHandleA("dsound.dll");
    AdvanceTime advance = device ? reinterpret_cast<AdvanceTime>(reinterpret_cast<void*>(
                                       GetProcAddress(device, "FakeDirectSoundAdvanceTime")))
                                 : nullptr;
    if (!advance) {
        Bench_Report("error", "the fake dsound.dll is not the DirectSound loaded");
        return 1;
    }

    BRUMSample* samples[2][2] = {};
    for (int ogg = 0; ogg < 2; ++ogg) {
        for (int count = 1; count <= 2; ++count) {
            const std::string path = std::string("res://") + Bench_MixerFile(ogg != 0, count);
            samples[ogg][count - 1] = mixer.LoadSample(path.c_str(), ogg ? BRUM_LOAD_STREAM : 0);
            BRUMSample* sample = samples[ogg][count - 1];
            if (!sample || sample->channels != count || sample->kind != (ogg ? BRUM_SAMPLE_OGG : BRUM_SAMPLE_PCM)) {
                Bench_Report("error", "'%s' did not load as expected", path.c_str());
                return 1;
            }
        }
    }
    for (long i = 0; i < channels; ++i) {
        const int count = Bench_MixerChannelCount(static_cast<int>(i));
        const bool ogg = mode == "ogg" || (mode == "music" && i == channels - 1);
        if (mixer.Play(samples[ogg][count - 1], 1.0f, 0.0f, 1.0f, 1) == 0) {
            Bench_Report("error", "channel %ld did not start", i);
            return 1;
        }
    }

    double workMs = 0.0;
    for (long i = 0; i < ticks; ++i) {
        advance(kMixerTickMs);
        const double startMs = Bench_NowMs();
        mixer.Tick();
        workMs += Bench_NowMs() - startMs;
    }
    int playing = 0;
    for (uint32_t id = 2; id < 2 + 64; ++id)
        playing += mixer.GetState(id) != 0;
    mixer.Stop(kBRUMAllChannels);
    mixer.Shutdown();
    Bench_Report("work_ms", "%.6f", workMs / ticks);
    Bench_Report("channels", "%d", playing);
    return 0;
}
