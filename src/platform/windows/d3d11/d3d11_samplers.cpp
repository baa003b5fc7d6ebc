// The 9 x 27 prebuilt samplers and their selection. One filter row and one address
// combination serve every pixel stage: a change on any stage applies to the next bind on
// all of them.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"
#include "platform/windows/d3d11/d3d11_state_tables.h"

namespace {

const UINT kAnisotropyOnLevel91 = 2;
const UINT kAnisotropy = 8;

bool IsStageValid(int stage)
{
    return stage >= 0 && stage < D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT;
}

}  // namespace

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
            QVI_ReportPopup(2, "D3D11 renderer failed to create a sampler state.");
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
