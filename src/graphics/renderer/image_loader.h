#pragma once

#include "quaven/bitmap.h"

// The image loader: decodes image files into a bitmap's 8-bit pixels (in the renderer's
// channel order) and writes them back. One object, made at pre-initialisation and
// reached through the core state, so that the renderer can renew a bitmap's pixels for a
// read-back. The order of the virtual operations is fixed.
class ImageLoaderImp {
public:
    virtual ~ImageLoaderImp();
    // Width and height from the file's header; pixels stay null.
    virtual bool GetImageDimensions(Bitmap* bitmap, const char* path) = 0;
    virtual bool LoadImage(Bitmap* bitmap, const char* path) = 0;
    // New pixels of that size (contents undefined); width, height and the texture size
    // follow it. Pixels already present are freed first.
    virtual void AllocateImagePixels(Bitmap* bitmap, int width, int height);
    virtual void FreeImagePixels(Bitmap* bitmap) = 0;
    virtual bool SaveImage(Bitmap* bitmap, const char* path, int quality) = 0;
};
