// The image codecs against corpora nobody here wrote: libpng's PNG suite and crashers,
// compared with a bare libpng decode, and libjpeg-turbo's test images against its PPM.
#include "platform/windows/win32.h"

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

// Counts the largest block asked of the C library while it lives, by swapping this program's
// import of msvcrt's malloc, through which every caller here (libpng included) goes.
class LargestMallocWatch {
public:
    LargestMallocWatch() : slot_(FindImport("msvcrt.dll", "malloc")) {
        largest_ = 0;
        if (slot_) original_ = reinterpret_cast<Malloc>(Swap(reinterpret_cast<void*>(&Counting)));
    }
    ~LargestMallocWatch() {
        if (slot_) Swap(reinterpret_cast<void*>(original_));
    }
    bool watching() const { return slot_ != nullptr; }
    static size_t largest() { return largest_; }

private:
    using Malloc = void*(__cdecl*)(size_t);
    static void* __cdecl Counting(size_t size) {
        largest_ = std::max(largest_, size);
        return original_(size);
    }
    static void** FindImport(const char* library, const char* function) {
        auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleA(nullptr));
        auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name;
             ++entry) {
            if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
            auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->OriginalFirstThunk);
            auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
                auto* named = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
                if (strcmp(reinterpret_cast<const char*>(named->Name), function) == 0)
                    return reinterpret_cast<void**>(&slots->u1.Function);
            }
        }
        return nullptr;
    }
    void* Swap(void* function) {
        DWORD protection = 0;
        VirtualProtect(slot_, sizeof *slot_, PAGE_READWRITE, &protection);
        void* previous = *slot_;
        *slot_ = function;
        VirtualProtect(slot_, sizeof *slot_, protection, &protection);
        return previous;
    }
    void** slot_;
    static Malloc original_;
    static size_t largest_;
};
LargestMallocWatch::Malloc LargestMallocWatch::original_ = nullptr;
size_t LargestMallocWatch::largest_ = 0;

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

// A one-pixel image whose tEXt chunk announces 496 MB in its 44 bytes: libpng's own check of
// the length only warns, so without a cap on its blocks it asks for all of it.
TEST_F(ImageCorpus, AChunkAnnouncingHundredsOfMegabytesIsNotAllocated) {
    const Bytes file = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
                        0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x00, 0x00, 0x00, 0x00, 0x3a,
                        0x7e, 0x9b, 0x55, 0x1f, 0x00, 0x00, 0x00, 0x74, 0x45, 0x58, 0x74, 0x61, 0x62, 0x63};
    bool loaded = true;
    size_t largest = 0;
    {
        LargestMallocWatch watch;
        if (!watch.watching()) GTEST_SKIP() << "no msvcrt malloc import to watch";
        loaded = Load(QVI_LoadImagePNG, file, "huge-text.png");
        largest = LargestMallocWatch::largest();
    }
    EXPECT_FALSE(loaded);
    EXPECT_EQ(LogCapture::Count("PNG ERROR: Image 'huge-text.png' load failed."), 1);
    EXPECT_LT(largest, size_t(1) << 20);
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
