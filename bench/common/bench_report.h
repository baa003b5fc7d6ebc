/*
 * What every benchmark program shares: its clocks and the form of its report. Engine runs
 * and bare runs measure with the same clocks and report the same way, so that the driver
 * (bench/run_benchmarks.py) compares like with like.
 *
 * A report is one line per figure on standard output, "bench <key> <value>", written with
 * WriteFile so that it arrives unbuffered from any program, a GUI program or a prog.dll
 * included. C99 and C++.
 */
#ifndef QUAVEN_BENCH_REPORT_H
#define QUAVEN_BENCH_REPORT_H

#include <windows.h>

#include <stdarg.h>
#include <stdio.h>

/* Milliseconds on the performance counter: for spans inside one process. */
static inline double Bench_NowMs(void)
{
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return (double)now.QuadPart * 1000.0 / (double)frequency.QuadPart;
}

/* Milliseconds since the system created this process: the start-up figure counts the
   loader and everything the program does before its first line of code. */
static inline double Bench_MsSinceProcessCreation(void)
{
    FILETIME created, exited, kernel, user, now;
    ULARGE_INTEGER from, to;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
        return -1.0;
    GetSystemTimePreciseAsFileTime(&now);
    from.LowPart = created.dwLowDateTime;
    from.HighPart = created.dwHighDateTime;
    to.LowPart = now.dwLowDateTime;
    to.HighPart = now.dwHighDateTime;
    return (double)(to.QuadPart - from.QuadPart) / 10000.0; /* 100 ns units */
}

/* Writes one "bench <key> <text>" line; the text is printf-formatted and cut to fit. */
static inline void Bench_Report(const char* key, const char* format, ...)
{
    char line[512];
    const int room = (int)sizeof line - 1; /* one byte kept for the line feed */
    int used = snprintf(line, (size_t)room, "bench %s ", key);
    int added;
    va_list arguments;
    DWORD written = 0;
    if (used < 0 || used >= room)
        return;
    va_start(arguments, format);
    added = vsnprintf(line + used, (size_t)(room - used), format, arguments);
    va_end(arguments);
    if (added < 0)
        return;
    used = used + added < room - 1 ? used + added : room - 1;
    line[used++] = '\n';
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line, (DWORD)used, &written, NULL);
}

#endif /* QUAVEN_BENCH_REPORT_H */
