#pragma once

#include <cstdint>

#include "quaven/bitmap.h"

// The pixel operations the engine runs on the CPU over a bitmap's 8-bit pixels (four
// bytes each, alpha last): fetching and filtering, bleeding colour into transparent
// pixels, scaling, comparing, atlas packing and the signed distance of distance-field
// glyphs. A pixel as a u32 holds the four bytes in memory order.

// The pixel at (x, y) clamped into the bitmap. For a bitmap with alpha, a position
// outside gives the clamped edge pixel with alpha 0.
uint32_t QVI_GetBitmapPixelClamped(const Bitmap* bitmap, int x, int y);
// Bilinear sample at (u, v), 0 to 1 across the bitmap, with 11-bit fixed-point weights.
uint32_t QVI_SampleBitmapBilinear(const Bitmap* bitmap, double u, double v);
// Average of bilinear samples one pixel apart over a du x dv pixel box from (u, v); the
// colour averages only samples that are not fully transparent.
uint32_t QVI_SampleBitmapArea(const Bitmap* bitmap, double u, double v, double du, double dv);
// Gives each fully transparent pixel the colour of its last opaque neighbour (above,
// right, below, left), alpha kept 0. Answers the number of pixels changed.
int QVI_BleedTransparentPixels(Bitmap* bitmap);
// target receives source's pixels scaled to width x height: copied at the same size,
// bilinear when shrinking by at most 1.5 (or enlarging), area sampled otherwise.
bool QVI_CreateImageResized(Bitmap* target, Bitmap* source, int width, int height);
// Same size and every channel within 3 of the other's.
bool BitmapPixelsMatch(const Bitmap* a, const Bitmap* b);
// Packs the bitmaps in their order on shelves into the smallest power-of-two atlas (32 to
// 4096 a side, at most maxWidth x maxHeight), two pixels apart, and sets each bitmap's
// texture rectangle to its place. atlas becomes a record outside the pool named "atlas".
bool QVI_PackBitmaps(Bitmap* atlas, Bitmap** bitmaps, int count, int maxWidth, int maxHeight);
// Distance from (x, y) to the nearest pixel of the other side of the glyph's edge, within
// spread; positive inside, negative outside.
float QVI_ComputeDistanceFieldPixel(const Bitmap* bitmap, int spread, int x, int y);
