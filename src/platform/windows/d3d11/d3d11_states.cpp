// Blend, rasterizer, depth-stencil and sampler states: the tables that turn the engine's
// state codes into Direct3D 11 descriptions, the objects built from them at Init, and the
// state setters that pick the prebuilt objects.
//
// The 9 x 27 prebuilt samplers: one filter row and one address combination serve every pixel
// stage, so a change on any stage applies to the next bind on all of them.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <cfloat>
#include <cstdint>

#include "core/engine_log.h"

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

const UINT kAllSamples = 0xFFFFFFFF;

// The blend mode the graphics side holds, to re-apply it when colour write changes.
int GraphicsBlendMode()
{
    if (qv && qv->graphics && qv->graphics->GetBlendMode)
        return qv->graphics->GetBlendMode();
    return QV_BLEND_ALPHA;
}

const UINT kAnisotropyOnLevel91 = 2;
const UINT kAnisotropy = 8;

bool IsStageValid(int stage)
{
    return stage >= 0 && stage < D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT;
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
    // An empty rectangle must stay empty: one turned inside out (right left of left) is
    // refused by some drivers, which then keep the previous rectangle and clip nothing away.
    if (rectangle.right < rectangle.left)
        rectangle.right = rectangle.left;
    if (rectangle.bottom < rectangle.top)
        rectangle.bottom = rectangle.top;
    return rectangle;
}

ID3D11RasterizerState* RendImpDirect3D11::CreateRasterizerState(const D3D11_RASTERIZER_DESC& description)
{
    if (!device)
        return nullptr;
    ID3D11RasterizerState* state = nullptr;
    if (device1) {
        D3D11_RASTERIZER_DESC1 description1 = {};
        description1.FillMode = description.FillMode;
        description1.CullMode = description.CullMode;
        description1.FrontCounterClockwise = description.FrontCounterClockwise;
        description1.DepthBias = description.DepthBias;
        description1.DepthBiasClamp = description.DepthBiasClamp;
        description1.SlopeScaledDepthBias = description.SlopeScaledDepthBias;
        description1.DepthClipEnable = description.DepthClipEnable;
        description1.ScissorEnable = description.ScissorEnable;
        description1.MultisampleEnable = description.MultisampleEnable;
        description1.AntialiasedLineEnable = description.AntialiasedLineEnable;
        description1.ForcedSampleCount = 0;
        ID3D11RasterizerState1* state1 = nullptr;
        if (SUCCEEDED(device1->CreateRasterizerState1(&description1, &state1)) && state1) {
            if (FAILED(state1->QueryInterface(__uuidof(ID3D11RasterizerState), reinterpret_cast<void**>(&state))))
                state = nullptr;
            state1->Release();
        }
    }
    // A runtime that refuses the 11.1 call still makes the plain state.
    if (!state && (FAILED(device->CreateRasterizerState(&description, &state)) || !state)) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create a rasterizer state.");
        return nullptr;
    }
    return state;
}

bool RendImpDirect3D11::CreateRasterizerStates()
{
    for (int scissor = 0; scissor < 2; ++scissor) {
        for (int cull = 0; cull < kCullModes; ++cull) {
            rasterizerStates[cull][scissor] = CreateRasterizerState(QVI_D3D11RasterizerDescription(cull, scissor != 0));
            if (!rasterizerStates[cull][scissor])
                return false;
        }
    }
    // A new or cleared context culls back faces and has no scissor rectangle, while the
    // graphics API's cull mode (none until the game sets another) holds from the first
    // draw on: mirrored quads of the first frame would otherwise vanish.
    scissorOn = 0;
    if (context)
        context->RSSetState(rasterizerStates[CurrentCullMode()][0]);
    return true;
}

bool RendImpDirect3D11::CreateDepthStencilState()
{
    if (!device)
        return false;
    const D3D11_DEPTH_STENCIL_DESC description =
        QVI_D3D11DepthStencilDescription(depthTest != 0, depthWrite != 0, depthCompare);
    ID3D11DepthStencilState* state = nullptr;
    if (FAILED(device->CreateDepthStencilState(&description, &state)) || !state)
        return false;
    ReleaseAndNull(depthStencilState);
    depthStencilState = state;
    if (context)
        context->OMSetDepthStencilState(depthStencilState, 0);
    return true;
}

void RendImpDirect3D11::PrepareDepthStencilState()
{
    if (depthStateValid)
        return;
    // A failed rebuild keeps the previous state; the next attempt waits for the next change.
    CreateDepthStencilState();
    depthStateValid = 1;
}

bool RendImpDirect3D11::CreateBlendStates()
{
    for (auto& row : blendStates) {
        row[0] = nullptr;
        row[1] = nullptr;
    }
    if (!device)
        return false;
    for (int write = 0; write < 2; ++write) {
        for (int mode = 1; mode < kBlendModeRows; ++mode) {
            const D3D11_BLEND_DESC description = QVI_D3D11BlendDescription(mode, write != 0);
            if (FAILED(device->CreateBlendState(&description, &blendStates[mode][write])) ||
                !blendStates[mode][write]) {
                blendStates[mode][write] = nullptr;
                return false;
            }
        }
    }
    return true;
}

void RendImpDirect3D11::ReleaseStates()
{
    for (auto& row : blendStates) {
        ReleaseAndNull(row[0]);
        ReleaseAndNull(row[1]);
    }
    ReleaseAndNull(depthStencilState);
    for (ID3D11SamplerState*& sampler : anisotropicSamplers)
        ReleaseAndNull(sampler);
    for (auto& row : filterSamplers) {
        for (ID3D11SamplerState*& sampler : row)
            ReleaseAndNull(sampler);
    }
    for (auto& row : rasterizerStates) {
        ReleaseAndNull(row[0]);
        ReleaseAndNull(row[1]);
    }
}

void RendImpDirect3D11::SetBlendMode(BlendMode mode)
{
    if (!QVI_IsBlendModeValid(mode)) {
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_BLEND_MODE, mode);
        return;
    }
    ID3D11BlendState* state = blendStates[mode][colorWrite ? 1 : 0];
    if (context && state)
        context->OMSetBlendState(state, nullptr, kAllSamples);
}

void RendImpDirect3D11::SetColorWrite(bool enable)
{
    colorWrite = enable ? 1 : 0;
    SetBlendMode(GraphicsBlendMode());
}

void RendImpDirect3D11::SetDepthTest(bool enable)
{
    const uint8_t value = enable ? 1 : 0;
    if (value == depthTest)
        return;
    depthTest = value;
    depthStateValid = 0;
}

void RendImpDirect3D11::SetDepthWrite(bool enable)
{
    const uint8_t value = enable ? 1 : 0;
    if (value == depthWrite)
        return;
    depthWrite = value;
    depthStateValid = 0;
}

void RendImpDirect3D11::SetDepthFunction(DepthCompare compare)
{
    depthCompare = compare;
    depthStateValid = 0;
}

void RendImpDirect3D11::SetCullMode(CullMode mode)
{
    if (!QVI_IsCullModeValid(mode)) {
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_CULL_MODE, mode);
        return;
    }
    ID3D11RasterizerState* state = rasterizerStates[mode][scissorOn ? 1 : 0];
    if (context && state)
        context->RSSetState(state);
}

int RendImpDirect3D11::CurrentCullMode() const
{
    if (!qv || !qv->graphics || !qv->graphics->GetRenderStatei)
        return QV_CULL_NONE;
    const int mode = qv->graphics->GetRenderStatei(QV_RENDER_STATE_CULL_MODE);
    if (!QVI_IsCullModeValid(mode)) {
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_CULL_MODE, mode);
        return QV_CULL_NONE;
    }
    return mode;
}

bool RendImpDirect3D11::SetScissorRectangle(int x, int y, int width, int height)
{
    if (!device || !context)
        return false;
    scissorOn = 1;
    ID3D11RasterizerState* state = rasterizerStates[CurrentCullMode()][1];
    if (state)
        context->RSSetState(state);
    const D3D11_RECT rectangle = QVI_D3D11ScissorRectangle(x, y, width, height);
    context->RSSetScissorRects(1, &rectangle);
    return true;
}

void RendImpDirect3D11::DisableScissorRectangle()
{
    if (!device || !context)
        return;
    ID3D11RasterizerState* state = rasterizerStates[CurrentCullMode()][0];
    if (state)
        context->RSSetState(state);
    scissorOn = 0;
}

bool RendImpDirect3D11::CreateSamplerStates(D3D11_SAMPLER_DESC& description,
                                            ID3D11SamplerState* out[kAddressCombinations], int row)
{
    if (!device)
        return false;
    description.Filter = QVI_D3D11FilterOfRow(row);
    if (row == kAnisotropicFilterRow)
        description.MaxAnisotropy = featureLevel == D3D_FEATURE_LEVEL_9_1 ? kAnisotropyOnLevel91 : kAnisotropy;
    for (int combination = 0; combination < kAddressCombinations; ++combination) {
        QVI_D3D11AddressModesOf(combination, &description.AddressU, &description.AddressV, &description.AddressW);
        if (FAILED(device->CreateSamplerState(&description, &out[combination])) || !out[combination]) {
            out[combination] = nullptr;
            QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create a sampler state.");
            return false;
        }
    }
    return true;
}

bool RendImpDirect3D11::CreateAllSamplerStates()
{
    D3D11_SAMPLER_DESC description = QVI_D3D11BaseSamplerDescription();
    for (int row = 0; row < kFilterRows; ++row) {
        if (!CreateSamplerStates(description, filterSamplers[row], row))
            return false;
    }
    return CreateSamplerStates(description, anisotropicSamplers, kAnisotropicFilterRow);
}

void RendImpDirect3D11::BindSampler(int stage)
{
    if (!IsStageValid(stage))
        return;
    ID3D11SamplerState* sampler = currentFilterRow == kAnisotropicFilterRow
                                      ? anisotropicSamplers[currentAddressCombination]
                                      : filterSamplers[currentFilterRow][currentAddressCombination];
    if (context && sampler)
        context->PSSetSamplers(static_cast<UINT>(stage), 1, &sampler);
}

void RendImpDirect3D11::SetSamplerFilter(int stage, TextureFilter minFilter, TextureFilter magFilter,
                                         TextureFilter mipFilter)
{
    if (!QVI_IsTextureFilterValid(minFilter) || !QVI_IsTextureFilterValid(magFilter) ||
        !QVI_IsTextureFilterValid(mipFilter)) {
        const int bad = !QVI_IsTextureFilterValid(minFilter) ? minFilter
                        : !QVI_IsTextureFilterValid(magFilter) ? magFilter : mipFilter;
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_TEXTURE_FILTER, bad);
        return;
    }
    currentFilterRow = QVI_D3D11FilterRow(minFilter, magFilter, mipFilter);
    BindSampler(stage);
}

void RendImpDirect3D11::SetSamplerAddressMode(int stage, TextureAddressMode u, TextureAddressMode v,
                                              TextureAddressMode w)
{
    if (!QVI_IsTextureAddressModeValid(u) || !QVI_IsTextureAddressModeValid(v) ||
        !QVI_IsTextureAddressModeValid(w)) {
        const int bad = !QVI_IsTextureAddressModeValid(u) ? u : !QVI_IsTextureAddressModeValid(v) ? v : w;
        QVI_ReportIgnoredRendererValue(RENDERER_VALUE_ADDRESS_MODE, bad);
        return;
    }
    currentAddressCombination = QVI_D3D11AddressCombination(u, v, w);
    BindSampler(stage);
}
