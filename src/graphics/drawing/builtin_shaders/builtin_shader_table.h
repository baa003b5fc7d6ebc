#pragma once

#include <cstdint>

#include "graphics/drawing/builtin_shader_code.h"

// The built-in shaders as the engine carries them. The tables are generated at build time
// (tools/builtin_shaders, builtin_shaders.cmake) from the Shader XML and the HLSL beside
// this header.

// One shader's code for one language: the source text of each stage (with its terminating
// zero) for ESSL20, ESSL30, GLSL21, GLSL31 and HLSL9; the compiled code of one shader level
// for HLSL11.
struct BuiltInShaderEntry {
    BuiltInShader shader;
    int32_t language;  // ShaderLanguage bit
    int32_t level;     // ShaderLevel for HLSL11; 0 for source text
    BuiltInShaderCode code;
};

extern const BuiltInShaderEntry kBuiltInShaderEntries[];
extern const int kBuiltInShaderEntryCount;

// A shader's Shader XML text, zero-terminated: its interface, and the sources the texts
// above were translated from.
struct BuiltInShaderXml {
    BuiltInShader shader;
    const uint8_t* text;
};

extern const BuiltInShaderXml kBuiltInShaderXmls[];
extern const int kBuiltInShaderXmlCount;
