#pragma once

#include "quaven/bitmap.h"

// Checks and derived values of a texture description, shared by the renderers and the
// bitmap pool.

// Mip levels of a width x height texture. requested 1 gives 1. Otherwise the full
// count is 1 plus one level per halving of both sides, the first halving always
// counted, further ones while both halves stay above 16 (256 x 256 gives 5, 16 x 16
// gives 2). A positive request below the full count caps it; 0 and negative requests
// give the full count.
int QVI_GetMipLevelCount(int width, int height, int requested);

// The check made before a bitmap or render target gets GPU storage: depth formats only
// as 2D, a depth (layer count) of 1 unless 3D, cube maps square with power-of-two faces
// (a non-render-target cube map holds its six faces stacked, height = 6 x face). A
// failure is raised through LogPopup at error level and answers false; a null bitmap
// answers false.
bool QVI_ValidateBitmapDescription(const Bitmap* bitmap);

// The texture type a bitmap name asks for: "_2D.", "_3D." or "_CUBE." after an
// underscore set it (2D, 3D, cube), the last such marker before the extension winning;
// a name without a marker (or null) is 2D.
TextureType QVI_GetTextureTypeFromName(const char* name);

// True for 1, 2, 4, 8, ... (positive powers of two, 1 included).
bool QVI_IsPowerOfTwo(int value);

// One 2D texture of this format and size without further mip levels (depth 1), a render
// target or not: the engine's own white texture and frame buffer.
BitmapDescription QVI_Single2DDescription(TextureFormat format, int width, int height, bool renderTarget);
