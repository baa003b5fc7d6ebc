#pragma once

#include "core/array.h"
#include "core/byte_buffer.h"
#include "core/engine_string.h"
#include "shadertool/core/log.h"
#include "shadertool/core/parse_context.h"
#include "shadertool/core/target.h"
#include "shadertool/core/translation_job.h"
#include "shadertool/core/translation_options.h"

#include <cstdint>

namespace ShaderTool {

class Compiler;
class Tokenizer;
class Preprocessor;
class ShaderXMLReader;
class Translator;

struct TargetCapabilities {
    uint8_t multiplePixelOutputs = 0;
    uint8_t textures3D = 0;
};

// The shader translator's single global state (g_shaderContext), built before the
// program starts and destroyed at exit. It has no lock of its own: callers hold the
// engine's "ShaderTranslator" lock from a read or translation until the reset.
//
// The tokenizer, the preprocessor and the Shader XML reader are owned through pointers
// so that this header does not pull in their definitions; the context makes them at
// construction and deletes them at destruction. The compiler and translator slots stay
// empty until the translator is initialised for the renderer's targets.
class Context {
public:
    String outputName;
    Compiler* compilers[kTargetFamilyCount];   // owned; null until needed
    Log errorLog;                              // the messages of the current step
    Log reportLog;                             // what the engine shows
    String outputDirectory;                    // empty, or ends in '/' or '\'
    ParseContext parse;                        // with the built-in function and operator tables
    Tokenizer* tokenizer;                      // the language parser's token source (owned)
    Preprocessor* preprocessor;                // with its built-in macros (owned)
    ByteBuffer codeBuffers[kShaderStageCount]; // per stage: vertex, pixel
    ShaderXMLReader* reader;                   // holds the current ShaderDescription (owned)
    Array<TranslationJob> jobs;
    Translator* translators[kTargetCount];     // owned; null until needed
    TargetCapabilities capabilities[kTargetCount];
    TranslationOptions options;
    uint32_t ownTargetMasks[kShaderStageCount]; // per stage: targets that have a source of their own
    int32_t newestStamp;                       // newest source time stamp of the run
    uint8_t skipUpToDate;

    Context();
    ~Context();
    Context(const Context&) = delete;
    Context& operator=(const Context&) = delete;

    // The capability flags of a single target bit; null for anything else.
    const TargetCapabilities* GetCapabilities(uint32_t target) const;
};

} // namespace ShaderTool

// Constructed by the start-up initialisers (src/core/globals.cpp).
extern ShaderTool::Context g_shaderContext;
