#include "shadertool/core/target.h"

namespace ShaderTool {

namespace {

const char* const kTargetNames[kTargetCount] = {"ESSL20", "ESSL30", "GLSL21", "GLSL31", "HLSL9", "HLSL11", "PSSL"};
const int kTargetFamilies[kTargetCount] = {kFamilyGL,   kFamilyGL,   kFamilyGL,  kFamilyGL,
                                           kFamilyHLSL, kFamilyHLSL, kFamilyPSSL};

} // namespace

int GetTargetIndex(uint32_t target)
{
    for (int index = 0; index < kTargetCount; ++index) {
        if (target == (1u << index))
            return index;
    }
    return -1;
}

const char* GetTargetName(uint32_t target)
{
    if (target == kTargetCG)
        return "CG";
    int index = GetTargetIndex(target);
    return index < 0 ? nullptr : kTargetNames[index];
}

int GetTargetFamily(uint32_t target)
{
    int index = GetTargetIndex(target);
    return index < 0 ? -1 : kTargetFamilies[index];
}

} // namespace ShaderTool
