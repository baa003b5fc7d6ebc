// The image codecs against corpora nobody here wrote: libpng's PNG suite and crashers,
// compared with a bare libpng decode, and libjpeg-turbo's test images against its PPM.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_codecs.h"
#include "support/engine_table.h"

namespace image_test {
namespace {

using Bytes = std::vector<uint8_t>;
using quaven_test::LogCapture;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> FilesIn(const std::string& folder, const char* extension) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        if (entry.path().extension() == extension) names.push_back(entry.path().filename().string());
    return names;
}

// libpng alone, with the same gamma and expansions, always four channels.
bool BareDecode(const Bytes& file, int* width, int* height, Bytes* rgba) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, [](png_structp, png_const_charp) {});
    png_infop info = png_create_info_struct(png);
    struct Reader { const Bytes* file; size_t at; } reader = {&file, 0};
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_read_fn(png, &reader, [](png_structp p, png_bytep out, png_size_t n) {
        Reader* r = static_cast<Reader*>(png_get_io_ptr(p));
        if (n > r->file->size() - r->at) png_error(p, "eof");
        memcpy(out, r->file->data() + r->at, n), r->at += n;
    });
    png_read_info(png, info);
    double gamma = 1.0 / 2.2;
    if (!png_get_gAMA(png, info, &gamma) || gamma <= 0.0) gamma = 1.0 / 2.2;
    png_set_gamma(png, 2.2, gamma);
    png_set_expand(png), png_set_strip_16(png), png_set_gray_to_rgb(png);
    png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    *width = png_get_image_width(png, info), *height = png_get_image_height(png, info);
    rgba->assign(size_t(*width) * *height * 4, 0);
    for (int y = 0; y < *height; ++y) rows.push_back(rgba->data() + size_t(y) * *width * 4);
    png_read_image(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

class ImageCorpus : public quaven_test::EngineTableTest {
protected:
    void SetUp() override { LogCapture::Clear(); }
    void TearDown() override { free(bitmap_.pixels); }
    bool Load(bool (*decoder)(Bitmap*, const uint8_t*, int), const Bytes& file, const std::string& name) {
        free(bitmap_.pixels);
        bitmap_ = {};
        bitmap_.header.name = const_cast<char*>(name.c_str());
        return decoder(&bitmap_, file.data(), int(file.size()));
    }
    Bitmap bitmap_ = {};
};

TEST_F(ImageCorpus, EveryPngSuiteImageMatchesABareLibpngDecodeAndTheCorruptOnesFail) {
    const std::string folder = QUAVEN_LIBPNG_TREE "/contrib/pngsuite/";
    const std::vector<std::string> names = FilesIn(folder, ".png");
    if (names.empty()) GTEST_SKIP() << "no PNG suite at " << folder;
    int compared = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        const Bytes file = ReadBytes(folder + name);
        const bool loaded = Load(QVI_LoadImagePNG, file, name);
        int width = 0, height = 0;
        Bytes expected;
        if (name[0] == 'x') {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(bitmap_.pixels, nullptr);
            continue;
        }
        ASSERT_TRUE(loaded);
        ASSERT_TRUE(BareDecode(file, &width, &height, &expected));
        ASSERT_EQ(bitmap_.width, width);
        ASSERT_EQ(bitmap_.height, height);
        EXPECT_EQ(memcmp(bitmap_.pixels, expected.data(), expected.size()), 0);
        ++compared;
    }
    EXPECT_GT(compared, 0);
}

TEST_F(ImageCorpus, EveryLibpngCrasherButTheSoundOneFailsWithAMessage) {
    const std::string folder = QUAVEN_LIBPNG_TREE "/contrib/testpngs/crashers/";
    const std::vector<std::string> names = FilesIn(folder, ".png");
    if (names.empty()) GTEST_SKIP() << "no crashers at " << folder;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        LogCapture::Clear();
        // Empty ancillary chunks are only skipped by libpng now: the image itself is sound.
        if (name == "empty_ancillary_chunks.png") {
            EXPECT_TRUE(Load(QVI_LoadImagePNG, ReadBytes(folder + name), name));
            continue;
        }
        EXPECT_FALSE(Load(QVI_LoadImagePNG, ReadBytes(folder + name), name));
        EXPECT_EQ(LogCapture::Count("PNG ERROR: Image '" + name + "' load failed."), 1);
    }
}

TEST_F(ImageCorpus, LibjpegTestImagesDecodeLikeItsReferenceAndTwelveBitIsRefused) {
    const std::string folder = QUAVEN_LIBJPEG_TREE "/testimages/";
    const Bytes ppm = ReadBytes(folder + "testorig.ppm");
    if (ppm.empty()) GTEST_SKIP() << "no libjpeg-turbo test images at " << folder;
    int width = 0, height = 0, maximum = 0, offset = 0;
    ASSERT_EQ(sscanf(reinterpret_cast<const char*>(ppm.data()), "P6 %d %d %d%n", &width, &height, &maximum, &offset), 3);
    const uint8_t* reference = ppm.data() + offset + 1;
    for (const char* name : {"testorig.jpg", "testimgari.jpg", "testimgint.jpg"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(Load(QVI_LoadImageJPG, ReadBytes(folder + name), name));
        ASSERT_EQ(bitmap_.width, width);
        ASSERT_EQ(bitmap_.height, height);
        int worst = 0;
        for (int i = 0; i < width * height; ++i)
            for (int c = 0; c < 3; ++c) worst = std::max(worst, std::abs(bitmap_.pixels[i * 4 + c] - reference[i * 3 + c]));
        EXPECT_LE(worst, std::string(name) == "testorig.jpg" ? 4 : 24);
        EXPECT_EQ(bitmap_.pixels[3], 255);
    }
    // Cut in half: decoded with warnings, the missing part filled by the decoder.
    Bytes half = ReadBytes(folder + "testorig.jpg");
    half.resize(half.size() / 2);
    EXPECT_TRUE(Load(QVI_LoadImageJPG, half, "half.jpg"));
    EXPECT_EQ(LogCapture::CountContaining("warnings while loading JPEG 'half.jpg'"), 1);
    EXPECT_FALSE(Load(QVI_LoadImageJPG, ReadBytes(folder + "testorig12.jpg"), "testorig12.jpg"));
    EXPECT_EQ(bitmap_.pixels, nullptr);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Load JPG - setjmp failed for 'testorig12.jpg'."), 1);
}

}  // namespace
}  // namespace image_test
