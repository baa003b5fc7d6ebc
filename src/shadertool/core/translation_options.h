#pragma once

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

// What the graphics side hands to a translation.
struct TranslationOptions {
    uint32_t shaderLevel = 0;     // ShaderLevel bits of the renderer
    uint32_t targetMask = 0;      // Target bits to produce
    uint32_t previousStamp = 0;   // newest source stamp of the previous translation, 0 if none
    uint8_t compile = 0;          // compile the translated text
    uint8_t listMacros = 0;       // the preprocessor only lists its macros
    uint8_t preprocessOnly = 0;   // the preprocessed text is the output
    uint8_t reserved = 0;
};

static_assert(sizeof(TranslationOptions) == 16, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, targetMask) == 4, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, previousStamp) == 8, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, compile) == 12, "TranslationOptions layout");
static_assert(offsetof(TranslationOptions, preprocessOnly) == 14, "TranslationOptions layout");

} // namespace ShaderTool
