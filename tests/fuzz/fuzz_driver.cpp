// The mutational fuzzer that runs the targets in-process under Wine, one fresh parse per input.
//
//   quaven_fuzz TARGET|all [--runs N] [--slow-runs N] [--seconds S] [--seeds DIR]... [--faults DIR] [--random N]
//   quaven_fuzz TARGET|all --replay DIR...     every file of DIR/<target>/ once
//   quaven_fuzz --list
//
// Seeds come from DIR/<target>/ of each --seeds folder. Each input is a seed changed by one to
// eight mutations (byte and bit changes, interesting numbers, block copies, deletions and
// insertions, the target's tokens, a splice with another seed), or the previous input changed
// again. In a build whose engine layers are instrumented (QUAVEN_FUZZ_COVERAGE) an input that
// reaches new code joins the seeds. The input being run is kept in a file mapping ("<faults>/<target>.current"), which the
// system writes out even when the process dies: a crash, a stack overflow or an abort leaves it
// there, and the next run of the target files it as a fault. An input that runs longer than a
// second is filed by a watchdog, which then ends the process. Private bytes are sampled after
// a tenth of the runs and at the end, less the inputs kept: memory that grows from run
// to run shows as their difference. One line per target gives the figures.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_target.h"

namespace {

using Bytes = std::string;
namespace fs = std::filesystem;

const DWORD kHangMilliseconds = 1000;
const uint32_t kRunningMark = 0x4E55522Eu;  // ".RUN" while an input runs

struct Options {
    std::string target;
    uint64_t runs = 0;        // 0: until the time is up
    uint64_t slowRuns = 0;    // runs of a slow target; 0: as many as the others
    double seconds = 0;       // 0: until the runs are done
    std::vector<std::string> seeds;
    std::vector<std::string> replay;
    std::string faults = ".";
    uint64_t random = 1;
};

uint64_t g_random = 1;
uint64_t Next()
{
    g_random ^= g_random << 13, g_random ^= g_random >> 7, g_random ^= g_random << 17;
    return g_random;
}
size_t Below(size_t n) { return n ? static_cast<size_t>(Next() % n) : 0; }

double Now()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return double(counter.QuadPart) / double(frequency.QuadPart);
}

size_t PrivateBytes()
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters);
    // Wine leaves PrivateUsage at zero; the commit charge is the same figure there.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

Bytes ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// FNV-1a, naming a fault file by its content.
std::string Hash(const Bytes& bytes)
{
    uint64_t h = 14695981039346656037ull;
    for (unsigned char c : bytes)
        h = (h ^ c) * 1099511628211ull;
    char text[17];
    snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(h));
    return text;
}

// The input being run, in a mapped file: [mark][size][bytes].
struct CurrentInput {
    HANDLE file = INVALID_HANDLE_VALUE, mapping = nullptr;
    uint8_t* view = nullptr;
    size_t capacity = 0;
    std::string path;

    bool Open(const std::string& at, size_t maxSize)
    {
        path = at, capacity = maxSize;
        file = CreateFileA(at.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, 0, nullptr);
        if (file == INVALID_HANDLE_VALUE)
            return false;
        mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(8 + maxSize), nullptr);
        view = mapping ? static_cast<uint8_t*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
        return view != nullptr;
    }
    void Close()
    {
        if (view)
            UnmapViewOfFile(view);
        if (mapping)
            CloseHandle(mapping);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        view = nullptr, mapping = nullptr, file = INVALID_HANDLE_VALUE;
        DeleteFileA(path.c_str());
    }
    void Begin(const Bytes& input)
    {
        const uint32_t size = static_cast<uint32_t>(input.size());
        memcpy(view + 4, &size, 4);
        memcpy(view + 8, input.data(), input.size());
        const uint32_t mark = kRunningMark;
        memcpy(view, &mark, 4);
    }
    void End() { memset(view, 0, 4); }
    Bytes Input() const
    {
        uint32_t size = 0;
        memcpy(&size, view + 4, 4);
        return Bytes(reinterpret_cast<const char*>(view + 8), std::min<size_t>(size, capacity));
    }
};

// Edge coverage, when the engine's layers are built with -fsanitize-coverage=trace-pc
// (QUAVEN_FUZZ_COVERAGE): every instrumented block calls the function below, which counts the
// pair of its address and the previous block's in a map. An input that reaches a pair, or a
// count class of a pair (1, 2, 3, 4-7, 8-15, 16-31, 32-127, 128 and more), never seen before
// joins the inputs that later ones are made from. Other threads' blocks count too; their races
// on the map only blur it.
const size_t kCoverageSize = 1 << 16;
alignas(8) uint8_t g_hits[kCoverageSize];
uint8_t g_seen[kCoverageSize];
uintptr_t g_previous = 0;
bool g_covered = false;

} // namespace

extern "C" void __sanitizer_cov_trace_pc()
{
    const uintptr_t block = reinterpret_cast<uintptr_t>(__builtin_return_address(0));
    const uintptr_t hashed = (block ^ (block >> 15)) * 0x9E3779B1u;
    const size_t slot = (hashed ^ g_previous) & (kCoverageSize - 1);
    if (g_hits[slot] != 255)
        ++g_hits[slot];
    g_previous = hashed >> 1;
    g_covered = true;
}

namespace {

uint8_t CountClass(uint8_t hits)
{
    return hits == 0 ? 0 : hits < 4 ? uint8_t(1 << (hits - 1)) : hits < 8 ? 8 : hits < 16 ? 16 : hits < 32 ? 32 : hits < 128 ? 64 : 128;
}

// True when the last input reached something new; the map is emptied for the next one. Most
// of the map is untouched by one input: it is walked a word at a time.
bool TakeNewCoverage()
{
    bool found = false;
    uint64_t* words = reinterpret_cast<uint64_t*>(g_hits);
    for (size_t w = 0; w < kCoverageSize / 8; ++w) {
        if (!words[w])
            continue;
        for (size_t i = w * 8; i < w * 8 + 8; ++i) {
            const uint8_t bit = CountClass(g_hits[i]);
            if (bit && !(g_seen[i] & bit)) {
                g_seen[i] |= bit;
                found = true;
            }
        }
        words[w] = 0;
    }
    g_previous = 0;
    return found;
}

size_t CoveredPairs()
{
    return static_cast<size_t>(std::count_if(g_seen, g_seen + kCoverageSize, [](uint8_t s) { return s != 0; }));
}

// What the watchdog and the crash filter need.
struct Shared {
    CurrentInput current;
    std::string faults, target;
    volatile LONG running = 0;
    volatile double started = 0;
} g_shared;

void FileFault(const char* kind, const Bytes& input)
{
    fs::create_directories(g_shared.faults);
    const std::string name = g_shared.faults + "/" + g_shared.target + "-" + kind + "-" + Hash(input);
    std::ofstream(name, std::ios::binary).write(input.data(), static_cast<std::streamsize>(input.size()));
    printf("FAULT %s %s: %s (%u bytes)\n", g_shared.target.c_str(), kind, name.c_str(), unsigned(input.size()));
    fflush(stdout);
}

DWORD WINAPI Watchdog(void*)
{
    for (;;) {
        Sleep(100);
        if (g_shared.running && (Now() - g_shared.started) * 1000 > kHangMilliseconds * 3) {
            FileFault("hang", g_shared.current.Input());
            g_shared.current.End();
            TerminateProcess(GetCurrentProcess(), 3);
        }
    }
}

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    printf("exception 0x%08lx at %p\n", info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress);
    FileFault("crash", g_shared.current.Input());
    g_shared.current.End();
    TerminateProcess(GetCurrentProcess(), 2);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::vector<std::string> Tokens(const char* dictionary)
{
    std::vector<std::string> tokens;
    for (const char* at = dictionary ? dictionary : ""; *at;) {
        const char* end = strchr(at, '\1');
        tokens.emplace_back(at, end ? end : at + strlen(at));
        at = end ? end + 1 : at + strlen(at);
    }
    return tokens;
}

void Mutate(Bytes& input, const std::vector<Bytes>& seeds, const std::vector<std::string>& tokens, size_t maxSize)
{
    static const int64_t kInteresting[] = {0, 1, -1, 2, 7, 8, 15, 16, 31, 32, 63, 64, 100, 127, 128, 255, 256, 511,
                                           512, 1000, 1023, 1024, 4096, 8192, 32767, 32768, 65535, 65536,
                                           0x7fffffff, int64_t(0x80000000), int64_t(0xffffffff), -32768, -129};
    static const char* const kNumbers[] = {"0", "-1", "1", "65535", "65536", "2147483647", "2147483648", "4294967295",
                                           "4294967296", "-2147483648", "99999999999999999999", "1e38", "1e309", "nan",
                                           "0.0", "-0", "00000000001", "0x7fffffff"};
    const int count = 1 << Below(4);
    for (int i = 0; i < count; ++i) {
        const size_t size = input.size();
        switch (Below(13)) {
        case 0:
            if (size) input[Below(size)] ^= char(1 << Below(8));
            break;
        case 1:
            if (size) input[Below(size)] = char(Next());
            break;
        case 2:
            if (size) input[Below(size)] = char(kInteresting[Below(std::size(kInteresting))]);
            break;
        case 3:
        case 4: {
            if (size < 4) break;
            const int64_t value = kInteresting[Below(std::size(kInteresting))];
            const int width = Below(2) ? 4 : 2;
            const size_t at = Below(size - width + 1);
            for (int b = 0; b < width; ++b) input[at + b] = char(value >> (8 * b));
            break;
        }
        case 5:
            if (size) input.erase(Below(size), 1 + Below(std::min<size_t>(size, 64)));
            break;
        case 6: {
            if (!size) break;
            const size_t from = Below(size), length = 1 + Below(std::min<size_t>(size - from, 256));
            input.insert(Below(size + 1), input.substr(from, length));
            break;
        }
        case 7: {
            if (!size) break;
            const size_t from = Below(size), length = 1 + Below(std::min<size_t>(size - from, 64));
            const Bytes block = input.substr(from, length);
            const size_t to = Below(size);
            input.replace(to, std::min(block.size(), size - to), block);
            break;
        }
        case 8:
        case 9:
            if (!tokens.empty()) input.insert(Below(size + 1), tokens[Below(tokens.size())]);
            break;
        case 10: {
            // A run of digits becomes a number at the edges of what a parser may expect.
            const size_t at = Below(size + 1);
            size_t start = at, end = at;
            while (start > 0 && isdigit(static_cast<unsigned char>(input[start - 1]))) --start;
            while (end < size && isdigit(static_cast<unsigned char>(input[end]))) ++end;
            input.replace(start, end - start, kNumbers[Below(std::size(kNumbers))]);
            break;
        }
        case 11: {
            const Bytes& other = seeds[Below(seeds.size())];
            if (other.empty()) break;
            const size_t from = Below(other.size());
            input = input.substr(0, Below(size + 1)) + other.substr(from, 1 + Below(other.size() - from));
            break;
        }
        case 12: {
            const size_t length = 1 + Below(32);
            Bytes block(length, char(Below(2) ? Next() : 0));
            if (Below(2)) for (char& c : block) c = char(Next());
            input.insert(Below(size + 1), block);
            break;
        }
        }
    }
    if (input.size() > maxSize)
        input.resize(maxSize);
}

struct Figures {
    uint64_t runs = 0;
    size_t corpus = 0, pairs = 0;
    double seconds = 0, slowest = 0;
    size_t memoryAfterWarmUp = 0, memoryAtEnd = 0;
    int faults = 0;
};

void RunOne(const FuzzTarget& target, const Bytes& input, Figures& figures)
{
    g_shared.current.Begin(input);
    const double start = Now();
    g_shared.started = start;
    g_shared.running = 1;
    target.run(reinterpret_cast<const uint8_t*>(input.data()), input.size());
    g_shared.running = 0;
    const double took = Now() - start;
    g_shared.current.End();
    ++figures.runs;
    figures.slowest = std::max(figures.slowest, took);
    if (took * 1000 > kHangMilliseconds) {
        FileFault("slow", input);
        ++figures.faults;
    }
}

std::vector<Bytes> FilesOf(const fs::path& folder)
{
    std::vector<fs::path> paths;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(folder, error))
        if (entry.is_regular_file())
            paths.push_back(entry.path());
    std::sort(paths.begin(), paths.end());
    std::vector<Bytes> files;
    for (const fs::path& path : paths)
        files.push_back(ReadBytes(path));
    return files;
}

Figures Fuzz(const FuzzTarget& target, const Options& options)
{
    Figures figures;
    g_shared.target = target.name;
    // A previous run that died inside an input left that input behind.
    const std::string currentPath = options.faults + "/" + target.name + ".current";
    if (fs::exists(currentPath)) {
        const Bytes left = ReadBytes(currentPath);
        uint32_t mark = 0, size = 0;
        if (left.size() >= 8) memcpy(&mark, left.data(), 4), memcpy(&size, left.data() + 4, 4);
        if (mark == kRunningMark && size <= left.size() - 8) {
            // Also what a process ended from outside leaves: replay it to tell.
            FileFault("died-in", left.substr(8, size));
            ++figures.faults;
        }
    }
    fs::create_directories(options.faults);
    if (!g_shared.current.Open(currentPath, target.maxSize)) {
        printf("cannot map %s\n", currentPath.c_str());
        exit(1);
    }

    if (!options.replay.empty()) {
        const double start = Now();
        for (const std::string& folder : options.replay)
            for (const Bytes& input : FilesOf(fs::path(folder) / target.name))
                RunOne(target, input.substr(0, target.maxSize), figures);
        figures.seconds = Now() - start;
        g_shared.current.Close();
        return figures;
    }

    std::vector<Bytes> seeds;
    for (const std::string& folder : options.seeds)
        for (Bytes& seed : FilesOf(fs::path(folder) / target.name))
            seeds.push_back(seed.substr(0, target.maxSize));
    if (seeds.empty())
        seeds.push_back(Bytes());
    const std::vector<std::string> tokens = Tokens(target.dictionary);
    g_random = options.random * 0x9E3779B97F4A7C15ull + 1;

    memset(g_seen, 0, sizeof g_seen);
    TakeNewCoverage();
    const double start = Now();
    for (const Bytes& seed : seeds) {
        RunOne(target, seed, figures);
        TakeNewCoverage();
    }
    const size_t kLargestCorpusBytes = 64 << 20;
    size_t corpusBytes = 0;
    Bytes input;
    const uint64_t warmUp = options.runs ? options.runs / 10 : 2000;
    for (;;) {
        if (options.runs && figures.runs >= options.runs)
            break;
        if (options.seconds > 0 && (figures.runs & 15) == 0 && Now() - start >= options.seconds)
            break;
        // Half the time the previous input walks on, so that changes add up.
        if (input.empty() || Below(2))
            input = seeds[Below(seeds.size())];
        Mutate(input, seeds, tokens, target.maxSize);
        RunOne(target, input, figures);
        if (g_covered && TakeNewCoverage() && corpusBytes + input.size() < kLargestCorpusBytes) {
            seeds.push_back(input);
            corpusBytes += input.size();
        }
        if (figures.runs == warmUp)
            figures.memoryAfterWarmUp = PrivateBytes() - corpusBytes;
    }
    figures.seconds = Now() - start;
    figures.memoryAtEnd = PrivateBytes() - corpusBytes;
    figures.corpus = seeds.size();
    figures.pairs = CoveredPairs();
    if (!figures.memoryAfterWarmUp)
        figures.memoryAfterWarmUp = figures.memoryAtEnd;
    g_shared.current.Close();
    return figures;
}

void Usage()
{
    printf("usage: quaven_fuzz TARGET|all [--runs N] [--slow-runs N] [--seconds S] [--seeds DIR]... [--faults DIR] [--random N]\n"
           "       quaven_fuzz TARGET|all --replay DIR...\n       quaven_fuzz --list\n");
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::vector<const FuzzTarget*> targets;
    for (const FuzzTarget* table : {QVF_PortableTargets(), QVF_EngineTargets()})
        for (const FuzzTarget* t = table; t->name; ++t)
            targets.push_back(t);
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool value = i + 1 < argc;
        if (arg == "--list") {
            for (const FuzzTarget* t : targets) printf("%s%s\n", t->name, t->slow ? " slow" : "");
            return 0;
        } else if (arg == "--runs" && value) options.runs = strtoull(argv[++i], nullptr, 10);
        else if (arg == "--slow-runs" && value) options.slowRuns = strtoull(argv[++i], nullptr, 10);
        else if (arg == "--seconds" && value) options.seconds = atof(argv[++i]);
        else if (arg == "--seeds" && value) options.seeds.push_back(argv[++i]);
        else if (arg == "--replay" && value) options.replay.push_back(argv[++i]);
        else if (arg == "--faults" && value) options.faults = argv[++i];
        else if (arg == "--random" && value) options.random = strtoull(argv[++i], nullptr, 10);
        else if (arg[0] != '-' && options.target.empty()) options.target = arg;
        else return Usage(), 1;
    }
    if (options.target.empty())
        return Usage(), 1;
    if (options.runs == 0 && options.seconds == 0 && options.replay.empty())
        options.runs = 1000;
    g_shared.faults = options.faults;

    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    CloseHandle(CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr));
    QVF_SetUpEnvironment();

    int faults = 0;
    bool found = false;
    for (const FuzzTarget* t : targets) {
        if (options.target != "all" && options.target != t->name)
            continue;
        found = true;
        Options own = options;
        if (t->slow && options.slowRuns)
            own.runs = options.slowRuns;
        const Figures f = Fuzz(*t, own);
        faults += f.faults;
        printf("fuzz %s: %llu executions in %.1f s (%.0f/s), slowest %.1f ms, %d faults, private bytes %zu KB after "
               "warm-up, %zu KB at the end",
               t->name, static_cast<unsigned long long>(f.runs), f.seconds, f.runs / std::max(f.seconds, 1e-9),
               f.slowest * 1000, f.faults, f.memoryAfterWarmUp / 1024, f.memoryAtEnd / 1024);
        if (g_covered)
            printf(", %zu inputs kept for %zu edge pairs", f.corpus, f.pairs);
        printf("\n");
    }
    if (!found) {
        printf("no target '%s'\n", options.target.c_str());
        return 1;
    }
    QVF_TearDownEnvironment();
    fflush(stdout);
    // The engine's globals are not torn down between inputs; ending here skips their destructors.
    ExitProcess(faults ? 4 : 0);
}
