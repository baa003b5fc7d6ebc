#pragma once

#include <cstdint>
#include <cstdio>

#include "quaven/bitmap.h"

// The decoders and encoders behind ImageLoaderImpPortable. Every decoder takes the whole
// file image and its size, and never reads past its end; sizes from headers are checked
// by QVI_IsImageSizeAcceptable before anything is allocated from them. A decoder that
// fails leaves the bitmap without pixels.

// Header sizes are untrusted: a side beyond this is refused before any allocation.
const int64_t kLargestImageSide = 65535;
// 16384 x 16384 is the largest texture any renderer offers; a decoded image past it could
// never be drawn and would take most of a 32-bit address space.
const int64_t kLargestImagePixels = 16384LL * 16384LL;

// Sides from 1 to kLargestImageSide and at most kLargestImagePixels pixels; otherwise a
// log line naming the file and false.
bool QVI_IsImageSizeAcceptable(const char* name, int64_t width, int64_t height);

// width x height x 4 bytes from the C heap (FreeImagePixels frees them), or null after a
// log line. The size must have passed QVI_IsImageSizeAcceptable.
uint8_t* QVI_AllocateImageBlock(const char* name, int width, int height);

// The renderer's PixelChannelOrder, RGBA while no renderer has answered.
int QVI_GetImageChannelOrder();

// The name used in messages: the bitmap's, else "NULL".
const char* QVI_GetImageName(const Bitmap* bitmap);

// Writes the file through its temporary and a rename, so that a failed write leaves the
// previous file as it was; the writer answers false when it could not write everything.
// The temporary file is removed after a failure, which is reported.
bool QVI_WriteImageFile(const char* nativePath, bool (*writer)(FILE* file, void* context), void* context);

// PNG (image_png.cpp).
bool QVI_GetImageDimensionsPNG(Bitmap* bitmap, const uint8_t* file, int size);
bool QVI_LoadImagePNG(Bitmap* bitmap, const uint8_t* file, int size);
bool WritePNG(Bitmap* bitmap, FILE* file);

// JPEG (image_jpeg.cpp).
bool QVI_GetImageDimensionsJPG(Bitmap* bitmap, const uint8_t* file, int size);
bool QVI_LoadImageJPG(Bitmap* bitmap, const uint8_t* file, int size);
bool QVI_SaveImageJPG(const char* nativePath, const uint8_t* rgb, int width, int height, int quality);

// TGA (image_tga.cpp).
bool QVI_GetImageDimensionsTGA(Bitmap* bitmap, const uint8_t* file, int size);
bool QVI_LoadImageTGA(Bitmap* bitmap, const uint8_t* file, int size);
bool QVI_SaveImageTGA(Bitmap* bitmap, const char* nativePath);
