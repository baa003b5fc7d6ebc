#include "shadertool/description/description_type_names.h"

#include <cstring>

namespace ShaderTool {

namespace {

struct NamedType {
    const char* name;
    uint32_t baseKind;
    int32_t vectorSize;
    int32_t matrixSize;
};

const NamedType kDescriptionTypes[] = {
    {"BOOL", kBaseBool, 1, 0},      {"FLOAT", kBaseFloat, 1, 0},    {"FLOAT2", kBaseFloat, 2, 0},
    {"FLOAT3", kBaseFloat, 3, 0},   {"FLOAT4", kBaseFloat, 4, 0},   {"FLOAT2X2", kBaseFloat, 0, 2},
    {"FLOAT3X3", kBaseFloat, 0, 3}, {"FLOAT4X4", kBaseFloat, 0, 4}, {"INT", kBaseInt, 1, 0},
    {"INT2", kBaseInt, 2, 0},       {"INT3", kBaseInt, 3, 0},       {"INT4", kBaseInt, 4, 0},
};

} // namespace

Type TypeFromDescriptionName(const char* name, uint32_t qualifiers, int32_t arraySize)
{
    if (!name)
        return Type();
    for (const NamedType& entry : kDescriptionTypes) {
        if (strcmp(entry.name, name) != 0)
            continue;
        if (entry.matrixSize > 0)
            return Type::MakeMatrix(entry.matrixSize, qualifiers, arraySize);
        return Type(entry.baseKind, entry.vectorSize, qualifiers, arraySize);
    }
    return Type();
}

} // namespace ShaderTool
