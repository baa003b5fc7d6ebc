// The parsers the fuzzers drive: one entry per target, each a fresh parse of one input.
// The same entries serve the mutational driver under Wine (fuzz_driver.cpp) and, for the
// targets that build for Linux, libFuzzer with the sanitizers (native/).
#pragma once

#include <cstddef>
#include <cstdint>

#include "quaven/types.h"

struct FuzzTarget {
    const char* name;
    // Parses one input and frees everything it made. The driver counts an execution per call.
    void (*run)(const uint8_t* data, size_t size);
    // Tokens the mutator inserts, separated by '\1'; may be empty.
    const char* dictionary;
    // Inputs past this are cut before they are run.
    size_t maxSize;
    // Full shader translation and images: a campaign gives these a time, not a count.
    bool slow;
};

// Runs once before the first input of any target: the engine's table and file system.
void QVF_SetUpEnvironment();
// Logging that drops its lines, popups answered OK, every bitmap known (fuzz_log.cpp).
void QVF_QuietTable(QuavenAPI* table);
// Removes the folders the environment made.
void QVF_TearDownEnvironment();
// The input as a file the engine reads through its file system (replacing an earlier one);
// null data removes the file.
void QVF_PutFile(const char* path, const uint8_t* data, size_t size);

// The table of targets this build has, ending with an entry whose name is null.
const FuzzTarget* QVF_PortableTargets();
#ifdef _WIN32
const FuzzTarget* QVF_EngineTargets();
#endif
