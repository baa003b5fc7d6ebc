#pragma once

#include "graphics/renderer/image_loader.h"

// The one image loader of the engine: PNG, JPEG and TGA decoded into pixels of the
// renderer's channel order. It has no data of its own.
class ImageLoaderImpPortable : public ImageLoaderImp {
public:
    bool GetImageDimensions(Bitmap* bitmap, const char* path) override;
    bool LoadImage(Bitmap* bitmap, const char* path) override;
    void FreeImagePixels(Bitmap* bitmap) override;
    bool SaveImage(Bitmap* bitmap, const char* path, int quality) override;
};

// The engine-wide loader, made on first use: what pre-initialisation stores in the core
// state, and what the bitmap pool frees and allocates pixels through.
ImageLoaderImp* QVI_GetImageLoader();
