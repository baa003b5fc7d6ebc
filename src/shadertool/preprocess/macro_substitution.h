#pragma once

#include "core/array.h"
#include "shadertool/preprocess/macro.h"
#include "shadertool/preprocess/text_builder.h"

#include <cstdint>

namespace ShaderTool {

// Writes text to out with every whole-word occurrence of a macro's name replaced by the
// macro's value ("%f", "%i" or the text). The macros act in array order: a value's text
// is searched again only for macros that come after its own. Line-marker lines (first
// non-blank character '@') are copied unchanged, and a negative number is written in
// parentheses so that "x-A" cannot turn into "x--1".
void SubstituteMacros(const Array<Macro>& macros, const char* text, int32_t length, TextBuilder& out);

} // namespace ShaderTool
