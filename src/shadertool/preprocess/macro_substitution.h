#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "shadertool/preprocess/preprocessor_value.h"
#include "shadertool/preprocess/text_builder.h"

#include <cstdint>

namespace ShaderTool {

// A preprocessor macro: a name and its value. Names are unique among the macros of a
// run (a second definition is refused), and lookups take the first match.
struct Macro {
    String name;
    PreprocessorValue value;
};

// Writes text to out with every whole-word occurrence of a macro's name replaced by the
// macro's value ("%f", "%i" or the text). The macros act in array order: a value's text
// is searched again only for macros that come after its own. Line-marker lines (first
// non-blank character '@') are copied unchanged, and a negative number is written in
// parentheses so that "x-A" cannot turn into "x--1".
void SubstituteMacros(const Array<Macro>& macros, const char* text, int32_t length, TextBuilder& out);

} // namespace ShaderTool
