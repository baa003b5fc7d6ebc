#pragma once

#include "core/engine_string.h"

namespace ShaderTool {

// The file name of a path without folders and extension: the text after the last '/'
// or '\', cut at its last '.'. So "shaders/sea/water.xml" gives "water" (compiled code
// of every shader then lands in one folder) and "water" stays "water". A null path
// gives the null String.
String GetFileBaseName(const char* path);

} // namespace ShaderTool
