// Stand-ins for the batch renderer's members the shader pool calls, until the batch
// renderer arrives (the lead deletes this file at merge).
#include "graphics/drawing/batch_renderer.h"

// The batch state the pool reads (current, bound, default and text shader).
BatchState g_batch;

// Nothing is queued yet, so there is nothing to draw.
void BatchRenderer::Flush() {}

// Makes the shader the one the next flush draws with (null: the default shader).
void BatchRenderer::SetShader(Shader* shader) { g_batch.currentShader = shader ? shader : g_batch.defaultShader; }
