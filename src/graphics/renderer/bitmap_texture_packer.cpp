#include "graphics/renderer/bitmap_texture_packer.h"

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "graphics/renderer/texture_description.h"

namespace {

const int kBytesPerPixel = 4;
const int kAlphaByte = 3;
const uint8_t kAlphaFlag = 1 << 0;
// The largest side a block may have: above this, the next power of two no longer fits an int.
const int64_t kLargestSide = int64_t(1) << 30;
// A padding border never doubles a texture from this size up (see DropsPadding).
const int kLargePaddedSide = 1023;
const int kLargePowerOfTwoSide = 1024;

int64_t NextPowerOfTwo(int64_t value)
{
    int64_t power = 1;
    while (power < value)
        power *= 2;
    return power;
}

// A border at this side would make the texture twice as large: it is left out.
bool DropsPadding(int side, int padding)
{
    if (padding == 0)
        return false;
    if (side >= kLargePowerOfTwoSide && QVI_IsPowerOfTwo(side))
        return true;
    return side >= kLargePaddedSide && side == NextPowerOfTwo(side) - padding;
}

bool NameContains(const Bitmap* bitmap, const char* part)
{
    return bitmap->header.name && strstr(bitmap->header.name, part);
}

const char* NameOf(const Bitmap* bitmap)
{
    return bitmap->header.name ? bitmap->header.name : "";
}

// Everything the packer reads of a bitmap is present and sized for the block.
bool HasPixelsToPack(const BitmapTexturePacker& packer)
{
    const Bitmap* source = packer.source;
    return source && source->pixels && source->textureWidth > 0 && source->textureHeight > 0 &&
           packer.width >= source->textureWidth + 2 * packer.xPadding &&
           packer.height >= source->textureHeight + 2 * packer.yPadding;
}

uint8_t* PixelAt(const BitmapTexturePacker& packer, int x, int y)
{
    return packer.target + static_cast<size_t>(y) * static_cast<size_t>(packer.pitch) +
           static_cast<size_t>(x) * kBytesPerPixel;
}

void CopyTargetPixel(const BitmapTexturePacker& packer, int toX, int toY, int fromX, int fromY)
{
    memcpy(PixelAt(packer, toX, toY), PixelAt(packer, fromX, fromY), kBytesPerPixel);
}

}  // namespace

BitmapTexturePacker BitmapPacker::BeginPacking(Bitmap* bitmap, bool nonPowerOfTwo)
{
    BitmapTexturePacker packer = {};
    packer.nonPowerOfTwo = nonPowerOfTwo ? 1 : 0;
    if (!bitmap) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "BitmapPacker::BeginPacking got null bitmap pointer. This should never happen.");
        return packer;
    }
    if (!bitmap->pixels)
        QVI_ReportPopup(QV_LOG_WARNING,
                        "BitmapPacker::BeginPacking bitmap '%s' has no pixels. This should never happen.",
                        NameOf(bitmap));
    packer.source = bitmap;

    if (bitmap->textureWidth == 0 || bitmap->textureHeight == 0) {
        bitmap->textureWidth = bitmap->width;
        bitmap->textureHeight = bitmap->height;
    }
    if (bitmap->packMode < kPadExpand || bitmap->packMode > kNoPadding) {
        QVI_Report(QV_LOG_WARNING, "BitmapPacker::BeginPacking bitmap '%s' has unknown pack mode %d; no padding used.",
                   NameOf(bitmap), bitmap->packMode);
        bitmap->packMode = kNoPadding;
    }
    const int width = bitmap->textureWidth;
    const int height = bitmap->textureHeight;
    if (NameContains(bitmap, "textures/") || (QVI_IsPowerOfTwo(width) && QVI_IsPowerOfTwo(height)))
        bitmap->packMode = kNoPadding;
    else if (bitmap->packMode == kPadTransparent && !(bitmap->flags & kAlphaFlag))
        bitmap->packMode = kPadExpand;

    const int padding = bitmap->packMode == kNoPadding ? 0 : 1;
    packer.xPadding = DropsPadding(width, padding) ? 0 : padding;
    packer.yPadding = DropsPadding(height, padding) ? 0 : padding;
    if (packer.xPadding == 0 && packer.yPadding == 0)
        bitmap->packMode = kNoPadding;

    // In 64 bits: a padded or rounded side must not wrap around. A size that cannot make a
    // block leaves the block empty, and CopyPixels then touches nothing.
    const int64_t paddedWidth = int64_t(width) + 2 * packer.xPadding;
    const int64_t paddedHeight = int64_t(height) + 2 * packer.yPadding;
    if (width <= 0 || height <= 0 || paddedWidth > kLargestSide || paddedHeight > kLargestSide) {
        QVI_Report(QV_LOG_WARNING, "BitmapPacker::BeginPacking bitmap '%s' has no usable size (%dx%d).",
                   NameOf(bitmap), width, height);
        return packer;
    }
    packer.width = static_cast<int32_t>(nonPowerOfTwo ? paddedWidth : NextPowerOfTwo(paddedWidth));
    packer.height = static_cast<int32_t>(nonPowerOfTwo ? paddedHeight : NextPowerOfTwo(paddedHeight));
    packer.pitch = packer.width * kBytesPerPixel;
    packer.ownsTarget = 0;
    return packer;
}

void BitmapTexturePacker::CopyPixels()
{
    target = nullptr;
    ownsTarget = 0;
    if (!HasPixelsToPack(*this))
        return;
    const Bitmap* bitmap = source;
    if (width == bitmap->textureWidth && height == bitmap->textureHeight) {
        target = bitmap->pixels;
        return;
    }
    // Zeroed: the block's area outside the image and its border goes to the GPU as it is.
    const size_t bytes = static_cast<size_t>(pitch) * static_cast<size_t>(height);
    target = static_cast<uint8_t*>(calloc(bytes, 1));
    if (!target) {
        QVI_Report(QV_LOG_WARNING, "BitmapTexturePacker unable to get target pixel memory.\n");
        return;
    }
    ownsTarget = 1;
    const size_t rowBytes = static_cast<size_t>(bitmap->textureWidth) * kBytesPerPixel;
    for (int row = 0; row < bitmap->textureHeight; ++row)
        memcpy(PixelAt(*this, xPadding, yPadding + row), bitmap->pixels + row * rowBytes, rowBytes);
    FillBorder(bitmap->packMode);
}

void BitmapTexturePacker::FillBorder(int packMode)
{
    if (xPadding == 0 && yPadding == 0)
        return;
    if (packMode != kPadExpand && packMode != kPadTransparent)
        return;
    if (!target || !HasPixelsToPack(*this))
        return;
    const int imageWidth = source->textureWidth;
    const int imageHeight = source->textureHeight;
    const int below = yPadding + imageHeight;  // the row under the image
    const int right = xPadding + imageWidth;   // the column right of the image
    const int firstRow = 0;
    const int lastRow = yPadding ? below : imageHeight - 1;

    if (yPadding) {
        memcpy(PixelAt(*this, xPadding, 0), PixelAt(*this, xPadding, yPadding),
               static_cast<size_t>(imageWidth) * kBytesPerPixel);
        memcpy(PixelAt(*this, xPadding, below), PixelAt(*this, xPadding, below - 1),
               static_cast<size_t>(imageWidth) * kBytesPerPixel);
    }
    if (xPadding) {
        for (int y = firstRow; y <= lastRow; ++y) {
            CopyTargetPixel(*this, 0, y, 1, y);
            CopyTargetPixel(*this, right, y, right - 1, y);
        }
    }
    if (packMode != kPadTransparent)
        return;
    if (yPadding) {
        for (int x = 0; x < right + xPadding; ++x) {
            PixelAt(*this, x, 0)[kAlphaByte] = 0;
            PixelAt(*this, x, below)[kAlphaByte] = 0;
        }
    }
    if (xPadding) {
        for (int y = firstRow; y <= lastRow; ++y) {
            PixelAt(*this, 0, y)[kAlphaByte] = 0;
            PixelAt(*this, right, y)[kAlphaByte] = 0;
        }
    }
}
