// The bare baseline of the mixer benchmark: per 25 ms tick, each channel's share of sound
// (25 ms of 16-bit PCM at 44.1 kHz, mono or stereo as the mixer's channel would be) copied
// out of the decoded effect with memcpy, or decoded from the Ogg file in memory with
// vorbisfile's ov_read, looping at the end. No device, no lock, no bookkeeping.
//
//   bare_mixer.exe CHANNELS pcm|ogg|music TICKS   (the same files, beside the program)
//
// Reports "bench work_ms" (the mean time of one tick).
#include <windows.h>

#include <vorbis/vorbisfile.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench_mixer.h"
#include "bench_ogg_memory.h"
#include "bench_report.h"
#include "bench_work.h"

namespace {

// The sounds lie beside this program, as beside the engine's (its res://).
std::vector<uint8_t> ReadWhole(const char* name)
{
    char folder[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, folder, sizeof folder);
    char* slash = strrchr(folder, '\\');
    if (slash)
        slash[1] = '\0';
    return Bench_ReadWholeFile((std::string(folder) + name).c_str());
}

struct Channel {
    bool ogg = false;
    const std::vector<uint8_t>* pcm = nullptr;
    size_t position = 0;
    BenchOggMemory memory = {};
    OggVorbis_File file = {};
    uint32_t tickBytes = 0;
};

}  // namespace

int main(int argc, char** argv)
{
    BenchMixerRun run;
    if (!Bench_ReadMixerRun(argc, argv, "bare_mixer.exe", &run))
        return 2;
    const long channels = run.channels, ticks = run.ticks;
    const std::string mode = run.mode;
    // The effects' PCM is what follows the canonical 44-byte header.
    std::vector<uint8_t> files[2][2];
    std::vector<uint8_t> pcm[2];
    for (int count = 1; count <= 2; ++count) {
        files[0][count - 1] = ReadWhole(Bench_MixerFile(false, count));
        files[1][count - 1] = ReadWhole(Bench_MixerFile(true, count));
        if (files[0][count - 1].size() <= 44 || files[1][count - 1].empty()) {
            Bench_Report("error", "the sounds are missing");
            return 1;
        }
        pcm[count - 1].assign(files[0][count - 1].begin() + 44, files[0][count - 1].end());
    }
    std::vector<Channel> playing(static_cast<size_t>(channels));
    for (long i = 0; i < channels; ++i) {
        Channel& channel = playing[i];
        const int count = Bench_MixerChannelCount(static_cast<int>(i));
        channel.ogg = mode == "ogg" || (mode == "music" && i == channels - 1);
        channel.tickBytes = static_cast<uint32_t>(kMixerRate / 1000.0 * kMixerTickMs) * 2 * count;
        channel.pcm = &pcm[count - 1];
        if (channel.ogg) {
            channel.memory = BenchOggMemory{&files[1][count - 1], 0};
            if (ov_open_callbacks(&channel.memory, &channel.file, nullptr, 0, kBenchOggMemoryCallbacks) != 0) {
                Bench_Report("error", "vorbisfile could not open the music");
                return 1;
            }
        }
    }
    std::vector<uint8_t> out(2 * 2 * kMixerRate);
    double workMs = 0.0;
    for (long t = 0; t < ticks; ++t) {
        const double startMs = Bench_NowMs();
        for (Channel& channel : playing) {
            uint32_t done = 0;
            while (done < channel.tickBytes) {
                if (channel.ogg) {
                    int section = 0;
                    const long got = ov_read(&channel.file, reinterpret_cast<char*>(out.data()) + done,
                                             static_cast<int>(channel.tickBytes - done), 0, 2, 1, &section);
                    if (got == 0)
                        ov_pcm_seek(&channel.file, 0);
                    else if (got > 0)
                        done += static_cast<uint32_t>(got);
                } else {
                    size_t part = channel.pcm->size() - channel.position;
                    if (part > channel.tickBytes - done)
                        part = channel.tickBytes - done;
                    memcpy(out.data() + done, channel.pcm->data() + channel.position, part);
                    done += static_cast<uint32_t>(part);
                    channel.position = (channel.position + part) % channel.pcm->size();
                }
            }
        }
        workMs += Bench_NowMs() - startMs;
    }
    for (Channel& channel : playing) {
        if (channel.ogg)
            ov_clear(&channel.file);
    }
    Bench_Report("work_ms", "%.6f", workMs / ticks);
    Bench_Report("channels", "%ld", channels);
    return 0;
}
