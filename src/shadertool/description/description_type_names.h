#pragma once

#include "shadertool/core/shader_type.h"

#include <cstdint>

namespace ShaderTool {

// The type a Shader XML "type" attribute names ("BOOL", "FLOAT", "FLOAT2" to "FLOAT4",
// "FLOAT2X2" to "FLOAT4X4", "INT", "INT2" to "INT4", capitals only), with the given
// qualifiers and array size; any other name, or null, gives the None type.
Type TypeFromDescriptionName(const char* name, uint32_t qualifiers, int32_t arraySize);

} // namespace ShaderTool
