#include "support/back_buffer.h"

namespace quaven_test {

TestImage ReadBackBuffer(RendImpDirect3D11& renderer) {
    TestImage image;
    ID3D11Texture2D* buffer = nullptr;
    if (!renderer.swapChain || !renderer.device ||
        FAILED(renderer.swapChain->GetBuffer(0, __uuidof(ID3D11Texture2D), reinterpret_cast<void**>(&buffer))))
        return image;
    D3D11_TEXTURE2D_DESC description;
    buffer->GetDesc(&description);
    description.Usage = D3D11_USAGE_STAGING;
    description.BindFlags = 0;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    ID3D11Texture2D* staging = nullptr;
    D3D11_MAPPED_SUBRESOURCE mapped;
    if (SUCCEEDED(renderer.device->CreateTexture2D(&description, nullptr, &staging))) {
        renderer.context->CopyResource(staging, buffer);
        if (SUCCEEDED(renderer.context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped))) {
            image.Resize(description.Width, description.Height);
            for (int y = 0; y < image.height; ++y) {
                const uint8_t* row = static_cast<const uint8_t*>(mapped.pData) + y * mapped.RowPitch;
                for (int x = 0; x < image.width; ++x)  // stored B, G, R, A
                    image.Set(x, y, Rgba8{row[x * 4 + 2], row[x * 4 + 1], row[x * 4], row[x * 4 + 3]});
            }
            renderer.context->Unmap(staging, 0);
        }
        staging->Release();
    }
    buffer->Release();
    return image;
}

}  // namespace quaven_test
