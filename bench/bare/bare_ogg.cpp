// The Ogg-decoding benchmark's baseline: vorbisfile alone over the file already in memory,
// as little as a program can do with it.
//
//   bare_ogg.exe stream FILE ROUNDS  ov_read into a buffer of half a channel buffer, over and
//                                    over until the end, ROUNDS times from a fresh open
//   bare_ogg.exe load FILE ROUNDS    the whole stream decoded into a block of its length,
//                                    ROUNDS times, each block freed
//
// Reports "bench work_ms" (the mean of one decode) and "bench pcm" (bench_ogg.h).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <vorbis/vorbisfile.h>

#include "bench_ogg.h"
#include "bench_ogg_memory.h"
#include "bench_work.h"

namespace {


bool Stream(const std::vector<uint8_t>& file, PcmDigest* digest)
{
    static uint8_t half[kOggHalfBytes];
    BenchOggMemory reader = {&file, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, kBenchOggMemoryCallbacks) < 0)
        return false;
    int link = 0;
    for (bool end = false; !end;) {
        uint32_t filled = 0;
        while (filled < kOggHalfBytes) {
            const long got = ov_read(&vf, reinterpret_cast<char*>(half + filled), kOggHalfBytes - filled, 0, 2, 1, &link);
            if (got <= 0) {
                end = got == 0;
                if (end)
                    break;
                continue;
            }
            filled += static_cast<uint32_t>(got);
        }
        digest->Add(half, filled);
    }
    ov_clear(&vf);
    return true;
}

bool Load(const std::vector<uint8_t>& file, PcmDigest* digest)
{
    BenchOggMemory reader = {&file, 0};
    OggVorbis_File vf;
    if (ov_open_callbacks(&reader, &vf, nullptr, 0, kBenchOggMemoryCallbacks) < 0)
        return false;
    const size_t length = static_cast<size_t>(ov_pcm_total(&vf, -1)) * ov_info(&vf, -1)->channels * 2;
    uint8_t* pcm = static_cast<uint8_t*>(malloc(length));
    size_t done = 0;
    int link = 0;
    while (done < length) {
        const long got = ov_read(&vf, reinterpret_cast<char*>(pcm + done), static_cast<int>(length - done), 0, 2, 1, &link);
        if (got == 0)
            break;
        if (got > 0)
            done += static_cast<size_t>(got);
    }
    ov_clear(&vf);
    digest->Add(pcm, static_cast<uint32_t>(done));
    free(pcm);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchModeRun run;
    int exitCode = 0;
    if (!Bench_ReadModeRun(argc, argv, "load", "stream", "bare_ogg.exe stream|load FILE ROUNDS", &run, &exitCode))
        return exitCode;
    const long rounds = run.count;
    const bool stream = run.secondMode;
    const std::vector<uint8_t>& file = run.file;
    double workMs = 0.0;
    PcmDigest digest;
    for (long i = 0; i < rounds; ++i) {
        digest = PcmDigest();
        const double startMs = Bench_NowMs();
        const bool decoded = stream ? Stream(file, &digest) : Load(file, &digest);
        workMs += Bench_NowMs() - startMs;
        if (!decoded) {
            Bench_Report("error", "'%s' did not decode", argv[2]);
            return 1;
        }
    }
    Bench_Report("work_ms", "%.3f", workMs / rounds);
    digest.Report();
    return 0;
}
