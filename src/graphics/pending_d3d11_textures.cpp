// Stand-ins for the image loader's base bodies (bitmap_pool's image_loader.cpp), so that
// the read-back tests can make a loader of their own. Deleted at merge.
#include "graphics/renderer/image_loader.h"

ImageLoaderImp::~ImageLoaderImp() {}  // key function: the base's vtable comes with it
void ImageLoaderImp::AllocateImagePixels(Bitmap*, int, int) {}  // the tests' loader overrides it
