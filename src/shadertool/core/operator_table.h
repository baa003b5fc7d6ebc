#pragma once

#include "core/array.h"
#include "shadertool/core/operator_id.h"
#include "shadertool/core/shader_type.h"

#include <cstdint>

namespace ShaderTool {

struct ParseContext;
struct Node;
struct OperatorNode;

// A unary operator's right type is the "no operand" type (Void, vectorSize 1).
struct OperatorOverload {
    Type left;
    Type right;
    Type result;
};

// The overloads of every operator id 0 to 41, in registration order. Built once with
// the translation context and only read afterwards.
class OperatorTable {
public:
    Array<OperatorOverload> overloads[kOperatorTableSize];

    OperatorTable() = default;
    OperatorTable(const OperatorTable&) = delete;
    OperatorTable& operator=(const OperatorTable&) = delete;

    // Note the order: the result comes first, the record stores it last. Ids outside
    // the table are ignored.
    void Register(uint32_t id, const Type& result, const Type& left, const Type& right);
    // Fills the table with the language's 396 overloads.
    void RegisterBuiltInOperators();

    // The overloads of an id, or null outside 0 to 41.
    const Array<OperatorOverload>* Find(uint32_t id) const;
    int TotalCount() const;
};

// Whether an operand of type operand may stand where the overload wants record.
bool OperandMatches(const Type& record, const Type& operand, bool allowIntToFloat, bool allowArrays);

// Resolves the Operator node against the table: on success sets its operands (an Int
// operand that an overload takes as Float is converted), its type and constness; on
// failure reports "no operator '%s' matches the operands." and leaves the type None.
bool ResolveOperator(ParseContext& context, OperatorNode* node, Node* left, Node* right, bool isAssignment,
                     bool allowArrays);

} // namespace ShaderTool
