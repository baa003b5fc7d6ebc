#pragma once

#include <cstdint>

#include "graphics/drawing/builtin_shader_code.h"

// The compiled HLSL11 code of the built-in shaders, one entry per shader and shader level.
// The table is generated at build time (tools/builtin_shaders, builtin_shaders.cmake) from
// the .hlsl files beside this header.

struct BuiltInShaderEntry {
    BuiltInShader shader;
    int32_t level;  // ShaderLevel
    BuiltInShaderCode code;
};

extern const BuiltInShaderEntry kBuiltInHlsl11Shaders[];
extern const int kBuiltInHlsl11ShaderCount;
