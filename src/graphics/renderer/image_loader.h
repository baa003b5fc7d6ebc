#pragma once

#include "quaven/bitmap.h"

// The image loader: decodes image files into a bitmap's 8-bit pixels (in the renderer's
// channel order) and writes them back. One object, made at pre-initialisation and
// reached through the core state, so that the renderer can renew a bitmap's pixels for a
// read-back. The order of the virtual operations is fixed.
//
// Pixels are width x height x 4 bytes from the C heap; only FreeImagePixels frees them.
class ImageLoaderImp {
public:
    virtual ~ImageLoaderImp();
    // Width and height from the file's header; pixels stay null.
    virtual bool GetImageDimensions(Bitmap* bitmap, const char* path) = 0;
    virtual bool LoadImage(Bitmap* bitmap, const char* path) = 0;
    // New pixels of that size (contents undefined); width, height and the texture size
    // follow it. Pixels already present are freed first. A side outside 1 to 65535 is
    // reported and clamped to 0 to 65536; an empty size or a block the heap cannot give
    // leaves the pixels null.
    virtual void AllocateImagePixels(Bitmap* bitmap, int width, int height);
    virtual void FreeImagePixels(Bitmap* bitmap) = 0;
    virtual bool SaveImage(Bitmap* bitmap, const char* path, int quality) = 0;
};

static_assert(sizeof(void*) != 4 || sizeof(ImageLoaderImp) == 4, "ImageLoaderImp is its table pointer alone");
