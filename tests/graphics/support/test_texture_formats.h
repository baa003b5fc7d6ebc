#pragma once

// How the tests' renderer stores values in each texture format, so that what it reads
// back matches what a device keeps: 8-bit colour is clamped and rounded to 1/255 steps,
// colour without alpha keeps alpha 1, one-channel formats keep only red, depth formats
// keep their precision.

#include "graphics/support/test_renderer.h"

// Formats 7 and 8 (and the back buffer).
bool IsEightBitColorFormat(int format);

// Writes a colour texel as the format stores it.
void StoreTexel(TestTexture* texture, int face, int x, int y, const float color[4]);

// A depth value as the depth format stores it (clamped to 0-1).
float StoreDepthValue(int format, float depth);

// Rounds x up to the next power of two (a power of two stays; 0 and below stay 0).
int RoundUpToPowerOfTwo(int x);
