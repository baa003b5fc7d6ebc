// The engine side of the batched-quad benchmark: the CPU cost per sprite of the path from a
// game's call to the vertices in the renderer's buffer. The engine is brought up as start-up
// does (the API table, the engine locks, the file system, renderer set-up with the batch
// renderer's buffers and built-in shaders) over the tests' renderer without a device, so what
// is timed is the engine's work alone.
//
//   quads_bench.exe addquad N      BatchRenderer::AddQuad with one bitmap, N times
//   quads_bench.exe drawbitmap N   qv->graphics->DrawBitmap of one bitmap, N times
//
// Reports "bench work_ms", "bench vertices" (all that reached a draw) and "bench draws".
#include "platform/windows/win32.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "bench_engine.h"
#include "bench_report.h"
#include "bench_work.h"
#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_frame.h"

namespace {

// Its draws add their vertex count; its buffers are the renderer interface's heap buffers.
class CountingRenderer : public BenchRenderer {
public:
    long long vertices = 0;
    long long draws = 0;

    void DrawIndexedTriangles(RendererVertexBuffer*, int vertexCount, RendererIndexBuffer*, int) override
    {
        vertices += vertexCount;
        ++draws;
    }
};

CountingRenderer g_renderer;

bool SetUpEngine()
{
    if (!Bench_SetUpEngine(&g_renderer))
        return false;
    QVI_ResetBatchForFrame(&g_renderer);
    return true;
}

Bitmap* MakeSprite()
{
    BitmapDescription description = {};
    description.format = QV_TEXTURE_FORMAT_RGBA8;
    description.textureType = QV_TEXTURE_TYPE_2D;
    description.mipLevels = 1;
    description.width = description.height = 32;
    description.depth = 1;
    Bitmap* sprite = qv->graphics->CreateBitmap("bench/sprite", &description);
    if (!sprite || !sprite->pixels)
        return nullptr;
    memset(sprite->pixels, 255, 32 * 32 * 4);
    qv->graphics->RefreshBitmap(sprite);
    return sprite->hardware.loaded ? sprite : nullptr;
}

int Usage()
{
    Bench_Report("error", "usage: quads_bench.exe addquad|drawbitmap QUADS");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    const long quads = argc == 3 ? strtol(argv[2], nullptr, 10) : 0;
    const std::string mode = argc == 3 ? argv[1] : "";
    if (quads <= 0 || (mode != "addquad" && mode != "drawbitmap"))
        return Usage();
    if (!SetUpEngine()) {
        Bench_Report("error", "the renderer did not come up");
        return 1;
    }
    Bitmap* sprite = MakeSprite();
    if (!sprite) {
        Bench_Report("error", "the sprite bitmap could not be made");
        return 1;
    }
    BatchRenderer::Flush();
    const long long verticesBefore = g_renderer.vertices, drawsBefore = g_renderer.draws;

    BatchVertex quad[4];
    memcpy(quad, g_batchQuad, sizeof quad);
    const double startMs = Bench_NowMs();
    if (mode == "addquad") {
        for (long i = 0; i < quads; ++i) {
            // The position changes per quad, as a game's sprites do.
            const float x = float(i & 1023);
            quad[0].x = quad[2].x = x;
            quad[1].x = quad[3].x = x + 32;
            BatchRenderer::AddQuad(sprite, quad);
        }
    } else {
        const float y = 10.0f;
        for (long i = 0; i < quads; ++i) {
            const float x = float(i & 1023);
            qv->graphics->DrawBitmap(sprite, &x, &y);
        }
    }
    BatchRenderer::Flush();
    const double workMs = Bench_NowMs() - startMs;

    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("vertices", "%lld", g_renderer.vertices - verticesBefore);
    Bench_Report("draws", "%lld", g_renderer.draws - drawsBefore);
    return 0;
}
