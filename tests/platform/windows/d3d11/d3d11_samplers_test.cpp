// Sampler selection: point against linear filtering, wrap against clamp addressing.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include "platform/windows/d3d11/rendimp_direct3d11.h"

namespace d3d11_test {
namespace {

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
