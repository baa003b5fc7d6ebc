#pragma once

#include "shadertool/core/node.h"
#include "shadertool/core/shader_type.h"

namespace ShaderTool {

struct ParseContext;

// Converts an Int expression to the Float type target and answers the node to use in
// its place. A Literal is converted in place (3 becomes 3.000000f, typed as target and
// still constant); any other expression is wrapped in a built-in call of the float
// constructor of target's vector size, which keeps the type None because the enclosing
// expression's type is already settled.
Node* ConvertToFloat(ParseContext& context, Node* expression, const Type& target);

} // namespace ShaderTool
