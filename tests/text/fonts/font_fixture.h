// The font tests' ground: the engine's table with reference counting on, res:// in a fresh
// folder, and the tests' renderer brought up through renderer set-up, so fonts load from
// files and reach a device as in a game. .mft files are written here byte by byte from the
// format's tables, so the reader is checked against the format, not against the writer.
#pragma once

#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/resource_queues.h"
#include "filesystem/backends.h"
#include "graphics/setup/setup_fixture.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/bitmaps/bitmap_pool.h"
#include "text/fonts/font_pool.h"
#include "text/text_api.h"

namespace font_test {

// Little-endian fields appended in order.
struct Bytes {
    std::string data;
    Bytes& Raw(const void* p, size_t n) { data.append(static_cast<const char*>(p), n); return *this; }
    Bytes& Text(const std::string& text) { data += text; data += '\0'; return *this; }
    Bytes& U8(unsigned v) { data += char(v); return *this; }
    Bytes& U16(unsigned v) { return U8(v & 255).U8((v >> 8) & 255); }
    Bytes& U32(uint32_t v) { return U16(v & 0xFFFF).U16(v >> 16); }
    Bytes& F32(float v) { uint32_t bits; memcpy(&bits, &v, 4); return U32(bits); }
    Bytes& Fill(size_t n, char c) { data.append(n, c); return *this; }
};

// A glyph as a test describes it: a solid block of one colour (R, G, B, A), or no image.
struct GlyphSpec {
    uint32_t codePoint;
    float offsetY;
    int offsetX, advance, width, height;
    uint8_t colour[4];
    std::vector<int8_t> kerning;  // empty: none
};

inline Bytes CurrentHeader(int version, const char* encoding, int count, float spread = 0.0f) {
    Bytes b;
    b.Raw("TAV_Font_v", 10).U8('0' + version).U8(0).Text(encoding).U32(12).U32(16).U32(18);
    if (version >= 7) b.F32(spread).F32(0.25f).F32(1.0f);
    return b.U32(uint32_t(count));
}

inline void CurrentGlyph(Bytes& b, int version, const GlyphSpec& g) {
    b.U32(g.codePoint);
    if (version >= 7) b.F32(g.offsetY); else b.U16(uint16_t(int16_t(g.offsetY)));
    b.U16(uint16_t(g.offsetX)).U16(uint16_t(g.advance)).U8(g.kerning.empty() ? 0 : 1);
    if (!g.kerning.empty()) b.Raw(g.kerning.data(), g.kerning.size());
    b.U16(g.width).U16(g.height);
    for (int i = 0; i < g.width * g.height; ++i) b.Raw(g.colour, 4);
}

// Versions 1 to 5: 256 glyphs; glyph i gets spec(i).
template <typename Spec>
Bytes OldFile(int version, Spec spec) {
    Bytes b;
    b.Raw("TAV_Font_v", 10).U8('0' + version).U8(0).Text("LATIN-1").U32(12).U32(16).U32(18).Fill(256, 'r');
    for (int i = 0; i < 256; ++i) {
        const GlyphSpec g = spec(i);
        b.U16(uint16_t(int16_t(g.offsetY)));
        if (version >= 2) b.U16(uint16_t(g.offsetX));
        b.U16(0xBEEF);
        if (version >= 4) for (int p = 0; p < 256; ++p) b.U8(uint8_t(g.kerning.empty() ? 0 : g.kerning[p % g.kerning.size()]));
        b.U16(g.width).U16(g.height);
        if (version >= 3) b.U16(uint16_t(g.advance));
        // Versions 1 to 4 keep blue first.
        const uint8_t stored[4] = {version < 5 ? g.colour[2] : g.colour[0], g.colour[1],
                                   version < 5 ? g.colour[0] : g.colour[2], g.colour[3]};
        for (int p = 0; p < g.width * g.height; ++p) b.Raw(stored, 4);
    }
    return b;
}

// The texel of the atlas at a glyph's rectangle, (dx, dy) pixels into it.
inline Rgba8 AtlasTexel(const TestImage& atlas, const FontGlyph& glyph, int dx, int dy) {
    return atlas.At(int(glyph.image.hardware.left * atlas.width + 0.5f) + dx,
                    int(glyph.image.hardware.top * atlas.height + 0.5f) + dy);
}

class FontTest : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        g_core.referenceCounting = 1;
        ASSERT_TRUE(QVI_InitFileSystem());
        res_.emplace("fonts");
        while (qv->fileSystem->GetSearchPathCount() > 0)
            qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        Select(640, 480, true);
        ASSERT_TRUE(QVI_InitRenderer());
        renderer_.ClearCalls();
        quaven_test::LogCapture::Clear();
    }
    void TearDown() override {
        ClearPool();
        g_bitmapUploadQueue.Release();
        // Without a global font on the search paths the glyph cache is off again.
        while (qv->fileSystem->GetSearchPathCount() > 0)
            qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        InitializeGlobalFont();
        RendererSetupTest::TearDown();
        res_.reset();
    }

    // Every font given back for good, so that each test starts with 32 free records.
    static void ClearPool() {
        const uint8_t counting = g_core.referenceCounting;
        g_core.referenceCounting = 0;
        for (int slot = 0; slot < QVI_GetPooledFontCount(); ++slot) {
            Font* font = QVI_GetPooledFont(slot);
            if (font->header.name) qv->ReleaseFont(font);
        }
        g_core.referenceCounting = counting;
    }

    void Put(const std::string& path, const std::string& contents) { ASSERT_TRUE(res_->Put(path, contents)) << path; }
    std::string Get(const std::string& path) const { return res_->Get(path); }
    const quaven_test::ResFolder& Res() const { return *res_; }

    TestImage Texture(const Bitmap* bitmap) const {
        TestImage image;
        EXPECT_TRUE(renderer_.ReadRenderTargetPixels(bitmap, &image));
        return image;
    }

private:
    std::optional<quaven_test::ResFolder> res_;
};

}  // namespace font_test
