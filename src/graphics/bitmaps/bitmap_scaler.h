#pragma once

#include <cstdint>

#include "quaven/bitmap.h"

// The arithmetic the scaler shares with QVI_SampleBitmapBilinear and QVI_SampleBitmapArea,
// in one place because the two must agree to the byte: bilinear weights carry 11 fractional
// bits per axis (22 in their product), alpha is a pixel's last byte, and an average of 0 to
// 1 becomes a byte by truncation, held to 0..255.
const int kSampleWeightBits = 11;
const int kPixelAlphaByte = 3;
inline uint8_t QVI_SampleToByte(double value)
{
    if (!(value > 0.0))
        return 0;
    if (value >= 1.0)
        return 255;
    return static_cast<uint8_t>(value * 255.0);
}

// Fills target's pixels (its width and height already set, the block allocated) with
// source's pixels scaled: every target pixel (x, y) is, byte for byte, what
// QVI_SampleBitmapBilinear (both ratios at most 1.5) or QVI_SampleBitmapArea (with the box
// of the two ratios) answers at (x / width, y / height). The sample positions and weights
// of each column and each row are found once, and a row of samples is shared by every
// target row that samples the same source rows with the same weight.
void QVI_ScaleBitmapPixels(const Bitmap* source, Bitmap* target);
