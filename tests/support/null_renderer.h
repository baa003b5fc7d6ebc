// A renderer without a device: it implements what the renderer interface leaves to
// implementations with answers that let the engine run (initialises, ready, no textures),
// and counts the frame calls it receives. Tests derive from it to observe more.
#pragma once

#include "platform/windows/win32.h"

#include "graphics/renderer/renderer_implementation.h"

namespace quaven_test {

class NullRenderer : public RendererImplementation {
public:
    bool rgbaVertexColor = true;
    int beginFrames = 0;
    int presents = 0;

    bool IsSupported() override { return true; }
    int GetMaximumTextureSize() override { return 4096; }
    const char* GetName() override { return "Null"; }
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
    bool Present() override {
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

}  // namespace quaven_test
