#include "support/render_rules.h"

#include <gtest/gtest.h>

#include <vector>

namespace quaven_test {

namespace {

const float kWhite[4] = {1, 1, 1, 1}, kRed[4] = {1, 0, 0, 1}, kGreen[4] = {0, 1, 0, 1}, kBlue[4] = {0, 0, 1, 1};
const Rgba8 kWhite8 = {255, 255, 255, 255}, kBlack8 = {0, 0, 0, 255};
const Rgba8 kRed8 = {255, 0, 0, 255}, kGreen8 = {0, 255, 0, 255};

// The red channel along row 5 at the given columns.
std::vector<int> Reds(const TestImage& image, std::initializer_list<int> columns) {
    std::vector<int> reds;
    for (int x : columns) reds.push_back(image.At(x, 5).r);
    return reds;
}

}  // namespace

void CheckBlendTable(RenderCanvas& canvas) {
    // Destination (0.5, 0.25, 1.0, 0.5) and source (1.0, 0.5, 0.0, 0.5) as 8-bit values;
    // results worked out by hand from the blend table, alpha = sa * sa + da.
    const float source[4] = {1.0f, 128.0f / 255.0f, 0.0f, 128.0f / 255.0f};
    const struct {
        int mode;
        Rgba8 result;
    } expectations[] = {
        {QV_BLEND_ALPHA, {192, 96, 127, 192}},        {QV_BLEND_ADDITIVE, {255, 128, 255, 192}},
        {QV_BLEND_OFF, {255, 128, 0, 128}},           {QV_BLEND_SUBTRACTIVE, {0, 0, 255, 192}},
        {QV_BLEND_MULTIPLY, {128, 32, 0, 192}},       {QV_BLEND_MULTIPLY_DOUBLE, {255, 64, 0, 192}},
        {QV_BLEND_MULTIPLY_ADD, {255, 96, 255, 192}}, {QV_BLEND_PREMULTIPLIED_ALPHA, {255, 160, 127, 192}},
    };
    for (const auto& e : expectations) {
        canvas.Renderer().SetBlendMode(e.mode);
        canvas.Renderer().ClearColor(0.5f, 0.25f, 1.0f, 0.5f);
        canvas.Quad(source);
        EXPECT_TRUE(PixelNear(canvas.ReadBack(), 10, 10, e.result, 1)) << "blend mode " << e.mode;
    }
}

void CheckScissor(RenderCanvas& canvas) {
    RendererImplementation& renderer = canvas.Renderer();
    // A negative origin is clipped to 0 and the far edge stays at origin plus size: x from
    // 0 to 20 and y from 5 to 15, then x from 5 to 15 and y from 0 to 10.
    const struct {
        int x, y, width, height, left, top, right, bottom;
    } rectangles[] = {{-10, 5, 30, 10, 0, 5, 20, 15}, {5, -20, 10, 30, 5, 0, 15, 10}};
    for (const auto& r : rectangles) {
        renderer.DisableScissorRectangle();
        renderer.ClearColor(0, 0, 0, 1);
        ASSERT_TRUE(renderer.SetScissorRectangle(r.x, r.y, r.width, r.height));
        canvas.Quad(kWhite);
        const TestImage image = canvas.ReadBack();
        EXPECT_TRUE(RegionNear(image, r.left, r.top, r.right, r.bottom, kWhite8, 0)) << r.x << ", " << r.y;
        EXPECT_TRUE(PixelNear(image, r.right, r.top, kBlack8, 0));
        EXPECT_TRUE(PixelNear(image, r.left, r.bottom, kBlack8, 0));
        EXPECT_TRUE(r.top == 0 || PixelNear(image, r.left, r.top - 1, kBlack8, 0));
        EXPECT_TRUE(r.left == 0 || PixelNear(image, r.left - 1, r.top, kBlack8, 0));
    }
    renderer.DisableScissorRectangle();
    canvas.Quad(kWhite);
    EXPECT_TRUE(PixelNear(canvas.ReadBack(), 40, 40, kWhite8, 0));
}

void CheckCulling(RenderCanvas& canvas) {
    const struct {
        int cullMode;
        bool counterClockwise, drawn;
    } cases[] = {{QV_CULL_BACK, true, false}, {QV_CULL_BACK, false, true},  {QV_CULL_FRONT, false, false},
                 {QV_CULL_FRONT, true, true}, {QV_CULL_NONE, true, true},   {QV_CULL_NONE, false, true}};
    for (const auto& c : cases) {
        canvas.Renderer().SetCullMode(c.cullMode);
        canvas.Renderer().ClearColor(0, 0, 0, 1);
        canvas.Quad(kWhite, 0.5f, c.counterClockwise);
        EXPECT_TRUE(PixelNear(canvas.ReadBack(), 10, 10, c.drawn ? kWhite8 : kBlack8, 0))
            << "cull mode " << c.cullMode << (c.counterClockwise ? ", counter-clockwise" : ", clockwise");
    }
}

void CheckDepth(RenderCanvas& canvas) {
    RendererImplementation& renderer = canvas.Renderer();
    auto shows = [&canvas](Rgba8 colour) { return PixelNear(canvas.ReadBack(), 10, 10, colour, 0); };
    renderer.ClearColor(0, 0, 0, 1);
    renderer.ClearDepth(0.5f);
    renderer.SetDepthTest(true);
    renderer.SetDepthWrite(false);
    // Quads at 0.7 against the stored 0.5; codes outside the table compare as LESS.
    for (int function : {int(QV_DEPTH_LESS), int(QV_DEPTH_EQUAL), 9}) {
        renderer.SetDepthFunction(function);
        canvas.Quad(kWhite, 0.7f);
        EXPECT_TRUE(shows(kBlack8)) << "function " << function;
    }
    // A tie fails the strict comparisons and passes the others.
    for (int function : {int(QV_DEPTH_LESS), int(QV_DEPTH_GREATER)}) {
        renderer.SetDepthFunction(function);
        canvas.Quad(kWhite, 0.5f);
        EXPECT_TRUE(shows(kBlack8)) << "a tie under function " << function;
    }
    renderer.SetDepthFunction(QV_DEPTH_LESS_EQUAL);
    canvas.Quad(kGreen, 0.5f);
    EXPECT_TRUE(shows(kGreen8)) << "a tie under LESS_EQUAL";
    renderer.SetDepthFunction(QV_DEPTH_GREATER);
    canvas.Quad(kRed, 0.7f);
    EXPECT_TRUE(shows(kRed8));
    renderer.SetDepthFunction(QV_DEPTH_LESS);
    canvas.Quad(kGreen, 0.6f);
    EXPECT_TRUE(shows(kRed8)) << "with the write off 0.5 stayed";

    // With the colour write off the depth is still written.
    renderer.SetDepthWrite(true);
    renderer.SetColorWrite(false);
    renderer.SetDepthFunction(QV_DEPTH_GREATER);
    canvas.Quad(kGreen, 0.9f);
    EXPECT_TRUE(shows(kRed8));
    renderer.SetColorWrite(true);
    renderer.SetDepthFunction(QV_DEPTH_LESS);
    canvas.Quad(kGreen, 0.8f);
    EXPECT_TRUE(shows(kGreen8)) << "0.9 was stored";
    canvas.Quad(kRed, 0.85f);
    EXPECT_TRUE(shows(kGreen8)) << "0.8 was stored";

    // Without the test every quad is drawn, but depth outside 0 to 1 is clipped, not clamped.
    renderer.SetDepthTest(false);
    canvas.Quad(kBlue, 1.5f);
    EXPECT_TRUE(shows(kGreen8));
    canvas.Quad(kRed, 1.0f);
    EXPECT_TRUE(shows(kRed8));
}

void CheckSampling(RenderCanvas& canvas) {
    RendererImplementation& renderer = canvas.Renderer();
    const uint8_t blackWhite[8] = {0, 0, 0, 255, 255, 255, 255, 255};
    renderer.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    canvas.TexturedQuad(2, 1, blackWhite, 0, 1);
    EXPECT_EQ(Reds(canvas.ReadBack(), {0, 31, 32, 63}), (std::vector<int>{0, 0, 255, 255})) << "point";

    // Linear: black up to the first texel's centre (u 0.25, clamped before it), white from
    // the second's (u 0.75), a blend between.
    renderer.SetSamplerFilter(0, QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_POINT);
    canvas.TexturedQuad(2, 1, blackWhite, 0, 1);
    const TestImage image = canvas.ReadBack();
    EXPECT_EQ(Reds(image, {8, 15, 48, 63}), (std::vector<int>{0, 0, 255, 255})) << "linear";
    EXPECT_TRUE(PixelNear(image, 24, 5, Rgba8{68, 68, 68, 255}, 2));
    EXPECT_TRUE(PixelNear(image, 32, 5, Rgba8{131, 131, 131, 255}, 2));

    // u from 0 to 2: wrapped the texels repeat, clamped the last one stretches.
    renderer.SetSamplerFilter(0, QV_FILTER_POINT, QV_FILTER_POINT, QV_FILTER_POINT);
    renderer.SetSamplerAddressMode(0, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP, QV_ADDRESS_WRAP);
    canvas.TexturedQuad(2, 1, blackWhite, 0, 2);
    EXPECT_EQ(Reds(canvas.ReadBack(), {8, 24, 40, 56}), (std::vector<int>{0, 255, 0, 255})) << "wrap";
    renderer.SetSamplerAddressMode(0, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP);
    canvas.TexturedQuad(2, 1, blackWhite, 0, 2);
    EXPECT_EQ(Reds(canvas.ReadBack(), {8, 24, 40, 56}), (std::vector<int>{0, 255, 255, 255})) << "clamp";
}

}  // namespace quaven_test
