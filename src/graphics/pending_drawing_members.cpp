// Stand-ins for the batch renderer's functions that the drawing members call, until the
// batch renderer is merged in (this file goes then).
#include "graphics/drawing/batch_renderer.h"

BatchState g_batch = {};     // batch state: defined with the batch renderer
BatchVertex g_batchQuad[4];  // current quad: defined with the batch renderer

void BatchRenderer::Flush() {}                                   // draws nothing until it exists
void BatchRenderer::ApplyStates() {}                             // no states to hand on yet
void BatchRenderer::AddQuad(Bitmap*, const BatchVertex[4]) {}    // no batch to queue into yet
void BatchRenderer::AddLine(const BatchVertex*, const BatchVertex*) {}  // likewise
void BatchRenderer::SetTexture(int, Bitmap*) {}                  // no stages to bind yet
void QVI_UpdateShaderConstants(Shader*) {}                       // no shaders yet
