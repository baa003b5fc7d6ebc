// The renderer's fixed answers and the operations it leaves empty.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

bool RendImpDirect3D11::IsSupported()
{
    return true;
}

int RendImpDirect3D11::GetThreadingCapabilities()
{
    if (capabilities & kCapabilityConcurrentCreates)
        return QV_THREADING_RELEASE_SHADERS_AND_BUFFERS | QV_THREADING_CREATE_SHADERS;
    return 0;
}

int RendImpDirect3D11::GetMaximumTextureSize()
{
    switch (featureLevel) {
    case D3D_FEATURE_LEVEL_9_1:
    case D3D_FEATURE_LEVEL_9_2: return 2048;
    case D3D_FEATURE_LEVEL_9_3: return 4096;
    default: return 16384;
    }
}

int RendImpDirect3D11::GetRendererType()
{
    return QV_RENDERER_TYPE_DIRECT3D11;
}

const char* RendImpDirect3D11::GetName()
{
    return "Direct3D11";
}

int RendImpDirect3D11::GetPixelChannelOrder()
{
    return QV_PIXEL_ORDER_RGBA;
}

bool RendImpDirect3D11::SupportsNonPowerOfTwoTextures()
{
    return (capabilities & kCapabilityNonPowerOfTwoTextures) != 0;
}

int RendImpDirect3D11::GetShaderLevel()
{
    const bool reducedLevel = featureLevel == D3D_FEATURE_LEVEL_9_1 || featureLevel == D3D_FEATURE_LEVEL_9_2 ||
                              featureLevel == D3D_FEATURE_LEVEL_9_3;
    return reducedLevel ? QV_SHADER_LEVEL_LOW : QV_SHADER_LEVEL_DEFAULT;
}

int RendImpDirect3D11::GetShaderLanguage()
{
    return QV_SHADER_LANGUAGE_HLSL11;
}

bool RendImpDirect3D11::UsesPrecompiledShaders()
{
    return true;
}

void RendImpDirect3D11::PostInit() {}
void RendImpDirect3D11::BeginScene() {}
void RendImpDirect3D11::EndScene() {}
void RendImpDirect3D11::Reserved42() {}
void RendImpDirect3D11::Reserved43() {}
