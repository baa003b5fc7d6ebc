// The arrays that declare a shader's interface: general constants, vertex inputs, the
// constants of each stage (name, element count, type and semantic, and the byte size the
// stage's constant block gives them), vertex outputs, pixel textures and pixel outputs.

#include "shadertool/description/shader_xml_reader.h"

#include "core/engine_log.h"
#include "data/datamanager/database.h"

#include <cstdint>
#include <cstring>

namespace ShaderTool {

namespace {

const int kMaxVertexInputs = 9;
const int kMaxPixelTextures = 4;

struct VertexInputSemantic {
    const char* name;
    uint32_t element;   // VertexElement bit
    uint32_t baseKind;
    int32_t vectorSize;
};

const VertexInputSemantic kVertexInputSemantics[] = {
    {"POSITION", 1, kBaseFloat, 4},           {"COLOR", 2, kBaseFloat, 4},
    {"TEXTURE_COORDINATE_0", 4, kBaseFloat, 2}, {"NORMAL", 8, kBaseFloat, 3},
    {"TEXTURE_COORDINATE_1", 16, kBaseFloat, 2}, {"TANGENT", 32, kBaseFloat, 3},
    {"BITANGENT", 64, kBaseFloat, 3},         {"4_BONE_INDICES", 128, kBaseInt, 4},
    {"4_BONE_WEIGHTS", 256, kBaseFloat, 4},
};

// The vertex layouts the renderer can feed (VertexFormat).
const uint32_t kVertexFormats[] = {7, 15, 47, 111, 399, 495};

const VertexInputSemantic* FindVertexInputSemantic(const char* name)
{
    if (!name)
        return nullptr;
    for (const VertexInputSemantic& semantic : kVertexInputSemantics) {
        if (strcmp(semantic.name, name) == 0)
            return &semantic;
    }
    return nullptr;
}

bool IsVertexFormat(uint32_t elements)
{
    for (uint32_t format : kVertexFormats) {
        if (format == elements)
            return true;
    }
    return false;
}

uint32_t VertexOutputSemanticOf(const char* name)
{
    if (name && strcmp(name, "COLOR") == 0)
        return kOutputColor;
    if (name && strcmp(name, "POSITION") == 0)
        return kOutputPosition;
    return kOutputTextureCoordinate;
}

// The position of value in names, counted from 1; 0 when it is absent (or null).
uint32_t KeywordCode(const char* value, const char* const* names, int count)
{
    if (!value)
        return 0;
    for (int i = 0; i < count; ++i) {
        if (strcmp(value, names[i]) == 0)
            return static_cast<uint32_t>(i + 1);
    }
    return 0;
}

const char* const kAddressModes[] = {"CLAMP", "WRAP", "MIRROR"};
const char* const kFilters[] = {"POINT", "LINEAR", "ANISOTROPIC"};

const char* TextOrEmpty(const char* text)
{
    return text ? text : "";
}

const char* const kConstantSemantics[] = {"WORLD_TRANSFORM", "WORLD_VIEW_TRANSFORM", "WORLD_VIEW_PROJECTION_TRANSFORM",
                                          "VIEW_TRANSFORM", "VIEW_PROJECTION_TRANSFORM"};

bool IsDigitsOnly(const char* text)
{
    if (!text[0])
        return false;
    for (const char* p = text; *p; ++p) {
        if (*p < '0' || *p > '9')
            return false;
    }
    return true;
}

// A type that a stage constant may have: a 4-component Float or Int vector, or a matrix.
bool IsConstantType(const Type& type)
{
    if (type.baseKind != kBaseFloat && type.baseKind != kBaseInt)
        return false;
    return type.vectorSize == 4 || type.matrixSize > 0;
}

} // namespace

template <typename T>
void ShaderXMLReader::AddEntry(Array<T>& entries, T&& entry, const char* word, bool passed, bool* failed)
{
    if (passed && HasEntryNamed(entries, EntryName(entry))) {
        Error("%s with name '%s' already exists.", word, EntryName(entry));
        passed = false;
    }
    if (!passed) {
        *failed = true;
    } else if (!*failed) {
        // Moved in: the entry's strings are not made twice.
        entries.Add(T());
        entries.data[entries.count - 1] = static_cast<T&&>(entry);
    }
}

bool ShaderXMLReader::ReadGeneralConstants()
{
    const DataArray* array = database->FindArray("constants");
    if (!array)
        return true;
    bool failed = false;
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* node = array->nodes.data[i];
        bool passed = CheckName(node, "general constant");
        GeneralConstant constant;
        constant.name.Assign(node->GetParameter("id"));
        const char* value = node->GetParameter("value");
        if (!value) {
            Error("general constant does not have 'value' attribute.");
            passed = false;
        } else {
            constant.value.Assign(value);
            uint32_t kind = ClassifyGeneralConstantValue(value, errorLog, xmlPath);
            if (kind == kBaseNone) {
                Error("general constant value is invalid.");
                passed = false;
            } else {
                constant.type = Type(kind, 1);
            }
        }
        AddEntry(description.constants, static_cast<GeneralConstant&&>(constant), "general constant", passed, &failed);
    }
    return !failed;
}

bool ShaderXMLReader::ReadVertexInputs()
{
    const DataArray* array = database->FindArray("vertex_input");
    if (!array)
        return true;
    bool failed = false;
    if (array->nodes.count > kMaxVertexInputs) {
        Error("too many vertex input variables, the maximum is %i.", kMaxVertexInputs);
        failed = true;
    }
    uint32_t elements = 0;
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* node = array->nodes.data[i];
        bool passed = CheckName(node, "vertex input variable");
        const char* id = node->GetParameter("id");
        const VertexInputSemantic* semantic = FindVertexInputSemantic(node->GetParameter("semantic"));
        VertexInput input;
        input.name.Assign(id);
        if (!semantic) {
            Error("vertex input variable '%s' has invalid semantic.", TextOrEmpty(id));
            passed = false;
        } else {
            input.element = semantic->element;
            input.type = Type(semantic->baseKind, semantic->vectorSize, kQualifierConst);
            elements |= semantic->element;
        }
        AddEntry(description.vertex_input, static_cast<VertexInput&&>(input), "vertex input", passed, &failed);
    }
    if (!IsVertexFormat(elements)) {
        Error("vertex input format is invalid.");
        failed = true;
    }
    return !failed;
}

int32_t ShaderXMLReader::ResolveCount(const char* count) const
{
    if (!count)
        return 1;
    if (!count[0])
        return 0;
    if (IsDigitsOnly(count))
        return ReadClampedDigits(count, 10);
    // A name: the Int general constant of that name, read earlier.
    for (int i = 0; i < description.constants.count; ++i) {
        const GeneralConstant& constant = description.constants.data[i];
        if (!constant.name.text || strcmp(constant.name.text, count) != 0)
            continue;
        if (constant.type.baseKind != kBaseInt)
            return 0;
        int32_t value = 0;
        GetGeneralConstantInteger(constant, &value);
        return value;
    }
    return 0;
}

bool ShaderXMLReader::ReadShaderConstant(const char* arrayName, const DataNode* node, ShaderConstant* constant)
{
    bool passed = true;
    const char* id = node->GetParameter("id");
    if (!id) {
        Error("constant variable (%s) does not have 'id' attribute.", arrayName);
        passed = false;
    } else if (id[0] == '_') {
        Error("constant variable (%s) id starts with an underscore.", arrayName);
        passed = false;
    }
    constant->name.Assign(id);

    int32_t count = ResolveCount(node->GetParameter("count"));
    Type type = TypeFromDescriptionName(node->GetParameter("type"), kQualifierConst, count == 1 ? 0 : count);
    bool typeValid = IsConstantType(type);

    // Whether the stage's constants fit one constant buffer is the shader loader's to
    // judge; here the byte size only has to be an int, so that no later sum or offset
    // wraps.
    int32_t elementBytes = GetConstantElementBytes(type);
    bool countValid = count >= 1;
    if (countValid && typeValid && static_cast<int64_t>(count) * elementBytes > INT32_MAX)
        countValid = false;
    if (!countValid) {
        Error("constant variable (%s) '%s' has invalid count.", arrayName, TextOrEmpty(id));
        passed = false;
    }
    if (!typeValid) {
        Error("constant variable (%s) '%s' has invalid type.", arrayName, TextOrEmpty(id));
        passed = false;
    }

    const char* semantic = node->GetParameter("semantic");
    if (semantic) {
        constant->semantic = 0;
        for (int i = 0; i < 5; ++i) {
            if (strcmp(semantic, kConstantSemantics[i]) == 0)
                constant->semantic = static_cast<uint32_t>(kConstantWorldTransform + i);
        }
        if (constant->semantic == 0) {
            Error("constant variable (%s) '%s' has invalid semantic.", arrayName, TextOrEmpty(id));
            passed = false;
        }
    }

    if (passed) {
        constant->type = type;
        constant->byteSize = elementBytes * (type.arraySize > 0 ? type.arraySize : 1);
    }
    return passed;
}

bool ShaderXMLReader::ReadShaderConstants(const char* arrayName, Array<ShaderConstant>& constants)
{
    const DataArray* array = database->FindArray(arrayName);
    if (!array)
        return true;
    bool failed = false;
    for (int i = 0; i < array->nodes.count; ++i) {
        ShaderConstant constant;
        bool passed = ReadShaderConstant(arrayName, array->nodes.data[i], &constant);
        AddEntry(constants, static_cast<ShaderConstant&&>(constant), "shader constant", passed, &failed);
    }
    return !failed;
}

bool ShaderXMLReader::ReadVertexOutputs()
{
    const DataArray* array = database->FindArray("vertex_output");
    if (!array)
        return true;
    bool failed = false;
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* node = array->nodes.data[i];
        bool passed = CheckName(node, "vertex output variable");
        const char* id = node->GetParameter("id");
        VertexOutput output;
        output.name.Assign(id);
        output.type = TypeFromDescriptionName(node->GetParameter("type"), 0, 0);
        if (!output.type.IsValid()) {
            Error("vertex output variable '%s' has invalid type.", TextOrEmpty(id));
            passed = false;
        }
        output.semantic = VertexOutputSemanticOf(node->GetParameter("semantic"));
        int sameSemantic = 0;
        for (int j = 0; j < description.vertex_output.count; ++j) {
            if (description.vertex_output.data[j].semantic == output.semantic)
                ++sameSemantic;
        }
        if (output.semantic == kOutputPosition && sameSemantic > 0) {
            Error("multiple vertex output variables with semantic 'POSITION' exist.");
            passed = false;
        }
        output.semanticIndex = sameSemantic;
        AddEntry(description.vertex_output, static_cast<VertexOutput&&>(output), "vertex output", passed, &failed);
    }
    return !failed;
}

bool ShaderXMLReader::ReadPixelTexture(const DataNode* node, PixelTexture* texture)
{
    bool passed = CheckName(node, "pixel texture variable");
    const char* id = node->GetParameter("id");
    texture->name.Assign(id);

    const char* type = node->GetParameter("type");
    const char* const dimensions[] = {"2D", "3D", "CUBE"};
    uint32_t dimension = KeywordCode(type, dimensions, 3);
    if (dimension == 0) {
        Error("pixel texture variable '%s' has invalid type.", TextOrEmpty(id));
        passed = false;
    } else {
        texture->type = Type::MakeTexture(dimension - 1);
    }

    // Read in this order; the first value not in its list ends the reading of them.
    struct Setting {
        const char* attribute;
        const char* const* names;
        uint32_t* code;
        const char* message;
    };
    const char* const addressMessage = "pixel texture variable '%s' has invalid address mode.";
    const char* const filterMessage = "pixel texture variable '%s' has invalid filter mode.";
    const Setting settings[] = {
        {"address_u", kAddressModes, &texture->addressU, addressMessage},
        {"address_v", kAddressModes, &texture->addressV, addressMessage},
        {"address_w", kAddressModes, &texture->addressW, addressMessage},
        {"filter_mag", kFilters, &texture->filterMag, filterMessage},
        {"filter_min", kFilters, &texture->filterMin, filterMessage},
        {"filter_mip", kFilters, &texture->filterMip, filterMessage},
    };
    for (const Setting& setting : settings) {
        const char* value = node->GetParameter(setting.attribute);
        if (!value)
            continue;
        *setting.code = KeywordCode(value, setting.names, 3);
        if (*setting.code == 0) {
            Error(setting.message, TextOrEmpty(id));
            passed = false;
            break;
        }
    }

    const char* source = node->GetParameter("source");
    if (source) {
        Bitmap* bitmap = nullptr;
        if (qv && qv->graphics && qv->graphics->GetBitmap)
            bitmap = qv->graphics->GetBitmap(source);
        if (!bitmap) {
            Error("pixel texture variable '%s' has invalid source.", TextOrEmpty(id));
            passed = false;
        }
        texture->defaultBitmap = bitmap;
    }
    return passed;
}

bool ShaderXMLReader::ReadPixelTextures()
{
    const DataArray* array = database->FindArray("pixel_textures");
    if (!array)
        return true;
    bool failed = false;
    if (array->nodes.count > kMaxPixelTextures) {
        Error("too many pixel texture variables, the maximum is %i.", kMaxPixelTextures);
        failed = true;
    }
    for (int i = 0; i < array->nodes.count; ++i) {
        const DataNode* node = array->nodes.data[i];
        PixelTexture texture;
        bool passed = ReadPixelTexture(node, &texture);
        AddEntry(description.pixel_textures, static_cast<PixelTexture&&>(texture), "pixel texture", passed, &failed);
    }
    return !failed;
}

bool ShaderXMLReader::ReadPixelOutputs()
{
    const DataArray* array = database->FindArray("pixel_output");
    bool failed = false;
    for (int i = 0; array && i < array->nodes.count; ++i) {
        const DataNode* node = array->nodes.data[i];
        bool passed = CheckName(node, "pixel output variable");
        const char* id = node->GetParameter("id");
        AddEntry(description.pixel_output, String(id), "pixel output", passed, &failed);
    }
    if (description.pixel_output.count == 0) {
        Error("at least one pixel output variable must be declared.");
        failed = true;
    }
    return !failed;
}

} // namespace ShaderTool
