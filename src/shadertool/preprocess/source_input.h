#pragma once

#include "core/engine_string.h"

#include <cstdint>

namespace ShaderTool {

// One text handed to a tokenizer run: the name its messages carry, the text, and the
// number of its first line (inline code in a Shader XML file starts on that file's line).
struct SourceInput {
    String fileName;
    String text;
    int32_t firstLine = 1;
};

} // namespace ShaderTool
