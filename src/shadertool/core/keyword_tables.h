#pragma once

#include "core/string_map.h"

#include <cstdint>

// The two keyword tables of the shader tokenizers, word to token kind: one for the
// language and one for the preprocessor's directives. Both start empty, are filled once
// by the first tokenizer that finds them empty and are kept for the life of the process.
extern StringMap<int32_t> g_shaderKeywords;
extern StringMap<int32_t> g_shaderPreprocessorKeywords;
