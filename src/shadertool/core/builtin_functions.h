#pragma once

#include "core/array.h"
#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"

#include <cstdint>

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
String BuildSignatureKey(const char* name, const Array<Node*>& parameters);

} // namespace ShaderTool
