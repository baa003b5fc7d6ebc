#pragma once

#include <cstdint>

// The compiled code of the two shaders built into the engine, made from their HLSL source
// at build time by the platform's compiler, one pair of blocks per shader level.

enum BuiltInShader {
    kBuiltInDefaultShader = 0,         // "internal_default"
    kBuiltInDistanceFieldShader = 1,   // "internal_distance_field"
};

struct BuiltInShaderCode {
    const uint8_t* vertexCode;
    int32_t vertexSize;
    const uint8_t* pixelCode;
    int32_t pixelSize;
};

// The code for a ShaderLanguage bit and ShaderLevel; false (and empty code) when the
// engine carries none for that pair.
bool QVI_GetBuiltInShaderCode(BuiltInShader shader, int shaderLanguage, int shaderLevel, BuiltInShaderCode* out);
