#pragma once

#include "core/array.h"
#include "shadertool/core/shader_type.h"

#include <cstdint>

// The numbering that Operator nodes, the operator table, Branch nodes and Lists share.
// The built-in function ids (50 to 102) continue it; see builtin_functions.h.
enum OperatorId : uint32_t {
    kOpBitwiseNot = 0,          // "~"
    kOpParentheses = 1,         // "()"
    kOpLogicalNot = 2,          // "!"
    kOpNegate = 3,              // "-"
    kOpUnaryPlus = 4,           // "+"
    kOpPostDecrement = 5,       // "--"
    kOpPostIncrement = 6,       // "++"
    kOpPreDecrement = 7,        // "--"
    kOpPreIncrement = 8,        // "++"
    kOpAdd = 9,                 // "+"
    kOpAssign = 10,             // "="
    kOpAddAssign = 11,          // "+="
    kOpAndAssign = 12,          // "&="
    kOpDivideAssign = 13,       // "/="
    kOpLeftShiftAssign = 14,    // "<<="
    kOpModuloAssign = 15,       // "%="
    kOpMultiplyAssign = 16,     // "*="
    kOpOrAssign = 17,           // "|="
    kOpRightShiftAssign = 18,   // ">>="
    kOpSubtractAssign = 19,     // "-="
    kOpXorAssign = 20,          // "^="
    kOpBitwiseAnd = 21,         // "&"
    kOpBitwiseOr = 22,          // "|"
    kOpBitwiseXor = 23,         // "^"
    kOpDivide = 24,             // "/"
    kOpEqual = 25,              // "=="
    kOpGreater = 26,            // ">"
    kOpGreaterEqual = 27,       // ">="
    kOpLeftShift = 28,          // "<<"
    kOpLess = 29,               // "<"
    kOpLessEqual = 30,          // "<="
    kOpLogicalAnd = 31,         // "&&"
    kOpLogicalOr = 32,          // "||"
    kOpMemberSelect = 33,       // "."
    kOpModulo = 34,             // "%"
    kOpMultiply = 35,           // "*"
    kOpNotEqual = 36,           // "!="
    kOpRightShift = 37,         // ">>"
    kOpIndex = 38,              // "[]"
    kOpSubtract = 39,           // "-"
    kOpConditional = 40,        // "?"
    kOpAlternatives = 41,       // ":", pairs the two alternatives of "?"
    kOpBreak = 43,
    kOpContinue = 44,
    kOpDiscard = 45,
    kOpReturn = 46,
    kOpFunction = 47,           // function definitions and calls of source functions
    kOpStatementList = 48,
    kOpDeclarationList = 49,
};

// Ids 0 to 41 have an entry in the operator table.
const uint32_t kOperatorTableSize = 42;

// The text that messages and translators use for an id; "" for 42, 47 and above.
const char* GetOperatorText(uint32_t id);

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
