#pragma once

#include <cstdint>

#include "core/array.h"
#include "quaven/graphics.h"
#include "quaven/types.h"

// The state side of the graphics API: the projection, view and world transform stacks,
// the render-target and scissor stacks, the render-state table and the current drawing
// colour and depth. Every member that changes what the device draws flushes the batch
// first, so queued geometry keeps the state it was queued under. Main thread only (game
// threads that draw hold the MAIN_LOOP lock).

const int kTransformStackSize = 32;
const int kScissorStackSize = 32;
const int kRenderStateCount = 32;

struct TransformStack {
    Matrix4 entries[kTransformStackSize];
    int32_t top = -1;  // -1 when empty
};

struct ScissorRectangle {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// One render state by its code: the values last set, whether or not this frame.
struct RenderStateEntry {
    uint8_t set;  // set since the frame began; cleared at each frame start and device set-up
    uint8_t boolValue;
    int32_t intValue;
    float floatValue;
};

// The defaults hold from program start; QVI_ResetGraphicsState restores them.
struct GraphicsState {
    TransformStack projection;  // empty: the default projection
    TransformStack view;        // empty: the identity
    TransformStack world;       // empty: the identity
    Matrix4 viewWorld;          // view x world, rebuilt by QVI_UpdateTransforms
    uint8_t viewWorldValid;
    float viewPosition[3];
    uint8_t viewPositionValid;
    // Projection parameters of the default projection: drawn pixel for pixel at the middle.
    float nearDepth = 0.1f;
    float middleDepth = 0.5f;
    float farDepth = 1.0f;
    float depth = 0.5f;  // z of what is drawn next
    Color color = {1.0f, 1.0f, 1.0f, 1.0f};  // as given; clamped only where it becomes bytes
    uint32_t packedColor = 0xFFFFFFFFu;  // the renderer's vertex byte order, alpha in byte 3
    // The base entry (all null: the back buffer) is pushed at core initialisation.
    Array<RenderTargetSet> renderTargets;
    RenderTargetSet currentTargets;  // what was last bound, held apart from the stack
    ScissorRectangle scissors[kScissorStackSize];
    int32_t scissorTop = -1;  // -1 when empty
    RenderStateEntry renderStates[kRenderStateCount];
};

extern GraphicsState g_graphics;

// Pre-initialisation: empty stacks, identity matrices, projection parameters 0.1, 0.5 and
// 1.0, depth 0.5, opaque white, and the batch quad drawn in it.
void QVI_ResetGraphicsState();
// Core initialisation: only the back-buffer entry on the render-target stack, and current.
void QVI_ResetRenderTargets();

// Binds a render-target set: every colour and depth bitmap must be a render target and a
// cube-map face 0-5. Sets the viewport to the first colour target's texture size (the
// screen size without one). The set becomes current even while the renderer is not
// ready; a set that fails its checks is neither bound nor made current.
bool QVI_SetRenderTargets(const RenderTargetSet* targets);
const RenderTargetSet* QVI_GetCurrentRenderTargets();

// The pixel-for-pixel projection of the current target (see render_state.cpp).
Matrix4 QVI_BuildDefaultProjection();
// Rebuilds the cached view x world product.
void QVI_UpdateTransforms();
Matrix4 QVI_GetCurrentViewTransform();        // the top, or the identity
Matrix4 QVI_GetCurrentWorldTransform();       // the top, or the identity
Matrix4 QVI_GetCurrentProjectionTransform();  // the top, or the default projection
Matrix4 QVI_GetViewWorldTransform();          // view x world
Matrix4 QVI_GetWorldViewProjectionTransform();  // projection x (view x world)

// Bytes of a colour channel: clamped to 0..1, then the whole part of x 255 (NaN is 0).
uint8_t QVI_UnitToByte(float value);
