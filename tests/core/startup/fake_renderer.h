// A renderer without a device for the start-up tests: it initialises, answers ready and
// counts the frame calls the engine makes. Its vertex-colour byte order is chosen per test.
#pragma once

#include <windows.h>

#include "graphics/renderer/renderer_implementation.h"

namespace startup_test {

class FakeRenderer : public RendererImplementation {
public:
    bool rgbaVertexColor = true;
    int beginFrames = 0;
    int presents = 0;

    bool IsSupported() override { return true; }
    int GetMaximumTextureSize() override { return 4096; }
    const char* GetName() override { return "Fake"; }
    int GetPixelChannelOrder() override { return 0; }
    bool UsesRGBAVertexColor() override { return rgbaVertexColor; }
    bool Init(QuavenAPI*, CoreState*, VideoParameters*) override { return true; }
    void Shutdown() override {}
    void SetFullscreen(bool) override {}
    bool SetRenderTargets(const RenderTargetSet*) override { return true; }
    bool CreateRenderTarget(Bitmap*) override { return false; }
    bool CreateTexture(Bitmap*) override { return false; }
    void DestroyTexture(BitmapHardwareData*) override {}
    bool UsesPrecompiledShaders() override { return false; }
    void BeginFrame(int) override { ++beginFrames; }
    bool Present() override
    {
        ++presents;
        return true;
    }
    void ClearColor(float, float, float, float) override {}
    bool SetScissorRectangle(int, int, int, int) override { return true; }
    void DisableScissorRectangle() override {}
    void SetBlendMode(BlendMode) override {}
    void SetSamplerFilter(int, TextureFilter, TextureFilter, TextureFilter) override {}
    void SetSamplerAddressMode(int, TextureAddressMode, TextureAddressMode, TextureAddressMode) override {}
    void SetDepthTest(bool) override {}
    void SetDepthFunction(DepthCompare) override {}
    void SetDepthWrite(bool) override {}
    void SetColorWrite(bool) override {}
    void SetCullMode(CullMode) override {}
    void SetTexture(int, TextureHardwareData*) override {}
};

}  // namespace startup_test
