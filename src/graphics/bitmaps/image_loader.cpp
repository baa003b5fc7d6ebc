// The engine-wide image loader and the pixel memory it hands out.
#include "graphics/bitmaps/image_loader_portable.h"

#include <cstdlib>

#include "core/engine_log.h"
#include "graphics/graphics_frame.h"

void ImageLoaderImpPortable::FreeImagePixels(Bitmap* bitmap)
{
    if (!bitmap) {
        QVI_Report(QV_LOG_WARNING, "ImageLoader trying to free null bitmap.\n");
        return;
    }
    free(bitmap->pixels);
    bitmap->pixels = nullptr;
}

ImageLoaderImp* QVI_GetImageLoader()
{
    static ImageLoaderImpPortable loader;
    return &loader;
}
