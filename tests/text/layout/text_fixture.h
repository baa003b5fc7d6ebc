// The text tests' ground: fonts made in code from solid white blocks of known sizes (so
// every glyph's place can be checked pixel by pixel), packed into an atlas and uploaded,
// and the drawing fixture's renderer brought up to draw them.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "graphics/bitmaps/bitmap_pixels.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/drawing/drawing_fixture.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "support/windows_ui.h"
#include "text/fonts/font_pool.h"
#include "text/layout/text_layout.h"
#include "text/text_api.h"

// <windows.h>, which the renderers bring in, renames DrawText.
#undef DrawText

namespace text_test {

struct Block {
    int width, height, advance;
    float offsetY;
};

// Line spacing and height 10. LATIN-1: every byte from 33 up is a 4 x 6 block 2 below the
// line's top (advance 5), ' ' moves 3, '|' is 1 x 8 (advance 2), 'W' 6 x 6 (advance 7), and
// 'V' after 'A' is kerned 2 closer. UTF-8: the same for 'A', 'B', 'a', ' ', '|', plus 8 x 8
// ideographs (advance 10) for U+4E00, U+3002 and U+FF0C.
class TestFont {
public:
    explicit TestFont(bool utf8, float spread = 0.0f) {
        font_.header.name = const_cast<char*>(utf8 ? "utf8 blocks" : "latin blocks");
        font_.isUTF8 = utf8;
        font_.height = font_.lineSpacing = 10, font_.baseline = 8;
        font_.scale = 1.0f;
        font_.spread = spread, font_.smoothing = spread > 0 ? 0.25f : 0.0f;
        font_.flags = spread > 0 ? FONT_DISTANCE_FIELD : 0;
        std::map<uint32_t, Block> blocks;
        if (utf8) {
            for (uint32_t c : {'A', 'B', 'a'}) blocks[c] = {4, 6, 5, 2};
            for (uint32_t c : {0x4E00u, 0x3002u, 0xFF0Cu}) blocks[c] = {8, 8, 10, 0};
        } else {
            for (uint32_t c = 33; c < 256; ++c) blocks[c] = {4, 6, 5, 2};
            blocks['W'] = {6, 6, 7, 2};
        }
        blocks[' '] = {0, 0, 3, 0};
        blocks['|'] = {1, 8, 2, 1};
        QVI_AllocateFontGlyphs(&font_, utf8 ? static_cast<int>(blocks.size()) : 256);
        int index = 0;
        for (const auto& [code, block] : blocks) {
            FontGlyph& g = font_.glyphs[utf8 ? index++ : code];
            g.codePoint = code, g.offsetY = block.offsetY, g.advance = static_cast<int16_t>(block.advance);
            Bitmap& image = g.image;
            image.width = image.textureWidth = block.width, image.height = image.textureHeight = block.height;
            image.depth = 1, image.format = QV_TEXTURE_FORMAT_RGBA8, image.textureType = QV_TEXTURE_TYPE_2D;
            image.mipLevels = 1;
            if (block.width > 0) {
                image.flags = 1;
                image.pixels = static_cast<uint8_t*>(malloc(block.width * block.height * 4));
                memset(image.pixels, 255, block.width * block.height * 4);
            }
        }
        if (!utf8) {
            FontGlyph& v = font_.glyphs['V'];
            v.kerning = static_cast<int8_t*>(calloc(256, 1));
            v.kerning['A'] = -2;
        }
    }
    ~TestFont() {
        QVI_ReleaseBitmapHardwareData(&font_.atlas);
        QVI_GetImageLoader()->FreeImagePixels(&font_.atlas);
        QVI_FreeFontGlyphs(&font_);
    }
    // Packs every image into the atlas and points them at its texture, as the font pool does.
    bool Upload() {
        std::vector<Bitmap*> images;
        for (int i = 0; i < font_.glyphCount; ++i)
            if (font_.glyphs[i].image.pixels) images.push_back(&font_.glyphs[i].image);
        if (!QVI_PackBitmaps(&font_.atlas, images.data(), static_cast<int>(images.size()), 1024, 1024)) return false;
        font_.atlas.state = 2;
        QVI_UploadBitmap(&font_.atlas);
        if (!font_.atlas.hardware.loaded) return false;
        for (Bitmap* image : images)
            image->hardware.rendererData = font_.atlas.hardware.rendererData, image->hardware.loaded = 1;
        return true;
    }
    Font* operator->() { return &font_; }
    Font* get() { return &font_; }

private:
    Font font_ = {};
};

class TextTest : public drawing_test::DrawingTest {
protected:
    void SetUp() override {
        g_core.imageLoader = QVI_GetImageLoader();
        DrawingTest::SetUp();
        ResetTextState();
    }
    void TearDown() override {
        ResetTextState();
        // Image tags leave bitmap records (found or not) that a later renderer start would
        // load again: none outlives its test.
        for (const char* name : {"scene dot", "measure dot", "no such bitmap", "x"})
            if (Bitmap* bitmap = g()->GetBitmapEx(name, QV_CACHE_LOOKUP_ONLY)) g()->RemoveBitmapHandle(bitmap);
        DrawingTest::TearDown();
    }
    static void ResetTextState() {
        const uint32_t none = 0;
        const float one = 1, zero = 0;
        QV_SetTextAlignment(&none);
        QV_SetTextScale(&one, &one, &zero);
        QV_SetTextMaxWidth(&zero);
    }
    static void Align(uint32_t alignment) { qv->SetTextAlignment(&alignment); }
    static void Wrap(float width) { qv->SetTextMaxWidth(&width); }
    static void Scale(float x, float y, float angle) { qv->SetTextScale(&x, &y, &angle); }
    static float Draw(Font* font, float x, float y, const char* text) { return qv->DrawText(font, &x, &y, "%s", text); }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }
};

inline std::string RendererName(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

// A scene on the tests' renderer or, in a window of its own, on Direct3D 11 (the parameter),
// drawn into one render target that is read back.
class RendererScene : public TextTest, public ::testing::WithParamInterface<std::string> {
protected:
    void SetUp() override {
        if (GetParam() == "Direct3D11") {
            window_ = quaven_test::CreateTestWindow("scene", WS_POPUP | WS_VISIBLE, 40, 40, 80, 60);
            g_core.mainWindow = window_;
            device_ = &direct3D_;
        }
        TextTest::SetUp();
    }
    void TearDown() override {
        if (target_) g()->ReleaseBitmap(target_);
        TextTest::TearDown();
        if (window_) DestroyWindow(window_);
    }
    // Made on first use; null when the device could not make it.
    Bitmap* SceneTarget(int width, int height) {
        if (!target_) {
            BitmapDescription target = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, width, height, 1, 1, {}};
            target_ = g()->CreateBitmap("scene target", &target);
        }
        return target_ && target_->hardware.loaded ? target_ : nullptr;
    }
    // A 4 x 4 bitmap of one colour, made and refreshed; null when it could not be made.
    Bitmap* SolidDot(Rgba8 colour) {
        BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 4, 4, 1, 0, {}};
        Bitmap* dot = g()->CreateBitmap("scene dot", &description);
        if (!dot) return nullptr;
        for (int i = 0; i < 16; ++i) memcpy(dot->pixels + 4 * i, &colour, 4);
        g()->RefreshBitmap(dot);
        return dot;
    }
    TestImage ReadBack() {
        TestImage image;
        EXPECT_TRUE(g()->CopyBitmapRenderTargetDataToPixels(target_));
        image.Resize(target_->width, target_->height);
        memcpy(image.rgba.data(), target_->pixels, image.rgba.size());
        return image;
    }
    RendImpDirect3D11 direct3D_;
    HWND window_ = nullptr;
    Bitmap* target_ = nullptr;
};

// Every pooled font given back for good, counting or not.
inline void ReleasePooledFonts() {
    const uint8_t counting = g_core.referenceCounting;
    g_core.referenceCounting = 0;
    for (int slot = 0; slot < QVI_GetPooledFontCount(); ++slot)
        if (Font* font = QVI_GetPooledFont(slot); font->header.name) qv->ReleaseFont(font);
    g_core.referenceCounting = counting;
}

}  // namespace text_test
