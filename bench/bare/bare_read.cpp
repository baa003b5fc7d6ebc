// The bare baseline of the file-read benchmark: CreateFile, then ReadFile in 64 KB chunks
// until the end, then CloseHandle.
//
//   bare_read.exe PATH
//
// Reports "bench work_ms" and "bench bytes".
#include <windows.h>

#include "bench_work.h"

int main(int argc, char** argv)
{
    if (argc != 2) {
        Bench_Report("error", "usage: bare_read.exe PATH");
        return 2;
    }
    static char chunk[kReadChunkBytes];
    const double startMs = Bench_NowMs();
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Bench_Report("error", "could not open %s", argv[1]);
        return 1;
    }
    long long total = 0;
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0)
        total += got;
    CloseHandle(file);
    const double workMs = Bench_NowMs() - startMs;
    Bench_Report("work_ms", "%.3f", workMs);
    Bench_Report("bytes", "%lld", total);
    return 0;
}
