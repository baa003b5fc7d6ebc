#pragma once

#include <cstdint>

#include "quaven/bitmap.h"

// Lays a bitmap's pixels into the block a texture is made from, with the padding border
// its pack mode asks for. Lives for one texture creation on the renderer side.

enum PackMode : int32_t {
    kPadExpand = 0,       // "PAD_EXPAND " : a border copied from the edge pixels
    kPadTransparent = 2,  // "PAD_TRANSPARENT": the same border, alpha 0
    kNoPadding = 3,       // "NO_PADDING"
};

struct BitmapTexturePacker {
    uint8_t* target;  // the block the texture is filled from
    int32_t width;    // of the block, in pixels
    int32_t height;
    int32_t pitch;    // bytes per row
    int32_t xPadding;  // 0 or 1: where the image starts in the block
    int32_t yPadding;
    uint8_t ownsTarget;  // the renderer frees target after the upload
    Bitmap* source;
    uint8_t nonPowerOfTwo;

    void CopyPixels();
    void FillBorder(int packMode);
};

namespace BitmapPacker {
BitmapTexturePacker BeginPacking(Bitmap* bitmap, bool nonPowerOfTwo);
}

// Mip levels of a width x height texture: 1 when requested is 1; otherwise one level per
// halving while both sides stay above 16, capped by a positive request below that.
int QVI_GetMipLevelCount(int width, int height, int requested);
