#pragma once

#include <cstdint>

namespace ShaderTool {

struct Log;
class Translator;

// A new translator for one target bit, reporting into log: each target language has its
// own class, with the spellings and refusals of that language. Null for a bit no
// translator writes (CG, or anything that is not a single target).
Translator* MakeTranslator(uint32_t target, Log& log);

} // namespace ShaderTool
