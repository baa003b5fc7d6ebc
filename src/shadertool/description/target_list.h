#pragma once

#include <cstdint>

namespace ShaderTool {

// The Target mask of a source's "target" list: names separated by ",", each exactly
// "ESSL20", "ESSL30", "GLSL21", "GLSL31", "HLSL9", "HLSL11", "PSSL" or "ALL" (127).
// Null or empty means 127; a comma that ends the text adds no name. Any other name,
// blanks and empty names included, makes the whole list 0 (invalid).
uint32_t ParseTargetList(const char* list);

} // namespace ShaderTool
