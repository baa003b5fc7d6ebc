// The image-loading benchmark's baselines: libpng and libjpeg alone, decoding a file already
// in memory into 8-bit RGBA, as little as a program can do with them.
//
//   bare_image.exe png|jpg FILE LOADS
//
// Reports "bench work_ms" (the mean of one decode), "bench width" and "bench height".
#include <windows.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include <jpeglib.h>
#include <png.h>

#include "bench_report.h"
#include "bench_work.h"

namespace {

struct Reader {
    const std::vector<unsigned char>* file;
    size_t at;
};

bool DecodePNG(const std::vector<unsigned char>& file, unsigned char** rgba, int* width, int* height)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    Reader reader = {&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t n) {
        Reader* r = static_cast<Reader*>(png_get_io_ptr(p));
        if (n > r->file->size() - r->at)
            png_error(p, "eof");
        memcpy(out, r->file->data() + r->at, n);
        r->at += n;
    });
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    *width = static_cast<int>(png_get_image_width(png, info));
    *height = static_cast<int>(png_get_image_height(png, info));
    *rgba = static_cast<unsigned char*>(malloc(static_cast<size_t>(*width) * *height * 4));
    for (int y = 0; y < *height; ++y)
        rows.push_back(*rgba + static_cast<size_t>(y) * *width * 4);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool DecodeJPEG(const std::vector<unsigned char>& file, unsigned char** rgba, int* width, int* height)
{
    jpeg_decompress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_EXT_RGBA;
    jpeg_start_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    *rgba = static_cast<unsigned char*>(malloc(static_cast<size_t>(*width) * *height * 4));
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = *rgba + static_cast<size_t>(info.output_scanline) * *width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    BenchModeRun run;
    int exitCode = 0;
    if (!Bench_ReadModeRun(argc, argv, "jpg", "png", "bare_image.exe png|jpg FILE LOADS", &run, &exitCode))
        return exitCode;
    const long loads = run.count;
    const bool png = run.secondMode;
    const std::vector<uint8_t>& file = run.file;
    double workMs = 0.0;
    int width = 0, height = 0;
    for (long i = 0; i < loads; ++i) {
        // Each decode into a fresh block, as a load into a new bitmap has.
        unsigned char* rgba = nullptr;
        const double startMs = Bench_NowMs();
        const bool decoded = png ? DecodePNG(file, &rgba, &width, &height) : DecodeJPEG(file, &rgba, &width, &height);
        free(rgba);
        workMs += Bench_NowMs() - startMs;
        if (!decoded) {
            Bench_Report("error", "'%s' did not decode", argv[2]);
            return 1;
        }
    }
    Bench_Report("work_ms", "%.3f", workMs / loads);
    Bench_Report("width", "%d", width);
    Bench_Report("height", "%d", height);
    return 0;
}
