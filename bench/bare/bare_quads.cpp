// The floor under the batched-quad benchmark: what it costs at least to put one sprite's
// four 24-byte vertices into a vertex buffer. Each quad's 96 bytes are copied into a ring of
// sixteen 9216-byte buffers (384 vertices each, as the batch renderer's), moving to the next
// buffer when one is full, as the batch renderer does when it hands a full buffer over.
//
//   bare_quads.exe N   copies N quads and reports "bench work_ms" and "bench vertices".
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "bench_report.h"
#include "bench_work.h"

namespace {

struct Vertex {
    float x, y, z;
    unsigned colour;
    float u, v;
};
static_assert(sizeof(Vertex) == 24, "the batch renderer's vertex");

Vertex g_ring[kQuadRingBuffers][kQuadBufferVertices];

// Out of line, as the engine's copy is: inlined, the compiler would see that most of the
// quad never changes and store constants instead of copying 96 bytes.
__attribute__((noinline)) void CopyQuad(Vertex* target, const Vertex* quad)
{
    memcpy(target, quad, 4 * sizeof(Vertex));
}

}  // namespace

int main(int argc, char** argv)
{
    const long quads = argc == 2 ? strtol(argv[1], nullptr, 10) : 0;
    if (quads <= 0) {
        Bench_Report("error", "usage: bare_quads.exe QUADS");
        return 2;
    }
    Vertex quad[4] = {{0, 0, 0.5f, 0xffffffffu, 0, 0}, {32, 0, 0.5f, 0xffffffffu, 1, 0},
                      {0, 32, 0.5f, 0xffffffffu, 0, 1}, {32, 32, 0.5f, 0xffffffffu, 1, 1}};
    long long vertices = 0;
    int buffer = 0, queued = 0;
    const double startMs = Bench_NowMs();
    for (long i = 0; i < quads; ++i) {
        // The position changes per quad, as a game's sprites do.
        const float x = float(i & 1023);
        quad[0].x = quad[2].x = x;
        quad[1].x = quad[3].x = x + 32;
        CopyQuad(&g_ring[buffer][queued], quad);
        queued += 4;
        if (queued == kQuadBufferVertices) {
            vertices += queued;
            queued = 0;
            buffer = (buffer + 1) % kQuadRingBuffers;
        }
    }
    vertices += queued;
    const double workMs = Bench_NowMs() - startMs;

    // Read back what was written, so that no copy can be left out.
    double sum = 0;
    for (int b = 0; b < kQuadRingBuffers; ++b)
        sum += g_ring[b][0].x;
    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("vertices", "%lld", vertices);
    Bench_Report("checksum", "%.0f", sum);
    return 0;
}
