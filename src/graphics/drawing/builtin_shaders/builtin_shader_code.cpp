#include "graphics/drawing/builtin_shader_code.h"

#include "graphics/drawing/builtin_shaders/builtin_shader_table.h"
#include "graphics/renderer/renderer_codes.h"

// Only HLSL11 carries compiled code in this engine; every other language, and every level
// the table lacks, answers false.
bool QVI_GetBuiltInShaderCode(BuiltInShader shader, int shaderLanguage, int shaderLevel, BuiltInShaderCode* out)
{
    if (!out)
        return false;
    *out = BuiltInShaderCode{nullptr, 0, nullptr, 0};
    if (shaderLanguage != QV_SHADER_LANGUAGE_HLSL11)
        return false;
    for (int i = 0; i < kBuiltInHlsl11ShaderCount; ++i) {
        const BuiltInShaderEntry& entry = kBuiltInHlsl11Shaders[i];
        if (entry.shader == shader && entry.level == shaderLevel) {
            *out = entry.code;
            return true;
        }
    }
    return false;
}
