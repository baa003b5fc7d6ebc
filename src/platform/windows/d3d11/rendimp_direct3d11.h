#pragma once

// Windows and Direct3D headers first: some member names are <windows.h> macros as well.
#include "platform/windows/win32.h"
#include <d3d11_1.h>
#include <dxgi1_2.h>

#include <cstddef>
#include <cstdint>

#include "graphics/renderer/renderer_implementation.h"
#include "graphics/renderer/shader_record.h"

// The Direct3D 11.1 renderer. One object per process (QUAVEN_RendImp_GetInterface);
// Init and Shutdown may run on it any number of times. Everything runs on the main
// thread and takes no lock.
//
// Every blend, rasterizer and sampler state is built once at Init; afterwards the state
// setters only pick prebuilt objects. The depth-stencil state alone is rebuilt, lazily,
// by the first draw after one of its inputs changed (PrepareDepthStencilState).
//
// Every operation is safe on an object whose Init failed part-way or never ran: each one
// tests the device objects it touches.
//
// The fields are public so that the texture, buffer and shader code of the renderer and
// the tests' pixel read-back can reach the device objects.
class RendImpDirect3D11 : public RendererImplementation {
public:
    // Sizes of the prebuilt state tables.
    static const int kBlendModeRows = 9;          // blend modes 1..8; row 0 stays empty
    static const int kCullModes = 3;              // none, front, back
    static const int kAddressCombinations = 27;   // 3 x 3 x 3 address modes (u, v, w)
    static const int kFilterRows = 8;             // point/linear for min, mag and mip
    static const int kAnisotropicFilterRow = -1;  // currentFilterRow for anisotropic filtering
    static const int kSwapChainBuffers = 2;

    // CapabilityBits.
    static const uint32_t kCapabilityDepth32Float = 1;
    static const uint32_t kCapabilityBgraVertexColor = 2;
    static const uint32_t kCapabilityConcurrentCreates = 4;
    static const uint32_t kCapabilityNonPowerOfTwoTextures = 8;

    Shader* currentShader = nullptr;
    ID3D11BlendState* blendStates[kBlendModeRows][2] = {};  // [mode][colour write off, on]
    ID3D11RenderTargetView* boundColorViews[kRendererColorTargets] = {};
    ID3D11DepthStencilView* boundDepthView = nullptr;
    ID3D11DepthStencilState* depthStencilState = nullptr;
    ID3D11RasterizerState* rasterizerStates[kCullModes][2] = {};  // [cull][scissor off, on]
    ID3D11SamplerState* anisotropicSamplers[kAddressCombinations] = {};
    ID3D11SamplerState* filterSamplers[kFilterRows][kAddressCombinations] = {};
    int currentAddressCombination = 0;
    int currentFilterRow = 0;
    ID3D11Texture2D* depthTexture = nullptr;
    ID3D11DepthStencilView* backBufferDepthView = nullptr;
    ID3D11RenderTargetView* backBufferColorView = nullptr;
    ID3D11Device* device = nullptr;
    ID3D11Device1* device1 = nullptr;
    ID3D11DeviceContext* context = nullptr;
    ID3D11DeviceContext1* context1 = nullptr;
    CoreState* core = nullptr;
    IDXGIOutput* output = nullptr;
    IDXGISwapChain* swapChain = nullptr;
    IDXGISwapChain1* swapChain1 = nullptr;  // only for a swap chain made through IDXGIFactory2
    int depthCompare = QV_DEPTH_LESS;
    int featureLevel = D3D_FEATURE_LEVEL_9_1;
    uint32_t capabilities = 0;
    uint8_t depthStateValid = 0;
    uint8_t depthTest = 0;
    uint8_t depthWrite = 0;
    uint8_t colorWrite = 1;
    uint8_t ready = 0;
    uint8_t scissorOn = 0;
    uint8_t fullscreenDropped = 0;
    // Present's sync interval: 0 with the feature DISABLE_VSYNC, else 1 (set by Init).
    uint32_t syncInterval = 1;

    RendImpDirect3D11();
    ~RendImpDirect3D11() override;

    // Answers (d3d11_device.cpp).
    bool IsSupported() override;
    int GetThreadingCapabilities() override;
    int GetMaximumTextureSize() override;
    int GetRendererType() override;
    const char* GetName() override;
    int GetPixelChannelOrder() override;
    bool SupportsNonPowerOfTwoTextures() override;
    int GetShaderLevel() override;
    int GetShaderLanguage() override;
    bool UsesPrecompiledShaders() override;
    void PostInit() override;
    void BeginScene() override;
    void EndScene() override;
    void Reserved42() override;
    void Reserved43() override;

    // Device life (d3d11_device.cpp).
    bool Init(QuavenAPI* api, CoreState* core, VideoParameters* video) override;
    void Shutdown() override;

    // Video modes and full screen (d3d11_swap_chain.cpp).
    bool ChangeVideoMode(int width, int height, bool windowed) override;
    void SetFullscreen(bool fullscreen) override;

    // The frame (d3d11_swap_chain.cpp).
    void SetViewport(int x, int y, int width, int height, float minDepth, float maxDepth) override;
    bool SetRenderTargets(const RenderTargetSet* targets) override;
    void BeginFrame(int eye) override;
    bool Present() override;
    void ClearColor(float r, float g, float b, float a) override;
    void ClearDepth(float depth) override;

    // Display modes (d3d11_device.cpp).
    void EnumerateDisplayModes() override;

    // Render states (d3d11_states.cpp).
    bool SetScissorRectangle(int x, int y, int width, int height) override;
    void DisableScissorRectangle() override;
    void SetBlendMode(BlendMode mode) override;
    void SetDepthTest(bool enable) override;
    void SetDepthFunction(DepthCompare compare) override;
    void SetDepthWrite(bool enable) override;
    void SetColorWrite(bool enable) override;
    void SetCullMode(CullMode mode) override;

    // Samplers (d3d11_states.cpp).
    void SetSamplerFilter(int stage, TextureFilter minFilter, TextureFilter magFilter,
                          TextureFilter mipFilter) override;
    void SetSamplerAddressMode(int stage, TextureAddressMode u, TextureAddressMode v,
                               TextureAddressMode w) override;

    // Textures and render targets (d3d11_textures.cpp; SetRenderTargets in
    // d3d11_swap_chain.cpp). Sizes that are not positive or exceed GetMaximumTextureSize
    // never reach the device: a texture is refused as the device refuses one, a render
    // target, like any the device cannot make, without a message.
    bool CopyRenderTargetToPixels(Bitmap* bitmap) override;
    bool IsTextureFormatSupported(const BitmapDescription* description) override;
    bool CreateRenderTarget(Bitmap* bitmap) override;
    bool CreateTexture(Bitmap* bitmap) override;
    void DestroyTexture(BitmapHardwareData* hardware) override;
    void SetTexture(int stage, TextureHardwareData* texture) override;
    // The region is given in image pixels: the image's place inside a padded texture is
    // added before the rectangle is normalised.
    void SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height) override;

    // The DXGI format of a TextureFormat code (DXGI_FORMAT_UNKNOWN for other codes), and the
    // bytes one texel of it takes (0 for other codes).
    static DXGI_FORMAT GetDXGIFormat(int format);
    static int GetTexelSize(int format);
    // The cube texture of a bitmap whose pixels hold six square faces stacked vertically.
    HRESULT CreateCubeTexture(Bitmap* bitmap, D3D11_TEXTURE2D_DESC& description, ID3D11Texture2D** texture);
    // Fills the lower mip levels of a view's texture from level 0.
    void GenerateMipChain(ID3D11ShaderResourceView* view);
    // Releases the views and the texture of a record, then the record.
    static void ReleaseTextureRecord(TextureHardwareData* record);

    // Called before every draw: rebuilds and binds the depth-stencil state when depth
    // test, write or compare changed since the last rebuild.
    void PrepareDepthStencilState();

    // Vertex and index buffers and drawing (d3d11_buffers.cpp). UploadVertices and
    // UploadIndices are the base operations over these locks.
    void DrawIndexedTriangles(RendererVertexBuffer* vertices, int vertexCount, RendererIndexBuffer* indices,
                              int triangleCount) override;
    void DrawIndexedLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices, int lineCount) override;
    void DrawIndexedTrianglesInstanced(RendererVertexBuffer* vertices, int vertexCount, RendererIndexBuffer* indices,
                                       int triangleCount, int instanceCount) override;
    RendererVertexBuffer* CreateVertexBuffer(VertexFormat format, int count, int usage) override;
    void DestroyVertexBuffer(RendererVertexBuffer* buffer) override;
    void* LockVertexBuffer(RendererVertexBuffer* buffer) override;
    void UnlockVertexBuffer(RendererVertexBuffer* buffer) override;
    RendererIndexBuffer* CreateIndexBuffer(int count, int usage) override;
    void DestroyIndexBuffer(RendererIndexBuffer* buffer) override;
    uint16_t* LockIndexBuffer(RendererIndexBuffer* buffer) override;
    void UnlockIndexBuffer(RendererIndexBuffer* buffer) override;

    // Shaders and input layouts (d3d11_shaders.cpp). CreateShader uses only the device, so
    // game threads may call it when GetThreadingCapabilities allows.
    bool CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description,
                      const ByteBuffer code[2]) override;
    void DestroyShader(Shader* shader) override;
    void SetShader(Shader* shader) override;

    // Whether a draw may go to the device: both records there, created and unlocked, and a
    // current shader with device objects. Logs why not (without a device, silently).
    bool CanDraw(RendererVertexBuffer* vertices, RendererIndexBuffer* indices);
    // Run by every draw once its arguments passed: the depth-stencil state, the current
    // shader's constants, then the two buffers on the input assembler.
    void BindBuffersAndConstants(RendererVertexBuffer* vertices, RendererIndexBuffer* indices);
    // Copies the current shader's constant tables into its constant buffers and binds them
    // to slot 0 of their stages; sets the shader's constants-uploaded flag.
    void UploadShaderConstants();

    // Internal steps, public for the renderer's other files and the tests.
    bool CreateDevice();
    // False, with a log line, for a back buffer larger than the largest texture.
    bool FitsTheDevice(const VideoParameters* video);
    // The first output of the device's adapter, else of the first adapter.
    bool OpenPrimaryOutput();
    // At the size and in the window mode of video (null: the window's client size and the
    // program's mode); a windowed client of another size is given that size first.
    bool CreateSwapChainForWindow(const VideoParameters* video);
    bool CreateSwapChain(IDXGIFactory1* factory1, IDXGIFactory2* factory2, const VideoParameters* video);
    bool CreateBackBufferViews();
    void ReleaseBackBufferViews();
    bool ApplyVideoMode(int width, int height, bool windowed);
    bool SetFullscreenState(bool fullscreen);
    bool CreateRasterizerStates();
    ID3D11RasterizerState* CreateRasterizerState(const D3D11_RASTERIZER_DESC& description);
    bool CreateAllSamplerStates();
    bool CreateSamplerStates(D3D11_SAMPLER_DESC& description, ID3D11SamplerState* out[kAddressCombinations],
                             int row);
    bool CreateDepthStencilState();
    bool CreateBlendStates();
    void ReleaseStates();

private:
    void ReadCapabilities();
    // The adapter the device was made on (the caller releases it), null without a device.
    IDXGIAdapter* DeviceAdapter() const;
    void RequestFullscreenAtStart(const VideoParameters* video);
    HWND MainWindow() const;
    const VideoParameters* ProgramVideo() const;
    void BindSampler(int stage);
    // The cull mode the graphics side holds (render state 14), 0 when unknown or invalid.
    int CurrentCullMode() const;
    void RestoreBackBufferViews();
    // The view SetRenderTargets binds for a colour entry: entry 0 of a 2D target, the
    // face of a cube target; null for none.
    ID3D11RenderTargetView* TargetViewOf(Bitmap* bitmap, int face);
    // A texture's size against the device: positive and at most GetMaximumTextureSize.
    bool IsTextureSizeAllowed(int64_t width, int64_t height);
    void ReportTextureCreationFailure(const Bitmap* bitmap, HRESULT result);
};

extern "C" {

// The renderer is the process's one RendImpDirect3D11, made on the first call; later calls
// answer the same object.
__declspec(dllexport) RendererImplementation* QUAVEN_RendImp_GetInterface();

// Read by hybrid-graphics drivers at process start: non-zero asks for the discrete GPU.
__declspec(dllexport) extern unsigned long NvOptimusEnablement;
__declspec(dllexport) extern int AmdPowerXpressRequestHighPerformance;
}

// What hangs off a vertex or index buffer record: the device buffer and the memory the
// current lock writes to. Owned by its record from Create to Destroy.
struct D3D11BufferData {
    // First, so that a pointer to the record serves as IASetVertexBuffers' one-entry array.
    ID3D11Buffer* buffer;       // null when the device refused to create it
    void* writePointer;         // mapped memory or the CPU copy while locked, else null
    uint32_t byteSize;          // stride x count, or count x 2 for indices
    uint8_t* cpuCopy;           // static buffers: the contents, made on the first lock
    uint8_t missingReported;    // a use of the missing device buffer has been logged
};

// The records this renderer hands out: the engine's head, then the renderer's part.
struct D3D11VertexBuffer {
    RendererVertexBuffer head;
    D3D11BufferData* hardware;
    int32_t reserved;  // 0
};

struct D3D11IndexBuffer {
    RendererIndexBuffer head;
    D3D11BufferData* hardware;
};

static_assert(sizeof(void*) != 4 || sizeof(D3D11BufferData) == 20, "D3D11BufferData layout");
static_assert(offsetof(D3D11BufferData, buffer) == 0, "the buffer pointer comes first");
static_assert(sizeof(void*) != 4 || offsetof(D3D11BufferData, byteSize) == 8, "D3D11BufferData layout");
static_assert(sizeof(void*) != 4 || offsetof(D3D11BufferData, cpuCopy) == 12, "D3D11BufferData layout");
static_assert(offsetof(D3D11VertexBuffer, head) == 0, "the engine's head comes first");
static_assert(sizeof(void*) != 4 || offsetof(D3D11VertexBuffer, hardware) == 16, "D3D11VertexBuffer layout");
static_assert(sizeof(void*) != 4 || sizeof(D3D11VertexBuffer) == 24, "D3D11VertexBuffer layout");
static_assert(offsetof(D3D11IndexBuffer, head) == 0, "the engine's head comes first");
static_assert(sizeof(void*) != 4 || offsetof(D3D11IndexBuffer, hardware) == 12, "D3D11IndexBuffer layout");
static_assert(sizeof(void*) != 4 || sizeof(D3D11IndexBuffer) == 16, "D3D11IndexBuffer layout");

// A shader's device objects, owned by the shader record (Shader::rendererData) from a
// successful CreateShader to DestroyShader. The constant buffers exist only for stages
// whose table has constants (QVI_D3D11TableHasConstants).
struct D3D11ShaderData {
    ID3D11VertexShader* vertexShader;
    ID3D11PixelShader* pixelShader;
    ID3D11Buffer* vertexConstants;
    ID3D11Buffer* pixelConstants;
    ID3D11InputLayout* inputLayout;
    uint32_t vertexConstantBytes;  // ByteWidth of the constant buffers
    uint32_t pixelConstantBytes;
};

static_assert(sizeof(void*) != 4 || sizeof(D3D11ShaderData) == 28, "D3D11ShaderData layout");
static_assert(sizeof(void*) != 4 || offsetof(D3D11ShaderData, inputLayout) == 16, "D3D11ShaderData layout");

// Most elements a vertex format has: one per VertexElement bit.
const int kD3D11MaxInputElements = 9;
// The largest constant table a stage takes (4096 registers of 16 bytes).
const int kD3D11MaxConstantBytes = D3D11_REQ_CONSTANT_BUFFER_ELEMENT_COUNT * 16;
// The most bytes a buffer description's 32-bit ByteWidth holds. Below it, whether a buffer
// can be made is the device's to say: many make more than the 128 MiB every device must.
const int64_t kD3D11MaxBufferBytes = int64_t(UINT32_MAX);

// The input elements of a vertex format, in the order POSITION, COLOR, TEXCOORD 0,
// TEXCOORD 1, NORMAL, TANGENT, BINORMAL, BLENDINDICES, BLENDWEIGHT (elements absent from
// the format are left out), each at the sum of the sizes before it, all in slot 0. Colour
// is read as B8G8R8A8 when the device takes that format in vertex buffers, else as
// R8G8B8A8 (the unlock then swaps red and blue). Answers the count.
int QVI_D3D11BuildInputElements(int format, bool bgraColor, D3D11_INPUT_ELEMENT_DESC out[kD3D11MaxInputElements]);

// Byte offset of the colour inside a vertex of the format, -1 when it carries none.
int QVI_D3D11ColorOffset(int format);

// ByteWidth of a constant buffer for a table of `bytes` bytes: whole 16-byte registers.
uint32_t QVI_D3D11ConstantBufferBytes(int32_t bytes);

// Whether a constant table has anything to upload. The same test decides whether the
// stage gets a constant buffer and whether a draw uploads into it.
bool QVI_D3D11TableHasConstants(const ShaderConstantTable& table);

// Whether code of `size` bytes is a whole compiled-shader container ("DXBC" whose own
// size fits in the bytes given), so that the device never reads past what was loaded.
bool QVI_D3D11IsShaderContainer(const uint8_t* code, int32_t size);

// Releases a COM reference and forgets it; a null pointer is left alone, so teardown
// code can run over a partly built renderer.
template <typename T>
inline void ReleaseAndNull(T*& object)
{
    if (!object)
        return;
    object->Release();
    object = nullptr;
}

// The engine's state codes turned into Direct3D 11 descriptions. Pure functions: the
// renderer builds its state objects from them, and the tests check the tables without a
// device. Callers pass only codes that passed the QVI_Is...Valid checks, except where a
// function says how it treats other values.

// The blend description of a blend mode 1..8 with colour write off (mask 0) or on (0xF).
// Render-target entries 0 to 3 are filled alike, 4 to 7 stay zero.
D3D11_BLEND_DESC QVI_D3D11BlendDescription(int blendMode, bool colorWrite);

// Solid fill, clockwise front faces, depth clip on; cull mode 0 none, 1 front, 2 back.
D3D11_RASTERIZER_DESC QVI_D3D11RasterizerDescription(int cullMode, bool scissor);

// The comparison of a DepthCompare code; codes outside 0..7 compare LESS.
D3D11_COMPARISON_FUNC QVI_D3D11DepthComparison(int depthCompare);

// Depth enable, write mask and comparison; stencil off.
D3D11_DEPTH_STENCIL_DESC QVI_D3D11DepthStencilDescription(bool depthTest, bool depthWrite, int depthCompare);

// The sampler filter row of a (min, mag, mip) triple of point (1) and linear (2) filters,
// 0..7; -1 (anisotropic) when any of the three is 3.
int QVI_D3D11FilterRow(int minFilter, int magFilter, int mipFilter);
// The filter of a row 0..7, D3D11_FILTER_ANISOTROPIC for -1.
D3D11_FILTER QVI_D3D11FilterOfRow(int row);

// The address combination 9 (u - 1) + 3 (v - 1) + (w - 1), 0..26, of three modes
// 1 clamp, 2 wrap, 3 mirror; and the modes of a combination.
int QVI_D3D11AddressCombination(int u, int v, int w);
void QVI_D3D11AddressModesOf(int combination, D3D11_TEXTURE_ADDRESS_MODE* u, D3D11_TEXTURE_ADDRESS_MODE* v,
                             D3D11_TEXTURE_ADDRESS_MODE* w);

// The sampler description every sampler starts from: point filtering, clamp, no bias,
// LOD range 0 to the largest float.
D3D11_SAMPLER_DESC QVI_D3D11BaseSamplerDescription();

// The scissor rectangle of SetScissorRectangle: the left and top edges clip at 0, the
// right and bottom edges are x + width and y + height of the unclamped origin (computed
// without overflow: they saturate at the int range). A rectangle with nothing in it comes
// out empty (right at left, bottom at top), never inverted.
D3D11_RECT QVI_D3D11ScissorRectangle(int x, int y, int width, int height);

// The GPU side of one bitmap, hung off its hardware part (BitmapHardwareData::rendererData).
// Owned by the bitmap; freed only by RendImpDirect3D11::ReleaseTextureRecord.
struct TextureHardwareData {
    static const int kTargetViews = 6;  // one per cube face; entry 0 for 2D targets

    ID3D11Texture2D* texture;
    ID3D11ShaderResourceView* shaderView;  // null for depth render targets
    ID3D11RenderTargetView* targetViews[kTargetViews];
    ID3D11DepthStencilView* depthView;     // depth render targets only
    uint8_t mipsValid;    // the lower mip levels hold the current contents of level 0
    uint8_t hasMipChain;  // more than one mip level
    // Where the image starts inside the texture (its padding border), in texels.
    int32_t imageX;
    int32_t imageY;

    TextureHardwareData(bool hasMipChain, bool mipsValid);
};

static_assert(sizeof(void*) != 4 || sizeof(TextureHardwareData) == 48, "TextureHardwareData layout");
static_assert(sizeof(void*) != 4 || offsetof(TextureHardwareData, shaderView) == 4, "TextureHardwareData layout");
static_assert(sizeof(void*) != 4 || offsetof(TextureHardwareData, depthView) == 32, "TextureHardwareData layout");
static_assert(sizeof(void*) != 4 || offsetof(TextureHardwareData, mipsValid) == 36, "TextureHardwareData layout");
static_assert(sizeof(void*) != 4 || offsetof(TextureHardwareData, imageX) == 40, "TextureHardwareData layout");
