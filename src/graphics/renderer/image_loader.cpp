// The part of the image loader that every implementation inherits.
#include "graphics/renderer/image_loader.h"

#include <cstdint>
#include <cstdlib>

#include "core/engine_log.h"

namespace {

const int kLargestSensibleSide = 65535;
const int kLargestSide = 65536;

int ClampSide(int side)
{
    return side < 0 ? 0 : (side > kLargestSide ? kLargestSide : side);
}

}  // namespace

ImageLoaderImp::~ImageLoaderImp()
{
}

void ImageLoaderImp::AllocateImagePixels(Bitmap* bitmap, int width, int height)
{
    if (!bitmap)
        return;
    if (width < 1 || width > kLargestSensibleSide || height < 1 || height > kLargestSensibleSide)
        QVI_ReportPopup(QV_LOG_WARNING, "ImageLoaderImp::AllocateImagePixels dimensions (%d%d) seem weird.", width,
                        height);
    if (bitmap->pixels) {
        QVI_ReportPopup(QV_LOG_WARNING, "ImageLoaderImp::AllocateImagePixels bitmap already has pixels allocated!");
        FreeImagePixels(bitmap);
    }
    width = ClampSide(width);
    height = ClampSide(height);
    bitmap->width = bitmap->textureWidth = width;
    bitmap->height = bitmap->textureHeight = height;
    bitmap->pixels = nullptr;

    // 65536 x 65536 x 4 bytes does not fit into a 32-bit size: the size is counted in 64
    // bits and a block beyond the address space is refused like a failed allocation.
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
    if (bytes == 0)
        return;
    if (bytes <= SIZE_MAX)
        bitmap->pixels = static_cast<uint8_t*>(malloc(static_cast<size_t>(bytes)));
    if (!bitmap->pixels)
        QVI_Report(QV_LOG_ERROR, "ImageLoaderImp::AllocateImagePixels unable to allocate %dx%d pixels.", width,
                   height);
}
