// Stubs of the batch renderer's contract (graphics/drawing/batch_renderer.h) until the
// drawing_state branch is merged; the lead deletes this file at merge.
#include "graphics/drawing/batch_renderer.h"

BatchState g_batch = {};                                  // defined with the batch renderer
void BatchRenderer::Flush() {}                            // draws what is queued
void BatchRenderer::SetTexture(int stage, Bitmap* bitmap) {}  // binds a stage
