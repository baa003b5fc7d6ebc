/*
 * The soak game: a prog.dll that keeps every subsystem busy for a long run (scripts/soak.sh)
 * and notes what its process holds, so that a leak, a stall or a slow frame shows.
 *
 * Main thread: thousands of sprites and lines of text each frame, a click every quarter
 * second that fades out, music started and faded every 15 s, the console toggled every 3 s, a
 * score submitted and the scores asked for every 2 s, a display re-initialisation every 60 s.
 * Game threads: bitmaps and a font loaded and released; a save written through save:// and
 * read back; downloads from the loopback server whose base URL prog.xml's "soak_http" gives.
 * A sampler thread pauses the workers between their rounds every 5 s and notes the process's
 * private bytes, handles and GDI objects.
 *
 * QUAVEN_SOAK_RESULTS names the results file, one line each:
 *     sample SECONDS PRIVATE_BYTES HANDLES GDI FRAMES MAX_FRAME_MS RESOURCES FILES DOWNLOADS ANSWERS
 *     reinit SECONDS            (a re-initialisation was asked for; its frames are not timed)
 *     slow SECONDS MS CPU_MS ACTIONS UPDATE_MS RENDER_MS BETWEEN_MS
 *                               (a frame over 100 ms outside the re-initialisations: the main
 *                               thread's processor time in it, what it did besides drawing, and
 *                               where its time went: from Update to Render, in Render, and from
 *                               Render's end to the next Update, the engine's part)
 *     wait SECONDS PHASE MS FRAMES...  (the main thread's stack while a frame ran long: return
 *                               addresses in loaded modules, as module+offset, innermost first)
 *     threads SECONDS TID:NAME:STATE:WAIT:CPU_MS...  (each thread as Linux sees it then, and
 *                               the processor time each used over the next 50 ms)
 *     held SECONDS MS           (the probe's own 5 ms sleep took this long: the whole process,
 *                               or the machine, stood still)
 *     stall WORKER SECONDS      (a worker made no round, or "main" no frame, for 30 s)
 *     fault TEXT                (a result that is wrong: a download or a save read back)
 *     done SECONDS FRAMES MAX_FRAME_MS MAX_REINIT_FRAME_MS UNDER_20 UNDER_50 UNDER_100 OVER_100
 * "soak_seconds" in prog.xml is the length of the run (default 600); "soak_workers" 0 starts no
 * game threads (the sampler excepted).
 */
#include <windows.h>

#include <quaven/quaven.h>

#include <math.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#define SPRITES 3000
#define TEXT_LINES 40
#define SAVE_BYTES (64 * 1024)
#define DOWNLOAD_BYTES (1024 * 1024)
#define REINIT_PERIOD_MS 60000u
#define SAMPLE_PERIOD_MS 5000u
#define STALL_MS 30000u
#define SLOW_FRAME_MS 100.0
#define UNTIMED_FRAMES_AFTER_REINIT 3
#define CONSOLE_TOGGLE_CHARACTER 167 /* the console's default toggle character */
/* How long the main thread stays in one place before it is probed: half a slow frame, so that
   frames close to the limit are explained too. */
#define PROBE_AFTER_MS 50u
#define PROBES 64 /* the most probes of a run: each stops the main thread for a moment */
#define PROBE_FRAMES 48     /* return addresses noted per probe */
#define PROBE_THREADS 96

enum { WORKER_RESOURCES, WORKER_FILES, WORKER_DOWNLOADS, WORKERS };
static const char* const kWorkerNames[WORKERS] = {"resources", "files", "downloads"};

static struct {
    ProgramInterface* record;
    QuavenAPI* qv;
    FILE* results;
    CRITICAL_SECTION resultsLock;
    char httpBase[128];
    uint32_t runMs, startMs;
    /* Workers: rounds done, whether asked to pause or stop, and whether paused or ended. */
    volatile LONG rounds[WORKERS];
    volatile LONG pause, stop;
    volatile LONG paused[WORKERS], ended[WORKERS + 2]; /* the workers, the sampler, the probe */
    volatile LONG answers;
    /* Frames, timed with the performance counter. */
    LARGE_INTEGER frequency, lastFrame;
    uint32_t frames, framesSinceReinit;
    double maxFrameMs, maxReinitFrameMs, lastCpuMs;
    uint32_t frameHistogram[4]; /* timed frames under 20, 50, 100 ms and the rest */
    char actions[64];           /* what the frame did besides drawing, for the slow ones */
    LARGE_INTEGER updateStart, renderStart, renderEnd;
    /* For the wait probe: the main thread, its stack's top, and when it last entered or left
       a callback. */
    HANDLE mainThread;
    const char* mainStackBase;
    volatile LONG markMs;
    volatile LONG phase;
    uint32_t lastClickMs, lastMusicMs, lastConsoleMs, lastScoreMs, lastReinitMs;
    int musicPlaying, stopping;
    Bitmap *star, *ring;
    Font* font;
    Sound *click, *music;
} g;

static void Note(const char* format, ...) {
    va_list args;
    if (!g.results) return;
    EnterCriticalSection(&g.resultsLock);
    va_start(args, format);
    vfprintf(g.results, format, args);
    va_end(args);
    fputc('\n', g.results);
    fflush(g.results);
    LeaveCriticalSection(&g.resultsLock);
}

static double Seconds(void) { return (g.qv->GetMilliseconds() - g.startMs) / 1000.0; }

/* Between rounds a worker waits while the sampler measures; false once it must end. */
static int NextRound(int worker) {
    InterlockedIncrement(&g.rounds[worker]);
    while (g.pause && !g.stop) {
        g.paused[worker] = 1;
        Sleep(1);
    }
    g.paused[worker] = 0;
    return !g.stop;
}

static void ResourceWorker(void* unused) {
    static const char* const names[] = {"sprites/one.png", "sprites/two.png", "sprites/three.jpg"};
    const QuavenGraphicsAPI* graphics = g.qv->graphics;
    int i = 0;
    (void)unused;
    do {
        Bitmap* bitmap = graphics->LoadBitmap(names[i++ % 3], QV_CACHE_PIXELS_AND_TEXTURE);
        Font* font = g.qv->LoadFont("fonts/thread.mft");
        int wait;
        /* Used for a moment, as a game would: released once the main thread has uploaded it. */
        for (wait = 0; wait < 100 && bitmap && !bitmap->hardware.loaded && !g.stop; ++wait) Sleep(10);
        if (!bitmap || !bitmap->pixels) Note("fault bitmap %s did not load at %.1f", names[(i - 1) % 3], Seconds());
        if (!font) Note("fault font did not load at %.1f", Seconds());
        graphics->ReleaseBitmap(bitmap);
        g.qv->ReleaseFont(font);
        Sleep(200);
    } while (NextRound(WORKER_RESOURCES));
    g.ended[WORKER_RESOURCES] = 1;
}

static void FileWorker(void* unused) {
    const QuavenFileSystemAPI* fs = g.qv->fileSystem;
    static uint8_t written[SAVE_BYTES], read[SAVE_BYTES];
    uint32_t round = 0;
    (void)unused;
    do {
        FileHandle* file;
        int got = -1, i;
        ++round;
        for (i = 0; i < SAVE_BYTES; ++i) written[i] = (uint8_t)(i * 7 + round);
        if (fs->Mount("save", 0)) {
            if ((file = fs->OpenFile("save://soak.dat", "w")) != NULL) {
                fs->Write(written, SAVE_BYTES, file);
                fs->CloseFile(file);
            }
            fs->Unmount("save");
        }
        if (fs->Mount("save", 0)) {
            if ((file = fs->OpenFile("save://soak.dat", "r")) != NULL) {
                got = fs->Read(read, SAVE_BYTES, file);
                fs->CloseFile(file);
            }
            fs->Unmount("save");
        }
        if (got != SAVE_BYTES || memcmp(read, written, SAVE_BYTES) != 0)
            Note("fault save round %u read back %d bytes at %.1f", (unsigned)round, got, Seconds());
        Sleep(50);
    } while (NextRound(WORKER_FILES));
    g.ended[WORKER_FILES] = 1;
}

static void DownloadWorker(void* unused) {
    char url[256];
    (void)unused;
    do {
        Buffer* body = NULL;
        int status, i, whole = 1;
        snprintf(url, sizeof url, "%s/bytes/%d", g.httpBase, DOWNLOAD_BYTES);
        status = g.qv->HTTPRequest(QV_HTTP_GET, url, NULL, NULL, 0, &body, NULL);
        if (status != 200 || !body || body->size != DOWNLOAD_BYTES) whole = 0;
        for (i = 0; whole && i < DOWNLOAD_BYTES; i += 4099) whole = body->data[i] == (uint8_t)i;
        if (!whole) Note("fault download status %d at %.1f", status, Seconds());
        g.qv->FreeBuffer(body);
        Sleep(100);
    } while (NextRound(WORKER_DOWNLOADS));
    g.ended[WORKER_DOWNLOADS] = 1;
}

/* Committed private memory, what Windows calls private bytes (Wine leaves the counter of
   GetProcessMemoryInfo at 0): the sum of the process's private committed regions. */
static unsigned long PrivateBytes(void) {
    MEMORY_BASIC_INFORMATION region;
    const char* at = NULL;
    unsigned long total = 0;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += (unsigned long)region.RegionSize;
        if ((const char*)region.BaseAddress + region.RegionSize <= at) break;
        at = (const char*)region.BaseAddress + region.RegionSize;
    }
    return total;
}

/* Open kernel handles, counted by asking about every handle value in turn (Wine's
   GetProcessHandleCount answers 0). */
static unsigned long HandleCount(void) {
    unsigned long count = 0, value;
    DWORD flags;
    for (value = 4; value < 0x10000; value += 4)
        if (GetHandleInformation((HANDLE)(ULONG_PTR)value, &flags)) ++count;
    return count;
}

/* GDI objects: GetGuiResources where it answers; Wine's answers 0, so then the objects are
   counted by asking the type of every handle index (Wine takes an index without its
   generation for the object in that place). */
static unsigned long GdiObjectCount(void) {
    unsigned long count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), index;
    if (count) return count;
    for (index = 1; index < 0x10000; ++index)
        if (GetObjectType((HGDIOBJ)(ULONG_PTR)index)) ++count;
    return count;
}

/* Measures with the workers between rounds (or after 3 s, if one is busy that long). */
static void Sample(void) {
    unsigned long privateBytes, handles, gdi;
    DWORD i, waited;
    g.pause = 1;
    for (waited = 0; waited < 3000; ++waited) {
        int all = 1;
        for (i = 0; i < WORKERS; ++i) all = all && g.paused[i];
        if (all) break;
        Sleep(1);
    }
    privateBytes = PrivateBytes();
    handles = HandleCount();
    gdi = GdiObjectCount();
    g.pause = 0;
    Note("sample %.1f %lu %lu %lu %u %.1f %ld %ld %ld %ld", Seconds(), privateBytes, handles, gdi, (unsigned)g.frames,
         g.maxFrameMs, g.rounds[0], g.rounds[1], g.rounds[2], g.answers);
}

/* Also watches the workers and the main thread (its frames) for stalls. */
static void Sampler(void* unused) {
    LONG seen[WORKERS + 1];
    uint32_t seenMs[WORKERS + 1], lastSample = g.qv->GetMilliseconds();
    int i;
    (void)unused;
    for (i = 0; i <= WORKERS; ++i) seen[i] = i < WORKERS ? g.rounds[i] : (LONG)g.frames, seenMs[i] = lastSample;
    while (!g.stop) {
        uint32_t now = g.qv->GetMilliseconds();
        Sleep(100);
        for (i = 0; i <= WORKERS; ++i) {
            LONG count = i < WORKERS ? g.rounds[i] : (LONG)g.frames;
            if (count != seen[i]) {
                seen[i] = count, seenMs[i] = now;
            } else if (now - seenMs[i] > STALL_MS && !(i < WORKERS && g.ended[i])) {
                Note("stall %s %.1f", i < WORKERS ? kWorkerNames[i] : "main", Seconds());
                seenMs[i] = now;
            }
        }
        if (now - lastSample >= SAMPLE_PERIOD_MS) {
            lastSample = now;
            Sample();
        }
    }
    g.ended[WORKERS] = 1;
}

static const char* ResultsPath(char* buffer, DWORD size) {
    DWORD n = GetEnvironmentVariableA("QUAVEN_SOAK_RESULTS", buffer, size);
    return n > 0 && n < size ? buffer : NULL;
}

/* The wait probe. When the main thread stays in one place (in Update, in Render or in the
   engine between them) for PROBE_AFTER_MS, it is stopped for an instant while its stack is
   copied, and every thread's state is read from Linux (Wine shows / as Z:), so that a slow
   frame says what it waited on. */
typedef struct {
    unsigned long tid, ticks;
    char state;
    char name[20], wchan[40];
} LinuxThread;

static int ReadSmallFile(const char* path, char* text, size_t size) {
    FILE* file = fopen(path, "rb");
    size_t got;
    if (!file) return 0;
    got = fread(text, 1, size - 1, file);
    fclose(file);
    text[got] = 0;
    return got > 0;
}

/* Wine opens files in its server, so /proc/self there is the server: the process's own Linux
   id comes from soak.sh, in "unix-pid" beside the results. */
static unsigned long UnixPid(void) {
    static unsigned long pid;
    char path[MAX_PATH], text[32];
    char *slash, *backslash;
    if (pid || !ResultsPath(path, sizeof path - 16)) return pid;
    slash = strrchr(path, '/'), backslash = strrchr(path, '\\');
    if (backslash > slash) slash = backslash;
    if (!slash) return 0;
    strcpy(slash + 1, "unix-pid");
    if (ReadSmallFile(path, text, sizeof text)) pid = strtoul(text, NULL, 10);
    return pid;
}

static int ReadLinuxThreads(LinuxThread* threads, int most) {
    WIN32_FIND_DATAA entry;
    HANDLE search;
    char pattern[64];
    int count = 0;
    if (!UnixPid()) return 0;
    snprintf(pattern, sizeof pattern, "Z:\\proc\\%lu\\task\\*", UnixPid());
    if ((search = FindFirstFileA(pattern, &entry)) == INVALID_HANDLE_VALUE) return 0;
    do {
        char path[MAX_PATH], text[512];
        const char *open, *close;
        LinuxThread* thread = &threads[count];
        unsigned long user = 0, system = 0;
        if (entry.cFileName[0] < '0' || entry.cFileName[0] > '9') continue;
        snprintf(path, sizeof path, "Z:\\proc\\%lu\\task\\%s\\stat", UnixPid(), entry.cFileName);
        if (!ReadSmallFile(path, text, sizeof text)) continue;
        open = strchr(text, '('), close = strrchr(text, ')');
        if (!open || !close || close < open) continue;
        memset(thread, 0, sizeof *thread);
        thread->tid = strtoul(entry.cFileName, NULL, 10);
        snprintf(thread->name, sizeof thread->name, "%.*s", (int)(close - open - 1), open + 1);
        /* After the name: state, then fields 4 to 13, then utime and stime. */
        if (sscanf(close + 2, "%c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &thread->state, &user,
                   &system) != 3)
            continue;
        thread->ticks = user + system;
        snprintf(path, sizeof path, "Z:\\proc\\%lu\\task\\%s\\wchan", UnixPid(), entry.cFileName);
        if (!ReadSmallFile(path, thread->wchan, sizeof thread->wchan)) strcpy(thread->wchan, "?");
        ++count;
    } while (count < most && FindNextFileA(search, &entry));
    FindClose(search);
    return count;
}

/* " module+0xOFFSET" for an address in a loaded module's code, else nothing. */
static int DescribeCode(DWORD address, char* out, size_t size) {
    MEMORY_BASIC_INFORMATION region;
    HMODULE module;
    char path[MAX_PATH];
    const char* name;
    const DWORD executable = PAGE_EXECUTE | PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY;
    if (VirtualQuery((const void*)address, &region, sizeof region) != sizeof region) return 0;
    if (region.Type != MEM_IMAGE || !(region.Protect & executable)) return 0;
    if (!GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            (LPCSTR)address, &module))
        return 0;
    if (!GetModuleFileNameA(module, path, sizeof path)) return 0;
    name = strrchr(path, '\\');
    snprintf(out, size, " %s+0x%lx", name ? name + 1 : path, (unsigned long)(address - (DWORD)(ULONG_PTR)module));
    return 1;
}

static void ProbeMainThread(LONG phase, uint32_t ms) {
    static DWORD stack[16384];
    static LinuxThread before[PROBE_THREADS], after[PROBE_THREADS];
    static char line[4096];
    CONTEXT context;
    size_t words = 0, i, used;
    int frames = 0, count, later, j;
    double seconds = Seconds();
    memset(&context, 0, sizeof context);
    context.ContextFlags = CONTEXT_CONTROL;
    /* Only a copy is taken while it is stopped: naming modules takes the loader's lock, which
       the stopped thread may hold. */
    if (SuspendThread(g.mainThread) == (DWORD)-1) return;
    if (GetThreadContext(g.mainThread, &context) && context.Esp && (const char*)context.Esp < g.mainStackBase) {
        words = (size_t)(g.mainStackBase - (const char*)context.Esp) / 4;
        if (words > sizeof stack / 4) words = sizeof stack / 4;
        memcpy(stack, (const void*)context.Esp, words * 4);
    }
    ResumeThread(g.mainThread);
    count = ReadLinuxThreads(before, PROBE_THREADS);
    used = snprintf(line, sizeof line, "wait %.1f %c %u", seconds, (char)phase, (unsigned)ms);
    if (DescribeCode(context.Eip, line + used, sizeof line - used)) used += strlen(line + used), ++frames;
    for (i = 0; i < words && frames < PROBE_FRAMES && used < sizeof line - 128; ++i)
        if (DescribeCode(stack[i], line + used, sizeof line - used)) used += strlen(line + used), ++frames;
    Note("%s", line);
    Sleep(50);
    later = ReadLinuxThreads(after, PROBE_THREADS);
    used = snprintf(line, sizeof line, "threads %.1f", seconds);
    for (j = 0; j < count && used < sizeof line - 128; ++j) {
        unsigned long ticks = before[j].ticks;
        int k;
        for (k = 0; k < later; ++k)
            if (after[k].tid == before[j].tid) ticks = after[k].ticks;
        used += snprintf(line + used, sizeof line - used, " %lu:%s:%c:%s:%lu", before[j].tid, before[j].name,
                         before[j].state, before[j].wchan, (ticks - before[j].ticks) * 10);
    }
    Note("%s", line);
}

static void WaitProbe(void* unused) {
    LONG probed = 0;
    int probes = 0;
    (void)unused;
    while (!g.stop) {
        LONG mark = g.markMs, phase = g.phase;
        uint32_t before = g.qv->GetMilliseconds(), slept;
        Sleep(5);
        /* A probe that itself slept this long was held with the main thread: the process or
           the machine stopped, not the engine. */
        slept = g.qv->GetMilliseconds() - before;
        if (slept >= PROBE_AFTER_MS) Note("held %.1f %u", Seconds(), (unsigned)slept);
        if (probes < PROBES && mark && mark == g.markMs && mark != probed &&
            g.framesSinceReinit > UNTIMED_FRAMES_AFTER_REINIT &&
            (uint32_t)(g.qv->GetMilliseconds() - (uint32_t)mark) >= PROBE_AFTER_MS) {
            probed = mark, ++probes;
            ProbeMainThread(phase, g.qv->GetMilliseconds() - (uint32_t)mark);
        }
    }
    g.ended[WORKERS + 1] = 1;
}

static Bitmap* MakeRing(const QuavenGraphicsAPI* graphics) {
    BitmapDescription description;
    Bitmap* ring;
    int x, y;
    memset(&description, 0, sizeof description);
    description.format = QV_TEXTURE_FORMAT_RGBA8;
    description.textureType = QV_TEXTURE_TYPE_2D;
    description.mipLevels = 1;
    description.width = description.height = 32;
    description.depth = 1;
    ring = graphics->CreateBitmap("soak/ring", &description);
    if (!ring || !ring->pixels) return ring;
    for (y = 0; y < 32; ++y) {
        for (x = 0; x < 32; ++x) {
            uint8_t* pixel = ring->pixels + (y * 32 + x) * 4;
            float d = sqrtf((x - 15.5f) * (x - 15.5f) + (y - 15.5f) * (y - 15.5f));
            pixel[0] = 255, pixel[1] = (uint8_t)(8 * x), pixel[2] = (uint8_t)(8 * y);
            pixel[3] = d < 15.0f && d > 8.0f ? 255 : 0;
        }
    }
    graphics->RefreshBitmap(ring);
    return ring;
}

static bool Init(void) {
    char path[MAX_PATH];
    const char* value;
    QuavenAPI* qv = g.record->qv;
    g.qv = qv;
    InitializeCriticalSection(&g.resultsLock);
    if (ResultsPath(path, sizeof path)) g.results = fopen(path, "w");
    value = qv->GetProductValue("soak_seconds");
    g.runMs = (uint32_t)((value ? atoi(value) : 600) * 1000);
    value = qv->GetProductValue("soak_http");
    snprintf(g.httpBase, sizeof g.httpBase, "%s", value ? value : "http://127.0.0.1");
    g.startMs = g.lastClickMs = g.lastMusicMs = g.lastConsoleMs = g.lastScoreMs = g.lastReinitMs = qv->GetMilliseconds();
    QueryPerformanceFrequency(&g.frequency);
    g.star = qv->graphics->GetBitmap("sprites/one.png");
    g.ring = MakeRing(qv->graphics);
    g.font = qv->GetFont("fonts/soak.mft");
    g.click = qv->LoadSound("sounds/click");
    g.music = qv->LoadSound("sounds/music");
    if (!g.star || !g.ring || !g.font || !g.click || !g.music) Note("fault a resource of Init did not load");
    value = qv->GetProductValue("soak_workers");
    if (value && !strcmp(value, "0")) {
        /* The main thread's work alone, to tell the workers' cost from the rest. */
        int i;
        for (i = 0; i < WORKERS; ++i) g.ended[i] = g.paused[i] = 1;
    } else {
        qv->CreateThread("soak resources", ResourceWorker, NULL, 0);
        qv->CreateThread("soak files", FileWorker, NULL, 0);
        qv->CreateThread("soak downloads", DownloadWorker, NULL, 0);
    }
    qv->CreateThread("soak sampler", Sampler, NULL, 0);
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &g.mainThread,
                    THREAD_SUSPEND_RESUME | THREAD_GET_CONTEXT | THREAD_QUERY_INFORMATION, FALSE, 0);
    {
        /* The committed part of a stack runs from below the caller up to its top. */
        MEMORY_BASIC_INFORMATION region;
        if (VirtualQuery(&region, &region, sizeof region) == sizeof region)
            g.mainStackBase = (const char*)region.BaseAddress + region.RegionSize;
    }
    if (g.mainThread) qv->CreateThread("soak wait probe", WaitProbe, NULL, 0);
    else g.ended[WORKERS + 1] = 1;
    Note("init %.1f", Seconds());
    return true;
}

/* The main thread's processor time so far, in milliseconds: a frame slow on the clock but
   not in this time waited (for a lock, the driver's threads, or a busy machine). */
static double MainThreadCpuMs(void) {
    FILETIME created, exited, kernel, user;
    if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
    return ((double)kernel.dwLowDateTime + kernel.dwHighDateTime * 4294967296.0 + user.dwLowDateTime +
            user.dwHighDateTime * 4294967296.0) / 10000.0;
}

static double Between(const LARGE_INTEGER* from, const LARGE_INTEGER* to) {
    return from->QuadPart && to->QuadPart >= from->QuadPart
               ? (to->QuadPart - from->QuadPart) * 1000.0 / g.frequency.QuadPart
               : -1.0;
}

static void Mark(LONG phase, LARGE_INTEGER* at) {
    if (at) QueryPerformanceCounter(at);
    g.phase = phase;
    g.markMs = (LONG)g.qv->GetMilliseconds();
}

static void TimeFrame(void) {
    LARGE_INTEGER now;
    double ms, cpu = MainThreadCpuMs();
    QueryPerformanceCounter(&now);
    if (g.lastFrame.QuadPart) {
        ms = (now.QuadPart - g.lastFrame.QuadPart) * 1000.0 / g.frequency.QuadPart;
        if (g.framesSinceReinit <= UNTIMED_FRAMES_AFTER_REINIT) {
            if (ms > g.maxReinitFrameMs) g.maxReinitFrameMs = ms;
        } else {
            if (ms > g.maxFrameMs) g.maxFrameMs = ms;
            if (ms > SLOW_FRAME_MS)
                Note("slow %.1f %.1f %.1f %s %.1f %.1f %.1f", Seconds(), ms, cpu - g.lastCpuMs, g.actions,
                     Between(&g.updateStart, &g.renderStart), Between(&g.renderStart, &g.renderEnd),
                     Between(&g.renderEnd, &now));
            ++g.frameHistogram[ms < 20.0 ? 0 : ms < 50.0 ? 1 : ms < 100.0 ? 2 : 3];
        }
    }
    g.lastCpuMs = cpu;
    g.lastFrame = now;
    g.updateStart = now;
    strcpy(g.actions, "-");
    ++g.frames;
    ++g.framesSinceReinit;
}

/* Ends the workers first (they may wait for the main thread), then the run. */
static void Stop(void) {
    int i, all = 1;
    g.stop = 1;
    for (i = 0; i <= WORKERS + 1; ++i) all = all && g.ended[i];
    if (!all || g.stopping) return;
    g.stopping = 1;
    g.qv->StopMusic(0.5f);
    Note("done %.1f %u %.1f %.1f %u %u %u %u", Seconds(), (unsigned)g.frames, g.maxFrameMs, g.maxReinitFrameMs,
         (unsigned)g.frameHistogram[0], (unsigned)g.frameHistogram[1], (unsigned)g.frameHistogram[2],
         (unsigned)g.frameHistogram[3]);
    g.qv->RequestShutdown();
}

static void Update(float seconds) {
    QuavenAPI* qv = g.qv;
    uint32_t now = qv->GetMilliseconds();
    (void)seconds;
    TimeFrame();
    Mark('U', NULL);
    if (now - g.startMs >= g.runMs) {
        Stop();
        return;
    }
    if (now - g.lastClickMs >= 250) {
        uint32_t channel = qv->PlaySound(g.click, 0.8f, (float)((g.frames % 9) - 4) / 4.0f, 1.0f);
        if (channel) qv->FadeOutChannel(channel, 0.2f);
        strcat(g.actions, ",click");
        g.lastClickMs = now;
    }
    if (now - g.lastMusicMs >= 15000) {
        if (g.musicPlaying) qv->StopMusic(2.0f);
        else qv->PlayMusic(g.music, 0.6f, 2.0f);
        g.musicPlaying = !g.musicPlaying;
        strcat(g.actions, ",music");
        g.lastMusicMs = now;
    }
    if (now - g.lastConsoleMs >= 3000) {
        EngineEvent event;
        qv->InitEvent(&event, EVENT_CHARACTER);
        event.payload[0] = CONSOLE_TOGGLE_CHARACTER;
        qv->PostEvent(&event);
        strcat(g.actions, ",console");
        g.lastConsoleMs = now;
    }
    if (now - g.lastScoreMs >= 2000) {
        ScoreRecord score;
        memset(&score, 0, sizeof score);
        score.points = (int32_t)(g.frames % 100000);
        qv->leaderboards->SubmitScore(0, score, "SOAK");
        qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_GLOBAL, "SOAK");
        strcat(g.actions, ",score");
        g.lastScoreMs = now;
    }
    if (now - g.lastReinitMs >= REINIT_PERIOD_MS) {
        VideoParameters video = g.record->video;
        video.width = video.width == 800 ? 1024 : 800;
        video.height = video.height == 600 ? 768 : 600;
        qv->ReinitializeWithParameters(video);
        Note("reinit %.1f", Seconds());
        g.framesSinceReinit = 0;
        g.lastReinitMs = now;
    }
}

static void Render(float seconds) {
    const QuavenGraphicsAPI* graphics = g.qv->graphics;
    float t = (g.qv->GetMilliseconds() - g.startMs) / 1000.0f, white = 1.0f, alpha = 0.8f;
    int i;
    (void)seconds;
    Mark('R', &g.renderStart);
    graphics->ClearColor(0.05f, 0.05f, 0.1f);
    graphics->SetColor(&white, &white, &white);
    graphics->SetAlpha(&alpha);
    for (i = 0; i < SPRITES; ++i) {
        /* Grouped by texture, as a game draws, so that they batch. */
        Bitmap* bitmap = i < SPRITES / 2 ? g.ring : g.star;
        float x = 400.0f + 380.0f * sinf(t * 0.7f + i * 0.37f), y = 300.0f + 280.0f * cosf(t * 0.9f + i * 0.53f);
        float angle = t + i, scale = 0.2f + (i % 5) * 0.05f;
        if (bitmap) graphics->DrawBitmapRotated(bitmap, &x, &y, &angle, &scale);
    }
    if (!g.font) {
        Mark('E', &g.renderEnd);
        return;
    }
    for (i = 0; i < TEXT_LINES; ++i) {
        float x = 10.0f + (i % 3) * 5.0f, y = 10.0f + i * 14.0f;
        g.qv->DrawText(g.font, &x, &y, "Soak line %d at %.2f s: frame %u, rounds %ld %ld %ld", i, (double)t,
                       (unsigned)g.frames, g.rounds[0], g.rounds[1], g.rounds[2]);
    }
    Mark('E', &g.renderEnd);
}

static int OnEvent(EngineEvent event) {
    if (event.type == EVENT_LEADERBOARDS) InterlockedIncrement(&g.answers);
    return 0;
}

static void Exit(void) {
    Font* font = g.font;
    g.font = NULL;
    (void)font; /* GetFont's font stays the engine's */
    if (g.ring) g.qv->graphics->ReleaseBitmap(g.ring);
    g.qv->ReleaseSound(g.click);
    g.qv->ReleaseSound(g.music);
    Note("exit %.1f", Seconds());
    if (g.results) fclose(g.results);
    g.results = NULL;
}

QUAVEN_PROGRAM_EXPORT bool QV_GetProgramInterface(ProgramInterface* record, int interfaceVersion) {
    (void)interfaceVersion;
    if (!record) return false;
    g.record = record;
    record->interface_version = QUAVEN_INTERFACE_VERSION;
    record->Init = Init;
    record->Exit = Exit;
    record->Update = Update;
    record->Render = Render;
    record->OnEvent = OnEvent;
    return true;
}
