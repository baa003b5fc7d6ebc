// The two shaders built into the engine: "internal_default" (textured, vertex-coloured) and
// "internal_distance_field" (the same with distance-field alpha, for text). Their Shader XML
// and their code ship with the engine, made when it is built, for the renderer's language
// and level (graphics/drawing/builtin_shader_code.h).
#include "graphics/drawing/batch_renderer.h"

#include <cstring>

#include "core/byte_buffer.h"
#include "core/engine_log.h"
#include "graphics/drawing/builtin_shader_code.h"
#include "graphics/drawing/builtin_shaders/builtin_shader_table.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/renderer_implementation.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/shaders/shader_pool.h"

namespace {

const char kDefaultShaderName[] = "internal_default";
const char kDistanceFieldShaderName[] = "internal_distance_field";

// The shader's Shader XML text as the engine carries it.
const char* ShaderXml(BuiltInShader which)
{
    for (int i = 0; i < kBuiltInShaderXmlCount; ++i) {
        if (kBuiltInShaderXmls[i].shader == which)
            return reinterpret_cast<const char*>(kBuiltInShaderXmls[i].text);
    }
    return nullptr;
}

// Null when the engine carries no code for the renderer's language and level, and when
// the pool could not make a loaded shader of it (a record left unloaded is given back, so
// that the next initialisation starts afresh).
Shader* CreateBuiltIn(BuiltInShader which, const char* name)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return nullptr;
    BuiltInShaderCode code = {};
    if (!QVI_GetBuiltInShaderCode(which, renderer->GetShaderLanguage(), renderer->GetShaderLevel(), &code))
        return nullptr;
    ByteBuffer buffers[2];
    QVI_AppendShaderCode(buffers, code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize);
    Shader* shader = QVI_TranslateShaderSource(name, ShaderXml(which), buffers);
    if (shader && !(shader->flags & kShaderLoaded)) {
        QVI_FreeShaderRecord(shader);
        return nullptr;
    }
    return shader;
}

}  // namespace

void BatchRenderer::CreateBuiltInShaders()
{
    g_batch.defaultShader = CreateBuiltIn(kBuiltInDefaultShader, kDefaultShaderName);
    g_batch.textShader = g_batch.defaultShader;
    g_batch.currentShader = g_batch.defaultShader;
    g_batch.distanceFieldShader = CreateBuiltIn(kBuiltInDistanceFieldShader, kDistanceFieldShaderName);
}

bool QVI_IsBuiltInShaderName(const char* name)
{
    return name && (strcmp(name, kDefaultShaderName) == 0 || strcmp(name, kDistanceFieldShaderName) == 0);
}

void QVI_AppendShaderCode(ByteBuffer code[2], const void* vertexCode, int vertexSize, const void* pixelCode,
                          int pixelSize)
{
    if (!code)
        return;
    // WriteBytes grows a buffer to twice what it needs when it is too small.
    code[0].WriteBytes(vertexCode, vertexSize);
    code[1].WriteBytes(pixelCode, pixelSize);
}

// The source-text languages carry one text per stage whatever the level; HLSL11 carries
// compiled code for the levels the table lists. Anything else answers false.
bool QVI_GetBuiltInShaderCode(BuiltInShader shader, int shaderLanguage, int shaderLevel, BuiltInShaderCode* out)
{
    if (!out)
        return false;
    *out = BuiltInShaderCode{nullptr, 0, nullptr, 0};
    for (int i = 0; i < kBuiltInShaderEntryCount; ++i) {
        const BuiltInShaderEntry& entry = kBuiltInShaderEntries[i];
        if (entry.shader != shader || entry.language != shaderLanguage)
            continue;
        if (shaderLanguage == QV_SHADER_LANGUAGE_HLSL11 && entry.level != shaderLevel)
            continue;
        *out = entry.code;
        return true;
    }
    return false;
}
