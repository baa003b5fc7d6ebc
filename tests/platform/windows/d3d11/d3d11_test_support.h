// Shared by the Direct3D 11 renderer tests: a real window and renderer over a fake API table,
// pixel read-back, a drawing path of the tests' own, and a way to make one method refuse.
#pragma once

#include <windows.h>
#include <d3d11_1.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/support/test_image.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "support/log_capture.h"
#include "support/render_rules.h"
#include "support/windows_ui.h"

namespace d3d11_test {

const int kWindowWidth = 64, kWindowHeight = 48;

// The back buffer through a staging texture; an empty image when it cannot be read.
TestImage ReadBackBuffer(RendImpDirect3D11& renderer);
// One subresource of a texture through a staging copy: its rows packed at texelBytes per
// texel; empty when it cannot be read.
std::vector<uint8_t> ReadSubresource(RendImpDirect3D11& renderer, ID3D11Texture2D* texture, UINT subresource,
                                     int texelBytes);
// The pixel Xvfb shows at a screen position ($QUAVEN_SCREEN_DIR/Xvfb_screen0).
bool ReadScreenPixel(int x, int y, Rgba8* out);

class D3D11Test : public ::testing::Test {
protected:
    // What the fake table answers: HasFeature for `features`, the graphics side's blend mode
    // and render state 14 (the cull mode); and the parameters ReinitializeWithParameters got.
    inline static std::set<std::string> features;
    inline static int graphicsBlendMode, graphicsCullMode;
    inline static std::vector<VideoParameters> reinitializeRequests;

    void SetUp() override {
        features.clear();
        reinitializeRequests.clear();
        graphicsBlendMode = QV_BLEND_ALPHA;
        graphicsCullMode = QV_CULL_NONE;
        fakeApi_.HasFeature = [](const char* name) { return features.count(name) != 0; };
        fakeApi_.ReinitializeWithParameters = [](VideoParameters v) { return reinitializeRequests.push_back(v), true; };
        fakeGraphics_.GetBlendMode = [] { return graphicsBlendMode; };
        fakeGraphics_.GetRenderStatei = [](int s) { return s == QV_RENDER_STATE_CULL_MODE ? graphicsCullMode : 0; };
        fakeApi_.graphics = &fakeGraphics_;
        log_ = std::make_unique<quaven_test::LogCapture>(&fakeApi_);
        quaven_test::LogCapture::SetPopupAnswer(QV_POPUP_NOTHING);
        savedApi_ = qv;
        qv = &fakeApi_;
        QVI_ResetIgnoredRendererValueReports();
        // A popup: its client is the whole window, without the minimum size of a captioned one.
        window_ =
            quaven_test::CreateTestWindow("D3D11 test", WS_POPUP | WS_VISIBLE, 40, 40, kWindowWidth, kWindowHeight);
        program_.video.width = kWindowWidth, program_.video.height = kWindowHeight;
        core_.api = &fakeApi_, core_.settings = &program_, core_.mainWindow = window_;
    }
    void TearDown() override {
        renderer_.Shutdown();
        DestroyWindow(window_);
        log_.reset();
        qv = savedApi_;
    }

    bool InitRenderer(bool windowed = true) {
        program_.video.windowed = windowed ? 1 : 0;
        return renderer_.Init(&fakeApi_, &core_, &program_.video);
    }
    TestImage ReadBack() {
        TestImage image = ReadBackBuffer(renderer_);
        EXPECT_GT(image.width, 0) << "the back buffer could not be read";
        return image;
    }

    RendImpDirect3D11 renderer_;
    CoreState core_ = {};
    ProgramInterface program_ = {};
    HWND window_ = nullptr;

private:
    QuavenAPI fakeApi_ = {};
    QuavenGraphicsAPI fakeGraphics_ = {};
    QuavenAPI* savedApi_ = nullptr;
    std::unique_ptr<quaven_test::LogCapture> log_;  // over the fake table
};

// Draws with a shader and a vertex buffer of the test's own (the renderer's own drawing
// comes later): colour times the texture at stage 0 (a white texel unless one is given),
// over the whole viewport. The canvas the shared render rules draw on.
class TestDrawing : public quaven_test::RenderCanvas {
public:
    explicit TestDrawing(RendImpDirect3D11& renderer);
    ~TestDrawing() override { for (IUnknown* object : objects_) object->Release(); }
    bool Ready() const { return vertexShader_ && pixelShader_ && layout_ && vertices_ && white_; }

    RendererImplementation& Renderer() override { return renderer_; }
    void Quad(const float colour[4], float depth = 0.5f, bool counterClockwise = false) override {
        Draw(colour, depth, counterClockwise, white_, 0, 1);
    }
    void TexturedQuad(ID3D11ShaderResourceView* texture, float u0, float u1) {
        Draw(std::array<float, 4>{1, 1, 1, 1}.data(), 0.5f, false, texture, u0, u1);
    }
    void TexturedQuad(int width, int height, const uint8_t* rgba, float u0, float u1) override {
        TexturedQuad(Texture(width, height, rgba), u0, u1);
    }
    TestImage ReadBack() override { return ReadBackBuffer(renderer_); }
    // A width x height texture of RGBA bytes, released with the drawing.
    ID3D11ShaderResourceView* Texture(int width, int height, const uint8_t* rgba);

private:
    void Draw(const float colour[4], float depth, bool counterClockwise, ID3D11ShaderResourceView* texture,
              float u0, float u1);

    RendImpDirect3D11& renderer_;
    ID3D11VertexShader* vertexShader_ = nullptr;
    ID3D11PixelShader* pixelShader_ = nullptr;
    ID3D11InputLayout* layout_ = nullptr;
    ID3D11Buffer* vertices_ = nullptr;
    ID3D11ShaderResourceView* white_ = nullptr;
    std::vector<IUnknown*> objects_;
};

// A ready renderer, its back buffer bound, blending off, and a TestDrawing.
class D3D11DrawingTest : public D3D11Test {
protected:
    void SetUp() override {
        D3D11Test::SetUp();
        ASSERT_TRUE(InitRenderer());
        drawing_ = std::make_unique<TestDrawing>(renderer_);
        ASSERT_TRUE(drawing_->Ready()) << "the test shader did not compile";
        renderer_.BeginFrame(0);
        renderer_.SetBlendMode(QV_BLEND_OFF);
    }
    void TearDown() override {
        drawing_.reset();
        D3D11Test::TearDown();
    }
    std::unique_ptr<TestDrawing> drawing_;
};

// Makes one method refuse (DXGI_ERROR_NOT_CURRENTLY_AVAILABLE) while this lives, for every
// object of the class: objects made later (after a new Init) refuse as well. Only for
// methods with two arguments.
class RefusedMethod {
public:
    RefusedMethod(IUnknown* object, int slot);
    ~RefusedMethod() { if (entry_) *entry_ = original_; }

private:
    void** entry_ = nullptr;
    void* original_ = nullptr;
};

const int kUnknownQueryInterfaceSlot = 0;
const int kSwapChainSetFullscreenStateSlot = 10;
const int kDevice1CreateRasterizerState1Slot = 46;

}  // namespace d3d11_test
