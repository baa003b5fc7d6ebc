// libFuzzer over the targets that build for Linux, with AddressSanitizer and
// UndefinedBehaviorSanitizer: the target is named by QUAVEN_FUZZ_TARGET. What the Windows
// build gets from the platform layer is stood in for here by the least that lets these
// parsers run: locks that do nothing (one thread), the API table with
// (engine_log.cpp) made quiet, the in-memory files, and no HLSL compiler (nothing is compiled).
#include <pthread.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "core/engine_log.h"
#include "core/locks.h"
#include "filesystem/paths.h"
#include "fuzz/fuzz_target.h"
#include "fuzz/native/memory_files.h"
#include "platform/os.h"
#include "quaven/bitmap.h"
#include "shadertool/core/context.h"
#include "shadertool/driver/output_file.h"
#include "shadertool/hlsl_compiler/hlsl_compiler.h"
#include "shadertool/preprocess/tokenizer.h"

// ---- The platform layer's part ----

Mutex* QVI_NewMutexRecord(const char*)
{
    static int lock;
    return reinterpret_cast<Mutex*>(&lock);
}
void QV_LockMutex(Mutex*) {}
void QV_UnlockMutex(Mutex*) {}
String QV_ConvertStaticPathToNativeOSPath(const char* path) { return String(path ? path : ""); }
bool QVI_OsReplaceFile(const char*, const char*) { return false; }

namespace {
struct OwnStackWork {
    void (*work)(void*);
    void* argument;
};
void* RunOwnStackWork(void* parameter)
{
    const OwnStackWork* own = static_cast<const OwnStackWork*>(parameter);
    own->work(own->argument);
    return nullptr;
}
} // namespace

// Deep shader trees are written on a thread with a stack of their size, as under Windows.
bool QVI_OsRunOnOwnStack(void (*work)(void*), void* argument, uint64_t stackBytes)
{
    if (!work || stackBytes == 0 || stackBytes > 0x7FFFFFFFu)
        return false;
    OwnStackWork own = {work, argument};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_t thread;
    const bool made = pthread_attr_setstacksize(&attributes, static_cast<size_t>(stackBytes)) == 0 &&
                      pthread_create(&thread, &attributes, RunOwnStackWork, &own) == 0;
    pthread_attr_destroy(&attributes);
    if (made)
        pthread_join(thread, nullptr);
    return made;
}

namespace ShaderTool {
HLSLCompiler::HLSLCompiler(Log* errorLog) : Compiler(errorLog), library(nullptr) {}
HLSLCompiler::~HLSLCompiler() = default;
bool HLSLCompiler::Compile(uint32_t, uint32_t, uint32_t, const String&, ByteBuffer&) { return false; }
bool HLSLCompiler::Initialize() { return true; }
// Debug copies of the translated text are never asked for here (no output folder).
bool WriteOutputFile(const char*, const char*, size_t, Log&) { return false; }
} // namespace ShaderTool

// ---- The environment ----

namespace {

const FuzzTarget* g_target = nullptr;

} // namespace

void QVF_SetUpEnvironment()
{
    QVF_QuietTable(qv);
    QVF_InstallMemoryFiles(qv);
    std::ifstream include(QUAVEN_FUZZ_SOURCE_DIR "/tests/shadertool/driver/golden/wave/waves.inc", std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(include)), std::istreambuf_iterator<char>());
    QVF_PutFile("res://fx/waves.inc", reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

void QVF_TearDownEnvironment() {}

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    const char* name = getenv("QUAVEN_FUZZ_TARGET");
    for (const FuzzTarget* t = QVF_PortableTargets(); name && t->name; ++t)
        if (strcmp(t->name, name) == 0)
            g_target = t;
    if (!g_target) {
        fprintf(stderr, "QUAVEN_FUZZ_TARGET names none of:");
        for (const FuzzTarget* t = QVF_PortableTargets(); t->name; ++t)
            fprintf(stderr, " %s", t->name);
        fprintf(stderr, "\n");
        exit(1);
    }
    QVF_SetUpEnvironment();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size <= g_target->maxSize)
        g_target->run(data, size);
    return 0;
}
