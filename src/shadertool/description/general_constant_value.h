#pragma once

#include "shadertool/description/shader_description.h"

#include <cstdint>

namespace ShaderTool {

// The base kind a general constant's value gives: the first token of the text decides
// (a bool literal Bool, a float literal Float, an integer literal Int). None for any
// other token, and for a literal the tokenizer reports an error on (such as "019"),
// since any lexical error fails a shader.
uint32_t ClassifyGeneralConstantValue(const char* value);

// The integer a general constant stands for: a Bool gives 1 for "true" and 0 for
// "false"; an Int gives its literal as the preprocessor reads it into a macro
// (hexadecimal after "0x", otherwise decimal), except that a value beyond the int32
// range is clamped to it rather than wrapped. Blanks before the literal and text after
// it do not count. False, with 0, for any other type.
bool GetGeneralConstantInteger(const GeneralConstant& constant, int32_t* value);

} // namespace ShaderTool
