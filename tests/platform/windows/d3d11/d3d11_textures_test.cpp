// Textures and render targets on the device: pixels in, drawn and read back in every
// format, with padding, regions, mip chains and cube faces, and the input that is refused.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <cstdlib>
#include <cstring>
#include <deque>

#include "graphics/renderer/bitmap_texture_packer.h"
#include "graphics/renderer/image_loader.h"

namespace d3d11_test {
namespace {

using quaven_test::LogCapture;
using Bytes = std::vector<uint8_t>;
const uint8_t kRenderTarget = 1 << 2;
const int k2D = QV_TEXTURE_TYPE_2D, kCube = QV_TEXTURE_TYPE_CUBE, kRgba = QV_TEXTURE_FORMAT_RGBA8;
// Pixels as 32-bit words: bytes R, G, B, A.
const uint32_t kRed = 0xFF0000FF, kGreen = 0xFF00FF00, kBlue = 0xFFFF0000, kWhite = 0xFFFFFFFF, kYellow = 0xFF00FFFF;

Bytes Head(const Bytes& bytes) { return Bytes(bytes.begin(), bytes.begin() + std::min<size_t>(4, bytes.size())); }

class HeapImageLoader : public ImageLoaderImp {
public:
    bool GetImageDimensions(Bitmap*, const char*) override { return false; }
    bool LoadImage(Bitmap*, const char*) override { return false; }
    void AllocateImagePixels(Bitmap* b, int w, int h) override {
        FreeImagePixels(b);
        b->pixels = static_cast<uint8_t*>(malloc(size_t(w) * h * 4));
        b->width = b->textureWidth = w, b->height = b->textureHeight = h;
    }
    void FreeImagePixels(Bitmap* b) override { free(b->pixels), b->pixels = nullptr; }
    bool SaveImage(Bitmap*, const char*, int) override { return false; }
};

class D3D11TextureTest : public D3D11DrawingTest {
protected:
    void SetUp() override {
        D3D11DrawingTest::SetUp();
        core_.imageLoader = &loader_;
        renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    }
    void TearDown() override {
        for (Bitmap& b : bitmaps_) renderer_.DestroyTexture(&b.hardware), loader_.FreeImagePixels(&b);
        D3D11DrawingTest::TearDown();
    }
    // With pixels (the colours repeated over them) when colours are given.
    Bitmap* Make(int format, int type, int w, int h, int mips, const std::vector<uint32_t>& colours = {}) {
        Bitmap& b = bitmaps_.emplace_back();
        b.header.name = const_cast<char*>("test");
        b.format = format, b.textureType = type, b.width = b.textureWidth = w, b.height = b.textureHeight = h;
        b.depth = 1, b.mipLevels = int16_t(mips), b.packMode = kPadTransparent, b.flags = 1;
        if (!colours.empty()) loader_.AllocateImagePixels(&b, w, h);
        for (int i = 0; !colours.empty() && i < w * h; ++i) memcpy(b.pixels + i * 4, &colours[i % colours.size()], 4);
        return &b;
    }
    static TextureHardwareData* Record(Bitmap* b) { return b->hardware.rendererData; }
    void Bind(Bitmap* colour, Bitmap* depth = nullptr, int face = 0) {
        RenderTargetSet set = {{colour}, depth, {face}};
        renderer_.SetRenderTargets(&set);
    }
    static Bytes PixelBytes(const Bitmap* b, size_t at, size_t count) {
        return Bytes(b->pixels + at, b->pixels + at + count);
    }
    HeapImageLoader loader_;
    std::deque<Bitmap> bitmaps_;  // addresses stay put
};

TEST_F(D3D11TextureTest, APaddedImageDrawsWithItsTransparentBorderAndItsRegionsSkipTheBorder) {
    ASSERT_TRUE(renderer_.SupportsNonPowerOfTwoTextures());
    Bitmap* sprite = Make(kRgba, k2D, 3, 2, 1, {kRed, kGreen, kBlue, kWhite, kWhite, kYellow});
    sprite->flags |= kRenderTarget;
    ASSERT_TRUE(renderer_.CreateTexture(sprite));
    const BitmapHardwareData& hw = sprite->hardware;
    EXPECT_TRUE(hw.loaded && hw.textureFullWidth == 5 && hw.textureFullHeight == 4 && !(sprite->flags & kRenderTarget));
    EXPECT_TRUE(hw.left == 0.2f && hw.top == 0.25f && hw.right == 0.8f && hw.bottom == 0.75f);
    drawing_->TexturedQuad(Record(sprite)->shaderView, 0, 1);
    const TestImage image = ReadBack();
    auto texel = [&](int x, int y) { return image.At(x * kWindowWidth / 5 + 6, y * kWindowHeight / 4 + 6); };
    EXPECT_EQ((Rgba8{255, 0, 0, 255}), texel(1, 1));
    EXPECT_EQ((Rgba8{255, 255, 0, 255}), texel(3, 2));
    EXPECT_EQ((Rgba8{255, 0, 0, 0}), texel(0, 0)) << "the border repeats the edge, transparent";
    EXPECT_EQ((Rgba8{0, 0, 255, 0}), texel(4, 0));
    EXPECT_EQ((Rgba8{255, 255, 0, 0}), texel(4, 3));
    renderer_.SetTextureRegion(sprite, 1, 0, 2, 1);  // green and blue, inside the border
    EXPECT_TRUE(hw.left == 0.4f && hw.top == 0.25f && hw.right == 0.8f && hw.bottom == 0.5f);
    // A mip chain needs a power-of-two block, and so does a device without full support.
    Bitmap* chained = Make(kRgba, k2D, 3, 2, 0, {kRed});
    ASSERT_TRUE(renderer_.CreateTexture(chained));
    EXPECT_TRUE(chained->hardware.textureFullWidth == 8 && chained->hardware.right == 0.5f);
    EXPECT_TRUE(Record(chained)->hasMipChain);
    renderer_.capabilities &= ~RendImpDirect3D11::kCapabilityNonPowerOfTwoTextures;
    Bitmap* single = Make(kRgba, k2D, 3, 2, 1, {kRed});
    ASSERT_TRUE(renderer_.CreateTexture(single));
    EXPECT_TRUE(single->hardware.textureFullWidth == 8 && single->hardware.textureFullHeight == 4);
}

TEST_F(D3D11TextureTest, MipChainsAreMadeForTexturesAndRebuiltForTargetsDrawnInto) {
    Bitmap* stripes = Make(kRgba, k2D, 64, 64, 0, {kRed, kBlue});
    ASSERT_TRUE(renderer_.CreateTexture(stripes));
    renderer_.SetViewport(0, 0, 16, 16, 0, 1);  // a quarter of the texture: level 2
    drawing_->TexturedQuad(Record(stripes)->shaderView, 0, 1);
    EXPECT_TRUE(PixelNear(ReadBack(), 8, 8, Rgba8{128, 0, 128, 255}, 2));
    Bitmap* target = Make(kRgba, k2D, 64, 64, 0);
    ASSERT_TRUE(renderer_.CreateRenderTarget(target));
    Bind(target);
    EXPECT_TRUE(Record(target)->hasMipChain && !Record(target)->mipsValid);
    renderer_.ClearColor(0, 1, 0, 1);
    Bind(nullptr);
    renderer_.SetTexture(0, Record(target));
    EXPECT_EQ(1, Record(target)->mipsValid);
    drawing_->TexturedQuad(Record(target)->shaderView, 0, 1);
    EXPECT_TRUE(PixelNear(ReadBack(), 8, 8, Rgba8{0, 255, 0, 255}, 0));
    // Chains never longer than the size allows; depth targets take one level.
    Bitmap* dot = Make(kRgba, k2D, 1, 1, 0, {kWhite});
    Bitmap* depth = Make(QV_TEXTURE_FORMAT_D16, k2D, 16, 16, 0);
    EXPECT_TRUE(renderer_.CreateTexture(dot) && renderer_.CreateRenderTarget(depth));
}

TEST_F(D3D11TextureTest, RenderTargetsOfEveryFormatReadBackAtTheirTexelSize) {
    Bitmap* colour = Make(kRgba, k2D, 16, 8, 1);
    ASSERT_TRUE(renderer_.CreateRenderTarget(colour));
    Bind(colour);
    renderer_.ClearColor(0, 0, 1, 1);
    renderer_.SetViewport(0, 0, 4, 4, 0, 1);
    drawing_->Quad(std::array<float, 4>{1, 0.6f, 0.2f, 0.4f}.data());
    ASSERT_TRUE(renderer_.CopyRenderTargetToPixels(colour));
    EXPECT_EQ((Bytes{255, 153, 51, 102}), PixelBytes(colour, (2 * 16 + 2) * 4, 4));
    EXPECT_EQ((Bytes{0, 0, 255, 255}), PixelBytes(colour, (7 * 16 + 15) * 4, 4));
    // Wine keeps the stencil byte of D24S8 first; the device's own order puts it last.
    const struct { int format; Bytes first, wine; } cases[] = {
        {QV_TEXTURE_FORMAT_RGB8, {255, 153, 51, 255}, {}},    {QV_TEXTURE_FORMAT_R16F, {0x00, 0x3C, 0x00, 0x3C}, {}},
        {QV_TEXTURE_FORMAT_R32F, {0, 0, 0x80, 0x3F}, {}},      {QV_TEXTURE_FORMAT_D16, {0x00, 0x40, 0x00, 0x40}, {}},
        {QV_TEXTURE_FORMAT_D24S8, {0, 0, 0x40, 0}, {0, 0, 0, 0x40}}, {QV_TEXTURE_FORMAT_D32F, {0, 0, 0x80, 0x3E}, {}}};
    for (const auto& c : cases) {
        const bool depth = QVI_IsDepthTextureFormat(c.format);
        BitmapDescription description = {c.format, k2D, 1, 0, 16, 8, 1, 1, {}};
        EXPECT_TRUE(renderer_.IsTextureFormatSupported(&description)) << c.format;
        Bitmap* target = Make(c.format, k2D, 16, 8, 1);
        ASSERT_TRUE(renderer_.CreateRenderTarget(target)) << c.format;
        depth ? Bind(colour, target) : Bind(target);
        renderer_.ClearColor(1, 0.6f, 0.2f, 0.4f);
        renderer_.ClearDepth(0.25f);
        ASSERT_TRUE(renderer_.CopyRenderTargetToPixels(target)) << c.format;
        const Bytes first = PixelBytes(target, 0, 4);
        EXPECT_TRUE(first == c.first || first == c.wine) << c.format << ": " << testing::PrintToString(first);
        if (RendImpDirect3D11::GetTexelSize(c.format) == 2) {
            EXPECT_EQ(Bytes(16 * 8 * 2), PixelBytes(target, 16 * 8 * 2, 16 * 8 * 2)) << "the unused end is zero";
        }
    }
    Bitmap* wide = Make(QV_TEXTURE_FORMAT_RGBA16F, k2D, 16, 8, 1);
    ASSERT_TRUE(renderer_.CreateRenderTarget(wide));
    EXPECT_FALSE(renderer_.CopyRenderTargetToPixels(wide)) << "eight-byte texels do not fit the pixels";
    EXPECT_EQ(1, LogCapture::CountContaining("cannot be read into pixels"));
    // Power-of-two sizes unless one level is asked of a device with full support.
    const struct { int mips; bool full; int width, height; } sizes[] = {{1, true, 300, 200}, {0, true, 512, 256},
                                                                       {1, false, 512, 256}};
    for (const auto& s : sizes) {
        renderer_.capabilities = s.full ? RendImpDirect3D11::kCapabilityNonPowerOfTwoTextures : 0;
        Bitmap* target = Make(kRgba, k2D, 300, 200, s.mips);
        ASSERT_TRUE(renderer_.CreateRenderTarget(target));
        EXPECT_TRUE(target->hardware.textureFullWidth == s.width && target->hardware.textureFullHeight == s.height);
        EXPECT_TRUE(target->hardware.right == 300.0f / s.width && target->hardware.bottom == 200.0f / s.height);
    }
}

TEST_F(D3D11TextureTest, CubeFacesComeFromStackedPixelsAndCubeTargetsAreDrawnByFace) {
    for (int mips : {1, 0}) {
        std::vector<uint32_t> faces;
        for (uint32_t f = 0; f < 6; ++f) faces.insert(faces.end(), 32 * 32, 0xFF000000u | (f * 40));
        Bitmap* sky = Make(kRgba, kCube, 32, 192, mips, faces);
        ASSERT_TRUE(renderer_.CreateTexture(sky));
        EXPECT_EQ(0, sky->hardware.textureFullWidth) << "a cube's rectangle is left alone";
        const UINT levels = mips == 1 ? 1 : 2;
        for (UINT f = 0; f < 6; ++f)  // the smallest level: the chain was generated
            EXPECT_EQ((Bytes{uint8_t(f * 40), 0, 0, 255}),
                      Head(ReadSubresource(renderer_, Record(sky)->texture,
                                           D3D11CalcSubresource(levels - 1, f, levels), 4)));
    }
    Bitmap* target = Make(kRgba, kCube, 16, 16, 1);
    ASSERT_TRUE(renderer_.CreateRenderTarget(target));
    Bind(target, nullptr, 3);
    renderer_.ClearColor(0, 0, 1, 1);
    EXPECT_EQ(255, ReadSubresource(renderer_, Record(target)->texture, 3, 4).at(0)) << "blue, stored B first";
    EXPECT_EQ(0, ReadSubresource(renderer_, Record(target)->texture, 2, 4).at(0));
}

TEST_F(D3D11TextureTest, TargetsAndTexturesBindAndADestroyedTargetGivesWayToTheBackBuffer) {
    Bitmap* colour = Make(kRgba, k2D, 16, 16, 1);
    Bitmap* depth = Make(QV_TEXTURE_FORMAT_D32F, k2D, 16, 16, 1);
    Bitmap* image = Make(kRgba, k2D, 4, 4, 1, {kRed});
    ASSERT_TRUE(renderer_.CreateRenderTarget(colour) && renderer_.CreateRenderTarget(depth) &&
                renderer_.CreateTexture(image));
    EXPECT_TRUE(Record(depth)->depthView && !Record(depth)->shaderView);
    Bind(nullptr, depth);
    EXPECT_TRUE(renderer_.boundColorViews[0] == renderer_.backBufferColorView &&
                renderer_.boundDepthView == renderer_.backBufferDepthView) << "depth alone binds the back buffer";
    Bind(colour, depth);
    EXPECT_TRUE(renderer_.boundColorViews[0] == Record(colour)->targetViews[0] &&
                renderer_.boundDepthView == Record(depth)->depthView);
    renderer_.DestroyTexture(&colour->hardware);
    EXPECT_TRUE(!colour->hardware.loaded && !colour->hardware.rendererData);
    EXPECT_EQ(renderer_.backBufferColorView, renderer_.boundColorViews[0]);
    for (TextureHardwareData* texture : {Record(image), static_cast<TextureHardwareData*>(nullptr)}) {
        ID3D11ShaderResourceView* stage = nullptr;
        renderer_.SetTexture(1, texture);
        renderer_.context->PSGetShaderResources(1, 1, &stage);
        EXPECT_EQ(texture ? texture->shaderView : nullptr, stage);
        if (stage) stage->Release();
    }
}

TEST_F(D3D11TextureTest, BadInputIsRefusedWithALogLineAndNoDeviceCall) {
    EXPECT_FALSE(renderer_.CreateTexture(nullptr) || renderer_.CreateRenderTarget(nullptr) ||
                 renderer_.CopyRenderTargetToPixels(nullptr) || renderer_.IsTextureFormatSupported(nullptr));
    EXPECT_EQ(4, LogCapture::CountContaining("D3D11 renderer", QV_LOG_ERROR));
    LogCapture::Clear();
    EXPECT_FALSE(renderer_.CreateTexture(Make(kRgba, QV_TEXTURE_TYPE_3D, 4, 4, 1, {kRed})) ||
                 renderer_.CreateRenderTarget(Make(kRgba, QV_TEXTURE_TYPE_3D, 4, 4, 1)));
    EXPECT_EQ(0u, LogCapture::Lines().size()) << "3D is refused without a message";
    // A render target the device cannot make fails without a message: unknown formats and
    // types, and sides it does not take.
    const BitmapDescription unknown = {99, k2D, 1, 0, 16, 16, 1, 1, {}};
    EXPECT_FALSE(renderer_.IsTextureFormatSupported(&unknown));
    EXPECT_EQ(1, LogCapture::CountContaining("D3D11 renderer", QV_LOG_ERROR));
    LogCapture::Clear();
    EXPECT_FALSE(renderer_.CreateRenderTarget(Make(99, k2D, 16, 16, 1)) ||
                 renderer_.CreateRenderTarget(Make(kRgba, 7, 16, 16, 1)) ||
                 renderer_.CreateRenderTarget(Make(QV_TEXTURE_FORMAT_D16, kCube, 16, 16, 1)));
    for (int side : {0, -4, 16385, 0x7fffffff}) {
        EXPECT_FALSE(renderer_.CreateRenderTarget(Make(kRgba, k2D, side, 16, 1))) << side;
        EXPECT_FALSE(renderer_.CreateRenderTarget(Make(kRgba, kCube, side, side, 1))) << side;
    }
    EXPECT_EQ(0u, LogCapture::Lines().size()) << "render targets fail quietly: "
                                               << (LogCapture::Lines().empty() ? "" : LogCapture::Lines()[0].text);
    // A texture the device would refuse has the one popup of a failed texture; an unknown
    // type none at all.
    EXPECT_FALSE(renderer_.CreateTexture(Make(kRgba, k2D, 16385, 1, 1, {kRed})));
    EXPECT_FALSE(renderer_.CreateTexture(Make(kRgba, kCube, 16, 16, 1, {kRed})));  // faces 16 x 2
    EXPECT_FALSE(renderer_.CreateTexture(Make(kRgba, 7, 4, 4, 1, {kRed})));
    EXPECT_EQ(2, LogCapture::CountPopups("D3D11 renderer failed to create texture 'test'.", QV_LOG_ERROR));
    EXPECT_EQ(2u, LogCapture::Lines().size());
    Bitmap* empty = Make(kRgba, k2D, 16, 16, 1);
    EXPECT_FALSE(renderer_.CreateTexture(empty) || renderer_.CreateTexture(Make(kRgba, kCube, 16, 96, 1)));
    EXPECT_EQ(1, LogCapture::CountPopupsContaining("bitmap 'test' has no pixels. This should never happen."));
    EXPECT_EQ(1, LogCapture::CountContaining("it has no pixels for its six faces"));
    // A texture is no render target to read, and nothing is read without an image loader.
    Bitmap* image = Make(kRgba, k2D, 4, 4, 1, {kRed});
    Bitmap* target = Make(kRgba, k2D, 4, 4, 1);
    ASSERT_TRUE(renderer_.CreateTexture(image) && renderer_.CreateRenderTarget(target));
    core_.imageLoader = nullptr;
    EXPECT_FALSE(renderer_.CopyRenderTargetToPixels(image) || renderer_.CopyRenderTargetToPixels(target));
    LogCapture::Clear();
    renderer_.SetTexture(-1, Record(image));
    renderer_.SetTexture(D3D11_COMMONSHADER_INPUT_RESOURCE_SLOT_COUNT, Record(image));
    Bitmap* cube = Make(kRgba, kCube, 16, 16, 1);
    ASSERT_TRUE(renderer_.CreateRenderTarget(cube));
    // A face the target does not have binds no colour view: nothing drawn reaches the screen.
    Bind(cube, nullptr, 6);
    EXPECT_EQ(nullptr, renderer_.boundColorViews[0]);
    EXPECT_EQ(3, LogCapture::CountContaining("D3D11 renderer", QV_LOG_ERROR));
    renderer_.DestroyTexture(nullptr);
    renderer_.DestroyTexture(&empty->hardware);
    RendImpDirect3D11 idle;  // never initialised: no device to call
    EXPECT_FALSE(idle.CreateTexture(image) || idle.CreateRenderTarget(target) || idle.CopyRenderTargetToPixels(target));
}

}  // namespace
}  // namespace d3d11_test
