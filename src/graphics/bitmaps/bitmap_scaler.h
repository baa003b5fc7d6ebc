#pragma once

#include "quaven/bitmap.h"

// Fills target's pixels (its width and height already set, the block allocated) with
// source's pixels scaled: every target pixel (x, y) is, byte for byte, what
// QVI_SampleBitmapBilinear (both ratios at most 1.5) or QVI_SampleBitmapArea (with the box
// of the two ratios) answers at (x / width, y / height). The sample positions and weights
// of each column and each row are found once, and a row of samples is shared by every
// target row that samples the same source rows with the same weight.
void QVI_ScaleBitmapPixels(const Bitmap* source, Bitmap* target);
