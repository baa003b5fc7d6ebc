// JPEG through libjpeg: decoding from the file image in memory into pixels of the
// renderer's channel order, and writing RGB.
//
// libjpeg's error exit would end the process; JPEGErrorExit jumps back to the reader
// or writer instead. As with libpng, the jump target is set in a function whose state
// lives in a context the caller owns and cleans up.
#include "graphics/bitmaps/image_codecs.h"

#include <csetjmp>
#include <cstdlib>
#include <cstring>

// jpeglib.h needs size_t and FILE declared first.
#include <jpeglib.h>

#include "core/engine_log.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/renderer/renderer_codes.h"

namespace {

struct JPEGErrorManager {
    jpeg_error_mgr standard;
    jmp_buf jump;
    const char* name;
};

void JPEGErrorExit(j_common_ptr info)
{
    JPEGErrorManager* errors = reinterpret_cast<JPEGErrorManager*>(info->err);
    char message[JMSG_LENGTH_MAX];
    errors->standard.format_message(info, message);
    QVI_Report(QV_LOG_INFO, "libjpeg: %s ('%s')", message, errors->name ? errors->name : "NULL");
    longjmp(errors->jump, 1);
}

// Warnings are counted by libjpeg and reported once per image, not line by line.
void CountJPEGWarning(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

struct JPEGReadContext {
    jpeg_decompress_struct info;
    JPEGErrorManager errors;
    const uint8_t* file;
    int size;
    uint8_t* pixels;
    bool refusedColorSpace;
};

void StartReader(JPEGReadContext& context, const char* name)
{
    context.info.err = jpeg_std_error(&context.errors.standard);
    context.errors.standard.error_exit = JPEGErrorExit;
    context.errors.standard.emit_message = CountJPEGWarning;
    context.errors.name = name;
}

// The decompression object is created inside so that its own allocation failures jump too.
bool ReadHeader(JPEGReadContext& context)
{
    if (setjmp(context.errors.jump))
        return false;
    jpeg_create_decompress(&context.info);
    // libjpeg's memory source supplies a fake end-of-image marker, with a warning, when
    // the data ends early: a truncated file decodes with its missing part filled.
    jpeg_mem_src(&context.info, context.file, static_cast<unsigned long>(context.size));
    jpeg_read_header(&context.info, TRUE);
    return QVI_IsImageSizeAcceptable(context.errors.name, context.info.image_width, context.info.image_height);
}

bool Decode(JPEGReadContext& context)
{
    if (!ReadHeader(context))
        return false;
    if (setjmp(context.errors.jump))
        return false;
    jpeg_decompress_struct& info = context.info;
    // Grey and YCbCr become RGB; four-channel ink colour spaces have no faithful RGB here.
    if (info.jpeg_color_space != JCS_GRAYSCALE && info.jpeg_color_space != JCS_YCbCr &&
        info.jpeg_color_space != JCS_RGB) {
        context.refusedColorSpace = true;
        return false;
    }
    // libjpeg-turbo writes 4-byte pixels with alpha 255 itself, in either channel order.
    info.out_color_space = QVI_GetImageChannelOrder() == QV_PIXEL_ORDER_BGRA ? JCS_EXT_BGRA : JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    if (info.output_width != info.image_width || info.output_height != info.image_height ||
        info.output_components != 4)
        return false;
    const int width = static_cast<int>(info.output_width);
    const int height = static_cast<int>(info.output_height);
    context.pixels = QVI_AllocateImageBlock(context.errors.name, width, height);
    if (!context.pixels) {
        QVI_ReportPopup(QV_LOG_WARNING, "Load JPG - JPEG out of memory while loading file '%s'.",
                        context.errors.name);
        return false;
    }
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = context.pixels + static_cast<size_t>(info.output_scanline) * width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    return true;
}

}  // namespace

bool QVI_GetImageDimensionsJPG(Bitmap* bitmap, const uint8_t* file, int size)
{
    JPEGReadContext context = {};
    context.file = file;
    context.size = size;
    StartReader(context, QVI_GetImageName(bitmap));
    const bool read = ReadHeader(context);
    if (!read) {
        QVI_ReportPopup(QV_LOG_WARNING, "QVI_GetImageDimensionsJPG - setjmp failed.\n");
    } else {
        bitmap->width = static_cast<int>(context.info.image_width);
        bitmap->height = static_cast<int>(context.info.image_height);
        bitmap->pixels = nullptr;
        bitmap->flags &= static_cast<uint8_t>(~kBitmapHasAlpha);
        if (context.errors.standard.num_warnings)
            QVI_ReportPopup(QV_LOG_WARNING, "WARNING: %d warnings while loading JPEG\n",
                            static_cast<int>(context.errors.standard.num_warnings));
    }
    jpeg_destroy_decompress(&context.info);
    return read;
}

bool QVI_LoadImageJPG(Bitmap* bitmap, const uint8_t* file, int size)
{
    bitmap->width = bitmap->height = 0;
    bitmap->pixels = nullptr;
    bitmap->flags &= static_cast<uint8_t>(~kBitmapHasAlpha);
    JPEGReadContext context = {};
    context.file = file;
    context.size = size;
    const char* name = QVI_GetImageName(bitmap);
    StartReader(context, name);
    const bool decoded = Decode(context);
    const int width = static_cast<int>(context.info.output_width);
    const int height = static_cast<int>(context.info.output_height);
    const long warnings = context.errors.standard.num_warnings;
    jpeg_destroy_decompress(&context.info);
    if (!decoded) {
        free(context.pixels);
        if (context.refusedColorSpace)
            QVI_ReportPopup(QV_LOG_WARNING, "Load JPG - CMYK and YCCK images are not supported: '%s'.", name);
        else
            QVI_ReportPopup(QV_LOG_WARNING, "Load JPG - setjmp failed for '%s'.", name);
        return false;
    }
    if (warnings)
        QVI_Report(QV_LOG_WARNING, "WARNING: %d warnings while loading JPEG '%s'.", static_cast<int>(warnings), name);
    bitmap->width = width;
    bitmap->height = height;
    bitmap->pixels = context.pixels;
    return true;
}

namespace {

struct JPEGWriteContext {
    jpeg_compress_struct info;
    JPEGErrorManager errors;
    const uint8_t* rgb;
    int width;
    int height;
    int quality;
};

bool Encode(FILE* file, void* opaque)
{
    JPEGWriteContext& context = *static_cast<JPEGWriteContext*>(opaque);
    if (setjmp(context.errors.jump))
        return false;
    jpeg_compress_struct& info = context.info;
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, file);
    info.image_width = static_cast<JDIMENSION>(context.width);
    info.image_height = static_cast<JDIMENSION>(context.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, context.quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(context.rgb) + static_cast<size_t>(info.next_scanline) * context.width * 3;
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    return !ferror(file);
}

}  // namespace

bool QVI_SaveImageJPG(const char* nativePath, const uint8_t* rgb, int width, int height, int quality)
{
    if (!nativePath || !rgb || width < 1 || height < 1)
        return false;
    JPEGWriteContext context = {};
    context.info.err = jpeg_std_error(&context.errors.standard);
    context.errors.standard.error_exit = JPEGErrorExit;
    context.errors.name = nativePath;
    context.rgb = rgb;
    context.width = width;
    context.height = height;
    context.quality = quality < 0 ? 0 : (quality > 100 ? 100 : quality);
    const bool saved = QVI_WriteImageFile(nativePath, Encode, &context);
    jpeg_destroy_compress(&context.info);
    return saved;
}
