#pragma once

#include <cstdint>

#include "core/array.h"
#include "graphics/renderer/renderer_buffers.h"
#include "graphics/renderer/renderer_codes.h"
#include "graphics/renderer/texture_description.h"
#include "quaven/api.h"
#include "quaven/bitmap.h"
#include "quaven/graphics.h"
#include "quaven/program.h"

// The one door between the engine and the graphics device. The core holds a single
// process-wide RendererImplementation and makes every device request as a virtual call
// on it; an implementation (the Direct3D 11 renderer, the tests' in-memory renderer)
// derives from this class. The order of the virtual operations below is part of the
// contract: do not insert, remove or reorder them (tests/graphics/renderer checks every
// slot). Implementations add their own fields after the base fields.
//
// Threading: every call comes from the main thread, except what
// GetThreadingCapabilities allows (see ThreadingCapabilities).
//
// Robustness rules every implementation keeps:
//  - every operation is safe before Init, after a failed or partial Init and after
//    Shutdown (no call on a missing device object);
//  - blend modes, cull modes, filters and address modes outside their tables are
//    ignored (QVI_Is...Valid, QVI_ReportIgnoredRendererValue), never used as indexes.
//
// Pixel read-back in tests: both the tests' renderer and the Direct3D 11 renderer's test
// helpers offer ReadRenderTargetPixels(target or null for the back buffer) -> RGBA8
// image (tests/graphics/support/test_image.h), so one pixel check runs against both.

struct CoreState;
class ByteBuffer;
namespace ShaderTool {
class ShaderDescription;
}

// One entry of the display-mode list.
struct DisplayMode {
    int32_t width;
    int32_t height;
    bool operator==(const DisplayMode& other) const { return width == other.width && height == other.height; }
};

// qsort comparator over DisplayMode records: ascending by width, then by height.
int QVI_CompareResolutionsAscending(const void* a, const void* b);

// True when the list holds the mode.
bool QVI_ContainsDisplayMode(const Array<DisplayMode>& modes, const DisplayMode& mode);

// GetPixelCenterOffset's answer: shift of the 2D pixel mapping, in pixels.
struct PixelCenterOffset {
    float x;
    float y;
};

static_assert(sizeof(PixelCenterOffset) == 8, "PixelCenterOffset is two floats");

class RendererImplementation {
public:
    // Filled by EnumerateDisplayModes (through the base bodies of slots 7 and 8).
    Array<DisplayMode> displayModes;
    // Owned text built by GetSupportedResolutions ("640x480,800x600"), or null.
    char* supportedResolutions;

    RendererImplementation();
    RendererImplementation(const RendererImplementation&) = delete;
    RendererImplementation& operator=(const RendererImplementation&) = delete;

    /* 0 */ virtual ~RendererImplementation();
    /* 1 */ virtual bool IsSupported() = 0;
    /* 2 */ virtual int GetThreadingCapabilities();  // base 0
    /* 3 */ virtual int GetMaximumTextureSize() = 0;
    /* 4 */ virtual bool IsReady();  // base true
    /* 5 */ virtual int GetRendererType();  // base 0
    /* 6 */ virtual const char* GetName() = 0;
    // Refreshes the list (count to 0, EnumerateDisplayModes) and searches for the exact pair.
    /* 7 */ virtual bool IsDisplayModeSupported(int width, int height);
    // Refreshes the list, sorts it by width then height and answers "WxH,WxH,..." (owned
    // by the renderer, valid until the next call), or null when the list is empty.
    /* 8 */ virtual const char* GetSupportedResolutions();
    /* 9 */ virtual int GetPixelChannelOrder() = 0;  // a PixelChannelOrder
    /* 10 */ virtual bool UsesRGBAVertexColor();  // base true: colour bytes B,G,R,A (0xAARRGGBB)
    /* 11 */ virtual bool SupportsNonPowerOfTwoTextures();  // base false
    // Creates the device for the video parameters' width, height and windowed flag; the
    // implementation keeps `core`. A failed Init leaves the object shut down.
    /* 12 */ virtual bool Init(QuavenAPI* api, CoreState* core, VideoParameters* video) = 0;
    /* 13 */ virtual void PostInit();  // after the shader translator is set up; base nothing
    /* 14 */ virtual bool ChangeVideoMode(int width, int height, bool windowed);  // base false
    /* 15 */ virtual void Shutdown() = 0;  // releases every device object
    /* 16 */ virtual void SetViewport(int x, int y, int width, int height, float minDepth, float maxDepth);
    /* 17 */ virtual void SetFullscreen(bool fullscreen) = 0;  // the window's new activation state
    // The set exactly as pushed; all-null binds the back buffer. The engine sets the
    // viewport itself afterwards.
    /* 18 */ virtual bool SetRenderTargets(const RenderTargetSet* targets) = 0;
    /* 19 */ virtual bool CopyRenderTargetToPixels(Bitmap* bitmap);  // base false
    /* 20 */ virtual bool IsTextureFormatSupported(const BitmapDescription* description);  // base false
    /* 21 */ virtual bool CreateRenderTarget(Bitmap* bitmap) = 0;
    /* 22 */ virtual bool CreateTexture(Bitmap* bitmap) = 0;  // creates and fills from the pixels
    // Releases the GPU record named in the bitmap's hardware part and clears its loaded
    // byte. The caller has unbound it from the texture stages and zeroes the part after.
    /* 23 */ virtual void DestroyTexture(BitmapHardwareData* hardware) = 0;
    /* 24 */ virtual int GetShaderLevel();  // a ShaderLevel; base 0
    /* 25 */ virtual int GetShaderLanguage();  // one ShaderLanguage bit; base 0
    /* 26 */ virtual bool UsesPrecompiledShaders() = 0;
    // code[0] the vertex stage's code, code[1] the pixel stage's.
    /* 27 */ virtual bool CreateShader(Shader* shader, const ShaderTool::ShaderDescription* description,
                                       const ByteBuffer code[2]);  // base true
    /* 28 */ virtual void DestroyShader(Shader* shader);  // base nothing
    /* 29 */ virtual void SetShader(Shader* shader);  // null for none; base nothing
    /* 30 */ virtual void BeginFrame(int eye) = 0;  // an EyeMode
    /* 31 */ virtual void BeginScene();  // base nothing
    /* 32 */ virtual void EndScene();  // base nothing
    /* 33 */ virtual bool Present() = 0;
    /* 34 */ virtual void ClearColor(float r, float g, float b, float a) = 0;  // every bound colour target
    /* 35 */ virtual void ClearDepth(float depth);  // depth, and stencil to 0; base nothing
    // Right and bottom edges are x + width and y + height; negative x, y clip at 0.
    /* 36 */ virtual bool SetScissorRectangle(int x, int y, int width, int height) = 0;
    /* 37 */ virtual void DisableScissorRectangle() = 0;
    /* 38 */ virtual void SetBlendMode(BlendMode mode) = 0;
    /* 39 */ virtual void SetSamplerFilter(int stage, TextureFilter minFilter, TextureFilter magFilter,
                                           TextureFilter mipFilter) = 0;
    /* 40 */ virtual void SetSamplerAddressMode(int stage, TextureAddressMode u, TextureAddressMode v,
                                                TextureAddressMode w) = 0;
    /* 41 */ virtual const char* PlatformCommand(const char* name, const char* argument);  // base null
    /* 42 */ virtual void Reserved42();  // no caller
    /* 43 */ virtual void Reserved43();  // no caller
    /* 44 */ virtual void SetDepthTest(bool enable) = 0;  // render state 10
    /* 45 */ virtual void SetDepthFunction(DepthCompare compare) = 0;  // render state 11
    /* 46 */ virtual void SetDepthWrite(bool enable) = 0;  // render state 12
    /* 47 */ virtual void SetColorWrite(bool enable) = 0;  // render state 13
    /* 48 */ virtual void SetCullMode(CullMode mode) = 0;  // render state 14
    // stage 0-3; the bitmap's hardware.rendererData, null for none.
    /* 49 */ virtual void SetTexture(int stage, TextureHardwareData* texture) = 0;
    // Triangle list of 3 x triangleCount indices, drawn with the shader last given to
    // SetShader (its constant tables uploaded first). Base: nothing.
    /* 50 */ virtual void DrawIndexedTriangles(RendererVertexBuffer* vertices, int vertexCount,
                                               RendererIndexBuffer* indices, int triangleCount);
    // Line list of 2 x lineCount indices. Base: nothing.
    /* 51 */ virtual void DrawIndexedLines(RendererVertexBuffer* vertices, RendererIndexBuffer* indices,
                                           int lineCount);
    // Base: draws nothing and raises "Renderer '%s' does not support instanced drawing.".
    /* 52 */ virtual void DrawIndexedTrianglesInstanced(RendererVertexBuffer* vertices, int vertexCount,
                                                        RendererIndexBuffer* indices, int triangleCount,
                                                        int instanceCount);
    // Base buffers live in the heap (count x vertex size bytes); the base treats every
    // buffer as dynamic (usage 1). Null for a negative count or a size that overflows.
    /* 53 */ virtual RendererVertexBuffer* CreateVertexBuffer(VertexFormat format, int count, int usage);
    /* 54 */ virtual void DestroyVertexBuffer(RendererVertexBuffer* buffer);
    // A write pointer to the whole buffer; previous contents may be discarded.
    /* 55 */ virtual void* LockVertexBuffer(RendererVertexBuffer* buffer);
    /* 56 */ virtual void UnlockVertexBuffer(RendererVertexBuffer* buffer);
    // Locks through slot 55, copies count x vertex size bytes, unlocks through slot 56.
    /* 57 */ virtual bool UploadVertices(RendererVertexBuffer* buffer, const void* data);
    /* 58 */ virtual RendererIndexBuffer* CreateIndexBuffer(int count, int usage);  // base usage 0
    /* 59 */ virtual void DestroyIndexBuffer(RendererIndexBuffer* buffer);
    /* 60 */ virtual uint16_t* LockIndexBuffer(RendererIndexBuffer* buffer);
    /* 61 */ virtual void UnlockIndexBuffer(RendererIndexBuffer* buffer);
    // Locks through slot 60, copies count x 2 bytes, unlocks through slot 61.
    /* 62 */ virtual bool UploadIndices(RendererIndexBuffer* buffer, const uint16_t* data);
    /* 63 */ virtual PixelCenterOffset GetPixelCenterOffset();  // base (0, 0)
    // Sets the bitmap's texture rectangle to x / W, y / H, (x + width) / W, (y + height) / H
    // with W, H its hardware part's full texture size.
    /* 64 */ virtual void SetTextureRegion(Bitmap* bitmap, int x, int y, int width, int height);
    // Adds the device's display modes to displayModes. Base: nothing.
    /* 65 */ virtual void EnumerateDisplayModes();
};

// The number of virtual operations, destructor included.
const int kRendererOperationCount = 66;
