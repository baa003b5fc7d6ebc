// The drawing tests' ground: the tests' renderer (or another a suite hands in) brought up
// at 80 x 60 as renderer set-up does, frames run as the frame loop runs them, render
// targets, and a rectangle queued as the drawing members queue one.
#pragma once

#include <deque>
#include <functional>
#include <string>

#include "graphics/drawing/batch_renderer.h"
#include "graphics/device_resources.h"
#include "graphics/drawing/render_state.h"
#include "graphics/graphics_api.h"
#include "graphics/graphics_frame.h"
#include "graphics/renderer/shader_record.h"
#include "graphics/setup/setup_fixture.h"

namespace drawing_test {

inline Matrix4 Translation(float x, float y, float z = 0.0f) {
    Matrix4 m;
    m.SetIdentity();
    m.m[3] = x, m.m[7] = y, m.m[11] = z;
    return m;
}

class DrawingTest : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        if (device_ != &renderer_)
            QVI_DetachRenderer(), QVI_AttachRenderer(device_);
        QVI_ResetGraphicsDefaults();
        QVI_ResetRenderTargetStack();
        Select(80, 60, true);
        const VideoParameters& program = QVI_GetRecordInForce()->video;
        g_screenState.orientation = QVI_GetNaturalOrientation(program.reference_width, program.reference_height);
        ASSERT_TRUE(QVI_InitRenderer());
        ASSERT_NE(g_batch.defaultShader, nullptr) << "set-up made the built-in shaders";
        // The built-in shaders' vertex stage: world_view_proj as the engine filled it.
        renderer_.transformForShader = [](Shader* shader) {
            Matrix4 m;
            m.SetIdentity();
            for (int i = 0; i < shader->vertexConstants.count; ++i) {
                if (shader->vertexConstants.entries[i].engineKind == 4)
                    memcpy(m.m, shader->vertexConstants.entries[i].value, sizeof m.m);
            }
            return m;
        };
        renderer_.ClearCalls();
    }

    // One eye pass and Present, with the graphics steps of the frame loop around draw;
    // seen runs on the finished back buffer just before Present.
    void Frame(const std::function<void()>& draw, const std::function<void()>& seen = nullptr) {
        RendererImplementation& device = *device_;
        QVI_ClearRenderStateSetFlags();
        device.BeginFrame(0);
        device.SetViewport(0, 0, 80, 60, 0.0f, 1.0f);
        QVI_ResetBatchForFrame(&device);
        device.BeginScene();
        draw();
        QVI_ResetFrameDrawingState();
        QVI_FinishFrameTransforms();
        device.EndScene();
        QVI_ResetDrawingState();
        QVI_FlushBatchForPresent(&device);
        if (seen)
            seen();
        device.Present();
    }

    // A render target as the bitmap pool makes one (format 7 unless told).
    Bitmap* Target(int width, int height, int format = QV_TEXTURE_FORMAT_RGBA8) {
        Bitmap& b = targets_.emplace_back();
        b.header.name = const_cast<char*>("target");
        b.width = b.textureWidth = width, b.height = b.textureHeight = height, b.depth = 1;
        b.format = format, b.textureType = QV_TEXTURE_TYPE_2D, b.mipLevels = 1, b.state = 3, b.flags = 4;
        EXPECT_TRUE(renderer_.CreateRenderTarget(&b));
        return &b;
    }

    // A filled rectangle in the current colour, as DrawRectangle queues it.
    static void Rect(float x, float y, float w, float h) {
        const float corners[4][2] = {{x, y}, {x + w, y}, {x, y + h}, {x + w, y + h}};
        for (int i = 0; i < 4; ++i)
            g_batchQuad[i].x = corners[i][0], g_batchQuad[i].y = corners[i][1], g_batchQuad[i].u = g_batchQuad[i].v = 0.5f;
        BatchRenderer::AddQuad(nullptr, g_batchQuad);
    }
    static void Colour(float r, float g, float b) { qv->graphics->SetColor(&r, &g, &b); }
    static void Alpha(float a) { qv->graphics->SetAlpha(&a); }

    TestImage Pixels(const Bitmap* target) {
        TestImage image;
        EXPECT_TRUE(renderer_.ReadRenderTargetPixels(target, &image));
        return image;
    }
    std::vector<double> LastNumbers(const char* operation) {
        RendererCall call;
        return renderer_.LastCall(operation, &call) ? call.numbers : std::vector<double>{};
    }

    // The renderer set-up brings up: the tests' renderer unless a suite sets another first.
    RendererImplementation* device_ = &renderer_;
    std::deque<Bitmap> targets_;
};

}  // namespace drawing_test
