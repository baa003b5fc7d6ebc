#pragma once

#include "core/engine_string.h"
#include "shadertool/preprocess/preprocessor_value.h"

namespace ShaderTool {

// A preprocessor macro: a name and its value. Names are unique among the macros of a
// run (a second definition is refused), and lookups take the first match.
struct Macro {
    String name;
    PreprocessorValue value;
};

} // namespace ShaderTool
