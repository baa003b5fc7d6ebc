#pragma once

#include <cstddef>

namespace ShaderTool {

struct Log;

// Writes a translated text to path through the engine's file system so that a failure
// never leaves a half-written file in its place: on a folder on disk the text goes to
// its temporary first, which then replaces the file in one step; elsewhere (a file system
// without native folders) a file that could not be written whole is deleted again.
// Failures are reported into errorLog as "could not open output file '%s'." or "could
// not write to output file '%s'." and answer false.
bool WriteOutputFile(const char* path, const char* text, size_t length, Log& errorLog);

} // namespace ShaderTool
