#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/description/shader_description.h"

namespace ShaderTool {

namespace {

void AddMember(StringMap<Type>* structure, const String& name, const Type& type)
{
    if (structure && name.text)
        (*structure)[name.text] = type;
}

void SetUpVertexStage(ParseContext& context, const ShaderDescription& description)
{
    StringMap<Type>* input = context.FindStructure(kInputStructureName);
    StringMap<Type>* output = context.FindStructure(kOutputStructureName);
    for (int32_t i = 0; i < description.vertex_input.count; ++i)
        AddMember(input, description.vertex_input.data[i].name, description.vertex_input.data[i].type);
    AddMember(input, String("instance_id"), Type(kBaseInt, 1, kQualifierConst));
    for (int32_t i = 0; i < description.vertex_output.count; ++i) {
        const VertexOutput& entry = description.vertex_output.data[i];
        AddMember(output, entry.name, entry.type);
        if (entry.name.text)
            context.unsetOutputs.Add(entry.name);
    }
}

void SetUpPixelStage(ParseContext& context, const ShaderDescription& description)
{
    StringMap<Type>* input = context.FindStructure(kInputStructureName);
    StringMap<Type>* output = context.FindStructure(kOutputStructureName);
    StringMap<Type>* textures = context.FindStructure(kTextureStructureName);
    // What the vertex stage wrote reaches the pixel stage as values the shader may change
    // (the GL targets, whose varyings are read-only, write changed ones through copies).
    for (int32_t i = 0; i < description.vertex_output.count; ++i)
        AddMember(input, description.vertex_output.data[i].name, description.vertex_output.data[i].type);
    AddMember(input, String("face_direction"), Type(kBaseFloat, 1, kQualifierConst));
    AddMember(input, String("is_front_facing"), Type(kBaseBool, 1, kQualifierConst));
    for (int32_t i = 0; i < description.pixel_output.count; ++i)
        AddMember(output, description.pixel_output.data[i], Type(kBaseFloat, 4));
    for (int32_t i = 0; i < description.pixel_textures.count; ++i)
        AddMember(textures, description.pixel_textures.data[i].name, description.pixel_textures.data[i].type);
    DeclareSymbol(context, CreateStructureSymbol(context, kTextureStructureName, "texture"));
}

} // namespace

SymbolNode* CreateStructureSymbol(ParseContext& context, const char* structureName, const char* symbolName)
{
    Type type(kBaseStruct, 0, kQualifierConst);
    type.name.Assign(structureName);
    return CreateSymbolNode(context, type, symbolName, SourcePosition());
}

void SetUpInterface(ParseContext& context, const ShaderDescription& description, uint32_t stage)
{
    if (stage == kStagePixel)
        SetUpPixelStage(context, description);
    else
        SetUpVertexStage(context, description);

    const Array<ShaderConstant>& constants =
        stage == kStagePixel ? description.pixel_constants : description.vertex_constants;
    for (int32_t i = 0; i < constants.count; ++i) {
        const ShaderConstant& constant = constants.data[i];
        SymbolNode* symbol = CreateSymbolNode(context, constant.type, constant.name.text, SourcePosition());
        symbol->isDescriptionConstant = 1;
        DeclareSymbol(context, symbol);
    }
}

} // namespace ShaderTool
