#pragma once

// TestRenderer: a RendererImplementation that needs no device. It records every call
// (slot, name, arguments, thread) and keeps the back buffer, textures and render targets
// in memory, drawing into them with a small software pipeline that follows the Direct3D
// 11 renderer's rules (blend table, colour write, scissor with clipped negative origins,
// cull modes with clockwise front faces, depth test/function/write, point and linear
// sampling with clamp/wrap/mirror, top-left fill rule, pixel centres at +0.5). Graphics
// code can thus be tested without a device, and the pixel checks of test_image.h hold
// for both renderers.
//
// The fixed pipeline stands in for shaders: a vertex's position is multiplied by
// vertexTransform (or transformForShader(the bound shader)) to give clip space, and the
// pixel colour is pixelProgram(input), by default the vertex colour times the texture
// of stage 0 (the engine's default sprite shader).
//
// Not modelled (documented limits, not faults to test against): mip levels (sampling
// reads level 0; the mag filter is used unless the texture is minified, then the min
// filter), cube-map sampling (face 0 is sampled), triangles with a vertex behind the
// eye (w <= 0; skipped, not clipped), stencil. Lines are drawn with the pixel centres
// from the start up to (not including) the end along the major axis.

#include "platform/windows/win32.h"

#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "graphics/renderer/renderer_implementation.h"
#include "graphics/support/test_image.h"
#include "quaven/types.h"

// One recorded call.
struct RendererCall {
    int slot;                          // the operation's slot in RendererImplementation
    const char* name;                  // "SetBlendMode"
    std::vector<double> numbers;       // numeric and bool arguments, in order
    std::vector<const void*> pointers; // pointer arguments, in order
    DWORD threadId;

    // "SetBlendMode(2)", "SetTexture(0, <ptr>)": numbers first, then pointers.
    std::string ToString() const;
};

// A texture, render target or the back buffer, kept as floats.
struct TestTexture {
    int width = 0;   // full texture size
    int height = 0;
    int faces = 1;   // 6 for cube maps
    int format = QV_TEXTURE_FORMAT_RGBA8;  // textures made from pixels are always RGBA8
    bool renderTarget = false;
    bool depth = false;         // a depth target: texels in depthValues, none in color
    std::vector<float> color;   // faces x height x width x 4 (r, g, b, a)
    std::vector<float> depthValues;  // height x width

    float* ColorAt(int face, int x, int y);
    const float* ColorAt(int face, int x, int y) const;
};

// The sampler bound to a stage: the filter and address values in force at the stage's
// last filter or address call. Like the device, the renderer keeps one current filter
// triple and one current address triple for all stages.
struct TestSampler {
    int minFilter = QV_FILTER_POINT;
    int magFilter = QV_FILTER_POINT;
    int mipFilter = QV_FILTER_POINT;
    int u = QV_ADDRESS_CLAMP;
    int v = QV_ADDRESS_CLAMP;
    int w = QV_ADDRESS_CLAMP;
};

const TestSampler kUnboundSampler = {QV_FILTER_LINEAR, QV_FILTER_LINEAR, QV_FILTER_LINEAR,
                                     QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP, QV_ADDRESS_CLAMP};

struct TestScissor {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

struct TestViewport {
    int x = 0, y = 0, width = 0, height = 0;
    float minDepth = 0.0f, maxDepth = 1.0f;
};

// The state the renderer draws with; read it in tests through state().
struct TestRenderState {
    int blendMode = 0;  // 0 until the first valid SetBlendMode: blending off
    bool colorWrite = true;
    bool depthTest = false;
    int depthFunction = QV_DEPTH_LESS;  // as given; codes outside 0-7 compare as LESS
    bool depthWrite = false;
    int cullMode = QV_CULL_NONE;
    bool scissorOn = false;
    TestScissor scissor;
    TestViewport viewport;
    TestSampler currentSampler;  // what the next filter or address call builds on
    // Until a stage's first filter or address call it samples as a device does with no
    // sampler bound: linear, clamped.
    TestSampler samplers[kRendererTextureStages] = {kUnboundSampler, kUnboundSampler, kUnboundSampler,
                                                    kUnboundSampler};
    TextureHardwareData* textures[kRendererTextureStages] = {};
    Shader* shader = nullptr;
    bool fullscreen = false;  // last SetFullscreen argument
    bool windowed = true;     // last ChangeVideoMode request
};

// What the pixel program gets for one pixel.
struct TestPixelInput {
    float color[4];   // interpolated vertex colour, 0 to 1
    float uv0[2];     // texture coordinate 0 (0 when the layout has none)
    float uv1[2];     // texture coordinate 1
    float uv0PerPixelX[2];  // change of uv0 one pixel to the right
    float uv0PerPixelY[2];  // and one pixel down (for the filter choice)
    int x, y;         // the pixel
    float depth;      // after the viewport mapping
};

class TestRenderer : public RendererImplementation {
public:
    TestRenderer();
    ~TestRenderer() override;

    // ---- Answers and failures to simulate (set before the calls they affect) ----
    std::string name = "TestRenderer";
    int rendererType = QV_RENDERER_TYPE_NONE;
    bool supported = true;
    int maximumTextureSize = 16384;
    int threadingCapabilities = 0;
    int pixelChannelOrder = QV_PIXEL_ORDER_RGBA;
    bool rgbaVertexColor = true;       // UsesRGBAVertexColor: colour bytes B, G, R, A
    bool nonPowerOfTwoTextures = true;
    int shaderLevel = QV_SHADER_LEVEL_DEFAULT;
    int shaderLanguage = QV_SHADER_LANGUAGE_HLSL11;
    bool precompiledShaders = true;
    bool failInit = false;
    bool failChangeVideoMode = false;
    bool failCreateTexture = false;
    bool failCreateRenderTarget = false;
    bool failCreateShader = false;
    bool failPresent = false;
    std::vector<DisplayMode> deviceModes;  // what EnumerateDisplayModes finds
    std::set<int> unsupportedFormats;      // IsTextureFormatSupported answers false for these

    // ---- The fixed pipeline ----
    Matrix4 vertexTransform;  // identity: positions are clip-space coordinates
    // When set and a shader is bound: the transform for that shader's draws.
    std::function<Matrix4(Shader*)> transformForShader;
    // When set: the colour of a pixel (r, g, b, a) before blending.
    std::function<void(const TestPixelInput&, float out[4])> pixelProgram;
    // CopyRenderTargetToPixels renews the bitmap's pixels through this (width x height x
    // 4 bytes); by default free() the old array and malloc() a new one.
    std::function<uint8_t*(Bitmap*, int width, int height)> renewPixels;

    // ---- Inspection ----
    std::vector<RendererCall> Calls() const;
    std::vector<std::string> CallNames() const;
    int CallCount(const char* operation) const;
    // False when the operation was never called.
    bool LastCall(const char* operation, RendererCall* out) const;
    void ClearCalls();

    const TestRenderState& state() const { return state_; }
    bool initialized() const { return initialized_; }
    int LiveTextureCount() const;
    // Draws refused because a buffer was locked, unknown or the renderer not initialised,
    // and texture records passed in that this renderer never made (or already freed).
    int refusedDraws() const { return refusedDraws_; }
    int unknownTextureUses() const { return unknownTextureUses_; }

    // Pixels of a colour render target or texture (null: the back buffer), as the device
    // would store them in 8 bits: format 8 reads alpha 255, one-channel formats read
    // (r, 0, 0, 255). False for a depth target or an unknown bitmap.
    bool ReadRenderTargetPixels(const Bitmap* target, TestImage* out, int face = 0) const;
    // The back buffer as it was at the last successful Present.
    bool ReadPresentedPixels(TestImage* out) const;
    // Depth value of a depth target (null: the back buffer's depth), NaN when there is none.
    float ReadDepth(const Bitmap* depthTarget, int x, int y) const;

    // Samples a bound stage as the pipeline does (stage 0-3); transparent black for an
    // empty stage. perPixelX/Y: change of (u, v) per pixel, for the filter choice.
    void Sample(int stage, float u, float v, const float perPixelX[2], const float perPixelY[2],
                float out[4]) const;

    // ---- RendererImplementation ----
    bool IsSupported() override;
    int GetThreadingCapabilities() override;
    int GetMaximumTextureSize() override;
    bool IsReady() override;
    int GetRendererType() override;
    const char* GetName() override;
    bool IsDisplayModeSupported(int width, int height) override;
    const char* GetSupportedResolutions() override;
    int GetPixelChannelOrder() override;
    bool UsesRGBAVertexColor() override;
    bool SupportsNonPowerOfTwoTextures() override;
    bool Init(QuavenAPI* api, CoreState* core, VideoParameters* video) override;
    void PostInit() override;
    bool ChangeVideoMode(int width, int height, bool windowed) override;
    void Shutdown() override;
    void SetViewport(int x, int y, int width, int height, float minDepth, float maxDepth) override;
    void SetFullscreen(bool fullscreen) override;
    bool SetRenderTargets(const RenderTargetSet* targets) override;
    bool CopyRenderTargetToPixels(Bitmap* bitmap) override;
    bool IsTextureFormatSupported(const BitmapDescription* description) override;
    bool CreateRenderTarget(Bitmap* bitmap) override;
    bool CreateTexture(Bitmap* bitmap) override;
    void DestroyTexture(BitmapHardwareData* hardware) override;
    int GetShaderLevel() override;
    int GetShaderLanguage() override;
    bool UsesPrecompiledShaders() override;
    bool CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description,
                      const ByteBuffer code[2]) override;
    void DestroyShader(Shader* shader) override;
    void SetShader(Shader* shader) override;
    void BeginFrame(int eye) override;
    void BeginScene() override;
    void EndScene() override;
    bool Present() override;
    void ClearColor(float r, float g, float b, float a) override;
    void ClearDepth(float depth) override;
    bool SetScissorRectangle(int x, int y, int width, int height) override;
    void DisableScissorRectangle() override;
    void SetBlendMode(BlendMode mode) override;
    void SetSamplerFilter(int stage, TextureFilter minFilter, TextureFilter magFilter,
                          TextureFilter mipFilter) override;
    void SetSamplerAddressMode(int stage, TextureAddressMode u, TextureAddressMode v, TextureAddressMode w) override;
    const char* PlatformCommand(const char* name, const char* argument) override;
    void Reserved42() override;
    void Reserved43() override;
    void SetDepthTest(bool enable) override;
    void SetDepthFunction(DepthCompare compare) override;
    void SetDepthWrite(bool enable) override;
    void SetColorWrite(bool enable) override;
    void SetCullMode(CullMode mode) override;
    void SetTexture(int stage, TextureHardwareData* texture) override;
    void DrawIndexedTriangles(RendererVertexBuffer* vertices, int vertexCount, RendererIndexBuffer* indices,
                              int triangleCount) override;
    void DrawIndexedLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int lineCount) override;
    void DrawIndexedTrianglesInstanced(RendererVertexBuffer* vertices, int vertexCount, RendererIndexBuffer* indices,
                                       int triangleCount, int instanceCount) override;
    RendererVertexBuffer* CreateVertexBuffer(VertexFormat format, int count, int usage) override;
    void DestroyVertexBuffer(RendererVertexBuffer* buffer) override;
    void* LockVertexBuffer(RendererVertexBuffer* buffer) override;
    void UnlockVertexBuffer(RendererVertexBuffer* buffer) override;
    bool UploadVertices(RendererVertexBuffer* buffer, const void* data) override;
    RendererIndexBuffer* CreateIndexBuffer(int count, int usage) override;
    void DestroyIndexBuffer(RendererIndexBuffer* buffer) override;
    uint16_t* LockIndexBuffer(RendererIndexBuffer* buffer) override;
    void UnlockIndexBuffer(RendererIndexBuffer* buffer) override;
    bool UploadIndices(RendererIndexBuffer* buffer, const uint16_t* data) override;
    PixelCenterOffset GetPixelCenterOffset() override;
    void SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height) override;
    void EnumerateDisplayModes() override;

private:
    struct ColorView {
        TestTexture* texture = nullptr;
        int face = 0;
    };
    struct Vertex;  // one fetched, transformed vertex (test_renderer_raster.cpp)

    void Record(int slot, const char* operation, std::initializer_list<double> numbers = {},
                std::initializer_list<const void*> pointers = {});
    TestTexture* Known(TextureHardwareData* record) const;
    const TestTexture* Known(const TextureHardwareData* record) const;
    void BindBackBuffer();
    void CreateBackBuffer(int width, int height);
    void ReleaseBackBuffer();
    bool DrawableBuffers(RendererVertexBuffer* vertices, RendererIndexBuffer* indices);

    // The software pipeline (test_renderer_raster.cpp).
    void DrawTriangles(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int64_t indexCount);
    void DrawLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int64_t indexCount);
    bool FetchVertex(const RendererVertexBuffer* buffer, int index, Vertex* out) const;
    void RasterizeTriangle(const Vertex& a, const Vertex& b, const Vertex& c);
    void RasterizeLine(const Vertex& a, const Vertex& b);
    void ShadePixel(const TestPixelInput& input, float zNdc);
    bool PixelAllowed(int x, int y) const;

    mutable std::recursive_mutex mutex_;
    std::vector<RendererCall> calls_;
    TestRenderState state_;
    bool initialized_ = false;
    int presentCount_ = 0;
    int refusedDraws_ = 0;
    int unknownTextureUses_ = 0;

    TestTexture* backBuffer_ = nullptr;
    TestTexture* backBufferDepth_ = nullptr;
    TestImage presented_;
    ColorView boundColor_[kRendererColorTargets];
    TestTexture* boundDepth_ = nullptr;

    std::set<TestTexture*> textures_;
    std::set<RendererVertexBuffer*> vertexBuffers_;
    std::set<RendererIndexBuffer*> indexBuffers_;
    std::set<Shader*> shaders_;
};
