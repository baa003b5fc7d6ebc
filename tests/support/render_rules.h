// The device rules that every renderer the tests draw with is held to, checked in the
// pixels it draws: the blend table, the scissor's clipped origins and far edges, culling
// with clockwise front faces, the depth test with its function and write (colour write off
// included) and depth clipping, and point, linear, wrap and clamp sampling. The Direct3D 11
// renderer and the tests' own renderer each hand in a canvas and answer to the same checks.
#pragma once

#include <cstdint>

#include "graphics/renderer/renderer_implementation.h"
#include "graphics/support/test_image.h"

namespace quaven_test {

// Draws on a renderer's back buffer of at least 64x48, bound and cleared by the suite,
// with blending off.
class RenderCanvas {
public:
    virtual ~RenderCanvas() = default;
    virtual RendererImplementation& Renderer() = 0;
    // The whole target in one colour (r, g, b, a from 0 to 1) at a depth, its triangles
    // clockwise on screen (front faces) unless counterClockwise.
    virtual void Quad(const float colour[4], float depth = 0.5f, bool counterClockwise = false) = 0;
    // The whole target in white times a texture of width x height RGBA bytes at stage 0, u
    // running from u0 to u1 left to right and v from 0 to 1 top to bottom.
    virtual void TexturedQuad(int width, int height, const uint8_t* rgba, float u0, float u1) = 0;
    virtual TestImage ReadBack() = 0;
};

void CheckBlendTable(RenderCanvas& canvas);
void CheckScissor(RenderCanvas& canvas);
void CheckCulling(RenderCanvas& canvas);
void CheckDepth(RenderCanvas& canvas);
void CheckSampling(RenderCanvas& canvas);

}  // namespace quaven_test
