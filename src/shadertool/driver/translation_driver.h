#pragma once

#include "core/engine_string.h"

#include <cstdint>

namespace ShaderTool {

struct TranslationOptions;

// The translator's public face besides ReadShaderXML (description/shader_xml_reader.h).
// All of it works on the one global context (g_shaderContext), which is not reentrant:
// callers hold the engine's "ShaderTranslator" lock from a read or translation until
// Reset, and Initialize runs at renderer set-up.

// Makes the compilers and translators for every target of targetMask that has none yet
// (only HLSL11 brings a compiler, which serves the HLSL family), then keeps the output
// directory (debug copies of the translated text, "/" appended when it ends in neither
// '/' nor '\'; empty for none) and skipUpToDate (the developer's up-to-date check). Also
// resets the per-shader state, so that a re-initialisation starts from nothing. False,
// with the reason in the report log, when a compiler cannot be set up.
bool Initialize(uint32_t targetMask, const String& outputDirectory, bool skipUpToDate);

// Reads the Shader XML at xmlPath (reload: read the file anew, not from DataManager's
// cache) and translates every source for every target of options: on success the
// context holds the description, the code of each stage (compiled code for compiled
// targets, else the text with its terminating zero) and the newest source time stamp.
// Any error fails the translation. Before it answers, the error log is moved into the
// report log, which ends with "Translation SUCCEEDED" or "Translation FAILED".
bool TranslateShaderXML(const String& xmlPath, const TranslationOptions& options, bool reload);

// As TranslateShaderXML, for Shader XML text that no file holds (the engine's built-in
// shaders, translated when the engine is built): name stands for the file in messages, and
// its sources must be inline.
bool TranslateShaderXMLText(const String& name, const char* text, const TranslationOptions& options);

// Empties the per-shader state between two shaders: output name, both logs, the
// translators' and the semantic checks' state, the preprocessor and the tokenizer, the
// code buffers, the description, the jobs and the stamps. Compilers, translators, the
// output directory and skipUpToDate stay.
void Reset();

} // namespace ShaderTool
