// Textures filled from bitmap pixels (2D through the bitmap packer, cube maps from six
// stacked faces), colour and depth render targets, textures bound to the pixel stages,
// render targets read back into their bitmap's pixels, and the texture format query.
//
// A bitmap's GPU part changes only when an operation succeeds; every refusal and failure
// leaves it as it was.
#include "platform/windows/d3d11/rendimp_direct3d11.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "core/core_state.h"
#include "core/engine_log.h"
#include "graphics/renderer/bitmap_texture_packer.h"
#include "graphics/renderer/image_loader.h"

namespace {

const uint8_t kRenderTargetFlag = 1 << 2;
const int kCubeFaces = 6;
const int kBytesPerPixel = 4;
// Bitmap pixels are R, G, B, A bytes whatever the bitmap's format code.
const DXGI_FORMAT kPixelFormat = DXGI_FORMAT_R8G8B8A8_UNORM;

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap->header.name ? bitmap->header.name : "";
}

ImageLoaderImp* ImageLoaderOf(const CoreState* core)
{
    return core ? core->imageLoader : nullptr;
}

int64_t NextPowerOfTwo(int64_t value)
{
    int64_t power = 1;
    while (power < value)
        power *= 2;
    return power;
}

// The mip levels to create: the requested chain, but never more levels than the size has
// (the device refuses a chain longer than the halvings down to 1 x 1).
UINT MipLevelsFor(int width, int height, int requested)
{
    int possible = 1;
    for (int side = width > height ? width : height; side > 1; side /= 2)
        ++possible;
    const int levels = QVI_GetMipLevelCount(width, height, requested);
    return static_cast<UINT>(levels < possible ? levels : possible);
}

void DescribeShaderView(D3D11_SHADER_RESOURCE_VIEW_DESC& view, DXGI_FORMAT format, bool cube, UINT levels)
{
    view = {};
    view.Format = format;
    if (cube) {
        view.ViewDimension = D3D11_SRV_DIMENSION_TEXTURECUBE;
        view.TextureCube.MostDetailedMip = 0;
        view.TextureCube.MipLevels = levels;
    } else {
        view.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2D;
        view.Texture2D.MostDetailedMip = 0;
        view.Texture2D.MipLevels = levels;
    }
}

bool HoldsView(const TextureHardwareData* record, const ID3D11RenderTargetView* view)
{
    for (const ID3D11RenderTargetView* own : record->targetViews) {
        if (own && own == view)
            return true;
    }
    return false;
}

// B, G, R, A texels to the bitmap's R, G, B, A; colour without alpha reads as opaque.
void ToBitmapChannelOrder(uint8_t* pixels, size_t count, bool opaque)
{
    for (size_t i = 0; i < count; ++i, pixels += kBytesPerPixel) {
        const uint8_t blue = pixels[0];
        pixels[0] = pixels[2];
        pixels[2] = blue;
        if (opaque)
            pixels[3] = 255;
    }
}

}  // namespace

TextureHardwareData::TextureHardwareData(bool chain, bool valid)
    : texture(nullptr),
      shaderView(nullptr),
      targetViews(),
      depthView(nullptr),
      mipsValid(valid ? 1 : 0),
      hasMipChain(chain ? 1 : 0),
      imageX(0),
      imageY(0)
{
}

DXGI_FORMAT RendImpDirect3D11::GetDXGIFormat(int format)
{
    switch (format) {
    case QV_TEXTURE_FORMAT_D16: return DXGI_FORMAT_D16_UNORM;
    case QV_TEXTURE_FORMAT_D24S8: return DXGI_FORMAT_D24_UNORM_S8_UINT;
    case QV_TEXTURE_FORMAT_D32F: return DXGI_FORMAT_D32_FLOAT;
    case QV_TEXTURE_FORMAT_R16F: return DXGI_FORMAT_R16_FLOAT;
    case QV_TEXTURE_FORMAT_RGBA16F: return DXGI_FORMAT_R16G16B16A16_FLOAT;
    case QV_TEXTURE_FORMAT_R32F: return DXGI_FORMAT_R32_FLOAT;
    case QV_TEXTURE_FORMAT_RGBA8: return DXGI_FORMAT_B8G8R8A8_UNORM;
    case QV_TEXTURE_FORMAT_RGB8: return DXGI_FORMAT_B8G8R8X8_UNORM;
    default: return DXGI_FORMAT_UNKNOWN;
    }
}

int RendImpDirect3D11::GetTexelSize(int format)
{
    switch (format) {
    case QV_TEXTURE_FORMAT_D16:
    case QV_TEXTURE_FORMAT_R16F: return 2;
    case QV_TEXTURE_FORMAT_D24S8:
    case QV_TEXTURE_FORMAT_D32F:
    case QV_TEXTURE_FORMAT_R32F:
    case QV_TEXTURE_FORMAT_RGBA8:
    case QV_TEXTURE_FORMAT_RGB8: return 4;
    case QV_TEXTURE_FORMAT_RGBA16F: return 8;
    default: return 0;
    }
}

bool RendImpDirect3D11::IsTextureSizeAllowed(int64_t width, int64_t height)
{
    const int largest = GetMaximumTextureSize();
    return width > 0 && height > 0 && width <= largest && height <= largest;
}

void RendImpDirect3D11::ReportTextureCreationFailure(const Bitmap* bitmap, HRESULT result)
{
    QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create texture '%s'.", NameOf(bitmap));
    if (result == DXGI_ERROR_DEVICE_REMOVED)
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: device removed for reason '%d'",
                   static_cast<int>(device->GetDeviceRemovedReason()));
    if (result == E_OUTOFMEMORY) {
        // What the machine has, so that a report tells a small machine from a leak.
        MEMORYSTATUSEX memory = {};
        memory.dwLength = sizeof memory;
        const size_t megabytes =
            GlobalMemoryStatusEx(&memory) ? static_cast<size_t>(memory.ullTotalPhys / (1024 * 1024)) : 0;
        QVI_Report(QV_LOG_WARNING, "Out of memory (total %zu MB)", megabytes);
    }
}

bool RendImpDirect3D11::CreateTexture(Bitmap* bitmap)
{
    if (!device || !context)
        return false;
    if (!bitmap) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: CreateTexture got a null bitmap.");
        return false;
    }
    const bool oneLevel = bitmap->mipLevels == 1;
    D3D11_TEXTURE2D_DESC description = {};
    description.Format = kPixelFormat;
    description.ArraySize = 1;
    description.SampleDesc.Count = 1;
    description.SampleDesc.Quality = 0;
    description.CPUAccessFlags = 0;
    if (oneLevel) {
        description.Usage = D3D11_USAGE_IMMUTABLE;
        description.BindFlags = D3D11_BIND_SHADER_RESOURCE;
    } else {
        // The lower levels are made by the GPU.
        description.Usage = D3D11_USAGE_DEFAULT;
        description.BindFlags = D3D11_BIND_SHADER_RESOURCE | D3D11_BIND_RENDER_TARGET;
        description.MiscFlags = D3D11_RESOURCE_MISC_GENERATE_MIPS;
    }

    ID3D11Texture2D* texture = nullptr;
    HRESULT result = E_FAIL;
    bool cube = false;
    BitmapTexturePacker packer = {};
    if (bitmap->textureType == QV_TEXTURE_TYPE_2D) {
        packer = BitmapPacker::BeginPacking(bitmap, oneLevel && SupportsNonPowerOfTwoTextures());
        // The packer has said why when it has nothing to pack.
        if (!bitmap->pixels || packer.width <= 0 || packer.height <= 0)
            return false;
        // The device would refuse it too; its block is not even made.
        if (!IsTextureSizeAllowed(packer.width, packer.height)) {
            ReportTextureCreationFailure(bitmap, E_INVALIDARG);
            return false;
        }
        packer.CopyPixels();
        if (!packer.target)
            return false;
        description.Width = static_cast<UINT>(packer.width);
        description.Height = static_cast<UINT>(packer.height);
        description.MipLevels = MipLevelsFor(packer.width, packer.height, bitmap->mipLevels);
        const D3D11_SUBRESOURCE_DATA block = {packer.target, static_cast<UINT>(packer.pitch), 0};
        result = device->CreateTexture2D(&description, description.MipLevels == 1 ? &block : nullptr, &texture);
        if (SUCCEEDED(result) && texture && description.MipLevels != 1)
            context->UpdateSubresource(texture, 0, nullptr, packer.target, static_cast<UINT>(packer.pitch), 0);
        if (packer.ownsTarget)
            free(packer.target);
    } else if (bitmap->textureType == QV_TEXTURE_TYPE_CUBE) {
        cube = true;
        if (!bitmap->pixels) {
            QVI_Report(QV_LOG_ERROR, "D3D11 renderer refused cube map '%s': it has no pixels for its six faces.",
                       NameOf(bitmap));
            return false;
        }
        // The six faces are read from the pixels within width x height; a face the device
        // cannot take (too large, or not square) is refused as the device would refuse it.
        const int face = bitmap->textureHeight / kCubeFaces;
        if (face != bitmap->textureWidth || !IsTextureSizeAllowed(face, face)) {
            ReportTextureCreationFailure(bitmap, E_INVALIDARG);
            return false;
        }
        result = CreateCubeTexture(bitmap, description, &texture);
    } else {
        return false;
    }
    if (FAILED(result) || !texture) {
        ReportTextureCreationFailure(bitmap, result);
        return false;
    }

    D3D11_SHADER_RESOURCE_VIEW_DESC viewDescription;
    DescribeShaderView(viewDescription, kPixelFormat, cube, description.MipLevels);
    ID3D11ShaderResourceView* view = nullptr;
    if (FAILED(device->CreateShaderResourceView(texture, &viewDescription, &view)) || !view) {
        QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create shader resource view for texture '%s'.",
                        NameOf(bitmap));
        texture->Release();
        return false;
    }
    if (description.MipLevels != 1)
        GenerateMipChain(view);

    TextureHardwareData* record = new (std::nothrow) TextureHardwareData(description.MipLevels != 1, true);
    if (!record) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer has no memory for the record of texture '%s'.", NameOf(bitmap));
        view->Release();
        texture->Release();
        return false;
    }
    record->texture = texture;
    record->shaderView = view;
    BitmapHardwareData& hardware = bitmap->hardware;
    if (!cube) {
        record->imageX = packer.xPadding;
        record->imageY = packer.yPadding;
        const float width = static_cast<float>(packer.width);
        const float height = static_cast<float>(packer.height);
        hardware.textureFullWidth = packer.width;
        hardware.textureFullHeight = packer.height;
        hardware.left = static_cast<float>(packer.xPadding) / width;
        hardware.top = static_cast<float>(packer.yPadding) / height;
        hardware.right = static_cast<float>(bitmap->textureWidth + packer.xPadding) / width;
        hardware.bottom = static_cast<float>(bitmap->textureHeight + packer.yPadding) / height;
    }
    bitmap->flags = static_cast<uint8_t>(bitmap->flags & ~kRenderTargetFlag);
    hardware.rendererData = record;
    hardware.loaded = 1;
    return true;
}

HRESULT RendImpDirect3D11::CreateCubeTexture(Bitmap* bitmap, D3D11_TEXTURE2D_DESC& description,
                                             ID3D11Texture2D** texture)
{
    const UINT width = static_cast<UINT>(bitmap->textureWidth);
    const UINT height = static_cast<UINT>(bitmap->textureHeight / kCubeFaces);
    description.ArraySize = kCubeFaces;
    description.Width = width;
    description.Height = height;
    description.MipLevels = MipLevelsFor(static_cast<int>(width), static_cast<int>(height), bitmap->mipLevels);
    description.MiscFlags |= D3D11_RESOURCE_MISC_TEXTURECUBE;
    const UINT pitch = width * kBytesPerPixel;
    const size_t faceBytes = static_cast<size_t>(height) * pitch;
    D3D11_SUBRESOURCE_DATA faces[kCubeFaces];
    for (int f = 0; f < kCubeFaces; ++f)
        faces[f] = {bitmap->pixels + f * faceBytes, pitch, 0};
    if (description.MipLevels == 1)
        return device->CreateTexture2D(&description, faces, texture);
    const HRESULT result = device->CreateTexture2D(&description, nullptr, texture);
    if (SUCCEEDED(result) && *texture) {
        for (UINT f = 0; f < kCubeFaces; ++f)
            context->UpdateSubresource(*texture, D3D11CalcSubresource(0, f, description.MipLevels), nullptr,
                                       faces[f].pSysMem, pitch, 0);
    }
    return result;
}

bool RendImpDirect3D11::CreateRenderTarget(Bitmap* bitmap)
{
    if (!device || !context)
        return false;
    if (!bitmap) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: CreateRenderTarget got a null bitmap.");
        return false;
    }
    // What the device cannot make fails without a message: the engine keeps the bitmap
    // without its GPU target.
    const DXGI_FORMAT format = GetDXGIFormat(bitmap->format);
    if (format == DXGI_FORMAT_UNKNOWN)
        return false;
    const bool depth = QVI_IsDepthTextureFormat(bitmap->format);
    const bool cube = bitmap->textureType == QV_TEXTURE_TYPE_CUBE;
    if (bitmap->textureType != QV_TEXTURE_TYPE_2D && !cube)
        return false;
    if (depth && cube)
        return false;
    int64_t width = bitmap->textureWidth;
    int64_t height = bitmap->textureHeight;
    if (!cube && !(bitmap->mipLevels == 1 && SupportsNonPowerOfTwoTextures()) && width > 0 && height > 0) {
        width = NextPowerOfTwo(width);
        height = NextPowerOfTwo(height);
    }
    if (!IsTextureSizeAllowed(width, height))
        return false;

    D3D11_TEXTURE2D_DESC description = {};
    description.Width = static_cast<UINT>(width);
    description.Height = static_cast<UINT>(height);
    description.ArraySize = cube ? kCubeFaces : 1;
    description.SampleDesc.Count = 1;
    description.SampleDesc.Quality = 0;
    description.Usage = D3D11_USAGE_DEFAULT;
    description.CPUAccessFlags = 0;
    description.MiscFlags = cube ? D3D11_RESOURCE_MISC_TEXTURECUBE : 0;
    description.Format = format;
    // Depth targets are never sampled, so a mip chain would serve nothing; and the GPU
    // cannot generate the mips of a depth format.
    description.MipLevels =
        depth ? 1 : MipLevelsFor(static_cast<int>(width), static_cast<int>(height), bitmap->mipLevels);
    description.BindFlags = depth ? D3D11_BIND_DEPTH_STENCIL : D3D11_BIND_RENDER_TARGET | D3D11_BIND_SHADER_RESOURCE;
    if (description.MipLevels > 1)
        description.MiscFlags |= D3D11_RESOURCE_MISC_GENERATE_MIPS;

    ID3D11Texture2D* texture = nullptr;
    if (FAILED(device->CreateTexture2D(&description, nullptr, &texture)) || !texture)
        return false;
    const bool chain = description.MipLevels != 1;
    TextureHardwareData* record = new (std::nothrow) TextureHardwareData(chain, !chain);
    if (!record) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer has no memory for the record of render target '%s'.",
                   NameOf(bitmap));
        texture->Release();
        return false;
    }
    record->texture = texture;

    if (depth) {
        D3D11_DEPTH_STENCIL_VIEW_DESC view = {};
        view.Format = format;
        view.ViewDimension = D3D11_DSV_DIMENSION_TEXTURE2D;
        view.Flags = 0;
        view.Texture2D.MipSlice = 0;
        if (FAILED(device->CreateDepthStencilView(texture, &view, &record->depthView)) || !record->depthView) {
            record->depthView = nullptr;
            QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create depth stencil view '%s'.", NameOf(bitmap));
            ReleaseTextureRecord(record);
            return false;
        }
    } else {
        for (UINT slice = 0; slice < description.ArraySize; ++slice) {
            D3D11_RENDER_TARGET_VIEW_DESC view = {};
            view.Format = format;
            if (cube) {
                view.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2DARRAY;
                view.Texture2DArray.MipSlice = 0;
                view.Texture2DArray.FirstArraySlice = slice;
                view.Texture2DArray.ArraySize = 1;
            } else {
                view.ViewDimension = D3D11_RTV_DIMENSION_TEXTURE2D;
                view.Texture2D.MipSlice = 0;
            }
            if (FAILED(device->CreateRenderTargetView(texture, &view, &record->targetViews[slice])) ||
                !record->targetViews[slice]) {
                record->targetViews[slice] = nullptr;
                QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create render target view '%s'",
                                NameOf(bitmap));
                ReleaseTextureRecord(record);
                return false;
            }
        }
        D3D11_SHADER_RESOURCE_VIEW_DESC view;
        DescribeShaderView(view, format, cube, description.MipLevels);
        if (FAILED(device->CreateShaderResourceView(texture, &view, &record->shaderView)) || !record->shaderView) {
            record->shaderView = nullptr;
            QVI_ReportPopup(QV_LOG_ERROR, "D3D11 renderer failed to create render target shader resource view '%s'.",
                            NameOf(bitmap));
            ReleaseTextureRecord(record);
            return false;
        }
    }

    BitmapHardwareData& hardware = bitmap->hardware;
    hardware.textureFullWidth = static_cast<int32_t>(width);
    hardware.textureFullHeight = static_cast<int32_t>(height);
    hardware.left = 0.0f;
    hardware.top = 0.0f;
    hardware.right = static_cast<float>(bitmap->textureWidth) / static_cast<float>(width);
    hardware.bottom = static_cast<float>(bitmap->textureHeight) / static_cast<float>(height);
    bitmap->flags = static_cast<uint8_t>(bitmap->flags | kRenderTargetFlag);
    hardware.rendererData = record;
    hardware.loaded = 1;
    return true;
}

void RendImpDirect3D11::ReleaseTextureRecord(TextureHardwareData* record)
{
    if (!record)
        return;
    ReleaseAndNull(record->depthView);
    for (ID3D11RenderTargetView*& view : record->targetViews)
        ReleaseAndNull(view);
    ReleaseAndNull(record->shaderView);
    ReleaseAndNull(record->texture);
    delete record;
}

void RendImpDirect3D11::DestroyTexture(BitmapHardwareData* hardware)
{
    if (!hardware || !hardware->rendererData)
        return;
    TextureHardwareData* record = hardware->rendererData;
    // A target still bound would be drawn into after its release: the back buffer takes
    // its place.
    bool bound = record->depthView && record->depthView == boundDepthView;
    for (const ID3D11RenderTargetView* view : boundColorViews)
        bound = bound || HoldsView(record, view);
    if (bound) {
        const RenderTargetSet backBuffer = {};
        SetRenderTargets(&backBuffer);
    }
    ReleaseTextureRecord(record);
    hardware->rendererData = nullptr;
    hardware->loaded = 0;
}

void RendImpDirect3D11::GenerateMipChain(ID3D11ShaderResourceView* view)
{
    D3D11_SHADER_RESOURCE_VIEW_DESC description;
    view->GetDesc(&description);
    if (description.ViewDimension != D3D11_SRV_DIMENSION_TEXTURECUBE) {
        context->GenerateMips(view);
        return;
    }
    // A cube's levels are made through a view of its six faces as an array: some drivers
    // (Wine's among them) leave the lower levels of a cube view untouched.
    ID3D11Resource* resource = nullptr;
    view->GetResource(&resource);
    D3D11_SHADER_RESOURCE_VIEW_DESC faces = {};
    faces.Format = description.Format;
    faces.ViewDimension = D3D11_SRV_DIMENSION_TEXTURE2DARRAY;
    faces.Texture2DArray.MostDetailedMip = 0;
    faces.Texture2DArray.MipLevels = description.TextureCube.MipLevels;
    faces.Texture2DArray.FirstArraySlice = 0;
    faces.Texture2DArray.ArraySize = kCubeFaces;
    ID3D11ShaderResourceView* facesView = nullptr;
    if (resource && SUCCEEDED(device->CreateShaderResourceView(resource, &faces, &facesView)) && facesView)
        context->GenerateMips(facesView);
    else
        context->GenerateMips(view);
    ReleaseAndNull(facesView);
    ReleaseAndNull(resource);
}

void RendImpDirect3D11::SetTexture(int stage, TextureHardwareData* texture)
{
    if (!context)
        return;
    if (stage < 0 || stage >= D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: texture stage %d is out of range.", stage);
        return;
    }
    ID3D11ShaderResourceView* view = texture ? texture->shaderView : nullptr;
    // A render target's mips are rebuilt once, on its first use as a texture after drawing.
    if (view && !texture->mipsValid) {
        GenerateMipChain(view);
        texture->mipsValid = 1;
    }
    context->PSSetShaderResources(static_cast<UINT>(stage), 1, &view);
}

void RendImpDirect3D11::SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height)
{
    if (!bitmap)
        return;
    BitmapHardwareData& hardware = bitmap->hardware;
    if (hardware.textureFullWidth <= 0 || hardware.textureFullHeight <= 0)
        return;
    const TextureHardwareData* record = hardware.rendererData;
    const float left = static_cast<float>(x) + static_cast<float>(record ? record->imageX : 0);
    const float top = static_cast<float>(y) + static_cast<float>(record ? record->imageY : 0);
    const float fullWidth = static_cast<float>(hardware.textureFullWidth);
    const float fullHeight = static_cast<float>(hardware.textureFullHeight);
    hardware.left = left / fullWidth;
    hardware.top = top / fullHeight;
    hardware.right = (left + static_cast<float>(width)) / fullWidth;
    hardware.bottom = (top + static_cast<float>(height)) / fullHeight;
}

bool RendImpDirect3D11::CopyRenderTargetToPixels(Bitmap* bitmap)
{
    if (!device || !context)
        return false;
    if (!bitmap) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: CopyRenderTargetToPixels got a null bitmap.");
        return false;
    }
    const TextureHardwareData* record = bitmap->hardware.rendererData;
    D3D11_TEXTURE2D_DESC description = {};
    if (record && record->texture)
        record->texture->GetDesc(&description);
    const int texelSize = GetTexelSize(bitmap->format);
    if (!record || !record->texture || description.Format != GetDXGIFormat(bitmap->format) || texelSize == 0) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: bitmap '%s' is no render target of format %d to read back.",
                   NameOf(bitmap), bitmap->format);
        return false;
    }
    // The texels are copied at their own size, row after row: wider texels than the
    // pixels' four bytes do not fit the bitmap.
    if (texelSize > kBytesPerPixel) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: render target '%s' of format %d cannot be read into pixels.",
                   NameOf(bitmap), bitmap->format);
        return false;
    }
    const int width = bitmap->width;
    const int height = bitmap->height;
    if (width <= 0 || height <= 0 || static_cast<UINT>(width) > description.Width ||
        static_cast<UINT>(height) > description.Height) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: render target '%s' cannot be read back at %dx%d.", NameOf(bitmap),
                   width, height);
        return false;
    }
    ImageLoaderImp* loader = ImageLoaderOf(core);
    if (!loader) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: no image loader to read render target '%s' into.", NameOf(bitmap));
        return false;
    }

    description.Usage = D3D11_USAGE_STAGING;
    description.BindFlags = 0;
    description.CPUAccessFlags = D3D11_CPU_ACCESS_READ;
    description.MiscFlags = 0;
    ID3D11Texture2D* staging = nullptr;
    if (FAILED(device->CreateTexture2D(&description, nullptr, &staging)) || !staging)
        return false;
    context->CopyResource(staging, record->texture);
    D3D11_MAPPED_SUBRESOURCE mapped = {};
    if (FAILED(context->Map(staging, 0, D3D11_MAP_READ, 0, &mapped)) || !mapped.pData) {
        staging->Release();
        return false;
    }

    if (bitmap->pixels)
        loader->FreeImagePixels(bitmap);
    loader->AllocateImagePixels(bitmap, width, height);
    const bool copied = bitmap->pixels != nullptr;
    if (copied) {
        const size_t texels = static_cast<size_t>(width) * static_cast<size_t>(height);
        const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(texelSize);
        for (int y = 0; y < height; ++y)
            memcpy(bitmap->pixels + y * rowBytes, static_cast<const uint8_t*>(mapped.pData) + y * mapped.RowPitch,
                   rowBytes);
        // Narrower texels leave the end of the pixels unused; it reads as zero.
        memset(bitmap->pixels + texels * texelSize, 0, texels * (kBytesPerPixel - texelSize));
        if (bitmap->format == QV_TEXTURE_FORMAT_RGBA8 || bitmap->format == QV_TEXTURE_FORMAT_RGB8)
            ToBitmapChannelOrder(bitmap->pixels, texels, bitmap->format == QV_TEXTURE_FORMAT_RGB8);
    } else {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer has no memory for the pixels of render target '%s'.",
                   NameOf(bitmap));
    }
    context->Unmap(staging, 0);
    staging->Release();
    return copied;
}

bool RendImpDirect3D11::IsTextureFormatSupported(const BitmapDescription* description)
{
    if (!device)
        return false;
    if (!description) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: IsTextureFormatSupported got no description.");
        return false;
    }
    const DXGI_FORMAT format = GetDXGIFormat(description->format);
    if (format == DXGI_FORMAT_UNKNOWN) {
        QVI_Report(QV_LOG_ERROR, "D3D11 renderer: unknown texture format %d.", description->format);
        return false;
    }
    UINT support = 0;
    if (FAILED(device->CheckFormatSupport(format, &support)))
        return false;
    if (description->mipLevels != 1 && !(support & D3D11_FORMAT_SUPPORT_MIP))
        return false;
    if (QVI_IsDepthTextureFormat(description->format)) {
        if (!(support & D3D11_FORMAT_SUPPORT_DEPTH_STENCIL))
            return false;
    } else {
        if (description->renderTarget && !(support & D3D11_FORMAT_SUPPORT_RENDER_TARGET))
            return false;
        if (!(support & D3D11_FORMAT_SUPPORT_SHADER_SAMPLE))
            return false;
    }
    switch (description->textureType) {
    case QV_TEXTURE_TYPE_2D: return (support & D3D11_FORMAT_SUPPORT_TEXTURE2D) != 0;
    case QV_TEXTURE_TYPE_3D: return (support & D3D11_FORMAT_SUPPORT_TEXTURE3D) != 0;
    case QV_TEXTURE_TYPE_CUBE: return (support & D3D11_FORMAT_SUPPORT_TEXTURECUBE) != 0;
    default: return true;
    }
}
