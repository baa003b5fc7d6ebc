#pragma once

#include <cstdint>

// The numbering that Operator nodes, the operator table, Branch nodes and Lists share.
// The built-in function ids (50 to 102) continue it; see builtin_function_ids.h.
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
