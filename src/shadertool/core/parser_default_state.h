#pragma once

#include <cstdint>

// The shader parser's default block: the first word 0, the last 1; the parser sets the
// words between before use.
const int kParserDefaultStateWords = 37;
extern int32_t g_shaderParserDefaultState[kParserDefaultStateWords];
