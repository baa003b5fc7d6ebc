#pragma once

#include <cstdint>

namespace ShaderTool {

// Where a token or node starts: the column (from 1, a tab counting as 4) and the line,
// as the tokenizer counts them. Line 0, column 0 stands for "no position".
struct SourcePosition {
    int32_t column = 0;
    int32_t line = 0;
};

} // namespace ShaderTool
