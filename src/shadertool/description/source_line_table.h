#pragma once

#include "core/array.h"

#include <cstdint>

namespace ShaderTool {

// Finds, in the raw text of a Shader XML file, the line on which each node of the
// "sources" array starts its CDATA section, so that messages about inline code name the
// XML file's own lines. The array is the first "<array" outside comments whose first
// attribute is id="sources" (blanks allowed around '='); every "<node" outside comments
// up to its "</array" adds one entry: the line (from 1) of the "<![CDATA[" that comes
// before the node's first "/>" (or, when none follows, before its first "</node"), or
// 1 when no CDATA comes first. Adds nothing when there is no such array.
void ScanSourceLines(const char* text, int length, Array<int32_t>& lines);

} // namespace ShaderTool
