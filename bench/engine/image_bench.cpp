// The engine side of the image-loading benchmark: a bitmap loaded by name as a game loads
// it, GetBitmap from the pool's miss to a bitmap with its texture, file read and decode
// included. The engine is brought up as start-up does over the tests' renderer without a
// device, whose textures are records of its own: the upload costs nothing and is left out.
//
//   image_bench.exe NAME LOADS   GetBitmap(NAME), LOADS times, each bitmap removed after
//
// Reports "bench work_ms" (the mean of one load), "bench width" and "bench height".
#include "platform/windows/win32.h"

#include <cstdlib>
#include <string>

#include "bench_engine.h"
#include "bench_report.h"
#include "core/engine_log.h"

namespace {

BenchRenderer g_renderer;

}  // namespace

int main(int argc, char** argv)
{
    const long loads = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    if (loads <= 0) {
        Bench_Report("error", "usage: image_bench.exe NAME LOADS");
        return 2;
    }
    if (!Bench_SetUpEngine(&g_renderer)) {
        Bench_Report("error", "the renderer did not come up");
        return 1;
    }
    // The name as a game gives it: found through the search paths, its extension tried.
    qv->fileSystem->AddSearchPath("res://inputs", true);
    std::string name = argv[1];
    const size_t dot = name.rfind('.');
    const std::string extension = dot == std::string::npos ? "" : name.substr(dot);
    double workMs = 0.0;
    int width = 0, height = 0;
    for (long i = 0; i < loads; ++i) {
        const double startMs = Bench_NowMs();
        Bitmap* bitmap = qv->graphics->GetBitmap(name.c_str());
        workMs += Bench_NowMs() - startMs;
        if (!bitmap || !bitmap->hardware.loaded) {
            Bench_Report("error", "'%s' did not load", name.c_str());
            return 1;
        }
        width = bitmap->width, height = bitmap->height;
        qv->graphics->RemoveBitmapHandle(bitmap);
    }
    Bench_Report("work_ms", "%.3f", workMs / loads);
    Bench_Report("width", "%d", width);
    Bench_Report("height", "%d", height);
    return 0;
}
