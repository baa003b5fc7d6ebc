#pragma once

#include "core/engine_string.h"

#include <cstddef>
#include <cstdint>

namespace ShaderTool {

enum BaseKind : uint32_t {
    kBaseBool = 0,
    kBaseFloat = 1,
    kBaseInt = 2,
    kBaseStruct = 3,
    kBaseTexture = 4,
    kBaseVoid = 5,
    kBaseNone = 6,
};

enum TextureDimension : uint32_t {
    kTexture2D = 0,
    kTexture3D = 1,
    kTextureCube = 2,
    kTextureNone = 3,
};

// Only the const bit is ever tested.
const uint32_t kQualifierConst = 1;

// The shader language's type descriptor, a value type. vectorSize 0 or 1 is a scalar;
// matrices are square and always Float; name is set only for structures.
struct Type {
    String name;                  // null when empty
    int32_t arraySize = 0;        // 0 = not an array
    uint32_t baseKind = kBaseNone;
    int32_t vectorSize = 0;
    int32_t matrixSize = 0;       // N of an N by N matrix, 0 = not a matrix
    uint32_t qualifiers = 0;
    uint32_t textureDimension = kTextureNone;
    uint8_t isConstant = 0;       // a constant expression's value

    // The None type.
    Type() = default;
    // Copies duplicate the name. Only structures have one, and the checks and the writers
    // copy types all the time, so a copy without names on either side touches no string.
    Type(const Type& other)
        : arraySize(other.arraySize), baseKind(other.baseKind), vectorSize(other.vectorSize),
          matrixSize(other.matrixSize), qualifiers(other.qualifiers), textureDimension(other.textureDimension),
          isConstant(other.isConstant)
    {
        if (other.name.text)
            name.Assign(other.name.text);
    }
    Type& operator=(const Type& other)
    {
        if (name.text || other.name.text)
            name = other.name;
        arraySize = other.arraySize;
        baseKind = other.baseKind;
        vectorSize = other.vectorSize;
        matrixSize = other.matrixSize;
        qualifiers = other.qualifiers;
        textureDimension = other.textureDimension;
        isConstant = other.isConstant;
        return *this;
    }
    Type(Type&& other) noexcept = default;
    Type& operator=(Type&& other) noexcept = default;
    Type(uint32_t kind, int32_t vectors, uint32_t qualifierBits = 0, int32_t arrayElements = 0);
    // A Float matrix.
    static Type MakeMatrix(int32_t size, uint32_t qualifierBits = 0, int32_t arrayElements = 0);
    static Type MakeTexture(uint32_t dimension);
    // "No operand": Void with vectorSize 1, the right side of a unary operator.
    static Type MakeNoOperand();

    bool IsValid() const;
    // Same vectorSize, matrixSize, textureDimension, baseKind and name; arrays, qualifiers
    // and constness do not count.
    bool IsSameType(const Type& other) const;
    bool HasName() const { return name.text && name.text[0] != '\0'; }
    bool IsConst() const { return (qualifiers & kQualifierConst) != 0; }

    // "float4", "float3x3", "Texture2D" ... or the short forms "f4", "f3x3", "t2" used in
    // signature keys. Never includes the array size. Always an allocated text.
    String GetName(bool shortForm) const;
    // The same name written into out (capacity bytes, terminator included) as snprintf
    // writes: answers the name's length, which may exceed what fitted.
    int WriteName(bool shortForm, char* out, size_t capacity) const;
    // The long name as a constant text for the types that have one ("float4", "int",
    // "float3x3", "void", "Texture2D"); null for a structure or an unusual size.
    const char* GetConstantName() const;
};

// The graphics side keeps copies of these in its shader records.
static_assert(sizeof(void*) != 4 || sizeof(Type) == 32, "Type layout");
static_assert(offsetof(Type, arraySize) == sizeof(void*), "Type layout");
static_assert(offsetof(Type, baseKind) == sizeof(void*) + 4, "Type layout");
static_assert(offsetof(Type, textureDimension) == sizeof(void*) + 20, "Type layout");
static_assert(offsetof(Type, isConstant) == sizeof(void*) + 24, "Type layout");

// True when both names are empty (null or "") or both are the same text.
bool SameTypeName(const Type& a, const Type& b);

} // namespace ShaderTool
