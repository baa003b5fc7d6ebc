#pragma once

#include <cstdint>

namespace ShaderTool {

// One bit per target language; targets are always visited from the low bit up.
enum Target : uint32_t {
    kTargetESSL20 = 1,
    kTargetESSL30 = 2,
    kTargetGLSL21 = 4,
    kTargetGLSL31 = 8,
    kTargetHLSL9 = 16,
    kTargetHLSL11 = 32,
    kTargetPSSL = 64,
    kTargetAll = 127,
    kTargetCG = 128,   // named, but nothing translates to it
};

// Translator slots, one per target bit (index = bit position).
const int kTargetCount = 7;

// Compiler slots, one per family.
enum TargetFamily : int32_t {
    kFamilyGL = 0,     // ESSL20, ESSL30, GLSL21, GLSL31
    kFamilyHLSL = 1,   // HLSL9, HLSL11
    kFamilyPSSL = 2,
};
const int kTargetFamilyCount = 3;

enum ShaderStage : uint32_t {
    kStageVertex = 0,
    kStagePixel = 1,
};
const int kShaderStageCount = 2;

// The renderer's shader level bits.
enum ShaderLevel : uint32_t {
    kShaderLevelDefault = 1,
    kShaderLevelLow = 2,
    kShaderLevelXbox = 4,
};

// "ESSL20" ... "PSSL" for a single target bit, "CG" for 128, null for anything else.
const char* GetTargetName(uint32_t target);
// The bit position 0 to 6 of a single target bit; -1 for anything else.
int GetTargetIndex(uint32_t target);
// The family of a single target bit; -1 for anything else.
int GetTargetFamily(uint32_t target);

// The Target mask of a source's "target" list: names separated by ",", each exactly
// "ESSL20", "ESSL30", "GLSL21", "GLSL31", "HLSL9", "HLSL11", "PSSL" or "ALL" (127).
// Null or empty means 127; a comma that ends the text adds no name. Any other name,
// blanks and empty names included, makes the whole list 0 (invalid).
uint32_t ParseTargetList(const char* list);

} // namespace ShaderTool
