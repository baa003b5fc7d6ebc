// Shared by the Direct3D 11 renderer tests: a fixture with a real window and renderer, a
// fake API table whose log lines are captured, pixel read-back from the back
// buffer and from the Xvfb screen, a minimal drawing path of the tests' own, and a way to
// make one Direct3D method refuse.
#pragma once

#include <windows.h>
#include <d3d11_1.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "graphics/support/test_image.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "support/log_capture.h"

namespace d3d11_test {

const int kWindowWidth = 64;
const int kWindowHeight = 48;

// Reads the back buffer through a staging texture (target must be null: the renderer has
// no render-target bitmaps yet).
bool ReadRenderTargetPixels(RendImpDirect3D11& renderer, const Bitmap* target, TestImage* out);

// The pixel Xvfb shows at a screen position ($QUAVEN_SCREEN_DIR/Xvfb_screen0).
bool ReadScreenPixel(int x, int y, Rgba8* out);

class D3D11Test : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Init for the test window with the program's video parameters.
    bool InitRenderer(bool windowed = true);
    std::vector<VideoParameters> ReinitializeRequests() const;
    // What the fake graphics table answers for the blend mode and render state 14.
    void SetGraphicsState(int blendMode, int cullMode);
    void SetFeature(const char* name);
    TestImage ReadBack();

    RendImpDirect3D11 renderer_;
    CoreState core_ = {};
    ProgramInterface program_ = {};
    HWND window_ = nullptr;

private:
    QuavenAPI* savedApi_ = nullptr;
    std::unique_ptr<quaven_test::LogCapture> log_;  // over the fake table
};

// Draws with a shader and a vertex buffer of the test's own (the renderer's own drawing
// comes later): colour times the texture at stage 0 (a white texel unless one is given).
// Coordinates are pixels of the viewport, depth 0..1; the quad's triangles run clockwise
// on screen (front faces) unless counterClockwise.
class TestDrawing {
public:
    explicit TestDrawing(RendImpDirect3D11& renderer);
    ~TestDrawing();
    bool Ready() const { return vertexShader_ && pixelShader_ && layout_ && vertices_ && white_; }

    void Quad(const float colour[4], float depth = 0.5f, bool counterClockwise = false);
    // The whole viewport textured with u0..u1 by 0..1.
    void TexturedQuad(ID3D11ShaderResourceView* texture, float u0, float u1);
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
    void SetUp() override;
    void TearDown() override;
    std::unique_ptr<TestDrawing> drawing_;
};

// Makes one method refuse (DXGI_ERROR_NOT_CURRENTLY_AVAILABLE) while this lives, for every
// object of the class: objects made later (after a new Init) refuse as well. Only for
// methods with two arguments.
class RefusedMethod {
public:
    RefusedMethod(IUnknown* object, int slot);
    ~RefusedMethod();

private:
    void** entry_ = nullptr;
    void* original_ = nullptr;
};

// The method-table slots the tests refuse.
const int kUnknownQueryInterfaceSlot = 0;
const int kSwapChainSetFullscreenStateSlot = 10;
const int kDevice1CreateRasterizerState1Slot = 46;

}  // namespace d3d11_test
