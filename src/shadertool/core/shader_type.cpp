#include "shadertool/core/shader_type.h"

#include <cstdio>
#include <cstring>

namespace ShaderTool {

Type::Type(uint32_t kind, int32_t vectors, uint32_t qualifierBits, int32_t arrayElements)
    : arraySize(arrayElements), baseKind(kind), vectorSize(vectors), qualifiers(qualifierBits)
{
}

Type Type::MakeMatrix(int32_t size, uint32_t qualifierBits, int32_t arrayElements)
{
    Type type(kBaseFloat, 0, qualifierBits, arrayElements);
    type.matrixSize = size;
    return type;
}

Type Type::MakeTexture(uint32_t dimension)
{
    Type type;
    type.baseKind = kBaseTexture;
    type.textureDimension = dimension;
    return type;
}

Type Type::MakeNoOperand()
{
    return Type(kBaseVoid, 1);
}

bool Type::IsValid() const
{
    bool numeric = baseKind == kBaseBool || baseKind == kBaseFloat || baseKind == kBaseInt;
    if (baseKind == kBaseNone)
        return false;
    if (arraySize != 0 && !numeric)
        return false;
    if (vectorSize > 0 && !numeric && baseKind != kBaseVoid)
        return false;
    if (baseKind == kBaseVoid && vectorSize >= 2)
        return false;
    if (matrixSize >= 1 && baseKind != kBaseFloat)
        return false;
    if (textureDimension != kTextureNone && baseKind != kBaseTexture)
        return false;
    if (HasName() && baseKind != kBaseStruct)
        return false;
    return true;
}

bool SameTypeName(const Type& a, const Type& b)
{
    if (!a.HasName() || !b.HasName())
        return !a.HasName() && !b.HasName();
    return strcmp(a.name.text, b.name.text) == 0;
}

bool Type::IsSameType(const Type& other) const
{
    return vectorSize == other.vectorSize && matrixSize == other.matrixSize &&
           textureDimension == other.textureDimension && baseKind == other.baseKind && SameTypeName(*this, other);
}

const char* Type::GetConstantName() const
{
    // Rows by base kind (bool, float, int), columns by size 1 to 4.
    static const char* const kVectors[3][4] = {
        {"bool", "bool2", "bool3", "bool4"},
        {"float", "float2", "float3", "float4"},
        {"int", "int2", "int3", "int4"},
    };
    static const char* const kMatrices[3][4] = {
        {"bool1x1", "bool2x2", "bool3x3", "bool4x4"},
        {"float1x1", "float2x2", "float3x3", "float4x4"},
        {"int1x1", "int2x2", "int3x3", "int4x4"},
    };
    switch (baseKind) {
    case kBaseBool:
    case kBaseFloat:
    case kBaseInt:
        if (matrixSize >= 1 && matrixSize <= 4 && vectorSize <= 1)
            return kMatrices[baseKind][matrixSize - 1];
        if (matrixSize < 1 && vectorSize <= 4)
            return kVectors[baseKind][vectorSize > 1 ? vectorSize - 1 : 0];
        return nullptr;
    case kBaseVoid:
        return vectorSize <= 1 && matrixSize < 1 ? "void" : nullptr;
    case kBaseTexture:
        if (vectorSize > 1 || matrixSize >= 1)
            return nullptr;
        return textureDimension == kTexture2D   ? "Texture2D"
               : textureDimension == kTexture3D ? "Texture3D"
               : textureDimension == kTextureCube ? "TextureCube"
                                                  : "";
    default:
        return nullptr;
    }
}

String Type::GetName(bool shortForm) const
{
    char buffer[160];
    const int length = WriteName(shortForm, buffer, sizeof(buffer));
    if (length >= 0 && static_cast<size_t>(length) < sizeof(buffer))
        return String(buffer);
    // Only a structure with a very long name gets here.
    String base(name.text ? name.text : "");
    return base;
}

int Type::WriteName(bool shortForm, char* out, size_t capacity) const
{
    const char* base = "";
    switch (baseKind) {
    case kBaseBool:
        base = shortForm ? "b" : "bool";
        break;
    case kBaseFloat:
        base = shortForm ? "f" : "float";
        break;
    case kBaseInt:
        base = shortForm ? "i" : "int";
        break;
    case kBaseStruct:
        base = name.text ? name.text : "";
        break;
    case kBaseTexture:
        if (textureDimension == kTexture2D)
            base = shortForm ? "t2" : "Texture2D";
        else if (textureDimension == kTexture3D)
            base = shortForm ? "t3" : "Texture3D";
        else if (textureDimension == kTextureCube)
            base = shortForm ? "tC" : "TextureCube";
        break;
    case kBaseVoid:
        base = "void";
        break;
    default:
        break;
    }

    if (vectorSize > 1)
        return snprintf(out, capacity, "%s%i", base, static_cast<int>(vectorSize));
    if (matrixSize >= 1)
        return snprintf(out, capacity, "%s%ix%i", base, static_cast<int>(matrixSize), static_cast<int>(matrixSize));
    return snprintf(out, capacity, "%s", base);
}

} // namespace ShaderTool
