#include "shadertool/core/target.h"

#include "graphics/renderer/renderer_codes.h"

namespace ShaderTool {

namespace {

constexpr bool SameBit(int rendererCode, uint32_t translatorCode)
{
    return static_cast<uint32_t>(rendererCode) == translatorCode;
}

// Renderers name shader languages and levels with the translator's own bits.
static_assert(SameBit(QV_SHADER_LANGUAGE_ESSL20, ShaderTool::kTargetESSL20) &&
                  SameBit(QV_SHADER_LANGUAGE_ESSL30, ShaderTool::kTargetESSL30) &&
                  SameBit(QV_SHADER_LANGUAGE_GLSL21, ShaderTool::kTargetGLSL21) &&
                  SameBit(QV_SHADER_LANGUAGE_GLSL31, ShaderTool::kTargetGLSL31) &&
                  SameBit(QV_SHADER_LANGUAGE_HLSL9, ShaderTool::kTargetHLSL9) &&
                  SameBit(QV_SHADER_LANGUAGE_HLSL11, ShaderTool::kTargetHLSL11) &&
                  SameBit(QV_SHADER_LANGUAGE_PSSL, ShaderTool::kTargetPSSL) &&
                  SameBit(QV_SHADER_LANGUAGE_CG, ShaderTool::kTargetCG),
              "shader language bits are the translator's target bits");
static_assert(SameBit(QV_SHADER_LEVEL_DEFAULT, ShaderTool::kShaderLevelDefault) &&
                  SameBit(QV_SHADER_LEVEL_LOW, ShaderTool::kShaderLevelLow) &&
                  SameBit(QV_SHADER_LEVEL_XBOX, ShaderTool::kShaderLevelXbox),
              "shader level bits are the translator's");

}  // namespace

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
