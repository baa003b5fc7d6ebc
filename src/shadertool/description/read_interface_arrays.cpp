// The arrays that declare a shader's interface, other than its constants: general
// constants, vertex inputs and outputs, pixel textures and pixel outputs.

#include "shadertool/description/shader_xml_reader.h"

#include "core/engine_log.h"
#include "data/datamanager/database.h"
#include "shadertool/description/description_entry_names.h"
#include "shadertool/description/description_type_names.h"
#include "shadertool/description/general_constant_value.h"

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

} // namespace

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
            uint32_t kind = ClassifyGeneralConstantValue(value);
            if (kind == kBaseNone) {
                Error("general constant value is invalid.");
                passed = false;
            } else {
                constant.type = Type(kind, 1);
            }
        }
        if (passed && HasEntryNamed(description.constants, constant.name.text)) {
            Error("%s with name '%s' already exists.", "general constant", constant.name.text);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            description.constants.Add(constant);
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
        if (passed && HasEntryNamed(description.vertex_input, id)) {
            Error("%s with name '%s' already exists.", "vertex input", id);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            description.vertex_input.Add(input);
    }
    if (!IsVertexFormat(elements)) {
        Error("vertex input format is invalid.");
        failed = true;
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
        if (passed && HasEntryNamed(description.vertex_output, id)) {
            Error("%s with name '%s' already exists.", "vertex output", id);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            description.vertex_output.Add(output);
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
        if (passed && HasEntryNamed(description.pixel_textures, texture.name.text)) {
            Error("%s with name '%s' already exists.", "pixel texture", texture.name.text);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            description.pixel_textures.Add(texture);
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
        if (passed && HasEntryNamed(description.pixel_output, id)) {
            Error("%s with name '%s' already exists.", "pixel output", id);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            description.pixel_output.Add(String(id));
    }
    if (description.pixel_output.count == 0) {
        Error("at least one pixel output variable must be declared.");
        failed = true;
    }
    return !failed;
}

} // namespace ShaderTool
