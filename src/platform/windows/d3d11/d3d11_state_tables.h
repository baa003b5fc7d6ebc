#pragma once

#include "platform/windows/win32.h"
#include <d3d11_1.h>

// The engine's state codes turned into Direct3D 11 descriptions. Pure functions: the
// renderer builds its state objects from them, and the tests check the tables without a
// device. Callers pass only codes that passed the QVI_Is...Valid checks, except where a
// function says how it treats other values.

// The blend description of a blend mode 1..8 with colour write off (mask 0) or on (0xF).
// Render-target entries 0 to 3 are filled alike, 4 to 7 stay zero.
D3D11_BLEND_DESC QVI_D3D11BlendDescription(int blendMode, bool colorWrite);

// Solid fill, clockwise front faces, depth clip on; cull mode 0 none, 1 front, 2 back.
D3D11_RASTERIZER_DESC QVI_D3D11RasterizerDescription(int cullMode, bool scissor);

// The comparison of a DepthCompare code; codes outside 0..7 compare LESS.
D3D11_COMPARISON_FUNC QVI_D3D11DepthComparison(int depthCompare);

// Depth enable, write mask and comparison; stencil off.
D3D11_DEPTH_STENCIL_DESC QVI_D3D11DepthStencilDescription(bool depthTest, bool depthWrite, int depthCompare);

// The sampler filter row of a (min, mag, mip) triple of point (1) and linear (2) filters,
// 0..7; -1 (anisotropic) when any of the three is 3.
int QVI_D3D11FilterRow(int minFilter, int magFilter, int mipFilter);
// The filter of a row 0..7, D3D11_FILTER_ANISOTROPIC for -1.
D3D11_FILTER QVI_D3D11FilterOfRow(int row);

// The address combination 9 (u - 1) + 3 (v - 1) + (w - 1), 0..26, of three modes
// 1 clamp, 2 wrap, 3 mirror; and the modes of a combination.
int QVI_D3D11AddressCombination(int u, int v, int w);
void QVI_D3D11AddressModesOf(int combination, D3D11_TEXTURE_ADDRESS_MODE* u, D3D11_TEXTURE_ADDRESS_MODE* v,
                             D3D11_TEXTURE_ADDRESS_MODE* w);

// The sampler description every sampler starts from: point filtering, clamp, no bias,
// LOD range 0 to the largest float.
D3D11_SAMPLER_DESC QVI_D3D11BaseSamplerDescription();

// The scissor rectangle of SetScissorRectangle: the left and top edges clip at 0, the
// right and bottom edges are x + width and y + height of the unclamped origin (computed
// without overflow: they saturate at the int range).
D3D11_RECT QVI_D3D11ScissorRectangle(int x, int y, int width, int height);
