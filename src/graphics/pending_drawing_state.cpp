// Stub of the built-in shader code until its branch is merged (d3d11_pipeline).
#include "graphics/drawing/builtin_shader_code.h"

bool QVI_GetBuiltInShaderCode(BuiltInShader, int, int, BuiltInShaderCode* out) { return out && (*out = {}, false); }
