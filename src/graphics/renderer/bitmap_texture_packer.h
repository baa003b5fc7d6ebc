#pragma once

#include <cstddef>
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

    // Points target at the bitmap's own pixels when the block has the image's size, else
    // at a zeroed block of its own (ownsTarget, freed with free()) holding the image at
    // (xPadding, yPadding) and its border. target stays null when there is nothing to
    // pack (no bitmap, no pixels, no usable size) or no memory: the caller uploads nothing.
    void CopyPixels();
    // The border of pack modes 0 (edge pixels) and 2 (edge pixels, alpha 0); others none.
    void FillBorder(int packMode);
};

static_assert(sizeof(void*) != 4 || sizeof(BitmapTexturePacker) == 36, "BitmapTexturePacker layout");
static_assert(offsetof(BitmapTexturePacker, width) == 4, "BitmapTexturePacker layout");
static_assert(offsetof(BitmapTexturePacker, xPadding) == 16, "BitmapTexturePacker layout");
static_assert(offsetof(BitmapTexturePacker, ownsTarget) == 24, "BitmapTexturePacker layout");
static_assert(sizeof(void*) != 4 || offsetof(BitmapTexturePacker, source) == 28, "BitmapTexturePacker layout");
static_assert(sizeof(void*) != 4 || offsetof(BitmapTexturePacker, nonPowerOfTwo) == 32, "BitmapTexturePacker layout");

namespace BitmapPacker {
// The block's size and the image's place in it, from the bitmap's texture size and pack
// mode (which it may change: no padding for power-of-two sizes and "textures/" names,
// PAD_EXPAND for PAD_TRANSPARENT without alpha). nonPowerOfTwo keeps the padded size as
// it is; otherwise each side is rounded up to a power of two. A null bitmap, missing
// pixels or an unusable size are logged and give a packer with nothing to copy.
BitmapTexturePacker BeginPacking(Bitmap* bitmap, bool nonPowerOfTwo);
}
