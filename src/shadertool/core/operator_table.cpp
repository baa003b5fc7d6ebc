#include "shadertool/core/operator_table.h"

#include "shadertool/core/context.h"
#include "shadertool/core/node.h"

namespace {

// Indexed by OperatorId, 0 to 46; 42 has no text.
const char* const kOperatorTexts[] = {
    "~",  "()", "!",  "-",  "+",  "--", "++", "--",  "++", "+",  "=",  "+=",
    "&=", "/=", "<<=", "%=", "*=", "|=", ">>=", "-=", "^=", "&",  "|",  "^",
    "/",  "==", ">",  ">=", "<<", "<",  "<=", "&&",  "||", ".",  "%",  "*",
    "!=", ">>", "[]", "-",  "?",  ":",  "",   "break", "continue", "discard", "return",
};

const uint32_t kOperatorTextCount = sizeof(kOperatorTexts) / sizeof(kOperatorTexts[0]);
static_assert(sizeof(kOperatorTexts) / sizeof(kOperatorTexts[0]) == kOpReturn + 1, "one text per id up to return");

} // namespace

const char* GetOperatorText(uint32_t id)
{
    if (id >= kOperatorTextCount)
        return "";
    return kOperatorTexts[id];
}

namespace ShaderTool {

namespace {

// The plain types the table is written in: no names, no arrays, no qualifiers.
enum PlainType : uint8_t { B, I, F, I2, I3, I4, F2, F3, F4, M2, M3, M4, NO };

Type MakePlainType(PlainType plain)
{
    switch (plain) {
    case B:
        return Type(kBaseBool, 1);
    case I:
        return Type(kBaseInt, 1);
    case F:
        return Type(kBaseFloat, 1);
    case I2:
    case I3:
    case I4:
        return Type(kBaseInt, 2 + (plain - I2));
    case F2:
    case F3:
    case F4:
        return Type(kBaseFloat, 2 + (plain - F2));
    case M2:
    case M3:
    case M4:
        return Type::MakeMatrix(2 + (plain - M2));
    default:
        return Type::MakeNoOperand();
    }
}

struct OverloadRow {
    uint8_t op;
    PlainType left;
    PlainType right;   // NO for a unary operator
    PlainType result;
};

// Every overload of the language in registration order; the first match wins, so the
// order within one operator is part of the language.
const OverloadRow kOverloadRows[] = {
    // 0 "~"
    {0, I, NO, I}, {0, I2, NO, I2}, {0, I3, NO, I3}, {0, I4, NO, I4},
    // 1 "()" (parentheses): none
    // 2 "!"
    {2, B, NO, B},
    // 3 "-" (negation)
    {3, I, NO, I}, {3, F, NO, F}, {3, I2, NO, I2}, {3, I3, NO, I3},
    {3, I4, NO, I4}, {3, F2, NO, F2}, {3, F3, NO, F3}, {3, F4, NO, F4},
    {3, M2, NO, M2}, {3, M3, NO, M3}, {3, M4, NO, M4},
    // 4 "+" (unary)
    {4, I, NO, I}, {4, I2, NO, I2}, {4, I3, NO, I3}, {4, I4, NO, I4},
    // 5 "--" (postfix)
    {5, I, NO, I}, {5, F, NO, F}, {5, I2, NO, I2}, {5, I3, NO, I3},
    {5, I4, NO, I4}, {5, F2, NO, F2}, {5, F3, NO, F3}, {5, F4, NO, F4},
    {5, M2, NO, M2}, {5, M3, NO, M3}, {5, M4, NO, M4},
    // 6 "++" (postfix)
    {6, I, NO, I}, {6, F, NO, F}, {6, I2, NO, I2}, {6, I3, NO, I3},
    {6, I4, NO, I4}, {6, F2, NO, F2}, {6, F3, NO, F3}, {6, F4, NO, F4},
    {6, M2, NO, M2}, {6, M3, NO, M3}, {6, M4, NO, M4},
    // 7 "--" (prefix)
    {7, I, NO, I}, {7, F, NO, F}, {7, I2, NO, I2}, {7, I3, NO, I3},
    {7, I4, NO, I4}, {7, F2, NO, F2}, {7, F3, NO, F3}, {7, F4, NO, F4},
    {7, M2, NO, M2}, {7, M3, NO, M3}, {7, M4, NO, M4},
    // 8 "++" (prefix)
    {8, I, NO, I}, {8, F, NO, F}, {8, I2, NO, I2}, {8, I3, NO, I3},
    {8, I4, NO, I4}, {8, F2, NO, F2}, {8, F3, NO, F3}, {8, F4, NO, F4},
    {8, M2, NO, M2}, {8, M3, NO, M3}, {8, M4, NO, M4},
    // 9 "+"
    {9, I, I, I}, {9, F, F, F}, {9, I, I2, I2}, {9, I, I3, I3},
    {9, I, I4, I4}, {9, I2, I, I2}, {9, I2, I2, I2}, {9, I3, I, I3},
    {9, I3, I3, I3}, {9, I4, I, I4}, {9, I4, I4, I4}, {9, F, F2, F2},
    {9, F2, F, F2}, {9, F2, F2, F2}, {9, F, F3, F3}, {9, F3, F, F3},
    {9, F3, F3, F3}, {9, F, F4, F4}, {9, F4, F, F4}, {9, F4, F4, F4},
    {9, F, M2, M2}, {9, M2, F, M2}, {9, M2, M2, M2}, {9, F, M3, M3},
    {9, M3, F, M3}, {9, M3, M3, M3}, {9, F, M4, M4}, {9, M4, F, M4},
    {9, M4, M4, M4},
    // 10 "="
    {10, B, B, B}, {10, I, I, I}, {10, F, F, F}, {10, I2, I2, I2},
    {10, I3, I3, I3}, {10, I4, I4, I4}, {10, F2, F2, F2}, {10, F3, F3, F3},
    {10, F4, F4, F4}, {10, M2, M2, M2}, {10, M3, M3, M3}, {10, M4, M4, M4},
    // 11 "+="
    {11, I, I, I}, {11, F, F, F}, {11, I2, I, I2}, {11, I2, I2, I2},
    {11, I3, I, I3}, {11, I3, I3, I3}, {11, I4, I, I4}, {11, I4, I4, I4},
    {11, F2, F, F2}, {11, F2, F2, F2}, {11, F3, F, F3}, {11, F3, F3, F3},
    {11, F4, F, F4}, {11, F4, F4, F4}, {11, M2, F, M2}, {11, M2, M2, M2},
    {11, M3, F, M3}, {11, M3, M3, M3}, {11, M4, F, M4}, {11, M4, M4, M4},
    // 12 "&="
    {12, I, I, I}, {12, I2, I2, I2}, {12, I3, I3, I3}, {12, I4, I4, I4},
    // 13 "/="
    {13, I, I, I}, {13, F, F, F}, {13, I2, I, I2}, {13, I2, I2, I2},
    {13, I3, I, I3}, {13, I3, I3, I3}, {13, I4, I, I4}, {13, I4, I4, I4},
    {13, F2, F, F2}, {13, F2, F2, F2}, {13, F3, F, F3}, {13, F3, F3, F3},
    {13, F4, F, F4}, {13, F4, F4, F4}, {13, M2, F, M2}, {13, M2, M2, M2},
    {13, M3, F, M3}, {13, M3, M3, M3}, {13, M4, F, M4}, {13, M4, M4, M4},
    // 14 "<<="
    {14, I, I, I}, {14, I2, I2, I2}, {14, I3, I3, I3}, {14, I4, I4, I4},
    // 15 "%="
    {15, I, I, I}, {15, I2, I, I2}, {15, I2, I2, I2}, {15, I3, I, I3},
    {15, I3, I3, I3}, {15, I4, I, I4}, {15, I4, I4, I4},
    // 16 "*="
    {16, I, I, I}, {16, F, F, F}, {16, I2, I, I2}, {16, I2, I2, I2},
    {16, I3, I, I3}, {16, I3, I3, I3}, {16, I4, I, I4}, {16, I4, I4, I4},
    {16, F2, F, F2}, {16, F2, F2, F2}, {16, F2, M2, F2}, {16, F3, F, F3},
    {16, F3, F3, F3}, {16, F3, M3, F3}, {16, F4, F, F4}, {16, F4, F4, F4},
    {16, F4, M4, F4}, {16, M2, F, M2}, {16, M2, M2, M2}, {16, M3, F, M3},
    {16, M3, M3, M3}, {16, M4, F, M4}, {16, M4, M4, M4},
    // 17 "|="
    {17, I, I, I}, {17, I2, I2, I2}, {17, I3, I3, I3}, {17, I4, I4, I4},
    // 18 ">>="
    {18, I, I, I}, {18, I2, I2, I2}, {18, I3, I3, I3}, {18, I4, I4, I4},
    // 19 "-="
    {19, I, I, I}, {19, F, F, F}, {19, I2, I, I2}, {19, I2, I2, I2},
    {19, I3, I, I3}, {19, I3, I3, I3}, {19, I4, I, I4}, {19, I4, I4, I4},
    {19, F2, F, F2}, {19, F2, F2, F2}, {19, F3, F, F3}, {19, F3, F3, F3},
    {19, F4, F, F4}, {19, F4, F4, F4}, {19, M2, F, M2}, {19, M2, M2, M2},
    {19, M3, F, M3}, {19, M3, M3, M3}, {19, M4, F, M4}, {19, M4, M4, M4},
    // 20 "^="
    {20, I, I, I}, {20, I2, I2, I2}, {20, I3, I3, I3}, {20, I4, I4, I4},
    // 21 "&"
    {21, I, I, I}, {21, I2, I2, I2}, {21, I3, I3, I3}, {21, I4, I4, I4},
    // 22 "|"
    {22, I, I, I}, {22, I2, I2, I2}, {22, I3, I3, I3}, {22, I4, I4, I4},
    // 23 "^"
    {23, I, I, I}, {23, I2, I2, I2}, {23, I3, I3, I3}, {23, I4, I4, I4},
    // 24 "/"
    {24, I, I, I}, {24, F, F, F}, {24, I, I2, I2}, {24, I2, I, I2},
    {24, I2, I2, I2}, {24, I, I3, I3}, {24, I3, I, I3}, {24, I3, I3, I3},
    {24, I, I4, I4}, {24, I4, I, I4}, {24, I4, I4, I4}, {24, F, F2, F2},
    {24, F2, F, F2}, {24, F2, F2, F2}, {24, F, F3, F3}, {24, F3, F, F3},
    {24, F3, F3, F3}, {24, F, F4, F4}, {24, F4, F, F4}, {24, F4, F4, F4},
    {24, M2, F, M2}, {24, M2, M2, M2}, {24, M3, F, M3}, {24, M3, M3, M3},
    {24, M4, F, M4}, {24, M4, M4, M4},
    // 25 "=="
    {25, B, B, B}, {25, I, I, B}, {25, F, F, B}, {25, I2, I2, B},
    {25, I3, I3, B}, {25, I4, I4, B}, {25, F2, F2, B}, {25, F3, F3, B},
    {25, F4, F4, B}, {25, M2, M2, B}, {25, M3, M3, B}, {25, M4, M4, B},
    // 26 ">"
    {26, I, I, B}, {26, F, F, B},
    // 27 ">="
    {27, I, I, B}, {27, F, F, B},
    // 28 "<<"
    {28, I, I, I}, {28, I2, I2, I2}, {28, I3, I3, I3}, {28, I4, I4, I4},
    // 29 "<"
    {29, I, I, B}, {29, F, F, B},
    // 30 "<="
    {30, I, I, B}, {30, F, F, B},
    // 31 "&&"
    {31, B, B, B},
    // 32 "||"
    {32, B, B, B},
    // 33 ".": none
    // 34 "%"
    {34, I, I, I}, {34, I2, I, I2}, {34, I2, I2, I2}, {34, I3, I, I3},
    {34, I3, I3, I3}, {34, I4, I, I4}, {34, I4, I4, I4},
    // 35 "*"
    {35, I, I, I}, {35, F, F, F}, {35, I, I2, I2}, {35, I, I3, I3},
    {35, I, I4, I4}, {35, I2, I, I2}, {35, I2, I2, I2}, {35, I3, I, I3},
    {35, I3, I3, I3}, {35, I4, I, I4}, {35, I4, I4, I4}, {35, F, F2, F2},
    {35, F2, F, F2}, {35, F2, F2, F2}, {35, F2, M2, F2}, {35, F, F3, F3},
    {35, F3, F, F3}, {35, F3, F3, F3}, {35, F3, M3, F3}, {35, F, F4, F4},
    {35, F4, F, F4}, {35, F4, F4, F4}, {35, F4, M4, F4}, {35, F, M2, M2},
    {35, M2, F, M2}, {35, M2, M2, M2}, {35, F, M3, M3}, {35, M3, F, M3},
    {35, M3, M3, M3}, {35, F, M4, M4}, {35, M4, F, M4}, {35, M4, M4, M4},
    // 36 "!="
    {36, B, B, B}, {36, I, I, B}, {36, F, F, B}, {36, I2, I2, B},
    {36, I3, I3, B}, {36, I4, I4, B}, {36, F2, F2, B}, {36, F3, F3, B},
    {36, F4, F4, B}, {36, M2, M2, B}, {36, M3, M3, B}, {36, M4, M4, B},
    // 37 ">>"
    {37, I, I, I}, {37, I2, I2, I2}, {37, I3, I3, I3}, {37, I4, I4, I4},
    // 38 "[]"
    {38, I2, I, I}, {38, I3, I, I}, {38, I4, I, I}, {38, F2, I, F},
    {38, F3, I, F}, {38, F4, I, F}, {38, M2, I, F2}, {38, M3, I, F3},
    {38, M4, I, F4},
    // 39 "-" (subtraction)
    {39, I, I, I}, {39, F, F, F}, {39, I, I2, I2}, {39, I2, I, I2},
    {39, I2, I2, I2}, {39, I, I3, I3}, {39, I3, I, I3}, {39, I3, I3, I3},
    {39, I, I4, I4}, {39, I4, I, I4}, {39, I4, I4, I4}, {39, F, F2, F2},
    {39, F2, F, F2}, {39, F2, F2, F2}, {39, F, F3, F3}, {39, F3, F, F3},
    {39, F3, F3, F3}, {39, F, F4, F4}, {39, F4, F, F4}, {39, F4, F4, F4},
    {39, F, M2, M2}, {39, M2, F, M2}, {39, M2, M2, M2}, {39, F, M3, M3},
    {39, M3, F, M3}, {39, M3, M3, M3}, {39, F, M4, M4}, {39, M4, F, M4},
    {39, M4, M4, M4},
    // 40 "?"
    {40, B, B, B}, {40, B, I, I}, {40, B, F, F}, {40, B, I2, I2},
    {40, B, I3, I3}, {40, B, I4, I4}, {40, B, F2, F2}, {40, B, F3, F3},
    {40, B, F4, F4}, {40, B, M2, M2}, {40, B, M3, M3}, {40, B, M4, M4},
    // 41 ":"
    {41, B, B, B}, {41, I, I, I}, {41, F, F, F}, {41, I2, I2, I2},
    {41, I3, I3, I3}, {41, I4, I4, I4}, {41, F2, F2, F2}, {41, F3, F3, F3},
    {41, F4, F4, F4}, {41, M2, M2, M2}, {41, M3, M3, M3}, {41, M4, M4, M4},
};

const int kOverloadRowCount = sizeof(kOverloadRows) / sizeof(kOverloadRows[0]);
static_assert(sizeof(kOverloadRows) / sizeof(kOverloadRows[0]) == 396, "the language has 396 operator overloads");

bool IsUnary(const Type& right)
{
    return right.baseKind == kBaseVoid;
}

} // namespace

void OperatorTable::Register(uint32_t id, const Type& result, const Type& left, const Type& right)
{
    if (id >= kOperatorTableSize)
        return;
    OperatorOverload overload;
    overload.left = left;
    overload.right = right;
    overload.result = result;
    overloads[id].Add(overload);
}

void OperatorTable::RegisterBuiltInOperators()
{
    for (int i = 0; i < kOverloadRowCount; ++i) {
        const OverloadRow& row = kOverloadRows[i];
        Register(row.op, MakePlainType(row.result), MakePlainType(row.left), MakePlainType(row.right));
    }
}

const Array<OperatorOverload>* OperatorTable::Find(uint32_t id) const
{
    return id < kOperatorTableSize ? &overloads[id] : nullptr;
}

int OperatorTable::TotalCount() const
{
    int total = 0;
    for (uint32_t id = 0; id < kOperatorTableSize; ++id)
        total += overloads[id].count;
    return total;
}

bool OperandMatches(const Type& record, const Type& operand, bool allowIntToFloat, bool allowArrays)
{
    if (record.vectorSize != operand.vectorSize || record.matrixSize != operand.matrixSize ||
        record.textureDimension != operand.textureDimension)
        return false;
    if (operand.arraySize != 0 && !allowArrays)
        return false;
    if (!SameTypeName(record, operand))
        return false;
    if (record.baseKind == operand.baseKind)
        return true;
    return allowIntToFloat && record.baseKind == kBaseFloat && operand.baseKind == kBaseInt;
}

bool ResolveOperator(ParseContext& context, OperatorNode* node, Node* left, Node* right, bool isAssignment,
                     bool allowArrays)
{
    if (!node)
        return false;
    const Array<OperatorOverload>* candidates = context.operators.Find(node->op);
    const Type* leftType = GetNodeType(left);
    const Type noOperand = Type::MakeNoOperand();
    const Type none;
    const Type& rightType = right ? (GetNodeType(right) ? *GetNodeType(right) : none) : noOperand;

    const OperatorOverload* match = nullptr;
    if (candidates && leftType) {
        for (int32_t i = 0; i < candidates->count && !match; ++i) {
            const OperatorOverload& overload = candidates->data[i];
            if (OperandMatches(overload.left, *leftType, !isAssignment, allowArrays) &&
                OperandMatches(overload.right, rightType, true, allowArrays) &&
                leftType->arraySize == rightType.arraySize)
                match = &overload;
        }
    }
    if (!match) {
        context.ReportError(node->Position(), "no operator '%s' matches the operands.", GetOperatorText(node->op));
        return false;
    }

    // Both operands' facts are taken before a conversion may replace them.
    int32_t leftArraySize = leftType->arraySize;
    uint32_t leftQualifiers = leftType->qualifiers;
    bool leftConstant = leftType->isConstant != 0;
    bool rightConstant = rightType.isConstant != 0;
    bool unary = IsUnary(match->right);

    if (match->left.baseKind == kBaseFloat && leftType->baseKind == kBaseInt)
        left = ConvertToFloat(context, left, match->left);
    if (right && match->right.baseKind == kBaseFloat && rightType.baseKind == kBaseInt)
        right = ConvertToFloat(context, right, match->right);

    node->left = left;
    node->right = right;
    node->type = match->result;
    node->type.arraySize = leftArraySize;
    node->type.qualifiers = leftQualifiers;
    node->type.isConstant = leftConstant && (unary || rightConstant) ? 1 : 0;
    return true;
}

} // namespace ShaderTool
