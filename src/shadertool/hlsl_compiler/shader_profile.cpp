#include "shadertool/hlsl_compiler/shader_profile.h"

#include "shadertool/core/target.h"

#include <cstdio>

namespace ShaderTool {

namespace {

const char* StagePrefix(uint32_t stage)
{
    switch (stage) {
    case kStageVertex:
        return "vs_";
    case kStagePixel:
        return "ps_";
    default:
        return nullptr;
    }
}

// Level 0 stands for "no level bit applies": the shader model 3 profile.
const char* LevelSuffix(uint32_t level)
{
    switch (level) {
    case 0:
        return "3_0";
    case kShaderLevelDefault:
        return "4_0";
    case kShaderLevelLow:
        return "4_0_level_9_1";
    case kShaderLevelXbox:
        return "5_0";
    default:
        return nullptr;
    }
}

} // namespace

int MakeShaderProfile(uint32_t stage, uint32_t level, char* profile, int capacity)
{
    if (!profile || capacity <= 0)
        return 0;
    profile[0] = '\0';
    const char* prefix = StagePrefix(stage);
    const char* suffix = LevelSuffix(level);
    if (!prefix || !suffix)
        return 0;
    int length = snprintf(profile, static_cast<size_t>(capacity), "%s%s", prefix, suffix);
    if (length < 0 || length >= capacity) {
        profile[0] = '\0';
        return 0;
    }
    return length;
}

} // namespace ShaderTool
