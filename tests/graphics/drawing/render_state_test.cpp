// The state side of the graphics table as a game drives it: a scene drawn into a render
// target and read back pixel for pixel, the stacks and their limits, render states once per
// frame, colour bytes, scissor mapping and clears.
#include "graphics/drawing/drawing_fixture.h"

#include <cmath>
#include <limits>


namespace drawing_test {
namespace {

using RenderState = DrawingTest;
using quaven_test::LogCapture;
using Numbers = std::vector<double>;

const Rgba8 kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255};

int CountOf(const TestImage& image, Rgba8 colour) {
    int n = 0;
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x)
            n += image.At(x, y) == colour;
    return n;
}

// Where a matrix puts a point, in normalised device coordinates.
void Project(const Matrix4& m, float x, float y, float z, float out[2]) {
    const float in[4] = {x, y, z, 1.0f};
    float clip[4] = {};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            clip[r] += m.m[r * 4 + c] * in[c];
    out[0] = clip[0] / clip[3], out[1] = clip[1] / clip[3];
}

TEST_F(RenderState, ASceneInARenderTargetLandsPixelForPixel) {
    Bitmap* scene = Target(64, 64);
    Frame([&] {
        qv->graphics->PushRenderTarget(scene);
        EXPECT_EQ(LastNumbers("SetViewport"), (Numbers{0, 0, 64, 64, 0, 1}));
        qv->graphics->ClearColor(0, 0, 1);
        Colour(1, 0, 0);
        Rect(10, 20, 1, 1);
        const Matrix4 move = Translation(5, 7);  // reaches the shader as its world_view_proj
        qv->graphics->PushWorldTransform(&move);
        Rect(10, 20, 1, 1);
        qv->graphics->PopWorldTransform();
        Rect(50, 50, 1, 1);
        qv->graphics->PushScissorRectangle(0, 0, 40, 40);
        qv->graphics->PushScissorRectangle(20, 20, 40, 40);
        EXPECT_EQ(LastNumbers("SetScissorRectangle"), (Numbers{20, 20, 20, 20}));
        Colour(0, 1, 0);
        Rect(0, 0, 64, 64);
        qv->graphics->PopScissorRectangle();
        qv->graphics->PopScissorRectangle();
        // The eight blend modes over grey, each in an 8 x 8 cell of the bottom row.
        qv->graphics->SetBlendMode(QV_BLEND_OFF);
        Colour(0.4f, 0.4f, 0.4f);
        Rect(0, 56, 64, 8);
        Colour(1, 0.5f, 0);
        Alpha(0.5f);
        for (int mode = 1; mode <= 8; ++mode) {
            qv->graphics->SetBlendMode(mode);
            Rect(8.0f * (mode - 1), 56, 8, 8);
        }
        qv->graphics->PopRenderTarget();
        EXPECT_EQ(LastNumbers("SetViewport"), (Numbers{0, 0, 80, 60, 0, 1}));
    });
    const TestImage image = Pixels(scene);
    EXPECT_TRUE(image.At(10, 20) == kRed && image.At(15, 27) == kRed && image.At(50, 50) == kRed);
    EXPECT_EQ(CountOf(image, kRed), 3) << "each 1 x 1 rectangle colours exactly one pixel";
    EXPECT_EQ(CountOf(image, kGreen), 20 * 20) << "nested scissors keep their intersection";
    EXPECT_TRUE(image.At(20, 20) == kGreen && image.At(39, 39) == kGreen && image.At(40, 40) == kBlue);
    EXPECT_EQ(renderer_.CallCount("DisableScissorRectangle"), 1);
    // Source (1, 0.5, 0) at alpha 0.5 over (0.4, 0.4, 0.4), red green blue x 100.
    const int expected[8][3] = {{70, 45, 20}, {90, 65, 40}, {100, 50, 0}, {0, 15, 40},
                                {40, 20, 0},  {80, 40, 0},  {80, 60, 40}, {100, 70, 20}};
    for (int mode = 1; mode <= 8; ++mode) {
        const Rgba8 pixel = image.At(8 * (mode - 1) + 4, 60);
        const int* e = expected[mode - 1];
        EXPECT_TRUE(std::abs(pixel.r - e[0] * 255 / 100) <= 2 && std::abs(pixel.g - e[1] * 255 / 100) <= 2 &&
                    std::abs(pixel.b - e[2] * 255 / 100) <= 2)
            << "blend mode " << mode << ": " << pixel;
    }
}

TEST_F(RenderState, RenderTargetStackSizesAndChecks) {
    Bitmap* small = Target(32, 16);
    Bitmap* depth = Target(32, 16, QV_TEXTURE_FORMAT_D24S8);
    int w = 0, h = 0;
    Frame([&] {
        qv->graphics->PushRenderTarget(small);
        qv->graphics->GetViewportSize(&w, &h);
        EXPECT_TRUE(w == 32 && h == 16);
        EXPECT_EQ(qv->graphics->PeekRenderTarget(), small);
        float corner[2];
        Project(qv->graphics->PeekProjectionTransform(), 32, 16, 0.5f, corner);
        EXPECT_TRUE(std::fabs(corner[0] - 1) < 1e-5 && std::fabs(corner[1] + 1) < 1e-5) << "the target's own size";
        // Depth only: nothing to measure, so the screen size.
        qv->graphics->PushRenderTargetWithDepth(nullptr, depth);
        EXPECT_EQ(LastNumbers("SetViewport"), (Numbers{0, 0, 80, 60, 0, 1}));
        qv->graphics->GetViewportSize(&w, &h);
        EXPECT_TRUE(w == 80 && h == 60 && qv->graphics->PeekRenderTarget() == nullptr);
        const DrawingStackDepths depths = QVI_GetDrawingStackDepths();
        EXPECT_TRUE(depths.renderTargets == 2 && depths.projection == 1 && depths.world == 1);
        qv->graphics->PopRenderTarget();
        qv->graphics->PopRenderTarget();
        EXPECT_EQ(QVI_GetCurrentRenderTargets()->colour[0], nullptr);
    });
    // With only the base entry the pop is refused, and the transforms are popped all the same.
    qv->graphics->PushWorldTransform(nullptr);
    qv->graphics->PopRenderTarget();
    EXPECT_EQ(LogCapture::PopupTexts().size(), 2u);
    EXPECT_EQ(QVI_GetDrawingStackDepths().world, -1);
    EXPECT_EQ(Count("QV_Graphics_PopProjectionTransform: called too many times."), 1);
    // A cube face outside 0-5 and a bitmap that is no render target are neither bound nor current.
    Bitmap cube = *small;
    cube.textureType = QV_TEXTURE_TYPE_CUBE;
    RenderTargetSet set = {{&cube}, nullptr, {6}};
    EXPECT_FALSE(QVI_SetRenderTargets(&set));
    EXPECT_EQ(LogCapture::CountPopups("QVI_SetRenderTargets: invalid cube map side specified.", QV_LOG_ERROR), 1);
    cube.textureType = QV_TEXTURE_TYPE_2D, cube.flags = 0;
    EXPECT_FALSE(QVI_SetRenderTargets(&set));
    EXPECT_EQ(QVI_GetCurrentRenderTargets()->colour[0], nullptr);
}

TEST_F(RenderState, TransformStacksKeepTheirRulesAndLimits) {
    const Matrix4 t1 = Translation(1, 0), t2 = Translation(0, 2), camera = Translation(-3, -4, -5);
    qv->graphics->PushWorldTransform(&t1);
    qv->graphics->PushWorldTransform(&t2);
    EXPECT_EQ(qv->graphics->PeekWorldTransform().m[3] + qv->graphics->PeekWorldTransform().m[7], 3.0f)
        << "a world transform is relative to the one below";
    qv->graphics->PushViewTransform(&t1);
    qv->graphics->PushViewTransform(&camera);
    EXPECT_EQ(qv->graphics->PeekViewTransform().m[3], -3.0f) << "a view transform replaces the one below";
    const float* eye = qv->graphics->GetViewPosition();
    EXPECT_TRUE(eye[0] == 3 && eye[1] == 4 && eye[2] == 5);
    for (int i = 0; i < 2; ++i)
        qv->graphics->PopWorldTransform(), qv->graphics->PopViewTransform();
    for (int i = 0; i < 33; ++i)
        qv->graphics->PushWorldTransform(nullptr);
    EXPECT_EQ(QVI_GetDrawingStackDepths().world, 31);
    EXPECT_EQ(Count("QV_Graphics_PushWorldTransform: world transform stack is full (max size 32), transform not "
                    "pushed."),
              1);
    for (int i = 0; i < 33; ++i)
        qv->graphics->PopWorldTransform();
    EXPECT_EQ(Count("QV_Graphics_PopWorldTransform: called too many times."), 1);
    // The default projection: pixel for pixel at the middle depth, 9/8 as large at depth 0.
    float point[2];
    Project(QVI_BuildDefaultProjection(), 0, 0, 0.5f, point);
    EXPECT_TRUE(std::fabs(point[0] + 1) < 1e-5 && std::fabs(point[1] - 1) < 1e-5);
    Project(QVI_BuildDefaultProjection(), 0, 0, 0.0f, point);
    EXPECT_NEAR(point[0], -9.0f / 8.0f, 1e-5);
    const float infinity = std::numeric_limits<float>::infinity();
    qv->graphics->SetProjectionParameters(1.0f, 0.5f, 0.1f);
    qv->graphics->SetProjectionParameters(0.1f, 0.5f, infinity);
    EXPECT_TRUE(g_graphics.nearDepth == 0.1f && g_graphics.farDepth == 1.0f) << "both refused";
    qv->graphics->PushProjectionTransform(nullptr);
    qv->graphics->SetProjectionParameters(0.2f, 0.6f, 2.0f);
    Project(qv->graphics->PeekProjectionTransform(), 0, 0, 0.6f, point);
    EXPECT_NEAR(point[0], -1.0f, 1e-5) << "the pushed default is rebuilt from the new parameters";
    qv->graphics->PopProjectionTransform();
}

TEST_F(RenderState, RenderStatesReachTheRendererOncePerFrameAndOnlyKnownOnes) {
    for (int frame = 0; frame < 2; ++frame) {
        Frame([&] {
            qv->graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_WRITE, true);
            qv->graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_WRITE, true);
            qv->graphics->SetRenderStatei(QV_RENDER_STATE_CULL_MODE, QV_CULL_BACK);
        });
    }
    // Each frame: the game's true once, then the frame's reset to false.
    EXPECT_EQ(renderer_.CallCount("SetDepthWrite"), 4);
    EXPECT_EQ(renderer_.CallCount("SetCullMode"), 4);
    qv->graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_FUNCTION, true);
    EXPECT_TRUE(qv->graphics->GetRenderStateb(QV_RENDER_STATE_DEPTH_FUNCTION)) << "kept, and reported";
    qv->graphics->SetRenderStatei(40, 1);
    qv->graphics->SetRenderStatef(QV_RENDER_STATE_CULL_MODE, 0.5f);
    EXPECT_EQ(qv->graphics->GetRenderStatei(40), 0);
    EXPECT_EQ(qv->graphics->GetRenderStatef(QV_RENDER_STATE_CULL_MODE), 0.5f);
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{"QV_Graphics_SetRenderStateb: (11, true) state not supported with this method.",
                                        "QV_Graphics_SetRenderStatei: (40, 1) state not supported with this method.",
                                        "SetRenderStatef (14, 0.5) state not supported with this method."}));
}

TEST_F(RenderState, ColourBecomesClampedBytesInTheRenderersOrder) {
    Colour(1, 0.5f, 0);
    Alpha(0.5f);
    EXPECT_EQ(g_batchQuad[3].color, 0x7FFF7F00u);
    const float r = 2, g = -1, b = std::nanf("");
    QV_Graphics_SetColorRedInByte0(&r, &g, &b);
    EXPECT_EQ(g_batchQuad[0].color, 0x7F0000FFu);
    Alpha(7);
    const Color colour = qv->graphics->GetColor();
    EXPECT_TRUE(colour.r == 2 && colour.g == -1 && colour.a == 1) << "kept as given, alpha limited";
    const float z = 0.25f;
    qv->graphics->SetDepth(&z);
    EXPECT_TRUE(g_batchQuad[2].z == 0.25f && qv->graphics->GetDepth() == 0.25f);
    qv->graphics->SetColor(nullptr, &g, &b);
    qv->graphics->SetAlpha(nullptr);
    EXPECT_EQ(g_batchQuad[0].color, 0xFF0000FFu);
    EXPECT_EQ(Count("QV_Graphics_SetColor: a colour component is missing (null), colour unchanged."), 1);
}

TEST_F(RenderState, ScissorOnTheBackBufferFollowsAutoscalingAndClearsFollowTheirStates) {
    g_autoscaleActive = 1;
    g_autoscale.scaleX = g_autoscale.scaleY = 2.0f, g_autoscale.offsetX = 10.0f;
    EXPECT_TRUE(qv->graphics->SetScissorRectangle(-10, 5, 20, 10));
    EXPECT_EQ(LastNumbers("SetScissorRectangle"), (Numbers{0, 10, 30, 20})) << "clipped at the left edge";
    EXPECT_FALSE(qv->graphics->SetScissorRectangle(0, 0, 0, 10));
    g_autoscaleActive = 0;
    EXPECT_TRUE(qv->graphics->SetScissorRectangle(10, 0, 200, 10));
    EXPECT_EQ(LastNumbers("SetScissorRectangle"), (Numbers{10, 0, 80, 10})) << "no wider than the screen";
    EXPECT_TRUE(qv->graphics->SetScissorRectangle(-200, 0, 100, 100));
    EXPECT_EQ(LastNumbers("SetScissorRectangle"), (Numbers{0, 0, -100, 60})) << "clipped to nothing, still applied";
    qv->graphics->PushScissorRectangle(0, 0, 100, 100);
    qv->graphics->PushScissorRectangle(50, 50, 100, 100);
    qv->graphics->PushScissorRectangle(200, 200, 10, 10);
    EXPECT_EQ(LastNumbers("SetScissorRectangle"), (Numbers{50, 50, 50, 50}));
    EXPECT_EQ(g_graphics.scissorTop, 2) << "an empty intersection still takes its entry";
    for (int i = 0; i < 4; ++i)
        qv->graphics->PopScissorRectangle();
    EXPECT_EQ(LogCapture::PopupTexts().size(), 1u);
    EXPECT_EQ(renderer_.CallCount("DisableScissorRectangle"), 2);

    g_core.developerMode = 1;
    qv->graphics->ClearDepth(1.0f);
    EXPECT_EQ(renderer_.CallCount("ClearDepth"), 0) << "depth writes are off";
    qv->graphics->SetRenderStateb(QV_RENDER_STATE_DEPTH_WRITE, true);
    qv->graphics->PushRenderTarget(Target(8, 8));
    qv->graphics->ClearDepth(1.0f);
    EXPECT_EQ(renderer_.CallCount("ClearDepth"), 0) << "a colour target without a depth target";
    qv->graphics->PopRenderTarget();
    qv->graphics->ClearDepth(0.75f);
    qv->graphics->ClearColorAlpha(0.1f, 0.2f, 0.3f, 0.4f);
    EXPECT_EQ(LastNumbers("ClearDepth"), (Numbers{0.75}));
    EXPECT_EQ(LastNumbers("ClearColor"), (Numbers{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_EQ(LogCapture::CountPopups("QV_Graphics_ClearDepth: Depth writes are disabled, calling ClearDepth() has no "
                                      "effect. Enable depth writes first.",
                                      QV_LOG_WARNING),
              1);
}

}  // namespace
}  // namespace drawing_test
