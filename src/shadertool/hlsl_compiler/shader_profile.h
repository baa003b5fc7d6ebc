#pragma once

#include <cstdint>

namespace ShaderTool {

// The HLSL compiler profile for a stage (ShaderStage) and a shader level: the stage's
// prefix ("vs_", "ps_") followed by the level's suffix (0 "3_0", 1 "4_0",
// 2 "4_0_level_9_1", 4 "5_0"). Any other stage or level gives the empty profile.
// Writes at most capacity bytes, always zero-terminated; answers the profile's length,
// or 0 when it is empty or does not fit.
int MakeShaderProfile(uint32_t stage, uint32_t level, char* profile, int capacity);

// Large enough for every profile MakeShaderProfile writes.
const int kShaderProfileCapacity = 32;

} // namespace ShaderTool
