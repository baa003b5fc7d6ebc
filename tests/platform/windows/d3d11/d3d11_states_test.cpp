// Blend modes, colour write, scissor, culling, depth and sampler selection (point against
// linear filtering, wrap against clamp addressing), checked in the pixels they draw.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <cstdint>

namespace d3d11_test {
namespace {

using D3D11RenderStateTest = D3D11DrawingTest;

const float kRed[4] = {1, 0, 0, 1};
const float kGreen[4] = {0, 1, 0, 1};

TEST_F(D3D11RenderStateTest, EachBlendModeCombinesSourceAndDestinationByItsFactors)
{
    const float s[4] = {0.8f, 0.4f, 0.2f, 0.5f};
    const float d[4] = {0.2f, 0.6f, 1.0f, 0.5f};
    const float a = s[3];
    auto expected = [&](int mode, int c) {
        switch (mode) {
        case 1: return s[c] * a + d[c] * (1 - a);
        case 2: return s[c] * a + d[c];
        case 3: return s[c];
        case 4: return d[c] - s[c] * a;
        case 5: return d[c] * s[c];
        case 6: return 2 * d[c] * s[c];
        case 7: return d[c] * s[c] + d[c];
        default: return s[c] + d[c] * (1 - a);
        }
    };
    for (int mode = 1; mode <= 8; ++mode) {
        renderer_.SetBlendMode(mode);
        renderer_.ClearColor(d[0], d[1], d[2], d[3]);
        drawing_->Quad(s);
        const float alpha = mode == 3 ? a : a * a + d[3];
        const Rgba8 want = ToRgba8(expected(mode, 0), expected(mode, 1), expected(mode, 2), alpha);
        EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, want, 3)) << "blend mode " << mode;
    }
}

TEST_F(D3D11RenderStateTest, ColourWriteOffKeepsTheTargetAndAppliesAtOnce)
{
    SetGraphicsState(QV_BLEND_ADDITIVE, QV_CULL_NONE);
    renderer_.ClearColor(0, 0, 1, 1);
    renderer_.SetColorWrite(false);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 5, 5, Rgba8{0, 0, 255, 255}, 0));
    renderer_.SetColorWrite(true);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 5, 5, Rgba8{255, 0, 255, 255}, 0));
}

TEST_F(D3D11RenderStateTest, ScissorClipsAtZeroAndEndsAtTheUnclampedOriginPlusSize)
{
    const D3D11_RECT expected = {0, 5, 90, 55};
    const D3D11_RECT made = QVI_D3D11ScissorRectangle(-10, 5, 100, 50);
    EXPECT_TRUE(made.left == expected.left && made.top == expected.top && made.right == expected.right &&
                made.bottom == expected.bottom);
    EXPECT_EQ(INT32_MAX, QVI_D3D11ScissorRectangle(INT32_MAX - 1, 0, 100, 1).right) << "no overflow";

    renderer_.ClearColor(0, 0, 0, 1);
    ASSERT_TRUE(renderer_.SetScissorRectangle(-10, -20, 30, 40));
    drawing_->Quad(kRed);
    TestImage image = ReadBack();
    EXPECT_TRUE(RegionNear(image, 0, 0, 20, 20, Rgba8{255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 20, 5, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 5, 20, Rgba8{0, 0, 0, 255}, 0));
    renderer_.DisableScissorRectangle();
    drawing_->Quad(kGreen);
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 40, Rgba8{0, 255, 0, 255}, 0));
}

TEST_F(D3D11RenderStateTest, CullingDropsTheChosenFacesAndSurvivesTheScissorSwitch)
{
    renderer_.SetCullMode(QV_CULL_BACK);
    renderer_.ClearColor(0, 0, 0, 1);
    drawing_->Quad(kRed, 0.5f, true);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 0, 0, 255}, 0)) << "counter-clockwise is the back";
    drawing_->Quad(kGreen);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0));

    SetGraphicsState(QV_BLEND_OFF, QV_CULL_BACK);
    renderer_.SetScissorRectangle(0, 0, kWindowWidth, kWindowHeight);
    renderer_.DisableScissorRectangle();
    drawing_->Quad(kRed, 0.5f, true);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0));

    renderer_.SetCullMode(QV_CULL_FRONT);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0)) << "clockwise is the front";
}

TEST_F(D3D11RenderStateTest, DepthTestFunctionAndWriteDecideWhatIsDrawn)
{
    renderer_.SetDepthTest(true);
    renderer_.SetDepthWrite(true);
    renderer_.SetDepthFunction(QV_DEPTH_LESS);
    renderer_.ClearDepth(1.0f);
    renderer_.ClearColor(0, 0, 0, 1);
    drawing_->Quad(kRed, 0.5f);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{255, 0, 0, 255}, 0)) << "farther quad hidden";
    renderer_.SetDepthFunction(QV_DEPTH_GREATER);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0));

    renderer_.SetDepthFunction(QV_DEPTH_LESS);
    renderer_.SetDepthWrite(false);
    renderer_.ClearDepth(1.0f);
    drawing_->Quad(kRed, 0.5f);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0)) << "the nearer quad left no depth";

    renderer_.SetDepthTest(false);
    drawing_->Quad(kRed, 1.0f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{255, 0, 0, 255}, 0));
    EXPECT_EQ(D3D11_COMPARISON_LESS, QVI_D3D11DepthComparison(9)) << "codes outside the table";
}

TEST_F(D3D11RenderStateTest, ValuesOutsideTheTablesAreIgnoredAndReportedOnce)
{
    renderer_.SetBlendMode(QV_BLEND_ADDITIVE);
    renderer_.SetCullMode(QV_CULL_BACK);
    for (int bad : {0, 9, -1, 1000000}) {
        renderer_.SetBlendMode(bad);
        renderer_.SetCullMode(bad == 0 ? 3 : bad);
    }
    ID3D11BlendState* blend = nullptr;
    renderer_.context->OMGetBlendState(&blend, nullptr, nullptr);
    ID3D11RasterizerState* rasterizer = nullptr;
    renderer_.context->RSGetState(&rasterizer);
    EXPECT_EQ(renderer_.blendStates[QV_BLEND_ADDITIVE][1], blend);
    EXPECT_EQ(renderer_.rasterizerStates[QV_CULL_BACK][0], rasterizer);
    for (IUnknown* state : std::initializer_list<IUnknown*>{blend, rasterizer}) {
        if (state)
            state->Release();
    }
    EXPECT_EQ(2, quaven_test::LogCapture::CountContaining("ignored"));
}

class D3D11SamplerTest : public D3D11DrawingTest {
protected:
    ID3D11SamplerState* BoundSampler(int stage)
    {
        ID3D11SamplerState* sampler = nullptr;
        renderer_.context->PSGetSamplers(stage, 1, &sampler);
        if (sampler)
            sampler->Release();  // the renderer still holds it
        return sampler;
    }
};

TEST_F(D3D11SamplerTest, PointFilteringKeepsTexelEdgesAndLinearBlendsThem)
{
    const uint8_t checker[16] = {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255};
    ID3D11ShaderResourceView* texture = drawing_->Texture(2, 2, checker);
    ASSERT_NE(nullptr, texture);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    drawing_->TexturedQuad(texture, 0, 1);
    TestImage image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 31, 5, Rgba8{0, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 32, 5, Rgba8{255, 255, 255, 255}, 0));

    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_POINT);
    drawing_->TexturedQuad(texture, 0, 1);
    image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 32, 24, Rgba8{128, 128, 128, 255}, 8)) << "between four texels";
    EXPECT_TRUE(PixelNear(image, 31, 5, image.At(32, 5), 12)) << "no hard edge";
}

TEST_F(D3D11SamplerTest, WrapRepeatsTheTextureWhereClampStretchesItsEdge)
{
    const uint8_t redGreen[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    ID3D11ShaderResourceView* texture = drawing_->Texture(2, 1, redGreen);
    ASSERT_NE(nullptr, texture);
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    EXPECT_EQ(renderer_.filterSamplers[0][QVI_D3D11AddressCombination(2, 2, 2)], BoundSampler(0));
    drawing_->TexturedQuad(texture, 0, 2);
    // u = 1.25 at x = 40: wraps to the red texel.
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 10, Rgba8{255, 0, 0, 255}, 0));

    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP);
    drawing_->TexturedQuad(texture, 0, 2);
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 10, Rgba8{0, 255, 0, 255}, 0));
}

TEST_F(D3D11SamplerTest, OneFilterAndAddressChoiceServesEveryStage)
{
    renderer_.SetSamplerAddressMode(1, QV_ADDRESS_MIRROR, QV_ADDRESS_WRAP, QV_ADDRESS_CLAMP);
    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_ANISOTROPIC);
    const int combination = QVI_D3D11AddressCombination(3, 2, 1);
    D3D11_SAMPLER_DESC description;
    BoundSampler(0)->GetDesc(&description);
    EXPECT_EQ(D3D11_FILTER_ANISOTROPIC, description.Filter);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_MIRROR, description.AddressU);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_WRAP, description.AddressV);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_CLAMP, description.AddressW);
    renderer_.SetSamplerFilter(2, QV_FILTER_LINEAR, QV_FILTER_POINT, QV_FILTER_LINEAR);
    BoundSampler(2)->GetDesc(&description);
    EXPECT_EQ(D3D11_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR, description.Filter);

    // Codes outside the tables change nothing, on no stage; stages the device lacks are not bound.
    renderer_.SetSamplerFilter(3, 0, 1, 1);
    renderer_.SetSamplerAddressMode(3, 1, 4, 1);
    EXPECT_EQ(nullptr, BoundSampler(3));
    EXPECT_EQ(5, renderer_.currentFilterRow);
    EXPECT_EQ(combination, renderer_.currentAddressCombination);
    renderer_.SetSamplerFilter(-1, 1, 1, 1);
    renderer_.SetSamplerFilter(D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT, 1, 1, 1);
}

}  // namespace
}  // namespace d3d11_test
