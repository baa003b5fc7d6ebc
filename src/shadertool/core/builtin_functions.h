#pragma once

#include "core/array.h"
#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"

#include <cstdint>

// Ids of the built-in functions and type constructors, continuing the numbering of
// OperatorId. Every overload of one name carries the same id.
enum BuiltInFunctionId : uint32_t {
    kBuiltInAbs = 50,
    kBuiltInAcos = 51,
    kBuiltInAll = 52,
    kBuiltInAny = 53,
    kBuiltInAsin = 54,
    kBuiltInAtan = 55,
    kBuiltInAtan2 = 56,
    kBuiltInCeil = 57,
    kBuiltInClamp = 58,
    kBuiltInCos = 59,
    kBuiltInCross = 60,
    kBuiltInDegrees = 61,
    kBuiltInDistance = 62,
    kBuiltInDot = 63,
    kBuiltInExp = 64,
    kBuiltInExp2 = 65,
    kBuiltInFloor = 66,
    kBuiltInFrac = 67,
    kBuiltInLength = 68,
    kBuiltInLerp = 69,
    kBuiltInLog = 70,
    kBuiltInLog2 = 71,
    kBuiltInMax = 72,
    kBuiltInMin = 73,
    kBuiltInNormalize = 74,
    kBuiltInPow = 75,
    kBuiltInRadians = 76,
    kBuiltInReflect = 77,
    kBuiltInRsqrt = 78,
    kBuiltInSampleTexture = 79,
    kBuiltInSampleTextureGrad = 80,
    kBuiltInSampleTextureLod = 81,
    kBuiltInSampleTextureLodOffset = 82,
    kBuiltInSaturate = 83,
    kBuiltInSign = 84,
    kBuiltInSin = 85,
    kBuiltInSmoothstep = 86,
    kBuiltInSqrt = 87,
    kBuiltInStep = 88,
    kBuiltInTan = 89,
    kBuiltInTranspose = 90,

    kConstructorBool = 91,
    kConstructorFloat = 92,
    kConstructorFloat2 = 93,
    kConstructorFloat3 = 94,
    kConstructorFloat4 = 95,
    kConstructorFloat2x2 = 96,
    kConstructorFloat3x3 = 97,
    kConstructorFloat4x4 = 98,
    kConstructorInt = 99,
    kConstructorInt2 = 100,
    kConstructorInt3 = 101,
    kConstructorInt4 = 102,
    // A type that has no constructor.
    kNoConstructor = 103,
};

const uint32_t kFirstBuiltInFunctionId = kBuiltInAbs;
const uint32_t kLastBuiltInFunctionId = kConstructorInt4;

namespace ShaderTool {

// The built-in functions and type constructors, one Function node per overload, stored
// by value and owned here together with their parameter lists (these nodes are not in
// any parse context's node list). Built once with the translation context.
class BuiltInFunctionTable {
public:
    Array<FunctionNode> overloads;

    BuiltInFunctionTable() = default;
    ~BuiltInFunctionTable();
    BuiltInFunctionTable(const BuiltInFunctionTable&) = delete;
    BuiltInFunctionTable& operator=(const BuiltInFunctionTable&) = delete;

    // Up to four parameters; the second to fourth are left out when their base kind is
    // Void. The first is always present.
    void Add(const char* name, uint32_t id, const Type& result, const Type& first,
             const Type& second = Type(kBaseVoid, 0), const Type& third = Type(kBaseVoid, 0),
             const Type& fourth = Type(kBaseVoid, 0));
    // count parameters of the same type.
    void AddRepeated(const char* name, uint32_t id, const Type& result, const Type& parameter, int count);

    // All 223 overloads: the constructors, then the functions in alphabetical order.
    void RegisterBuiltInFunctions();

    // Frees every overload with its parameter list and symbols.
    void Release();

    int CountOverloads(const char* name) const;
    const FunctionNode* FindBySignature(const char* signatureKey) const;
};

// "name" followed by "," and the short type name of each parameter, or by one "," when
// there is none: clamp,f3,f3,f3.
String BuildSignatureKey(const char* name, const NodeChildren& parameters);

} // namespace ShaderTool
