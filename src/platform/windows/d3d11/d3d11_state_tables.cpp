#include "platform/windows/d3d11/d3d11_state_tables.h"

#include <cfloat>
#include <cstdint>

namespace {

struct BlendFactors {
    BOOL enable;
    D3D11_BLEND source;
    D3D11_BLEND destination;
    D3D11_BLEND_OP operation;
};

// Colour factors of blend modes 1 to 8 (index 0 unused). The alpha channel accumulates
// the same way in every blending mode: source alpha times source alpha plus destination.
const BlendFactors kBlendFactors[9] = {
    {FALSE, D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD},
    {TRUE, D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD},     // 1 alpha
    {TRUE, D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_ONE, D3D11_BLEND_OP_ADD},               // 2 additive
    {FALSE, D3D11_BLEND_ONE, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD},                   // 3 off
    {TRUE, D3D11_BLEND_SRC_ALPHA, D3D11_BLEND_ONE, D3D11_BLEND_OP_REV_SUBTRACT},      // 4 subtractive
    {TRUE, D3D11_BLEND_DEST_COLOR, D3D11_BLEND_ZERO, D3D11_BLEND_OP_ADD},             // 5 multiply
    {TRUE, D3D11_BLEND_DEST_COLOR, D3D11_BLEND_SRC_COLOR, D3D11_BLEND_OP_ADD},        // 6 doubled multiply
    {TRUE, D3D11_BLEND_DEST_COLOR, D3D11_BLEND_ONE, D3D11_BLEND_OP_ADD},              // 7 multiply-add
    {TRUE, D3D11_BLEND_ONE, D3D11_BLEND_INV_SRC_ALPHA, D3D11_BLEND_OP_ADD},           // 8 premultiplied
};

const D3D11_COMPARISON_FUNC kDepthComparisons[8] = {
    D3D11_COMPARISON_NEVER,   D3D11_COMPARISON_LESS,      D3D11_COMPARISON_EQUAL,
    D3D11_COMPARISON_LESS_EQUAL, D3D11_COMPARISON_GREATER, D3D11_COMPARISON_NOT_EQUAL,
    D3D11_COMPARISON_GREATER_EQUAL, D3D11_COMPARISON_ALWAYS,
};

const D3D11_FILTER kFilterRows[8] = {
    D3D11_FILTER_MIN_MAG_MIP_POINT,
    D3D11_FILTER_MIN_MAG_POINT_MIP_LINEAR,
    D3D11_FILTER_MIN_POINT_MAG_LINEAR_MIP_POINT,
    D3D11_FILTER_MIN_POINT_MAG_MIP_LINEAR,
    D3D11_FILTER_MIN_LINEAR_MAG_MIP_POINT,
    D3D11_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR,
    D3D11_FILTER_MIN_MAG_LINEAR_MIP_POINT,
    D3D11_FILTER_MIN_MAG_MIP_LINEAR,
};

const D3D11_TEXTURE_ADDRESS_MODE kAddressModes[3] = {
    D3D11_TEXTURE_ADDRESS_CLAMP, D3D11_TEXTURE_ADDRESS_WRAP, D3D11_TEXTURE_ADDRESS_MIRROR,
};

const int kRenderTargetEntriesFilled = 4;

LONG SaturatedSum(int origin, int extent)
{
    int64_t sum = static_cast<int64_t>(origin) + extent;
    if (sum > INT32_MAX)
        return INT32_MAX;
    if (sum < INT32_MIN)
        return INT32_MIN;
    return static_cast<LONG>(sum);
}

}  // namespace

D3D11_BLEND_DESC QVI_D3D11BlendDescription(int blendMode, bool colorWrite)
{
    D3D11_BLEND_DESC description = {};
    description.AlphaToCoverageEnable = FALSE;
    description.IndependentBlendEnable = FALSE;
    if (blendMode < 1 || blendMode > 8)
        blendMode = 3;
    const BlendFactors& factors = kBlendFactors[blendMode];
    const bool blending = factors.enable;
    for (int i = 0; i < kRenderTargetEntriesFilled; ++i) {
        D3D11_RENDER_TARGET_BLEND_DESC& target = description.RenderTarget[i];
        target.BlendEnable = factors.enable;
        target.SrcBlend = factors.source;
        target.DestBlend = factors.destination;
        target.BlendOp = factors.operation;
        target.SrcBlendAlpha = blending ? D3D11_BLEND_SRC_ALPHA : D3D11_BLEND_ONE;
        target.DestBlendAlpha = blending ? D3D11_BLEND_ONE : D3D11_BLEND_ZERO;
        target.BlendOpAlpha = D3D11_BLEND_OP_ADD;
        target.RenderTargetWriteMask = colorWrite ? D3D11_COLOR_WRITE_ENABLE_ALL : 0;
    }
    return description;
}

D3D11_RASTERIZER_DESC QVI_D3D11RasterizerDescription(int cullMode, bool scissor)
{
    static const D3D11_CULL_MODE kCullModes[3] = {D3D11_CULL_NONE, D3D11_CULL_FRONT, D3D11_CULL_BACK};
    D3D11_RASTERIZER_DESC description = {};
    description.FillMode = D3D11_FILL_SOLID;
    description.CullMode = (cullMode >= 0 && cullMode <= 2) ? kCullModes[cullMode] : D3D11_CULL_NONE;
    description.FrontCounterClockwise = FALSE;
    description.DepthBias = 0;
    description.DepthBiasClamp = 0.0f;
    description.SlopeScaledDepthBias = 0.0f;
    description.DepthClipEnable = TRUE;
    description.ScissorEnable = scissor ? TRUE : FALSE;
    description.MultisampleEnable = FALSE;
    description.AntialiasedLineEnable = FALSE;
    return description;
}

D3D11_COMPARISON_FUNC QVI_D3D11DepthComparison(int depthCompare)
{
    if (depthCompare < 0 || depthCompare > 7)
        return D3D11_COMPARISON_LESS;
    return kDepthComparisons[depthCompare];
}

D3D11_DEPTH_STENCIL_DESC QVI_D3D11DepthStencilDescription(bool depthTest, bool depthWrite, int depthCompare)
{
    D3D11_DEPTH_STENCIL_DESC description = {};
    description.DepthEnable = depthTest ? TRUE : FALSE;
    description.DepthWriteMask = depthWrite ? D3D11_DEPTH_WRITE_MASK_ALL : D3D11_DEPTH_WRITE_MASK_ZERO;
    description.DepthFunc = QVI_D3D11DepthComparison(depthCompare);
    description.StencilEnable = FALSE;
    description.StencilReadMask = 0;
    description.StencilWriteMask = 0;
    return description;
}

int QVI_D3D11FilterRow(int minFilter, int magFilter, int mipFilter)
{
    if (minFilter == 3 || magFilter == 3 || mipFilter == 3)
        return -1;
    return 4 * (minFilter - 1) + 2 * (magFilter - 1) + (mipFilter - 1);
}

D3D11_FILTER QVI_D3D11FilterOfRow(int row)
{
    if (row < 0 || row > 7)
        return D3D11_FILTER_ANISOTROPIC;
    return kFilterRows[row];
}

int QVI_D3D11AddressCombination(int u, int v, int w)
{
    return 9 * (u - 1) + 3 * (v - 1) + (w - 1);
}

void QVI_D3D11AddressModesOf(int combination, D3D11_TEXTURE_ADDRESS_MODE* u, D3D11_TEXTURE_ADDRESS_MODE* v,
                             D3D11_TEXTURE_ADDRESS_MODE* w)
{
    if (combination < 0 || combination > 26)
        combination = 0;
    *u = kAddressModes[combination / 9];
    *v = kAddressModes[(combination / 3) % 3];
    *w = kAddressModes[combination % 3];
}

D3D11_SAMPLER_DESC QVI_D3D11BaseSamplerDescription()
{
    D3D11_SAMPLER_DESC description = {};
    description.Filter = D3D11_FILTER_MIN_MAG_MIP_POINT;
    description.AddressU = D3D11_TEXTURE_ADDRESS_CLAMP;
    description.AddressV = D3D11_TEXTURE_ADDRESS_CLAMP;
    description.AddressW = D3D11_TEXTURE_ADDRESS_CLAMP;
    description.MipLODBias = 0.0f;
    description.MaxAnisotropy = 0;
    description.ComparisonFunc = D3D11_COMPARISON_NEVER;
    description.MinLOD = 0.0f;
    description.MaxLOD = FLT_MAX;
    return description;
}

D3D11_RECT QVI_D3D11ScissorRectangle(int x, int y, int width, int height)
{
    D3D11_RECT rectangle;
    rectangle.left = x > 0 ? x : 0;
    rectangle.top = y > 0 ? y : 0;
    rectangle.right = SaturatedSum(x, width);
    rectangle.bottom = SaturatedSum(y, height);
    return rectangle;
}
