#include "shadertool/core/builtin_functions.h"

#include <cstring>
#include <string>

namespace ShaderTool {

namespace {

const int kBuiltInOverloadCount = 223;
const int kMaxRepeatedParameters = 16;

Type Bool()
{
    return Type(kBaseBool, 1);
}

Type Int(int size = 1)
{
    return Type(kBaseInt, size);
}

Type Float(int size = 1)
{
    return Type(kBaseFloat, size);
}

Type Matrix(int size)
{
    return Type::MakeMatrix(size);
}

Type Texture(uint32_t dimension)
{
    return Type::MakeTexture(dimension);
}

// One overload per genType (float, float2, float3, float4) with the same genType in
// every position; the result is genType, or float for the measuring functions.
enum GenResult { kGenTypeResult, kFloatResult };

void AddGenType(BuiltInFunctionTable& table, const char* name, uint32_t id, int parameterCount,
                GenResult resultKind = kGenTypeResult)
{
    for (int size = 1; size <= 4; ++size) {
        Type gen = Float(size);
        Type result = resultKind == kFloatResult ? Float() : gen;
        table.AddRepeated(name, id, result, gen, parameterCount);
    }
}

void RegisterConstructors(BuiltInFunctionTable& t)
{
    t.Add("bool", kConstructorBool, Bool(), Bool());
    t.Add("bool", kConstructorBool, Bool(), Int());
    t.Add("bool", kConstructorBool, Bool(), Float());

    t.Add("float", kConstructorFloat, Float(), Bool());
    t.Add("float", kConstructorFloat, Float(), Int());
    t.Add("float", kConstructorFloat, Float(), Float());

    // intN and floatN are built from the same shapes.
    for (int pass = 0; pass < 2; ++pass) {
        uint32_t base = pass == 0 ? kBaseFloat : kBaseInt;
        auto V = [base](int size) { return Type(base, size); };
        const char* names[3] = {pass == 0 ? "float2" : "int2", pass == 0 ? "float3" : "int3",
                                pass == 0 ? "float4" : "int4"};
        uint32_t ids[3] = {pass == 0 ? kConstructorFloat2 : kConstructorInt2,
                           pass == 0 ? kConstructorFloat3 : kConstructorInt3,
                           pass == 0 ? kConstructorFloat4 : kConstructorInt4};

        if (pass == 1) {
            t.Add("int", kConstructorInt, Int(), Bool());
            t.Add("int", kConstructorInt, Int(), Int());
            t.Add("int", kConstructorInt, Int(), Float());
        }

        t.Add(names[0], ids[0], V(2), V(1));
        t.Add(names[0], ids[0], V(2), V(1), V(1));
        t.Add(names[0], ids[0], V(2), V(2));
        t.Add(names[0], ids[0], V(2), V(3));
        t.Add(names[0], ids[0], V(2), V(4));

        t.Add(names[1], ids[1], V(3), V(1));
        t.Add(names[1], ids[1], V(3), V(1), V(1), V(1));
        t.Add(names[1], ids[1], V(3), V(1), V(2));
        t.Add(names[1], ids[1], V(3), V(2), V(1));
        t.Add(names[1], ids[1], V(3), V(3));
        t.Add(names[1], ids[1], V(3), V(4));

        t.Add(names[2], ids[2], V(4), V(1));
        t.AddRepeated(names[2], ids[2], V(4), V(1), 4);
        t.Add(names[2], ids[2], V(4), V(1), V(1), V(2));
        t.Add(names[2], ids[2], V(4), V(1), V(2), V(1));
        t.Add(names[2], ids[2], V(4), V(1), V(3));
        t.Add(names[2], ids[2], V(4), V(2), V(1), V(1));
        t.Add(names[2], ids[2], V(4), V(2), V(2));
        t.Add(names[2], ids[2], V(4), V(3), V(1));
        t.Add(names[2], ids[2], V(4), V(4));

        if (pass == 0) {
            // The matrices stand between float4 and int in the table.
            t.AddRepeated("float2x2", kConstructorFloat2x2, Matrix(2), Float(), 4);
            t.Add("float2x2", kConstructorFloat2x2, Matrix(2), Float(2), Float(2));
            t.Add("float2x2", kConstructorFloat2x2, Matrix(2), Matrix(2));
            t.Add("float2x2", kConstructorFloat2x2, Matrix(2), Matrix(3));
            t.Add("float2x2", kConstructorFloat2x2, Matrix(2), Matrix(4));

            t.AddRepeated("float3x3", kConstructorFloat3x3, Matrix(3), Float(), 9);
            t.AddRepeated("float3x3", kConstructorFloat3x3, Matrix(3), Float(3), 3);
            t.Add("float3x3", kConstructorFloat3x3, Matrix(3), Matrix(3));
            t.Add("float3x3", kConstructorFloat3x3, Matrix(3), Matrix(4));

            t.AddRepeated("float4x4", kConstructorFloat4x4, Matrix(4), Float(), 16);
            t.AddRepeated("float4x4", kConstructorFloat4x4, Matrix(4), Float(4), 4);
            t.Add("float4x4", kConstructorFloat4x4, Matrix(4), Matrix(4));
        }
    }
}

void RegisterFunctions(BuiltInFunctionTable& t)
{
    AddGenType(t, "abs", kBuiltInAbs, 1);
    AddGenType(t, "acos", kBuiltInAcos, 1);
    const Type vectors[6] = {Int(2), Int(3), Int(4), Float(2), Float(3), Float(4)};
    for (const Type& vector : vectors)
        t.Add("all", kBuiltInAll, Bool(), vector);
    for (const Type& vector : vectors)
        t.Add("any", kBuiltInAny, Bool(), vector);
    AddGenType(t, "asin", kBuiltInAsin, 1);
    AddGenType(t, "atan", kBuiltInAtan, 1);
    AddGenType(t, "atan2", kBuiltInAtan2, 2);
    AddGenType(t, "ceil", kBuiltInCeil, 1);
    AddGenType(t, "clamp", kBuiltInClamp, 3);
    AddGenType(t, "cos", kBuiltInCos, 1);
    t.Add("cross", kBuiltInCross, Float(3), Float(3), Float(3));
    AddGenType(t, "degrees", kBuiltInDegrees, 1);
    AddGenType(t, "distance", kBuiltInDistance, 2, kFloatResult);
    AddGenType(t, "dot", kBuiltInDot, 2, kFloatResult);
    AddGenType(t, "exp", kBuiltInExp, 1);
    AddGenType(t, "exp2", kBuiltInExp2, 1);
    AddGenType(t, "floor", kBuiltInFloor, 1);
    AddGenType(t, "frac", kBuiltInFrac, 1);
    AddGenType(t, "length", kBuiltInLength, 1, kFloatResult);
    t.Add("lerp", kBuiltInLerp, Float(), Float(), Float(), Float());
    for (int size = 2; size <= 4; ++size) {
        t.Add("lerp", kBuiltInLerp, Float(size), Float(size), Float(size), Float());
        t.Add("lerp", kBuiltInLerp, Float(size), Float(size), Float(size), Float(size));
    }
    AddGenType(t, "log", kBuiltInLog, 1);
    AddGenType(t, "log2", kBuiltInLog2, 1);
    AddGenType(t, "max", kBuiltInMax, 2);
    AddGenType(t, "min", kBuiltInMin, 2);
    AddGenType(t, "normalize", kBuiltInNormalize, 1);
    AddGenType(t, "pow", kBuiltInPow, 2);
    AddGenType(t, "radians", kBuiltInRadians, 1);
    AddGenType(t, "reflect", kBuiltInReflect, 2);
    AddGenType(t, "rsqrt", kBuiltInRsqrt, 1);

    t.Add("sampleTexture", kBuiltInSampleTexture, Float(4), Texture(kTexture2D), Float(2));
    t.Add("sampleTexture", kBuiltInSampleTexture, Float(4), Texture(kTexture3D), Float(3));
    t.Add("sampleTexture", kBuiltInSampleTexture, Float(4), Texture(kTextureCube), Float(3));
    t.Add("sampleTextureGrad", kBuiltInSampleTextureGrad, Float(4), Texture(kTexture2D), Float(2), Float(2),
          Float(2));
    t.Add("sampleTextureGrad", kBuiltInSampleTextureGrad, Float(4), Texture(kTexture3D), Float(3), Float(3),
          Float(3));
    t.Add("sampleTextureGrad", kBuiltInSampleTextureGrad, Float(4), Texture(kTextureCube), Float(3), Float(3),
          Float(3));
    t.Add("sampleTextureLod", kBuiltInSampleTextureLod, Float(4), Texture(kTexture2D), Float(2), Float());
    t.Add("sampleTextureLod", kBuiltInSampleTextureLod, Float(4), Texture(kTexture3D), Float(3), Float());
    t.Add("sampleTextureLod", kBuiltInSampleTextureLod, Float(4), Texture(kTextureCube), Float(3), Float());
    t.Add("sampleTextureLodOffset", kBuiltInSampleTextureLodOffset, Float(4), Texture(kTexture2D), Float(2),
          Float(), Int(2));
    t.Add("sampleTextureLodOffset", kBuiltInSampleTextureLodOffset, Float(4), Texture(kTexture3D), Float(3),
          Float(), Int(3));

    AddGenType(t, "saturate", kBuiltInSaturate, 1);
    AddGenType(t, "sign", kBuiltInSign, 1);
    AddGenType(t, "sin", kBuiltInSin, 1);
    AddGenType(t, "smoothstep", kBuiltInSmoothstep, 3);
    AddGenType(t, "sqrt", kBuiltInSqrt, 1);
    AddGenType(t, "step", kBuiltInStep, 2);
    AddGenType(t, "tan", kBuiltInTan, 1);
    for (int size = 2; size <= 4; ++size)
        t.Add("transpose", kBuiltInTranspose, Matrix(size), Matrix(size));
}

// A parameter of the table: a Symbol with the type and an empty name.
Node* MakeParameter(const Type& type)
{
    SymbolNode* symbol = new SymbolNode();
    symbol->type = type;
    return symbol;
}

void AppendOverload(Array<FunctionNode>& overloads, const char* name, uint32_t id, const Type& result,
                    ListNode* parameters)
{
    FunctionNode function;
    function.op = id;
    function.type = result;
    function.children.Add(parameters);
    function.name.Assign(name);
    function.signatureKey = BuildSignatureKey(name, parameters->children);
    function.isBuiltIn = 1;
    function.isDefined = 1;
    overloads.Add(function);
}

} // namespace

String BuildSignatureKey(const char* name, const NodeChildren& parameters)
{
    std::string key;
    key.reserve(64);
    if (name)
        key += name;
    if (parameters.count == 0)
        key += ',';
    for (int32_t i = 0; i < parameters.count; ++i) {
        key += ',';
        if (const Type* type = GetNodeType(parameters.data[i])) {
            const String typeName = type->GetName(true);
            if (typeName.text)
                key += typeName.text;
        }
    }
    return String(key.c_str());
}

BuiltInFunctionTable::~BuiltInFunctionTable()
{
    Release();
}

void BuiltInFunctionTable::Add(const char* name, uint32_t id, const Type& result, const Type& first,
                               const Type& second, const Type& third, const Type& fourth)
{
    ListNode* parameters = new ListNode();
    parameters->op = kOpStatementList;
    parameters->children.Add(MakeParameter(first));
    const Type* extras[3] = {&second, &third, &fourth};
    for (const Type* extra : extras) {
        if (extra->baseKind != kBaseVoid)
            parameters->children.Add(MakeParameter(*extra));
    }
    AppendOverload(overloads, name, id, result, parameters);
}

void BuiltInFunctionTable::AddRepeated(const char* name, uint32_t id, const Type& result, const Type& parameter,
                                       int count)
{
    if (count < 0)
        count = 0;
    if (count > kMaxRepeatedParameters)
        count = kMaxRepeatedParameters;
    ListNode* parameters = new ListNode();
    parameters->op = kOpStatementList;
    for (int i = 0; i < count; ++i)
        parameters->children.Add(MakeParameter(parameter));
    AppendOverload(overloads, name, id, result, parameters);
}

void BuiltInFunctionTable::RegisterBuiltInFunctions()
{
    // Growing one element at a time would copy every overload again and again.
    overloads.SetCapacity(overloads.count + kBuiltInOverloadCount);
    RegisterConstructors(*this);
    RegisterFunctions(*this);
}

void BuiltInFunctionTable::Release()
{
    for (int32_t i = 0; i < overloads.count; ++i) {
        ListNode* parameters = overloads.data[i].Parameters();
        if (!parameters)
            continue;
        for (int32_t p = 0; p < parameters->children.count; ++p)
            DestroyNode(parameters->children.data[p]);
        DestroyNode(parameters);
        overloads.data[i].children.count = 0;
    }
    overloads.count = 0;
    overloads.SetCapacity(0);
}

int BuiltInFunctionTable::CountOverloads(const char* name) const
{
    int total = 0;
    for (int32_t i = 0; i < overloads.count; ++i) {
        const char* own = overloads.data[i].name.text;
        if (own && name && strcmp(own, name) == 0)
            ++total;
    }
    return total;
}

const FunctionNode* BuiltInFunctionTable::FindBySignature(const char* signatureKey) const
{
    if (!signatureKey)
        return nullptr;
    for (int32_t i = 0; i < overloads.count; ++i) {
        const char* own = overloads.data[i].signatureKey.text;
        if (own && strcmp(own, signatureKey) == 0)
            return &overloads.data[i];
    }
    return nullptr;
}

} // namespace ShaderTool
