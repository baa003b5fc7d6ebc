#include "shadertool/core/target.h"

#include "graphics/renderer/renderer_codes.h"

#include <cstring>

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

namespace {

// A name this long or longer cannot be one of the target names.
const size_t kMaxTargetNameLength = 16;

uint32_t TargetOfName(const char* name, size_t length)
{
    if (length >= kMaxTargetNameLength)
        return 0;
    char buffer[kMaxTargetNameLength];
    memcpy(buffer, name, length);
    buffer[length] = '\0';
    if (strcmp(buffer, "ALL") == 0)
        return kTargetAll;
    for (uint32_t target = 1; target <= kTargetPSSL; target <<= 1) {
        const char* targetName = GetTargetName(target);
        if (targetName && strcmp(buffer, targetName) == 0)
            return target;
    }
    return 0;
}

} // namespace

uint32_t ParseTargetList(const char* list)
{
    if (!list || !list[0])
        return kTargetAll;
    uint32_t mask = 0;
    const char* name = list;
    for (;;) {
        const char* comma = strchr(name, ',');
        size_t length = comma ? static_cast<size_t>(comma - name) : strlen(name);
        bool trailingComma = comma && comma[1] == '\0';
        uint32_t target = TargetOfName(name, length);
        if (target == 0)
            return 0;
        mask |= target;
        if (!comma || trailingComma)
            return mask;
        name = comma + 1;
    }
}

} // namespace ShaderTool
