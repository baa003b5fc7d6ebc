// A shader's tables (vertex inputs, the vertex and pixel constants, the textures it
// samples) built from its description, and the members that look them up and write the
// constants.
//
// A constant's value is kept exactly as the device reads it: each constant and each array
// element on whole 16-byte registers, an N x N matrix as N registers with row i of the
// engine's row-major matrix in register i (the last bytes of a register unused for 2 x 2
// and 3 x 3). The HLSL side declares matrices column-major and multiplies
// mul(position, matrix), so register i is read as column i and the engine's matrix acts on
// the position as a column vector: the same order as Matrix4 everywhere else. The block
// goes to the device byte for byte.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/graphics_api.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/shaders/shader_pool.h"
#include "shadertool/core/shader_type.h"
#include "shadertool/description/shader_description.h"

namespace {

// What a renderer that uploads constants one by one needs to know of a constant's type.
enum ConstantValueClass {
    kValueClassOther = 0,
    kValueClassFloatVector = 1,  // four float components
    kValueClassMatrix = 2,       // four columns
    kValueClassIntVector = 3,    // four int components
};

int32_t ValueClassOf(const ShaderTool::Type& type)
{
    if (type.matrixSize == 4)
        return kValueClassMatrix;
    if (type.vectorSize == 4 && type.baseKind == ShaderTool::kBaseFloat)
        return kValueClassFloatVector;
    if (type.vectorSize == 4 && type.baseKind == ShaderTool::kBaseInt)
        return kValueClassIntVector;
    return kValueClassOther;
}

// Component type and count of a vertex element in the vertex buffer.
void DescribeElement(int element, ShaderVertexInput* input)
{
    switch (element) {
    case QV_VERTEX_POSITION:
    case QV_VERTEX_NORMAL:
    case QV_VERTEX_TANGENT:
    case QV_VERTEX_BITANGENT:
        input->componentType = 1;
        input->componentCount = 3;
        break;
    case QV_VERTEX_TEXTURE_COORDINATE_0:
    case QV_VERTEX_TEXTURE_COORDINATE_1:
        input->componentType = 1;
        input->componentCount = 2;
        break;
    case QV_VERTEX_4_BONE_WEIGHTS:
        input->componentType = 1;
        input->componentCount = 4;
        break;
    case QV_VERTEX_COLOR:
    case QV_VERTEX_4_BONE_INDICES:
        input->componentType = 2;
        input->componentCount = 4;
        break;
    default:
        input->componentType = 0;
        input->componentCount = 0;
        break;
    }
}

// Each input's offset is the sum of the sizes of the inputs listed before it in the
// Shader XML.
void BuildVertexInputs(Shader* shader, const ShaderTool::ShaderDescription* description)
{
    const int count = description->vertex_input.count < kShaderVertexInputSlots ? description->vertex_input.count
                                                                                  : kShaderVertexInputSlots;
    int32_t format = 0;
    int32_t offset = 0;
    for (int i = 0; i < count; ++i) {
        ShaderVertexInput& input = shader->vertexInputs[i];
        const int element = static_cast<int>(description->vertex_input.data[i].element);
        input.element = element;
        DescribeElement(element, &input);
        input.offset = offset;
        offset += QVI_GetVertexElementSize(element);
        format |= element;
    }
    shader->vertexInputCount = static_cast<uint16_t>(count);
    shader->vertexFormat = format;
}

// One value block for the stage, every constant in description order.
bool BuildConstantTable(const char* shaderName, const char* stage, ShaderConstantTable* table,
                        const Array<ShaderTool::ShaderConstant>& constants)
{
    // A matrix is laid out on 16 bytes a row, but a game may write it as 64 bytes an
    // element, as a 4 x 4 one takes: the block reaches that far past every matrix's start,
    // so such a write at the last constant, or across an array, stays inside it. The size
    // that is uploaded and set stays the laid-out one.
    int64_t total = 0;
    int64_t blockBytes = 0;
    for (int i = 0; i < constants.count; ++i) {
        const ShaderTool::Type& type = constants.data[i].type;
        if (type.matrixSize > 0) {
            const int64_t elements = type.arraySize > 0 ? type.arraySize : 1;
            blockBytes = std::max(blockBytes, total + elements * ShaderTool::kConstantRegisterBytes * 4);
        }
        const int32_t size = constants.data[i].byteSize;
        total += size > 0 ? size : 0;
        if (size <= 0 || total > ShaderTool::kMaxStageConstantBytes) {
            QVI_Report(QV_LOG_ERROR,
                       "Shader '%s': the %s constant '%s' does not fit the stage's %d bytes of constants.", shaderName,
                       stage, constants.data[i].name.text ? constants.data[i].name.text : "", ShaderTool::kMaxStageConstantBytes);
            return false;
        }
    }
    if (constants.count == 0)
        return true;
    blockBytes = std::max(blockBytes, total);

    table->values = static_cast<uint8_t*>(calloc(static_cast<size_t>(blockBytes), 1));
    table->entries = static_cast<ShaderConstant*>(calloc(static_cast<size_t>(constants.count), sizeof(ShaderConstant)));
    if (!table->values || !table->entries) {
        QVI_Report(QV_LOG_ERROR, "Shader '%s': out of memory for its %s constants.", shaderName, stage);
        QVI_FreeConstantTable(table);
        return false;
    }
    table->size = static_cast<int32_t>(total);
    table->count = constants.count;
    int32_t offset = 0;
    for (int i = 0; i < constants.count; ++i) {
        const ShaderTool::ShaderConstant& constant = constants.data[i];
        ShaderConstant& entry = table->entries[i];
        entry.name = QVI_StrDup(constant.name.text);
        entry.value = table->values + offset;
        entry.arrayCount = static_cast<uint16_t>(constant.type.arraySize > 0 ? constant.type.arraySize : 1);
        entry.engineKind = static_cast<int32_t>(constant.semantic);
        entry.size = static_cast<uint32_t>(constant.byteSize);
        entry.valueClass = ValueClassOf(constant.type);
        entry.uploaded = 1;
        offset += constant.byteSize;
    }
    return true;
}

void BuildTextureEntries(Shader* shader, const ShaderTool::ShaderDescription* description)
{
    const int count =
        description->pixel_textures.count < kShaderTextureSlots ? description->pixel_textures.count : kShaderTextureSlots;
    for (int i = 0; i < count; ++i) {
        const ShaderTool::PixelTexture& texture = description->pixel_textures.data[i];
        ShaderTextureEntry& entry = shader->textures[i];
        entry.name = QVI_StrDup(texture.name.text);
        entry.defaultBitmap = texture.defaultBitmap;
        entry.address[0] = static_cast<int32_t>(texture.addressU);
        entry.address[1] = static_cast<int32_t>(texture.addressV);
        entry.address[2] = static_cast<int32_t>(texture.addressW);
        entry.filter[0] = static_cast<int32_t>(texture.filterMag);
        entry.filter[1] = static_cast<int32_t>(texture.filterMin);
        entry.filter[2] = static_cast<int32_t>(texture.filterMip);
    }
    shader->textureCount = static_cast<int16_t>(count);
}

int FindConstant(const ShaderConstantTable& table, const char* name)
{
    for (int i = 0; i < table.count; ++i) {
        if (table.entries[i].name && strcmp(table.entries[i].name, name) == 0)
            return i;
    }
    return -1;
}

int ConstantIndex(Shader* shader, const char* name, bool pixel, const char* member)
{
    if (!QVI_CheckShaderArgument(shader, member))
        return -1;
    if (!name) {
        QVI_Report(QV_LOG_WARNING, "graphics->%s: the name is null.", member);
        return -1;
    }
    return FindConstant(pixel ? shader->pixelConstants : shader->vertexConstants, name);
}

bool CheckIndex(const ShaderConstantTable& table, int index, const char* member)
{
    if (index >= 0 && index < table.count)
        return true;
    QVI_Report(QV_LOG_WARNING, "graphics->%s: constant index %d is not one of the shader's %d.", member, index,
               table.count);
    return false;
}

void* ConstantValue(Shader* shader, int index, bool pixel, const char* member)
{
    if (!QVI_CheckShaderArgument(shader, member))
        return nullptr;
    ShaderConstantTable& table = pixel ? shader->pixelConstants : shader->vertexConstants;
    if (!CheckIndex(table, index, member))
        return nullptr;
    return QVI_GetConstantValue(&table, index);
}

void SetConstant(Shader* shader, int index, int ignored, const void* value, bool pixel, const char* member)
{
    if (!QVI_CheckShaderArgument(shader, member))
        return;
    if (!value) {
        QVI_Report(QV_LOG_WARNING, "graphics->%s: the value is null.", member);
        return;
    }
    if (!(shader->flags & kShaderLoaded))
        return;
    ShaderConstantTable& table = pixel ? shader->pixelConstants : shader->vertexConstants;
    if (!CheckIndex(table, index, member))
        return;
    // What is queued was meant to be drawn with the value it had.
    BatchRenderer::Flush();
    if (QVI_SetConstantValue(&table, index, ignored, value))
        QVI_SetShaderFlag(shader, kShaderConstantsUploaded, false);
}

}  // namespace

// ---- Tables ---------------------------------------------------------------------------

bool QVI_BuildShaderTables(Shader* shader, const ShaderTool::ShaderDescription* description)
{
    QVI_FreeShaderTables(shader);
    BuildVertexInputs(shader, description);
    if (!BuildConstantTable(shader->name, "vertex", &shader->vertexConstants, description->vertex_constants) ||
        !BuildConstantTable(shader->name, "pixel", &shader->pixelConstants, description->pixel_constants)) {
        QVI_FreeShaderTables(shader);
        return false;
    }
    BuildTextureEntries(shader, description);
    QVI_SetShaderFlag(shader, kShaderConstantsUploaded, true);
    return true;
}

void QVI_FreeShaderTables(Shader* shader)
{
    for (int i = 0; i < kShaderTextureSlots; ++i) {
        QVI_Free(shader->textures[i].name);
        memset(&shader->textures[i], 0, sizeof(shader->textures[i]));
    }
    shader->textureCount = 0;
    QVI_FreeConstantTable(&shader->vertexConstants);
    QVI_FreeConstantTable(&shader->pixelConstants);
    shader->vertexInputCount = 0;
    shader->vertexFormat = 0;
}

void QVI_FreeConstantTable(ShaderConstantTable* table)
{
    if (table->entries) {
        for (int i = 0; i < table->count; ++i)
            QVI_Free(table->entries[i].name);
    }
    free(table->entries);
    free(table->values);
    table->entries = nullptr;
    table->values = nullptr;
    table->size = 0;
    table->count = 0;
}

void* QVI_GetConstantValue(ShaderConstantTable* table, int index)
{
    if (!table || index < 0 || index >= table->count)
        return nullptr;
    return table->entries[index].value;
}

bool QVI_SetConstantValue(ShaderConstantTable* table, int index, int ignored, const void* value)
{
    (void)ignored;
    uint8_t* stored = static_cast<uint8_t*>(QVI_GetConstantValue(table, index));
    if (!stored || !value)
        return false;
    ShaderConstant& entry = table->entries[index];
    if (memcmp(stored, value, entry.size) == 0)
        return false;
    memcpy(stored, value, entry.size);
    entry.uploaded = 0;
    return true;
}

// ---- Members --------------------------------------------------------------------------

int QV_Graphics_GetShaderPixelConstantIndex(Shader* shader, const char* name)
{
    return ConstantIndex(shader, name, true, "GetShaderPixelConstantIndex");
}

int QV_Graphics_GetShaderVertexConstantIndex(Shader* shader, const char* name)
{
    return ConstantIndex(shader, name, false, "GetShaderVertexConstantIndex");
}

void* QV_Graphics_GetShaderPixelConstant(Shader* shader, int index)
{
    return ConstantValue(shader, index, true, "GetShaderPixelConstant");
}

void* QV_Graphics_GetShaderVertexConstant(Shader* shader, int index)
{
    return ConstantValue(shader, index, false, "GetShaderVertexConstant");
}

void QV_Graphics_SetShaderPixelConstant(Shader* shader, int index, int unused, const void* value)
{
    SetConstant(shader, index, unused, value, true, "SetShaderPixelConstant");
}

void QV_Graphics_SetShaderVertexConstant(Shader* shader, int index, int unused, const void* value)
{
    SetConstant(shader, index, unused, value, false, "SetShaderVertexConstant");
}

int QV_Graphics_GetShaderTextureIndex(Shader* shader, const char* name)
{
    if (!QVI_CheckShaderArgument(shader, "GetShaderTextureIndex"))
        return -1;
    if (!name) {
        QVI_Report(QV_LOG_WARNING, "graphics->GetShaderTextureIndex: the name is null.");
        return -1;
    }
    for (int i = 0; i < shader->textureCount && i < kShaderTextureSlots; ++i) {
        if (shader->textures[i].name && strcmp(shader->textures[i].name, name) == 0)
            return i;
    }
    return -1;
}
