#pragma once

#include "core/engine_string.h"

namespace ShaderTool {

// The text with its comments blanked out: each comment character becomes a space,
// tabs and line feeds inside block comments stay, line comments lose everything up to
// their line feed, and carriage returns are dropped everywhere. Lines and columns of the
// remaining text therefore stay where they were. A comment left open at the end of the
// text is blanked to its end.
String StripComments(const char* text);

} // namespace ShaderTool
