#include "shadertool/core/float_conversion.h"

#include "shadertool/core/builtin_function_ids.h"
#include "shadertool/core/node_factory.h"
#include "shadertool/core/parse_context.h"

#include <cstdlib>

namespace ShaderTool {

namespace {

uint32_t FloatConstructorFor(int32_t vectorSize)
{
    switch (vectorSize) {
    case 0:
    case 1:
        return kConstructorFloat;
    case 2:
        return kConstructorFloat2;
    case 3:
        return kConstructorFloat3;
    case 4:
        return kConstructorFloat4;
    default:
        return kNoConstructor;
    }
}

void ConvertLiteral(LiteralNode* literal, const Type& target)
{
    // Decimal, or octal and hexadecimal by their C prefixes; an out-of-range value
    // saturates instead of wrapping.
    long long value = literal->text.text ? strtoll(literal->text.text, nullptr, 0) : 0;
    literal->text.Format("%ff", static_cast<double>(static_cast<float>(value)));
    literal->type = target;
    literal->type.isConstant = 1;
}

} // namespace

Node* ConvertToFloat(ParseContext& context, Node* expression, const Type& target)
{
    if (!expression)
        return nullptr;
    if (expression->kind == kNodeLiteral) {
        ConvertLiteral(static_cast<LiteralNode*>(expression), target);
        return expression;
    }

    String typeName = target.GetName(false);
    FunctionNode* call = CreateFunctionNode(context, kNodeCall, FloatConstructorFor(target.vectorSize),
                                            typeName.text, expression->Position());
    call->isBuiltIn = 1;
    AppendToList(call->Parameters(), expression);
    return call;
}

} // namespace ShaderTool
