// The engine side of the HTTP download benchmark: the API table filled as at start-up, then
// one GET of the url through qv->HTTPRequest, the whole body collected in memory as a game
// receives it.
//
//   http_bench.exe URL
//
// Reports "bench work_ms" and "bench downloaded" (the body's bytes). Freeing the body is not
// timed.
#include "platform/windows/win32.h"

#include "bench_work.h"
#include "core/engine_log.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        Bench_Report("error", "usage: http_bench.exe URL");
        return 2;
    }
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();

    Buffer* body = nullptr;
    const double startMs = Bench_NowMs();
    const int status = qv->HTTPRequest(QV_HTTP_GET, argv[1], nullptr, nullptr, 0, &body, nullptr);
    const double workMs = Bench_NowMs() - startMs;
    if (status != 200 || !body) {
        Bench_Report("error", "GET %s answered %d", argv[1], status);
        return 1;
    }
    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("downloaded", "%d", body->size);
    qv->FreeBuffer(body);
    return 0;
}
