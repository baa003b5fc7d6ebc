// Texture and render-target operations whose GPU side is not built yet. Each reports once
// that it is not available and answers false; drawing then goes on without the texture.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include "core/engine_log.h"

namespace {

void ReportNotAvailable(bool& reported, const char* operation)
{
    if (reported)
        return;
    reported = true;
    QVI_Report(1, "D3D11 renderer: %s is not available yet.", operation);
}

}  // namespace

bool RendImpDirect3D11::CreateRenderTarget(Bitmap* /*bitmap*/)
{
    static bool reported = false;
    ReportNotAvailable(reported, "CreateRenderTarget");
    return false;
}

bool RendImpDirect3D11::CreateTexture(Bitmap* /*bitmap*/)
{
    static bool reported = false;
    ReportNotAvailable(reported, "CreateTexture");
    return false;
}

void RendImpDirect3D11::DestroyTexture(BitmapHardwareData* /*hardware*/)
{
    // No texture was ever created, so there is nothing to release.
    static bool reported = false;
    ReportNotAvailable(reported, "DestroyTexture");
}

void RendImpDirect3D11::SetTexture(int stage, TextureHardwareData* texture)
{
    if (texture) {
        static bool reported = false;
        ReportNotAvailable(reported, "SetTexture");
        return;
    }
    // Unbinding needs no texture record.
    if (!context || stage < 0 || stage >= D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT)
        return;
    ID3D11ShaderResourceView* const none = nullptr;
    context->PSSetShaderResources(static_cast<UINT>(stage), 1, &none);
}
