#pragma once

#include <cstdint>

// The code of the two shaders built into the engine, made when the engine is built: the
// source texts of ESSL20, ESSL30, GLSL21 and GLSL31 (both shaders) and of HLSL9 (the
// distance-field shader only), and the compiled HLSL11 code of each shader level.

enum BuiltInShader {
    kBuiltInDefaultShader = 0,         // "internal_default"
    kBuiltInDistanceFieldShader = 1,   // "internal_distance_field"
};

// Per stage the code and its size in bytes; a source text's size counts its terminating zero.
struct BuiltInShaderCode {
    const uint8_t* vertexCode;
    int32_t vertexSize;
    const uint8_t* pixelCode;
    int32_t pixelSize;
};

// True for "internal_default" and "internal_distance_field": the records renderer set-up
// fills from the engine's own text, whoever asked for the name first.
bool QVI_IsBuiltInShaderName(const char* name);

// The code for a ShaderLanguage bit and ShaderLevel; false (and empty code) when the
// engine carries none for that pair.
bool QVI_GetBuiltInShaderCode(BuiltInShader shader, int shaderLanguage, int shaderLevel, BuiltInShaderCode* out);
