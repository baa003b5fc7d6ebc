// PNG through libpng: decoding from the file image in memory into pixels of the renderer's
// channel order, and writing 8-bit RGBA.
//
// libpng reports errors by a longjmp to the jump target of its structure. The target is
// set in a function of its own whose state lives in a context owned by the caller, so
// nothing the jump skips over is left indeterminate and the caller frees what was made.
#include "graphics/bitmaps/image_codecs.h"

#include <png.h>

#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/renderer/renderer_codes.h"

namespace {

const double kScreenGamma = 2.2;
// Files without a gAMA chunk are taken to be made for a 2.2 display: no correction.
const double kDefaultFileGamma = 1.0 / 2.2;
const int kSignatureBytes = 4;

struct MemoryReader {
    const uint8_t* data;
    size_t size;
    size_t offset;
};

struct PNGContext {
    const char* name;
    png_structp png;
    png_infop info;
    png_infop endInfo;
    MemoryReader reader;
    uint8_t* pixels;
    uint8_t* rows;
    png_bytep* rowPointers;
    int width;
    int height;
    int channels;
};

// A request past the end of the file image is an error, not a short read: libpng would
// otherwise decode whatever lies beyond the buffer.
void ReadPNGFromMemory(png_structp png, png_bytep out, png_size_t count)
{
    MemoryReader* reader = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (!reader || count > reader->size - reader->offset)
        png_error(png, "read past the end of the file");
    memcpy(out, reader->data + reader->offset, count);
    reader->offset += count;
}

void ReportPNGError(png_structp png, png_const_charp message)
{
    const char* name = static_cast<const char*>(png_get_error_ptr(png));
    QVI_Report(QV_LOG_INFO, "libpng: %s ('%s')", message, name ? name : "NULL");
    png_longjmp(png, 1);
}

// libpng allocates an ancillary chunk (text, say) whole before reading it, and its check of
// the announced length only warns: a file of a few bytes could have it take up to 2 GB. No
// block a readable PNG needs comes near this (rows are at most 65535 x 8 bytes); a larger
// request is refused, and libpng then skips the chunk or refuses the file.
const png_alloc_size_t kLargestPNGBlock = 16 << 20;

png_voidp AllocatePNGBlock(png_structp, png_alloc_size_t size)
{
    return size <= kLargestPNGBlock ? malloc(size) : nullptr;
}

// Benign chunk complaints (gamma, profiles, text) are no reason to refuse an image.
void IgnorePNGWarning(png_structp, png_const_charp)
{
}

bool CreateReader(PNGContext& context, const uint8_t* file, int size)
{
    context.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, const_cast<char*>(context.name), ReportPNGError,
                                         IgnorePNGWarning);
    if (!context.png)
        return false;
    context.info = png_create_info_struct(context.png);
    context.endInfo = png_create_info_struct(context.png);
    if (!context.info || !context.endInfo)
        return false;
    context.reader = {file, static_cast<size_t>(size), 0};
    png_set_read_fn(context.png, &context.reader, ReadPNGFromMemory);
    png_set_mem_fn(context.png, nullptr, AllocatePNGBlock, nullptr);
    png_set_user_limits(context.png, static_cast<png_uint_32>(kLargestImageSide),
                        static_cast<png_uint_32>(kLargestImageSide));
    return true;
}

void DestroyReader(PNGContext& context)
{
    if (context.png)
        png_destroy_read_struct(&context.png, context.info ? &context.info : nullptr,
                                context.endInfo ? &context.endInfo : nullptr);
    free(context.rows);
    free(context.rowPointers);
    free(context.pixels);
}

bool ReadHeader(PNGContext& context)
{
    if (setjmp(png_jmpbuf(context.png)))
        return false;
    png_read_info(context.png, context.info);
    context.width = static_cast<int>(png_get_image_width(context.png, context.info));
    context.height = static_cast<int>(png_get_image_height(context.png, context.info));
    return QVI_IsImageSizeAcceptable(context.name, context.width, context.height);
}

bool Decode(PNGContext& context)
{
    if (setjmp(png_jmpbuf(context.png)))
        return false;
    png_structp png = context.png;
    png_read_info(png, context.info);
    const png_uint_32 width = png_get_image_width(png, context.info);
    const png_uint_32 height = png_get_image_height(png, context.info);
    if (!QVI_IsImageSizeAcceptable(context.name, width, height))
        return false;
    context.width = static_cast<int>(width);
    context.height = static_cast<int>(height);
    const int colorType = png_get_color_type(png, context.info);

    double fileGamma = kDefaultFileGamma;
    if (!png_get_gAMA(png, context.info, &fileGamma) || fileGamma <= 0.0)
        fileGamma = kDefaultFileGamma;
    png_set_gamma(png, kScreenGamma, fileGamma);
    png_set_expand(png);
    png_set_strip_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY)
        png_set_gray_to_rgb(png);
    if (QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA && (colorType & PNG_COLOR_MASK_COLOR))
        png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, context.info);
    const size_t rowBytes = png_get_rowbytes(png, context.info);
    context.channels = png_get_channels(png, context.info);
    if (context.channels < 1 || context.channels > 4 || rowBytes != width * static_cast<size_t>(context.channels)) {
        QVI_ReportPopup(QV_LOG_WARNING, "Unsupported png '%s' with %d channels.\n", context.name, context.channels);
        return false;
    }

    context.pixels = QVI_AllocateImageBlock(context.name, context.width, context.height);
    context.rowPointers = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * height));
    if (!context.pixels || !context.rowPointers)
        return false;
    uint8_t* target = context.pixels;
    if (context.channels != 4) {
        context.rows = static_cast<uint8_t*>(malloc(rowBytes * height));
        if (!context.rows)
            return false;
        target = context.rows;
    }
    for (png_uint_32 y = 0; y < height; ++y)
        context.rowPointers[y] = target + rowBytes * y;
    png_read_image(png, context.rowPointers);
    return true;
}

// Widens rows of fewer than four channels into the pixels; answers whether alpha is real.
bool WidenToFourChannels(PNGContext& context)
{
    const size_t count = static_cast<size_t>(context.width) * static_cast<size_t>(context.height);
    const uint8_t* in = context.rows;
    uint8_t* out = context.pixels;
    switch (context.channels) {
    case 4:
        return true;
    case 3:
        for (size_t i = 0; i < count; ++i, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
        return false;
    case 2:
        for (size_t i = 0; i < count; ++i, in += 2, out += 4) {
            out[0] = out[1] = out[2] = in[0];
            out[3] = in[1];
        }
        return true;
    default:
        for (size_t i = 0; i < count; ++i, ++in, out += 4) {
            out[0] = out[1] = out[2] = 255;
            out[3] = in[0];
        }
        return true;
    }
}

}  // namespace

bool QVI_GetImageDimensionsPNG(Bitmap* bitmap, const uint8_t* file, int size)
{
    PNGContext context = {};
    context.name = QVI_GetImageName(bitmap);
    bool read = size >= kSignatureBytes && png_sig_cmp(file, 0, kSignatureBytes) == 0 &&
                CreateReader(context, file, size) && ReadHeader(context);
    if (read) {
        bitmap->width = context.width;
        bitmap->height = context.height;
        bitmap->pixels = nullptr;
        bitmap->flags &= static_cast<uint8_t>(~kBitmapHasAlpha);
    }
    DestroyReader(context);
    return read;
}

bool QVI_LoadImagePNG(Bitmap* bitmap, const uint8_t* file, int size)
{
    bitmap->width = bitmap->height = 0;
    bitmap->pixels = nullptr;
    bitmap->flags = static_cast<uint8_t>((bitmap->flags & ~kBitmapHasAlpha) | kBitmapReloadable);
    PNGContext context = {};
    context.name = QVI_GetImageName(bitmap);
    if (size < kSignatureBytes || png_sig_cmp(file, 0, kSignatureBytes) != 0) {
        QVI_Report(QV_LOG_WARNING, "PNG ERROR: Image '%s' not proper png.", context.name);
        return false;
    }
    if (!CreateReader(context, file, size) || !Decode(context)) {
        QVI_Report(QV_LOG_WARNING, "PNG ERROR: Image '%s' load failed.", context.name);
        DestroyReader(context);
        return false;
    }
    if (WidenToFourChannels(context))
        bitmap->flags |= kBitmapHasAlpha;
    bitmap->width = context.width;
    bitmap->height = context.height;
    bitmap->pixels = context.pixels;
    context.pixels = nullptr;
    DestroyReader(context);
    return true;
}

namespace {

struct PNGWriteContext {
    Bitmap* bitmap;
    FILE* file;
    png_structp png;
    png_infop info;
    png_bytep* rowPointers;
};

bool Encode(PNGWriteContext& context)
{
    if (setjmp(png_jmpbuf(context.png))) {
        QVI_Report(QV_LOG_ERROR, "WritePNG: setjmp(png_jmpbuf(png_ptr)) failed.");
        return false;
    }
    png_structp png = context.png;
    const Bitmap* bitmap = context.bitmap;
    png_init_io(png, context.file);
    png_set_IHDR(png, context.info, bitmap->width, bitmap->height, 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color_8 significant = {8, 8, 8, 8, 8};
    png_set_sBIT(png, context.info, &significant);
    png_write_info(png, context.info);
    if (QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA)
        png_set_bgr(png);
    context.rowPointers = static_cast<png_bytep*>(malloc(sizeof(png_bytep) * bitmap->height));
    if (!context.rowPointers)
        png_error(png, "out of memory for the row pointers");
    for (int y = 0; y < bitmap->height; ++y)
        context.rowPointers[y] = bitmap->pixels + static_cast<size_t>(y) * bitmap->width * 4;
    png_write_image(png, context.rowPointers);
    png_write_end(png, nullptr);
    return true;
}

}  // namespace

bool WritePNG(Bitmap* bitmap, FILE* file)
{
    if (!bitmap || !file || !bitmap->pixels)
        return false;
    PNGWriteContext context = {bitmap, file, nullptr, nullptr, nullptr};
    context.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, const_cast<char*>(QVI_GetImageName(bitmap)),
                                          ReportPNGError, IgnorePNGWarning);
    if (!context.png) {
        QVI_Report(QV_LOG_ERROR, "WritePNG: png_create_write_struct failed.");
        return false;
    }
    context.info = png_create_info_struct(context.png);
    bool written = false;
    if (!context.info)
        QVI_Report(QV_LOG_ERROR, "WritePNG: png_create_info_struct failed.");
    else
        written = Encode(context);
    png_destroy_write_struct(&context.png, context.info ? &context.info : nullptr);
    free(context.rowPointers);
    return written;
}
