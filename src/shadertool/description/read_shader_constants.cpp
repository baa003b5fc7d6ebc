// The constants of one stage ("vertex_constants", "pixel_constants"): name, element
// count, type and semantic, and the byte size the stage's constant block gives them.

#include "shadertool/description/shader_xml_reader.h"

#include "data/datamanager/database.h"
#include "shadertool/description/constant_layout.h"
#include "shadertool/description/description_entry_names.h"
#include "shadertool/description/description_type_names.h"
#include "shadertool/description/general_constant_value.h"

#include <cstdint>
#include <cstring>

namespace ShaderTool {

namespace {

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

// Decimal digits, clamped to the int32 range: any count that large is refused anyway.
int32_t ReadDecimalCount(const char* text)
{
    int64_t number = 0;
    for (const char* p = text; *p; ++p) {
        number = number * 10 + (*p - '0');
        if (number > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(number);
}

// A type that a stage constant may have: a 4-component Float or Int vector, or a matrix.
bool IsConstantType(const Type& type)
{
    if (type.baseKind != kBaseFloat && type.baseKind != kBaseInt)
        return false;
    return type.vectorSize == 4 || type.matrixSize > 0;
}

int32_t UsedBytes(const Array<ShaderConstant>& constants)
{
    int64_t used = 0;
    for (int i = 0; i < constants.count; ++i)
        used += constants.data[i].byteSize;
    return used > INT32_MAX ? INT32_MAX : static_cast<int32_t>(used);
}

const char* TextOrEmpty(const char* text)
{
    return text ? text : "";
}

} // namespace

int32_t ShaderXMLReader::ResolveCount(const char* count) const
{
    if (!count)
        return 1;
    if (!count[0])
        return 0;
    if (IsDigitsOnly(count))
        return ReadDecimalCount(count);
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

bool ShaderXMLReader::ReadShaderConstant(const char* arrayName, const DataNode* node,
                                         const Array<ShaderConstant>& added, ShaderConstant* constant)
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

    // The count is bounded by what is left of the stage's constant block, so the sizes
    // stay far from overflowing and every stage fits one constant buffer.
    int32_t elementBytes = GetConstantElementBytes(type);
    bool countValid = count >= 1;
    if (countValid && typeValid && count > GetMaxConstantCount(elementBytes, UsedBytes(added)))
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
        bool passed = ReadShaderConstant(arrayName, array->nodes.data[i], constants, &constant);
        if (passed && HasEntryNamed(constants, constant.name.text)) {
            Error("%s with name '%s' already exists.", "shader constant", constant.name.text);
            passed = false;
        }
        if (!passed)
            failed = true;
        else if (!failed)
            constants.Add(constant);
    }
    return !failed;
}

} // namespace ShaderTool
