// The engine's global objects that need start-up code, defined together in one
// translation unit: the C runtime constructs them top to bottom before WinMain and
// destroys them in reverse order at exit, so the order below is the order the rest
// of the engine relies on. Later subsystems add their globals here, each at its
// place in this sequence:
//   shader upload queue, shader translator context, thread list,
//   current URL roots, default URL roots, console record, batch renderer state,
//   popup queue, manifest list, first arrays of the manifests, core state block,
//   frame-time history, global glyph cache, DataManager database cache,
//   shader translator default parser state, its two string maps,
//   extension module list, built-in fallback extension module.

#include "shadertool/core/context.h"
#include "shadertool/preprocess/tokenizer.h"
#include "filesystem/paths.h"
// Last: it brings in <windows.h>, whose macros must not rename anything above.
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
