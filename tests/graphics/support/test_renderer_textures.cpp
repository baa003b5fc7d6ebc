// Textures, render targets and their read-back in the tests' renderer.

#include "graphics/support/test_renderer.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "graphics/support/test_texture_formats.h"

namespace {

const uint8_t kRenderTargetFlag = 1 << 2;
const int kCubeFaces = 6;

TextureHardwareData* AsRecord(TestTexture* texture)
{
    return reinterpret_cast<TextureHardwareData*>(texture);
}

// Hands the texture to the bitmap; withRegion: the image's place in it too (the whole
// texture up to the image's size).
void Attach(Bitmap* bitmap, TestTexture* texture, bool withRegion)
{
    BitmapHardwareData& hardware = bitmap->hardware;
    if (withRegion) {
        hardware.textureFullWidth = texture->width;
        hardware.textureFullHeight = texture->height;
        hardware.left = 0.0f;
        hardware.top = 0.0f;
        hardware.right = static_cast<float>(bitmap->textureWidth) / texture->width;
        hardware.bottom = static_cast<float>(bitmap->textureHeight) / texture->height;
    }
    hardware.rendererData = AsRecord(texture);
    hardware.loaded = 1;
}

uint8_t* RenewPixelsWithHeap(Bitmap* bitmap, int width, int height)
{
    free(bitmap->pixels);
    bitmap->pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(width) * height * 4));
    return bitmap->pixels;
}

uint8_t ToByte(float v)
{
    if (!(v > 0.0f))
        return 0;
    if (v >= 1.0f)
        return 255;
    return static_cast<uint8_t>(v * 255.0f + 0.5f);
}

} // namespace

TestTexture* TestRenderer::Known(TextureHardwareData* record) const
{
    TestTexture* texture = reinterpret_cast<TestTexture*>(record);
    return textures_.count(texture) != 0 ? texture : nullptr;
}

const TestTexture* TestRenderer::Known(const TextureHardwareData* record) const
{
    return Known(const_cast<TextureHardwareData*>(record));
}

bool TestRenderer::IsTextureFormatSupported(const BitmapDescription* description)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(20, "IsTextureFormatSupported", {}, {description});
    if (!description || !QVI_IsTextureFormatValid(description->format))
        return false;
    if (description->textureType < QV_TEXTURE_TYPE_2D || description->textureType > QV_TEXTURE_TYPE_CUBE)
        return false;
    return unsupportedFormats.count(description->format) == 0;
}

bool TestRenderer::CreateTexture(Bitmap* bitmap)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(22, "CreateTexture", {}, {bitmap});
    if (!bitmap || failCreateTexture || !bitmap->pixels)
        return false;
    int contentWidth = bitmap->textureWidth;
    int contentHeight = bitmap->textureHeight;
    if (contentWidth <= 0 || contentHeight <= 0)
        return false;

    TestTexture* texture = new TestTexture();
    texture->format = QV_TEXTURE_FORMAT_RGBA8;
    if (bitmap->textureType == QV_TEXTURE_TYPE_2D) {
        bool keepSize = bitmap->mipLevels == 1 && nonPowerOfTwoTextures;
        texture->width = keepSize ? contentWidth : RoundUpToPowerOfTwo(contentWidth);
        texture->height = keepSize ? contentHeight : RoundUpToPowerOfTwo(contentHeight);
    } else if (bitmap->textureType == QV_TEXTURE_TYPE_CUBE) {
        texture->faces = kCubeFaces;
        texture->width = contentWidth;
        texture->height = contentHeight / kCubeFaces;
    } else {
        delete texture;
        return false;
    }
    // A cube's faces must be square, as on the device.
    bool badCube = texture->faces > 1 && texture->width != texture->height;
    if (badCube || texture->width <= 0 || texture->height <= 0 || texture->width > maximumTextureSize ||
        texture->height > maximumTextureSize) {
        delete texture;
        return false;
    }
    texture->color.assign(static_cast<size_t>(texture->faces) * texture->width * texture->height * 4, 0.0f);

    // The image sits at the top left of its texture; the rest stays transparent black.
    // A cube's faces follow each other in the pixels, each a square of the content width.
    int rows = texture->faces == 1 ? contentHeight : texture->height;
    for (int face = 0; face < texture->faces; ++face) {
        for (int y = 0; y < rows; ++y) {
            const uint8_t* row =
                bitmap->pixels + ((static_cast<size_t>(face) * rows + y) * contentWidth) * 4;
            for (int x = 0; x < contentWidth; ++x) {
                float texel[4];
                for (int c = 0; c < 4; ++c)
                    texel[c] = row[x * 4 + c] / 255.0f;
                StoreTexel(texture, face, x, y, texel);
            }
        }
    }
    textures_.insert(texture);

    Attach(bitmap, texture, texture->faces == 1);
    bitmap->flags = static_cast<uint8_t>(bitmap->flags & ~kRenderTargetFlag);
    return true;
}

bool TestRenderer::CreateRenderTarget(Bitmap* bitmap)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(21, "CreateRenderTarget", {}, {bitmap});
    if (!bitmap || failCreateRenderTarget || !QVI_IsTextureFormatValid(bitmap->format))
        return false;
    int contentWidth = bitmap->textureWidth;
    int contentHeight = bitmap->textureHeight;

    TestTexture* texture = new TestTexture();
    texture->format = bitmap->format;
    texture->renderTarget = true;
    texture->depth = QVI_IsDepthTextureFormat(bitmap->format);
    if (bitmap->textureType == QV_TEXTURE_TYPE_2D) {
        bool keepSize = bitmap->mipLevels == 1 && nonPowerOfTwoTextures;
        texture->width = keepSize ? contentWidth : RoundUpToPowerOfTwo(contentWidth);
        texture->height = keepSize ? contentHeight : RoundUpToPowerOfTwo(contentHeight);
    } else if (bitmap->textureType == QV_TEXTURE_TYPE_CUBE && !texture->depth) {
        texture->faces = kCubeFaces;
        texture->width = contentWidth;
        texture->height = contentHeight;
    } else {
        delete texture;
        return false;
    }
    if (texture->width <= 0 || texture->height <= 0 || texture->width > maximumTextureSize ||
        texture->height > maximumTextureSize) {
        delete texture;
        return false;
    }
    size_t texels = static_cast<size_t>(texture->faces) * texture->width * texture->height;
    if (texture->depth)
        texture->depthValues.assign(texels, 0.0f);
    else
        texture->color.assign(texels * 4, 0.0f);
    textures_.insert(texture);

    Attach(bitmap, texture, true);
    bitmap->flags = static_cast<uint8_t>(bitmap->flags | kRenderTargetFlag);
    return true;
}

void TestRenderer::DestroyTexture(BitmapHardwareData* hardware)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(23, "DestroyTexture", {}, {hardware});
    if (!hardware)
        return;
    TestTexture* texture = Known(hardware->rendererData);
    if (hardware->rendererData && !texture)
        ++unknownTextureUses_;
    if (texture) {
        // A texture still bound would leave a dangling view; unbind it like a released
        // device view would be.
        for (TextureHardwareData*& bound : state_.textures) {
            if (bound == hardware->rendererData)
                bound = nullptr;
        }
        for (ColorView& view : boundColor_) {
            if (view.texture == texture)
                view = ColorView();
        }
        if (boundDepth_ == texture)
            boundDepth_ = nullptr;
        textures_.erase(texture);
        delete texture;
    }
    hardware->rendererData = nullptr;
    hardware->loaded = 0;
}

void TestRenderer::SetTexture(int stage, TextureHardwareData* record)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(49, "SetTexture", {double(stage)}, {record});
    if (stage < 0 || stage >= kRendererTextureStages)
        return;
    TestTexture* texture = Known(record);
    if (record && !texture)
        ++unknownTextureUses_;
    // Depth targets have no shader view: binding one binds nothing.
    state_.textures[stage] = texture && !texture->depth ? record : nullptr;
}

bool TestRenderer::SetRenderTargets(const RenderTargetSet* targets)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(18, "SetRenderTargets", {}, {targets});
    RenderTargetSet empty = {};
    if (!targets)
        targets = &empty;
    ColorView views[kRendererColorTargets];
    for (int i = 0; i < kRendererColorTargets; ++i) {
        const Bitmap* bitmap = targets->colour[i];
        if (!bitmap)
            continue;
        TestTexture* texture = Known(bitmap->hardware.rendererData);
        if (bitmap->hardware.rendererData && !texture)
            ++unknownTextureUses_;
        if (!texture || texture->depth)
            continue;
        int face = texture->faces > 1 ? targets->face[i] : 0;
        if (face < 0 || face >= texture->faces)
            continue;
        views[i].texture = texture;
        views[i].face = face;
    }
    if (!targets->colour[0]) {
        // Without a first colour target the device binds the back buffer, whatever the
        // depth entry says. A first colour bitmap without a target of its own binds no
        // colour target at all: what is drawn into it goes nowhere.
        BindBackBuffer();
        return true;
    }
    for (int i = 0; i < kRendererColorTargets; ++i)
        boundColor_[i] = views[i];
    boundDepth_ = nullptr;
    if (targets->depth) {
        TestTexture* depth = Known(targets->depth->hardware.rendererData);
        if (depth && depth->depth)
            boundDepth_ = depth;
    }
    return true;
}

void TestRenderer::ClearDepth(float depth)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(35, "ClearDepth", {depth});
    if (!boundDepth_)
        return;
    float stored = StoreDepthValue(boundDepth_->format, depth);
    for (float& value : boundDepth_->depthValues)
        value = stored;
}

bool TestRenderer::ReadRenderTargetPixels(const Bitmap* target, TestImage* out, int face) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    if (!out)
        return false;
    const TestTexture* texture = target ? Known(target->hardware.rendererData) : backBuffer_;
    if (!texture || texture->depth || face < 0 || face >= texture->faces)
        return false;
    out->Resize(texture->width, texture->height);
    for (int y = 0; y < texture->height; ++y) {
        for (int x = 0; x < texture->width; ++x) {
            const float* texel = texture->ColorAt(face, x, y);
            out->Set(x, y, Rgba8{ToByte(texel[0]), ToByte(texel[1]), ToByte(texel[2]), ToByte(texel[3])});
        }
    }
    return true;
}

float TestRenderer::ReadDepth(const Bitmap* depthTarget, int x, int y) const
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    const TestTexture* texture = depthTarget ? Known(depthTarget->hardware.rendererData) : backBufferDepth_;
    if (!texture || !texture->depth || x < 0 || y < 0 || x >= texture->width || y >= texture->height)
        return std::numeric_limits<float>::quiet_NaN();
    return texture->depthValues[static_cast<size_t>(y) * texture->width + x];
}

bool TestRenderer::CopyRenderTargetToPixels(Bitmap* bitmap)
{
    std::lock_guard<std::recursive_mutex> guard(mutex_);
    Record(19, "CopyRenderTargetToPixels", {}, {bitmap});
    if (!bitmap)
        return false;
    const TestTexture* texture = Known(bitmap->hardware.rendererData);
    // Only 8-bit colour targets read back into RGBA bytes.
    if (!texture || texture->depth || !IsEightBitColorFormat(texture->format))
        return false;
    int width = bitmap->width;
    int height = bitmap->height;
    if (width <= 0 || height <= 0 || width > texture->width || height > texture->height)
        return false;
    uint8_t* pixels = renewPixels ? renewPixels(bitmap, width, height) : RenewPixelsWithHeap(bitmap, width, height);
    if (!pixels)
        return false;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const float* texel = texture->ColorAt(0, x, y);
            uint8_t* pixel = pixels + (static_cast<size_t>(y) * width + x) * 4;
            for (int c = 0; c < 4; ++c)
                pixel[c] = ToByte(texel[c]);
            if (texture->format == QV_TEXTURE_FORMAT_RGB8)
                pixel[3] = 255;
        }
    }
    return true;
}
