// The engine-wide image loader: reading image files whole, choosing the codec by the
// extension, and writing pixels back through a temporary file.
#include "graphics/bitmaps/image_loader_portable.h"

#include <climits>
#include <cstdlib>
#include <cstring>

#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/engine_log.h"
#include "core/engine_string.h"
#include "filesystem/file_replacement.h"
#include "filesystem/paths.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_codecs.h"
#include "graphics/graphics_frame.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/setup/renderer_setup.h"

namespace {

// Larger files are refused before a buffer is made for them: no image the engine can
// draw comes near this.
const int64_t kLargestImageFile = 512LL * 1024 * 1024;

enum class ImageFormat { kUnknown, kTGA, kPNG, kJPG };

ImageFormat FormatFromExtension(const char* extension)
{
    if (!extension)
        return ImageFormat::kUnknown;
    if (_stricmp(extension, "tga") == 0)
        return ImageFormat::kTGA;
    if (_stricmp(extension, "png") == 0)
        return ImageFormat::kPNG;
    if (_stricmp(extension, "jpg") == 0)
        return ImageFormat::kJPG;
    return ImageFormat::kUnknown;
}

// The last four characters (".png" and so on); a shorter path has no format.
ImageFormat FormatFromSuffix(const char* path)
{
    const size_t length = strlen(path);
    if (length < 4 || path[length - 4] != '.')
        return ImageFormat::kUnknown;
    return FormatFromExtension(path + length - 3);
}

// The size of the file just opened, or 0 when the file system cannot tell. Back ends
// answer Seek differently (0, or the new position), so the position is asked.
int64_t SizeHint(const QuavenFileSystemAPI* files, FileHandle* file)
{
    if (!files->Seek || !files->GetFilePosition)
        return 0;
    files->Seek(file, 0, QV_SEEK_END);
    const int64_t size = files->GetFilePosition(file);
    files->Seek(file, 0, QV_SEEK_SET);
    return size > 0 && files->GetFilePosition(file) == 0 ? size : 0;
}

// Reads until Read answers 0, so that a short read or a size the back end cannot tell never
// leaves bytes unread or uninitialised; the block starts at the file's size when known.
uint8_t* ReadUntilEnd(const QuavenFileSystemAPI* files, FileHandle* file, const char* path, int* size)
{
    int64_t capacity = SizeHint(files, file);
    capacity = capacity > 0 ? capacity + 1 : 64 * 1024;  // one more byte for the Read that finds the end
    if (capacity > kLargestImageFile + 1)
        capacity = kLargestImageFile + 1;
    int64_t used = 0;
    int64_t allocated = 0;
    uint8_t* data = nullptr;
    for (;;) {
        if (used == capacity) {
            capacity *= 2;
            if (capacity > kLargestImageFile + 1)
                capacity = kLargestImageFile + 1;
        }
        if (used == capacity) {
            QVI_Report(QV_LOG_WARNING, "Image file '%s' is larger than %lld bytes.", path,
                       static_cast<long long>(kLargestImageFile));
            free(data);
            return nullptr;
        }
        if (capacity != allocated) {
            uint8_t* grown = static_cast<uint8_t*>(realloc(data, static_cast<size_t>(capacity)));
            if (!grown) {
                free(data);
                return nullptr;
            }
            data = grown;
            allocated = capacity;
        }
        const int room = static_cast<int>(capacity - used);
        const int got = files->Read(data + used, room, file);
        if (got <= 0 || got > room)
            break;
        used += got;
    }
    if (used == 0) {
        QVI_Report(QV_LOG_WARNING, "Image file '%s' is empty.", path);
        free(data);
        return nullptr;
    }
    *size = static_cast<int>(used);
    return data;
}

// The file through the file system, whole, into a heap block that the caller frees.
uint8_t* ReadWholeFile(const char* path, int* size)
{
    *size = 0;
    const QuavenFileSystemAPI* files = qv ? qv->fileSystem : nullptr;
    if (!files || !files->OpenFile || !files->Read || !files->CloseFile)
        return nullptr;
    FileHandle* file = files->OpenFile(path, "r");
    if (!file)
        return nullptr;
    uint8_t* data = ReadUntilEnd(files, file, path, size);
    files->CloseFile(file);
    return data;
}

}  // namespace

bool QVI_IsImageSizeAcceptable(const char* name, int64_t width, int64_t height)
{
    if (width >= 1 && height >= 1 && width <= kLargestImageSide && height <= kLargestImageSide &&
        width * height <= kLargestImagePixels)
        return true;
    QVI_Report(QV_LOG_WARNING, "Image '%s' has an unacceptable size %lldx%lld.", name ? name : "NULL",
               static_cast<long long>(width), static_cast<long long>(height));
    return false;
}

uint8_t* QVI_AllocateImageBlock(const char* name, int width, int height)
{
    const uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(height) * 4u;
    uint8_t* block = bytes > 0 && bytes <= SIZE_MAX ? static_cast<uint8_t*>(malloc(static_cast<size_t>(bytes)))
                                                    : nullptr;
    if (!block)
        QVI_Report(QV_LOG_ERROR, "Out of memory for the %dx%d pixels of image '%s'.", width, height,
                   name ? name : "NULL");
    return block;
}

int QVI_GetImageChannelOrder()
{
    return g_rendererSetup.pixelChannelOrder == QV_PIXEL_ORDER_BGRA ? QV_PIXEL_ORDER_BGRA : QV_PIXEL_ORDER_RGBA;
}

const char* QVI_GetImageName(const Bitmap* bitmap)
{
    return bitmap && bitmap->header.name ? bitmap->header.name : "NULL";
}

bool QVI_WriteImageFile(const char* nativePath, bool (*writer)(FILE* file, void* context), void* context)
{
    TemporaryFile temporary(nativePath, TemporaryFor::kGameFolder);
    FILE* file = temporary.Path() ? fopen(temporary.Path(), "wb") : nullptr;
    if (!file) {
        // The game knows the file by its own name, not by the temporary beside it.
        QVI_Report(QV_LOG_WARNING, "Unable to open file '%s' for writing.", nativePath);
        return false;
    }
    const bool encoded = writer(file, context);
    const bool written = temporary.Finish(fclose(file) == 0 && encoded);
    if (!written)
        QVI_Report(QV_LOG_WARNING, "Unable to write image file '%s'; the previous file is unchanged.", nativePath);
    return written;
}

bool ImageLoaderImpPortable::GetImageDimensions(Bitmap* bitmap, const char* path)
{
    if (!bitmap || !path)
        return true;
    int size = 0;
    uint8_t* file = ReadWholeFile(path, &size);
    if (!file)
        return false;
    bitmap->flags |= kBitmapReloadable;
    bool found = false;
    switch (FormatFromSuffix(path)) {
    case ImageFormat::kTGA: found = QVI_GetImageDimensionsTGA(bitmap, file, size); break;
    case ImageFormat::kPNG: found = QVI_GetImageDimensionsPNG(bitmap, file, size); break;
    case ImageFormat::kJPG: found = QVI_GetImageDimensionsJPG(bitmap, file, size); break;
    default: QVI_ReportPopup(QV_LOG_WARNING, "Unsupported image format in file '%s'\n", path); break;
    }
    free(file);
    return found;
}

bool ImageLoaderImpPortable::LoadImage(Bitmap* bitmap, const char* path)
{
    if (!bitmap || !path)
        return true;
    int size = 0;
    uint8_t* file = ReadWholeFile(path, &size);
    if (!file) {
        QVI_Report(QV_LOG_WARNING, "Unable to load image '%s'\n", path);
        return false;
    }
    bitmap->flags |= kBitmapReloadable;
    // The decoders start from a bitmap without pixels; pixels left here would be lost.
    if (bitmap->pixels)
        FreeImagePixels(bitmap);
    switch (FormatFromExtension(QVI_GetFileExtension(path))) {
    case ImageFormat::kTGA: QVI_LoadImageTGA(bitmap, file, size); break;
    case ImageFormat::kPNG: QVI_LoadImagePNG(bitmap, file, size); break;
    case ImageFormat::kJPG: QVI_LoadImageJPG(bitmap, file, size); break;
    default: QVI_ReportPopup(QV_LOG_WARNING, "Unsupported image format in file '%s'\n", path); break;
    }
    free(file);
    if (!bitmap->pixels) {
        QVI_Report(QV_LOG_WARNING, "Unable to load image '%s'\n", path);
        return false;
    }
    bitmap->textureWidth = bitmap->width;
    bitmap->textureHeight = bitmap->height;
    FileInfo info = {};
    if (g_core.developerMode && qv && qv->fileSystem && qv->fileSystem->GetFileInfo(path, &info))
        bitmap->sourceTime = info.modified;
    return true;
}

void ImageLoaderImpPortable::FreeImagePixels(Bitmap* bitmap)
{
    if (!bitmap) {
        QVI_Report(QV_LOG_WARNING, "ImageLoader trying to free null bitmap.\n");
        return;
    }
    free(bitmap->pixels);
    bitmap->pixels = nullptr;
}

namespace {

bool WritePNGToFile(FILE* file, void* bitmap)
{
    return WritePNG(static_cast<Bitmap*>(bitmap), file);
}

// R, G, B of every pixel in file order, whatever the renderer's channel order.
uint8_t* MakeRGBRows(const Bitmap* bitmap)
{
    const size_t pixelCount = static_cast<size_t>(bitmap->width) * static_cast<size_t>(bitmap->height);
    uint8_t* rgb = static_cast<uint8_t*>(malloc(pixelCount * 3));
    if (!rgb)
        return nullptr;
    const bool bgra = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA;
    for (size_t i = 0; i < pixelCount; ++i) {
        const uint8_t* pixel = bitmap->pixels + i * 4;
        rgb[i * 3 + 0] = pixel[bgra ? 2 : 0];
        rgb[i * 3 + 1] = pixel[1];
        rgb[i * 3 + 2] = pixel[bgra ? 0 : 2];
    }
    return rgb;
}

}  // namespace

bool ImageLoaderImpPortable::SaveImage(Bitmap* bitmap, const char* path, int quality)
{
    if (!bitmap || !path)
        return false;
    QVI_Report(QV_LOG_INFO, "Saving image to file '%s'..\n", path);
    String native = strstr(path, "://") ? QV_ConvertStaticPathToNativeOSPath(path) : String(path);
    const char* nativePath = native.text ? native.text : "";
    const size_t length = strlen(path);
    const char* suffix = length >= 3 ? path + length - 3 : "";
    const bool png = strcmp(suffix, "png") == 0, jpg = strcmp(suffix, "jpg") == 0, tga = strcmp(suffix, "tga") == 0;
    if (!png && !jpg && !tga) {
        QVI_ReportPopup(QV_LOG_WARNING, "SaveImage - file format for '%s' not supported. Use .png format.\n", path);
        return false;
    }
    // The stored image is what is written, not the drawing size.
    Bitmap image = QVI_StoredImageOf(bitmap);
    bitmap = &image;
    if (!bitmap->pixels || !QVI_IsImageSizeAcceptable(path, bitmap->width, bitmap->height)) {
        QVI_Report(QV_LOG_WARNING, "SaveImage: bitmap '%s' has no pixels to write to '%s'.", QVI_GetImageName(bitmap),
                   path);
        return false;
    }
    if (!nativePath[0]) {
        QVI_Report(QV_LOG_WARNING, "Unable to open file '%s' for writing.", path);
        return false;
    }
    if (png)
        return QVI_WriteImageFile(nativePath, WritePNGToFile, bitmap);
    if (tga)
        return QVI_SaveImageTGA(bitmap, nativePath);
    uint8_t* rgb = MakeRGBRows(bitmap);
    const bool saved = rgb && QVI_SaveImageJPG(nativePath, rgb, bitmap->width, bitmap->height, quality);
    free(rgb);
    return saved;
}

ImageLoaderImp* QVI_GetImageLoader()
{
    static ImageLoaderImpPortable loader;
    return &loader;
}
