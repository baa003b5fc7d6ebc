// Blend modes, colour write, scissor, culling, depth and sampler selection (point against
// linear filtering, wrap against clamp addressing), checked in the pixels they draw.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <cstdint>

#include "support/blend_expectations.h"

namespace d3d11_test {
namespace {

using D3D11RenderStateTest = D3D11DrawingTest;

const float kRed[4] = {1, 0, 0, 1};
const float kGreen[4] = {0, 1, 0, 1};
const Rgba8 kRed8 = {255, 0, 0, 255}, kGreen8 = {0, 255, 0, 255}, kBlack8 = {0, 0, 0, 255};

TEST_F(D3D11RenderStateTest, EightBlendModesAgainstKnownColours) {
    const float* d = quaven_test::kBlendDestination;
    for (const auto& e : quaven_test::kBlendExpectations) {
        renderer_.SetBlendMode(e.mode);
        renderer_.ClearColor(d[0], d[1], d[2], d[3]);
        drawing_->Quad(quaven_test::kBlendSource);
        EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, e.result, 1)) << "blend mode " << e.mode;
    }
}

TEST_F(D3D11RenderStateTest, ColourWriteOffKeepsTheTargetAndAppliesAtOnce) {
    graphicsBlendMode = QV_BLEND_ADDITIVE;
    renderer_.ClearColor(0, 0, 1, 1);
    renderer_.SetColorWrite(false);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 5, 5, Rgba8{0, 0, 255, 255}, 0));
    renderer_.SetColorWrite(true);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 5, 5, Rgba8{255, 0, 255, 255}, 0));
}

TEST_F(D3D11RenderStateTest, ScissorClipsAtZeroAndEndsAtTheUnclampedOriginPlusSize) {
    const D3D11_RECT made = QVI_D3D11ScissorRectangle(-10, 5, 100, 50);
    EXPECT_TRUE(made.left == 0 && made.top == 5 && made.right == 90 && made.bottom == 55);
    EXPECT_EQ(INT32_MAX, QVI_D3D11ScissorRectangle(INT32_MAX - 1, 0, 100, 1).right) << "no overflow";

    renderer_.ClearColor(0, 0, 0, 1);
    ASSERT_TRUE(renderer_.SetScissorRectangle(-10, -20, 30, 40));
    drawing_->Quad(kRed);
    TestImage image = ReadBack();
    EXPECT_TRUE(RegionNear(image, 0, 0, 20, 20, kRed8, 0));
    EXPECT_TRUE(PixelNear(image, 20, 5, kBlack8, 0));
    EXPECT_TRUE(PixelNear(image, 5, 20, kBlack8, 0));
    renderer_.DisableScissorRectangle();
    drawing_->Quad(kGreen);
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 40, kGreen8, 0));
}

TEST_F(D3D11RenderStateTest, CullingDropsTheChosenFacesAndSurvivesTheScissorSwitch) {
    renderer_.SetCullMode(QV_CULL_BACK);
    renderer_.ClearColor(0, 0, 0, 1);
    drawing_->Quad(kRed, 0.5f, true);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kBlack8, 0)) << "counter-clockwise is the back";
    drawing_->Quad(kGreen);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kGreen8, 0));

    graphicsBlendMode = QV_BLEND_OFF;
    graphicsCullMode = QV_CULL_BACK;
    renderer_.SetScissorRectangle(0, 0, kWindowWidth, kWindowHeight);
    renderer_.DisableScissorRectangle();
    drawing_->Quad(kRed, 0.5f, true);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kGreen8, 0));

    renderer_.SetCullMode(QV_CULL_FRONT);
    drawing_->Quad(kRed);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kGreen8, 0)) << "clockwise is the front";
}

TEST_F(D3D11RenderStateTest, DepthTestFunctionAndWriteDecideWhatIsDrawn) {
    renderer_.SetDepthTest(true);
    renderer_.SetDepthWrite(true);
    renderer_.SetDepthFunction(QV_DEPTH_LESS);
    renderer_.ClearDepth(1.0f);
    renderer_.ClearColor(0, 0, 0, 1);
    drawing_->Quad(kRed, 0.5f);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kRed8, 0)) << "farther quad hidden";
    renderer_.SetDepthFunction(QV_DEPTH_GREATER);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kGreen8, 0));

    renderer_.SetDepthFunction(QV_DEPTH_LESS);
    renderer_.SetDepthWrite(false);
    renderer_.ClearDepth(1.0f);
    drawing_->Quad(kRed, 0.5f);
    drawing_->Quad(kGreen, 0.7f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kGreen8, 0)) << "the nearer quad left no depth";

    renderer_.SetDepthTest(false);
    drawing_->Quad(kRed, 1.0f);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, kRed8, 0));
    EXPECT_EQ(D3D11_COMPARISON_LESS, QVI_D3D11DepthComparison(9)) << "codes outside the table";
}

TEST_F(D3D11RenderStateTest, ValuesOutsideTheTablesAreIgnoredAndReportedOnce) {
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
    for (IUnknown* state : std::initializer_list<IUnknown*>{blend, rasterizer})
        if (state) state->Release();
    EXPECT_EQ(2, quaven_test::LogCapture::CountContaining("ignored"));
}

class D3D11SamplerTest : public D3D11DrawingTest {
protected:
    ID3D11SamplerState* BoundSampler(int stage) {
        ID3D11SamplerState* sampler = nullptr;
        renderer_.context->PSGetSamplers(stage, 1, &sampler);
        if (sampler) sampler->Release();  // the renderer still holds it
        return sampler;
    }
};

TEST_F(D3D11SamplerTest, PointFilteringKeepsTexelEdgesAndLinearBlendsThem) {
    const uint8_t checker[16] = {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255};
    ID3D11ShaderResourceView* texture = drawing_->Texture(2, 2, checker);
    ASSERT_NE(nullptr, texture);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    drawing_->TexturedQuad(texture, 0, 1);
    TestImage image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 31, 5, kBlack8, 0));
    EXPECT_TRUE(PixelNear(image, 32, 5, Rgba8{255, 255, 255, 255}, 0));

    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_POINT);
    drawing_->TexturedQuad(texture, 0, 1);
    image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 32, 24, Rgba8{128, 128, 128, 255}, 8)) << "between four texels";
    EXPECT_TRUE(PixelNear(image, 31, 5, image.At(32, 5), 12)) << "no hard edge";
}

TEST_F(D3D11SamplerTest, WrapRepeatsTheTextureWhereClampStretchesItsEdge) {
    const uint8_t redGreen[8] = {255, 0, 0, 255, 0, 255, 0, 255};
    ID3D11ShaderResourceView* texture = drawing_->Texture(2, 1, redGreen);
    ASSERT_NE(nullptr, texture);
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    EXPECT_EQ(renderer_.filterSamplers[0][QVI_D3D11AddressCombination(2, 2, 2)], BoundSampler(0));
    drawing_->TexturedQuad(texture, 0, 2);
    // u = 1.25 at x = 40: wraps to the red texel.
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 10, kRed8, 0));

    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP);
    drawing_->TexturedQuad(texture, 0, 2);
    EXPECT_TRUE(PixelNear(ReadBack(), 40, 10, kGreen8, 0));
}

TEST_F(D3D11SamplerTest, OneFilterAndAddressChoiceServesEveryStage) {
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
