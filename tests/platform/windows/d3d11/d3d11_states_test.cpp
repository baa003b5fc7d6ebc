// Blend modes, colour write, scissor, culling, depth and sampler selection, checked in the
// pixels they draw (the render rules every renderer of the tests is held to) and in the
// state objects the renderer binds.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <cstdint>

namespace d3d11_test {
namespace {

using D3D11RenderStateTest = D3D11DrawingTest;

const float kRed[4] = {1, 0, 0, 1}, kGreen[4] = {0, 1, 0, 1};

TEST_F(D3D11RenderStateTest, EightBlendModesAgainstKnownColours) { quaven_test::CheckBlendTable(*drawing_); }
TEST_F(D3D11RenderStateTest, ScissorClipsNegativeOriginsAndKeepsItsFarEdges) { quaven_test::CheckScissor(*drawing_); }
TEST_F(D3D11RenderStateTest, CullingDropsTheChosenFaces) { quaven_test::CheckCulling(*drawing_); }
TEST_F(D3D11RenderStateTest, DepthTestFunctionAndWriteDecideWhatIsDrawn) { quaven_test::CheckDepth(*drawing_); }
TEST_F(D3D11RenderStateTest, PointLinearWrapAndClampSampling) { quaven_test::CheckSampling(*drawing_); }

// Colour write rebuilds the blend state from the graphics side's blend mode, at once.
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

// Switching the scissor takes the graphics side's cull mode into the new rasterizer state.
TEST_F(D3D11RenderStateTest, TheScissorRectangleWithoutOverflowAndTheCullModeThroughItsSwitch) {
    const D3D11_RECT made = QVI_D3D11ScissorRectangle(-10, 5, 100, 50);
    EXPECT_TRUE(made.left == 0 && made.top == 5 && made.right == 90 && made.bottom == 55);
    EXPECT_EQ(0, QVI_D3D11ScissorRectangle(5, -5, 10, 10).top);
    EXPECT_EQ(INT32_MAX, QVI_D3D11ScissorRectangle(INT32_MAX - 1, 0, 100, 1).right) << "no overflow";
    const D3D11_RECT empty = QVI_D3D11ScissorRectangle(0, 0, -100, -5);
    EXPECT_TRUE(empty.left == 0 && empty.top == 0 && empty.right == 0 && empty.bottom == 0) << "empty, not inverted";
    renderer_.ClearColor(0, 0, 0, 1);
    drawing_->Quad(kGreen);
    graphicsCullMode = QV_CULL_BACK;
    renderer_.SetScissorRectangle(0, 0, kWindowWidth, kWindowHeight);
    renderer_.DisableScissorRectangle();
    drawing_->Quad(kRed, 0.5f, true);
    EXPECT_TRUE(PixelNear(ReadBack(), 10, 10, Rgba8{0, 255, 0, 255}, 0)) << "the back face was culled";
}

ID3D11SamplerState* BoundSampler(RendImpDirect3D11& renderer, int stage) {
    ID3D11SamplerState* sampler = nullptr;
    renderer.context->PSGetSamplers(stage, 1, &sampler);
    if (sampler) sampler->Release();  // the renderer still holds it
    return sampler;
}

TEST_F(D3D11RenderStateTest, ValuesOutsideTheTablesAreIgnoredAndReportedOnceAndOneSamplerChoiceServesEveryStage) {
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
    // One filter and address choice serves every stage.
    renderer_.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    renderer_.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    EXPECT_EQ(renderer_.filterSamplers[0][QVI_D3D11AddressCombination(2, 2, 2)], BoundSampler(renderer_, 0));
    renderer_.SetSamplerAddressMode(1, QV_ADDRESS_MIRROR, QV_ADDRESS_WRAP, QV_ADDRESS_CLAMP);
    renderer_.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_ANISOTROPIC);
    const int combination = QVI_D3D11AddressCombination(3, 2, 1);
    D3D11_SAMPLER_DESC description;
    BoundSampler(renderer_, 0)->GetDesc(&description);
    EXPECT_EQ(D3D11_FILTER_ANISOTROPIC, description.Filter);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_MIRROR, description.AddressU);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_WRAP, description.AddressV);
    EXPECT_EQ(D3D11_TEXTURE_ADDRESS_CLAMP, description.AddressW);
    renderer_.SetSamplerFilter(2, QV_FILTER_LINEAR, QV_FILTER_POINT, QV_FILTER_LINEAR);
    BoundSampler(renderer_, 2)->GetDesc(&description);
    EXPECT_EQ(D3D11_FILTER_MIN_LINEAR_MAG_POINT_MIP_LINEAR, description.Filter);
    // Codes outside the tables change nothing, on no stage; stages the device lacks are not bound.
    renderer_.SetSamplerFilter(3, 0, 1, 1);
    renderer_.SetSamplerAddressMode(3, 1, 4, 1);
    EXPECT_EQ(nullptr, BoundSampler(renderer_, 3));
    EXPECT_EQ(5, renderer_.currentFilterRow);
    EXPECT_EQ(combination, renderer_.currentAddressCombination);
    renderer_.SetSamplerFilter(-1, 1, 1, 1);
    renderer_.SetSamplerFilter(D3D11_COMMONSHADER_SAMPLER_SLOT_COUNT, 1, 1, 1);
}

}  // namespace
}  // namespace d3d11_test
