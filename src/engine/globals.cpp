// The engine's global objects whose construction order matters, defined together in one
// translation unit: the C runtime constructs them top to bottom before WinMain and destroys
// them in reverse order at exit, so the order below is the order the rest of the engine
// relies on: the shader translator's context, the current and default URL roots, the core
// state block, then the translator's default parser state and its two keyword maps. The
// engine's other globals are defined beside the code that owns them.

#include "shadertool/core/context.h"
#include "shadertool/preprocess/tokenizer.h"
#include "filesystem/paths.h"
#include "core/core_state.h"

ShaderTool::Context g_shaderContext;

String g_currentUrlRoots[kUrlSchemeRootCount];
String g_defaultUrlRoots[kUrlSchemeRootCount];

// Zero until pre-initialisation fills it.
CoreState g_core = {};

int32_t g_shaderParserDefaultState[kParserDefaultStateWords] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
StringMap<int32_t> g_shaderKeywords;
StringMap<int32_t> g_shaderPreprocessorKeywords;
