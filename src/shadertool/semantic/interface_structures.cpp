#include "shadertool/semantic/semantic_internal.h"

#include "shadertool/description/shader_description.h"

#include <cstring>

namespace ShaderTool {

namespace {

// Fills one structure member by member. Units of one shader, and the shaders a game loads
// one after the other, mostly set up the same members again: the members already there
// are kept while they match, and only from the first that differs is the structure made
// anew. The outcome is that of emptying it and adding each member by name.
class MemberWriter {
public:
    explicit MemberWriter(StringMap<Type>* structure) : structure_(structure) {}
    ~MemberWriter() { KeepOnly(next_); }
    MemberWriter(const MemberWriter&) = delete;
    MemberWriter& operator=(const MemberWriter&) = delete;

    void Add(const String& name, const Type& type) { Add(name.text, type); }
    void Add(const char* name, const Type& type)
    {
        if (!structure_ || !name)
            return;
        Array<StringMapEntry<Type>*>& entries = structure_->entries;
        // A name given twice takes the later type, as a map assignment does.
        for (int32_t i = 0; i < next_; ++i) {
            if (entries.data[i]->key.text && strcmp(entries.data[i]->key.text, name) == 0) {
                entries.data[i]->value = type;
                return;
            }
        }
        if (next_ < entries.count && entries.data[next_]->key.text &&
            strcmp(entries.data[next_]->key.text, name) == 0 && SameTypeExactly(entries.data[next_]->value, type)) {
            ++next_;
            return;
        }
        KeepOnly(next_);
        (*structure_)[name] = type;
        ++next_;
    }

private:
    void KeepOnly(int32_t count)
    {
        if (!structure_)
            return;
        Array<StringMapEntry<Type>*>& entries = structure_->entries;
        for (int32_t i = count; i < entries.count; ++i)
            delete entries.data[i];
        if (entries.count > count)
            entries.count = count;
    }

    StringMap<Type>* structure_;
    int32_t next_ = 0;
};

// The three interface structures, each filled anew (a stage leaves the ones it has no
// members for empty).
struct InterfaceWriters {
    MemberWriter input;
    MemberWriter output;
    MemberWriter textures;

    explicit InterfaceWriters(ParseContext& context)
        : input(context.FindStructure(kInputStructureName)), output(context.FindStructure(kOutputStructureName)),
          textures(context.FindStructure(kTextureStructureName))
    {
    }
};

void SetUpVertexStage(ParseContext& context, const ShaderDescription& description)
{
    InterfaceWriters writers(context);
    MemberWriter& input = writers.input;
    MemberWriter& output = writers.output;
    for (int32_t i = 0; i < description.vertex_input.count; ++i)
        input.Add(description.vertex_input.data[i].name, description.vertex_input.data[i].type);
    input.Add("instance_id", Type(kBaseInt, 1, kQualifierConst));
    for (int32_t i = 0; i < description.vertex_output.count; ++i) {
        const VertexOutput& entry = description.vertex_output.data[i];
        output.Add(entry.name, entry.type);
        if (entry.name.text)
            context.unsetOutputs.Add(entry.name);
    }
}

void SetUpPixelStage(ParseContext& context, const ShaderDescription& description)
{
    InterfaceWriters writers(context);
    MemberWriter& input = writers.input;
    MemberWriter& output = writers.output;
    MemberWriter& textures = writers.textures;
    // What the vertex stage wrote reaches the pixel stage as values the shader may change
    // (the GL targets, whose varyings are read-only, write changed ones through copies).
    for (int32_t i = 0; i < description.vertex_output.count; ++i)
        input.Add(description.vertex_output.data[i].name, description.vertex_output.data[i].type);
    input.Add("face_direction", Type(kBaseFloat, 1, kQualifierConst));
    input.Add("is_front_facing", Type(kBaseBool, 1, kQualifierConst));
    for (int32_t i = 0; i < description.pixel_output.count; ++i)
        output.Add(description.pixel_output.data[i], Type(kBaseFloat, 4));
    for (int32_t i = 0; i < description.pixel_textures.count; ++i)
        textures.Add(description.pixel_textures.data[i].name, description.pixel_textures.data[i].type);
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
    context.BringInterfaceMembers(stage);
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
