// The engine side of the shader-translation benchmark: the translator set up for all
// seven targets, as the engine's services stand before a game runs, then one typical
// shader (both stages) translated ROUNDS times to all seven targets at once (each source
// preprocessed and checked once, then written for every target), each translation
// followed by the reset the shader loader makes:
//
//   shader_bench.exe PATH ROUNDS
//
// It reports "bench work_ms", the time of one shader's translation (the total over the
// rounds divided by ROUNDS), and "bench text_bytes", the text one translation produced, so
// a run that translated nothing cannot pass for a fast one. Translation only: HLSL11 byte
// code is the platform compiler's work, not the translator's.
#include "platform/windows/win32.h"

#include <cstdlib>
#include <string>

#include "bench_report.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/translation_driver.h"

namespace {

// One shader to every target; the text made, in bytes, or -1 when the translation failed.
long long TranslateToEveryTarget(const String& path)
{
    ShaderTool::TranslationOptions options;
    options.shaderLevel = ShaderTool::kShaderLevelDefault;
    options.targetMask = ShaderTool::kTargetAll;
    const bool translated = ShaderTool::TranslateShaderXML(path, options, false);
    long long bytes = 0;
    for (const ByteBuffer& code : g_shaderContext.codeBuffers)
        bytes += code.size;
    if (!translated) {
        const char* report = g_shaderContext.reportLog.text.text;
        Bench_Report("error", "%s", report ? report : "translation failed");
        bytes = -1;
    }
    ShaderTool::Reset();
    return bytes;
}

}  // namespace

int main(int argc, char** argv)
{
    const int rounds = argc == 3 ? atoi(argv[2]) : 0;
    if (rounds < 1) {
        Bench_Report("error", "usage: shader_bench.exe PATH ROUNDS");
        return 2;
    }
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    if (!ShaderTool::Initialize(ShaderTool::kTargetAll, String(""), false)) {
        Bench_Report("error", "the translator did not start");
        return 1;
    }
    const String path((std::string("res://") + argv[1]).c_str());

    // The first translation reads the file into DataManager's cache, as a game's first
    // load of the shader does; the rounds time translations from there.
    const long long bytes = TranslateToEveryTarget(path);
    if (bytes <= 0)
        return 1;
    const double startMs = Bench_NowMs();
    for (int round = 0; round < rounds; ++round) {
        if (TranslateToEveryTarget(path) != bytes)
            return 1;
    }
    const double workMs = (Bench_NowMs() - startMs) / rounds;
    Bench_Report("work_ms", "%.4f", workMs);
    Bench_Report("text_bytes", "%lld", bytes);
    return 0;
}
