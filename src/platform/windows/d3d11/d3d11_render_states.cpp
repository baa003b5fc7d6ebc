// Blend, rasterizer and depth-stencil states: built at Init, picked by the state setters.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "platform/windows/d3d11/d3d11_release.h"
#include "platform/windows/d3d11/d3d11_state_tables.h"

namespace {

const UINT kAllSamples = 0xFFFFFFFF;

// The blend mode the graphics side holds, to re-apply it when colour write changes.
int GraphicsBlendMode()
{
    if (qv && qv->graphics && qv->graphics->GetBlendMode)
        return qv->graphics->GetBlendMode();
    return QV_BLEND_ALPHA;
}

}  // namespace

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
        QVI_ReportPopup(2, "D3D11 renderer failed to create a rasterizer state.");
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
