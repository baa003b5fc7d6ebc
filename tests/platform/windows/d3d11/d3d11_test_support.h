// Shared by the Direct3D 11 renderer tests: a real window and renderer over a fake API table,
// pixel read-back, a drawing path of the tests' own, and a way to make one method refuse.
#pragma once

#include "platform/windows/win32.h"
#include <d3d11_1.h>

#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "core/byte_buffer.h"
#include "core/engine_log.h"
#include "core/core_state.h"
#include "graphics/drawing/builtin_shader_code.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/support/test_image.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "support/back_buffer.h"
#include "support/log_capture.h"
#include "support/render_rules.h"
#include "support/windows_ui.h"

namespace d3d11_test {

const int kWindowWidth = 64, kWindowHeight = 48;

using quaven_test::ReadBackBuffer;
// One subresource of a texture through a staging copy: its rows packed at texelBytes per
// texel; empty when it cannot be read.
std::vector<uint8_t> ReadSubresource(RendImpDirect3D11& renderer, ID3D11Texture2D* texture, UINT subresource,
                                     int texelBytes);
// The pixel Xvfb shows at a screen position ($QUAVEN_SCREEN_DIR/Xvfb_screen0).
bool ReadScreenPixel(int x, int y, Rgba8* out);
// Whether this run is a screen-reading test's own, with no other test beside it
// (tests/CMakeLists.txt): in the suite's run any other test's window may cover the one read,
// since they all open at one place and one goes full screen.
bool RunsAloneOnTheScreen();

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

// The same for methods with three arguments.
class RefusedMethod3 {
public:
    RefusedMethod3(IUnknown* object, int slot);
    ~RefusedMethod3() { if (entry_) *entry_ = original_; }

private:
    void** entry_ = nullptr;
    void* original_ = nullptr;
};

const int kDeviceCreateBufferSlot = 3;
const int kUnknownQueryInterfaceSlot = 0;
const int kSwapChainSetFullscreenStateSlot = 10;
const int kDevice1CreateRasterizerState1Slot = 46;

// The code of an HLSL source's "main" compiled for a profile, empty when it does not compile.
std::vector<uint8_t> CompileCode(const char* source, const char* profile);

// A vertex of format 7 at pixel (x, y) of the back buffer under an identity transform.
BatchVertex PixelVertex(float x, float y, uint32_t color, float u = 0, float v = 0);
// The corners of the pixels [x0, x1) x [y0, y1) in the batch order (top-left, top-right,
// bottom-left, bottom-right; kQuadIndices), texture coordinates 0 to 1.
void PixelQuad(BatchVertex out[4], int x0, int y0, int x1, int y1, uint32_t color);
const uint16_t kQuadIndices[6] = {0, 1, 2, 1, 3, 2};

// A shader record as the shader pool makes one: both stages' code, a vertex format, and per
// stage one constant of the given size (none for 0) with its values zeroed.
class TestShader {
public:
    TestShader(const uint8_t* vertexCode, int vertexSize, const uint8_t* pixelCode, int pixelSize, int vertexFormat,
               int vertexConstantBytes, int pixelConstantBytes);
    bool Create(RendImpDirect3D11& renderer) { return renderer.CreateShader(&record, nullptr, code); }
    float* VertexValues() { return reinterpret_cast<float*>(values_[0].data()); }
    float* PixelValues() { return reinterpret_cast<float*>(values_[1].data()); }
    const D3D11ShaderData* Data() const { return static_cast<const D3D11ShaderData*>(record.rendererData); }

    Shader record = {};
    ByteBuffer code[2];

private:
    std::vector<uint8_t> values_[2];
    ShaderConstant entries_[2] = {};
};

// A ready renderer (as D3D11DrawingTest) drawing through its own shader and buffer
// operations with the built-in "internal_default" code of level 1: world_view_proj the
// identity, a white texture at stage 0, point sampling, the back buffer cleared to black.
class D3D11PipelineTest : public D3D11DrawingTest {
protected:
    void SetUp() override;
    void TearDown() override {
        if (shader_) renderer_.DestroyShader(&shader_->record);
        D3D11DrawingTest::TearDown();
    }
    void BindTexture(int width, int height, const uint8_t* rgba);  // at stage 0
    // A shader of the built-in code, world_view_proj (64 bytes) the identity, pixelBytes of
    // pixel constants.
    static std::unique_ptr<TestShader> MakeBuiltInShader(BuiltInShader which, int level, int pixelBytes);
    // The quad of pixels [x0, x1) x [y0, y1) drawn from static buffers of its own, as many
    // instances as asked (instanced when not 1).
    void DrawQuad(int x0, int y0, int x1, int y1, uint32_t color, int instances = 1);

    std::unique_ptr<TestShader> shader_;
};

}  // namespace d3d11_test
