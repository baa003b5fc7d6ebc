// The two shaders built into the engine: "internal_default" (textured, vertex-coloured) and
// "internal_distance_field" (the same with distance-field alpha, for text). Their interface
// is Shader XML text kept here; their code ships with the engine for the renderer's
// language and level (graphics/drawing/builtin_shader_code.h).
#include "graphics/drawing/batch_renderer.h"

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

// What both built-in shaders take: vertex format 7 and the engine's world-view-projection.
#define BUILT_IN_SHADER_INTERFACE \
    "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n" \
    "<root>\n" \
    "<array id=\"info\"><node id=\"version\" value=\"2\"/><node id=\"revision\" value=\"2\"/></array>\n" \
    "<array id=\"vertex_input\"><node id=\"position\" semantic=\"POSITION\"/>" \
    "<node id=\"color\" semantic=\"COLOR\"/>" \
    "<node id=\"texture_coordinate\" semantic=\"TEXTURE_COORDINATE_0\"/></array>\n" \
    "<array id=\"vertex_constants\">" \
    "<node id=\"world_view_proj\" type=\"FLOAT4X4\" semantic=\"WORLD_VIEW_PROJECTION_TRANSFORM\"/></array>\n"

// The vertex stage writes mul(position, world_view_proj) and passes colour and texture
// coordinate on; the pixel stage outputs colour x the diffuse sample.
const char kDefaultShaderXml[] =
    BUILT_IN_SHADER_INTERFACE
    "<array id=\"vertex_output\"><node id=\"position\" type=\"FLOAT4\" semantic=\"POSITION\"/>"
    "<node id=\"color\" type=\"FLOAT4\" semantic=\"COLOR\"/>"
    "<node id=\"texture_coordinate\" type=\"FLOAT2\" semantic=\"TEXTURE_COORDINATE\"/></array>\n"
    "<array id=\"pixel_textures\"><node id=\"diffuse\" type=\"2D\"/></array>\n"
    "<array id=\"pixel_output\"><node id=\"color\"/></array>\n"
    "</root>\n";

// As the default shader; the pixel stage replaces the sample's alpha by
// smoothstep(0.5 - smoothing.x, 0.5 + smoothing.x, alpha).
const char kDistanceFieldShaderXml[] =
    BUILT_IN_SHADER_INTERFACE
    "<array id=\"vertex_output\"><node id=\"position\" type=\"FLOAT4\" semantic=\"POSITION\"/>"
    "<node id=\"texture_coordinate\" type=\"FLOAT2\" semantic=\"TEXTURE_COORDINATE\"/>"
    "<node id=\"color\" type=\"FLOAT4\" semantic=\"COLOR\"/></array>\n"
    "<array id=\"pixel_constants\"><node id=\"smoothing\" type=\"FLOAT4\"/></array>\n"
    "<array id=\"pixel_textures\"><node id=\"diffuse\" type=\"2D\"/></array>\n"
    "<array id=\"pixel_output\"><node id=\"color\"/></array>\n"
    "</root>\n";

// Null when the engine carries no code for the renderer's language and level, and when
// the pool could not make a loaded shader of it (a record left unloaded is given back, so
// that the next initialisation starts afresh).
Shader* CreateBuiltIn(BuiltInShader which, const char* name, const char* xml)
{
    RendererImplementation* renderer = QVI_GetRenderer();
    if (!renderer)
        return nullptr;
    BuiltInShaderCode code = {};
    if (!QVI_GetBuiltInShaderCode(which, renderer->GetShaderLanguage(), renderer->GetShaderLevel(), &code))
        return nullptr;
    ByteBuffer buffers[2];
    QVI_AppendShaderCode(buffers, code.vertexCode, code.vertexSize, code.pixelCode, code.pixelSize);
    Shader* shader = QVI_TranslateShaderSource(name, xml, buffers);
    if (shader && !(shader->flags & kShaderLoaded)) {
        QVI_FreeShaderRecord(shader);
        return nullptr;
    }
    return shader;
}

}  // namespace

void BatchRenderer::CreateBuiltInShaders()
{
    g_batch.defaultShader = CreateBuiltIn(kBuiltInDefaultShader, kDefaultShaderName, kDefaultShaderXml);
    g_batch.textShader = g_batch.defaultShader;
    g_batch.currentShader = g_batch.defaultShader;
    g_batch.distanceFieldShader =
        CreateBuiltIn(kBuiltInDistanceFieldShader, kDistanceFieldShaderName, kDistanceFieldShaderXml);
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
