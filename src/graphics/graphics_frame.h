#pragma once

class RendererImplementation;

// The frame's drawing steps that belong to the graphics side: the transform and
// render-target stacks, render states and the batch renderer.

// The depth of each drawing stack as its top index (-1: empty).
struct DrawingStackDepths {
    int world;
    int view;
    int projection;
    int renderTargets;
};

// Pre-initialisation: the graphics defaults (empty stacks, identity matrices, projection
// parameters 0.1, 0.5 and 1.0, depth 0.5, the white quad template, the bitmap-loading
// defaults and the atlas switch).
void QVI_ResetGraphicsDefaults();
// Core initialisation: an empty render-target set (the back buffer) at the bottom of the
// render-target stack.
void QVI_ResetRenderTargetStack();
// Start of each eye pass: the batch renderer's frame state, and a locked vertex buffer.
void QVI_ResetBatchForFrame(RendererImplementation* renderer);
DrawingStackDepths QVI_GetDrawingStackDepths();
// The overlay zoom draws the frame into "TRANSFORMED_FRAME_BUFFER" and that onto the screen.
// Begin, after the frame's base transform: the buffer (made on first use, then kept at the
// back buffer's size) becomes the only render target. End, after the debug overlays: the
// target is popped, the screen cleared to black and the buffer drawn at (0, 0).
void QVI_BeginZoomedFrame();
void QVI_EndZoomedFrame();
// After the program's drawing: shader, alpha, colour, blend mode, cull mode and depth states
// and the text state back to their defaults.
void QVI_ResetFrameDrawingState();
// The end of an eye pass: pops the frame's base world transform and sets the middle depth.
void QVI_FinishFrameTransforms();
// Text scale and alignment, alpha, colour and blend mode back to their defaults.
void QVI_ResetDrawingState();
// Before Present: draws what is batched and unlocks the batch's vertex buffer.
void QVI_FlushBatchForPresent(RendererImplementation* renderer);
