// Stubs of the shader pool's and the built-in shader code's contract functions until their
// branches are merged (shader_pool, d3d11_pipeline): no built-in shader is made meanwhile.
#include "core/byte_buffer.h"
#include "graphics/drawing/builtin_shader_code.h"
#include "graphics/shaders/shader_pool.h"

// shader_pool: no translation yet, so no record.
Shader* QVI_TranslateShaderSource(const char*, const char*, const ByteBuffer[2]) { return nullptr; }
// shader_pool: nothing was made, so nothing to release.
void QVI_ReleaseShader(Shader*, bool) {}
// shader_pool: nothing was made, so nothing to free.
void QVI_FreeShaderRecord(Shader*) {}
// d3d11_pipeline: no compiled code yet.
bool QVI_GetBuiltInShaderCode(BuiltInShader, int, int, BuiltInShaderCode* out) { return out && (*out = {}, false); }
