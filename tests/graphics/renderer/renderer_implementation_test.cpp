// The renderer interface itself: the slot order of its operations and the bodies the
// base class supplies (display modes, heap buffers, texture regions, instancing).

#include <windows.h>

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/renderer/renderer_buffers.h"
#include "graphics/renderer/renderer_implementation.h"
#include "support/log_capture.h"
#include "support/null_renderer.h"

using quaven_test::LogCapture;

namespace {

// Only what the base leaves to implementations, plus a display-mode list and counters of
// the buffer locks the base bodies must reach through their virtual slots.
class MinimalRenderer : public quaven_test::NullRenderer {
public:
    std::vector<DisplayMode> modes;
    int vertexLocks = 0, vertexUnlocks = 0, indexLocks = 0, indexUnlocks = 0;

    const char* GetName() override { return "Minimal"; }
    void EnumerateDisplayModes() override
    {
        for (const DisplayMode& mode : modes)
            displayModes.Add(mode);
    }
    void* LockVertexBuffer(RendererVertexBuffer* buffer) override
    {
        ++vertexLocks;
        return RendererImplementation::LockVertexBuffer(buffer);
    }
    void UnlockVertexBuffer(RendererVertexBuffer* buffer) override
    {
        ++vertexUnlocks;
        RendererImplementation::UnlockVertexBuffer(buffer);
    }
    uint16_t* LockIndexBuffer(RendererIndexBuffer* buffer) override
    {
        ++indexLocks;
        return RendererImplementation::LockIndexBuffer(buffer);
    }
    void UnlockIndexBuffer(RendererIndexBuffer* buffer) override
    {
        ++indexUnlocks;
        RendererImplementation::UnlockIndexBuffer(buffer);
    }
};

// Position in the vtable of a virtual operation. This compiler's ABI stores a pointer to a
// virtual member as 1 + its byte offset in the vtable, and gives the virtual destructor
// two entries (complete and deleting), so operation slot s sits at entry s + 1.
template <typename Member>
int VtableEntry(Member member)
{
    struct Representation {
        uintptr_t pointer;
        ptrdiff_t adjustment;
    } representation;
    static_assert(sizeof(member) == sizeof(representation), "pointer to member has two words");
    memcpy(&representation, &member, sizeof(representation));
    if ((representation.pointer & 1) == 0)
        return -1;  // not virtual
    return static_cast<int>((representation.pointer - 1) / sizeof(void*));
}

#define EXPECT_SLOT(operation, slot) EXPECT_EQ(VtableEntry(&RendererImplementation::operation), (slot) + 1) << #operation

TEST(RendererInterface, EveryOperationSitsInItsSlot)
{
    EXPECT_SLOT(IsSupported, 1);
    EXPECT_SLOT(GetThreadingCapabilities, 2);
    EXPECT_SLOT(GetMaximumTextureSize, 3);
    EXPECT_SLOT(IsReady, 4);
    EXPECT_SLOT(GetRendererType, 5);
    EXPECT_SLOT(GetName, 6);
    EXPECT_SLOT(IsDisplayModeSupported, 7);
    EXPECT_SLOT(GetSupportedResolutions, 8);
    EXPECT_SLOT(GetPixelChannelOrder, 9);
    EXPECT_SLOT(UsesRGBAVertexColor, 10);
    EXPECT_SLOT(SupportsNonPowerOfTwoTextures, 11);
    EXPECT_SLOT(Init, 12);
    EXPECT_SLOT(PostInit, 13);
    EXPECT_SLOT(ChangeVideoMode, 14);
    EXPECT_SLOT(Shutdown, 15);
    EXPECT_SLOT(SetViewport, 16);
    EXPECT_SLOT(SetFullscreen, 17);
    EXPECT_SLOT(SetRenderTargets, 18);
    EXPECT_SLOT(CopyRenderTargetToPixels, 19);
    EXPECT_SLOT(IsTextureFormatSupported, 20);
    EXPECT_SLOT(CreateRenderTarget, 21);
    EXPECT_SLOT(CreateTexture, 22);
    EXPECT_SLOT(DestroyTexture, 23);
    EXPECT_SLOT(GetShaderLevel, 24);
    EXPECT_SLOT(GetShaderLanguage, 25);
    EXPECT_SLOT(UsesPrecompiledShaders, 26);
    EXPECT_SLOT(CreateShader, 27);
    EXPECT_SLOT(DestroyShader, 28);
    EXPECT_SLOT(SetShader, 29);
    EXPECT_SLOT(BeginFrame, 30);
    EXPECT_SLOT(BeginScene, 31);
    EXPECT_SLOT(EndScene, 32);
    EXPECT_SLOT(Present, 33);
    EXPECT_SLOT(ClearColor, 34);
    EXPECT_SLOT(ClearDepth, 35);
    EXPECT_SLOT(SetScissorRectangle, 36);
    EXPECT_SLOT(DisableScissorRectangle, 37);
    EXPECT_SLOT(SetBlendMode, 38);
    EXPECT_SLOT(SetSamplerFilter, 39);
    EXPECT_SLOT(SetSamplerAddressMode, 40);
    EXPECT_SLOT(PlatformCommand, 41);
    EXPECT_SLOT(Reserved42, 42);
    EXPECT_SLOT(Reserved43, 43);
    EXPECT_SLOT(SetDepthTest, 44);
    EXPECT_SLOT(SetDepthFunction, 45);
    EXPECT_SLOT(SetDepthWrite, 46);
    EXPECT_SLOT(SetColorWrite, 47);
    EXPECT_SLOT(SetCullMode, 48);
    EXPECT_SLOT(SetTexture, 49);
    EXPECT_SLOT(DrawIndexedTriangles, 50);
    EXPECT_SLOT(DrawIndexedLines, 51);
    EXPECT_SLOT(DrawIndexedTrianglesInstanced, 52);
    EXPECT_SLOT(CreateVertexBuffer, 53);
    EXPECT_SLOT(DestroyVertexBuffer, 54);
    EXPECT_SLOT(LockVertexBuffer, 55);
    EXPECT_SLOT(UnlockVertexBuffer, 56);
    EXPECT_SLOT(UploadVertices, 57);
    EXPECT_SLOT(CreateIndexBuffer, 58);
    EXPECT_SLOT(DestroyIndexBuffer, 59);
    EXPECT_SLOT(LockIndexBuffer, 60);
    EXPECT_SLOT(UnlockIndexBuffer, 61);
    EXPECT_SLOT(UploadIndices, 62);
    EXPECT_SLOT(GetPixelCenterOffset, 63);
    EXPECT_SLOT(SetTextureRegion, 64);
    EXPECT_SLOT(EnumerateDisplayModes, 65);
    static_assert(kRendererOperationCount == 66, "66 operations, destructor included");
}

TEST(RendererBase, SupportedResolutionsAreRefilledSortedAndExactlySearched)
{
    MinimalRenderer renderer;
    EXPECT_EQ(renderer.GetSupportedResolutions(), nullptr);
    renderer.modes = {{800, 600}, {640, 480}, {800, 480}};
    EXPECT_STREQ(renderer.GetSupportedResolutions(), "640x480,800x480,800x600");
    // The list is refilled, not appended to, on every call.
    EXPECT_STREQ(renderer.GetSupportedResolutions(), "640x480,800x480,800x600");
    EXPECT_EQ(renderer.displayModes.count, 3);
    EXPECT_TRUE(renderer.IsDisplayModeSupported(800, 600));
    EXPECT_FALSE(renderer.IsDisplayModeSupported(600, 800));
    renderer.modes = {{INT_MAX, INT_MIN}, {INT_MIN, INT_MAX}};
    EXPECT_STREQ(renderer.GetSupportedResolutions(), "-2147483648x2147483647,2147483647x-2147483648");
    EXPECT_FALSE(renderer.IsDisplayModeSupported(800, 600)) << "searched afresh";
}

TEST(RendererBase, UploadsCopyTheWholeBufferThroughTheLockSlots)
{
    MinimalRenderer renderer;
    RendererVertexBuffer* vertices = renderer.CreateVertexBuffer(15, 4, QV_BUFFER_STATIC);
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->usage, QV_BUFFER_DYNAMIC);
    EXPECT_EQ(QVI_HeapVertexBufferBytes(vertices), 144);
    std::vector<uint8_t> data(144);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i + 1);
    EXPECT_TRUE(renderer.UploadVertices(vertices, data.data()));
    EXPECT_EQ(memcmp(reinterpret_cast<HeapVertexBuffer*>(vertices)->storage, data.data(), 144), 0);

    RendererIndexBuffer* indices = renderer.CreateIndexBuffer(5, QV_BUFFER_DYNAMIC);
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(indices->usage, QV_BUFFER_STATIC);
    const uint16_t values[5] = {0, 1, 2, 65535, 7};
    EXPECT_TRUE(renderer.UploadIndices(indices, values));
    EXPECT_EQ(memcmp(reinterpret_cast<HeapIndexBuffer*>(indices)->storage, values, sizeof(values)), 0);
    EXPECT_EQ(renderer.vertexLocks + renderer.vertexUnlocks + renderer.indexLocks + renderer.indexUnlocks, 4);
    EXPECT_EQ(vertices->locked + indices->locked, 0);
    renderer.DestroyVertexBuffer(vertices);
    renderer.DestroyIndexBuffer(indices);
}

TEST(RendererBase, BuffersThatCannotExistAreRefusedAndEmptyOnesNeverLock)
{
    MinimalRenderer renderer;
    EXPECT_EQ(renderer.CreateVertexBuffer(7, -1, 0), nullptr);
    EXPECT_EQ(renderer.CreateVertexBuffer(495, INT_MAX / 40, 0), nullptr);  // over 2 GB
    EXPECT_EQ(renderer.CreateIndexBuffer(-5, 0), nullptr);
    EXPECT_EQ(renderer.CreateIndexBuffer(INT_MAX, 0), nullptr);

    RendererVertexBuffer* empty = renderer.CreateVertexBuffer(7, 0, 1);
    RendererIndexBuffer* noIndices = renderer.CreateIndexBuffer(0, 0);
    ASSERT_TRUE(empty && noIndices);
    const uint8_t vertex[24] = {};
    const uint16_t index = 0;
    EXPECT_FALSE(renderer.UploadVertices(empty, vertex));
    EXPECT_FALSE(renderer.UploadIndices(noIndices, &index));
    EXPECT_EQ(empty->locked + noIndices->locked, 0);

    RendererVertexBuffer* buffer = renderer.CreateVertexBuffer(7, 2, 1);
    EXPECT_FALSE(renderer.UploadVertices(buffer, nullptr));
    EXPECT_EQ(buffer->locked, 0);
    EXPECT_FALSE(renderer.UploadVertices(nullptr, vertex));
    EXPECT_EQ(renderer.LockVertexBuffer(nullptr), nullptr);
    EXPECT_EQ(renderer.LockIndexBuffer(nullptr), nullptr);
    renderer.UnlockVertexBuffer(nullptr);
    renderer.DestroyVertexBuffer(nullptr);
    renderer.DestroyIndexBuffer(nullptr);
    renderer.DestroyVertexBuffer(buffer);
    renderer.DestroyVertexBuffer(empty);
    renderer.DestroyIndexBuffer(noIndices);
}

TEST(RendererBase, TextureRegionIsNormalisedByTheFullTextureSizeWithoutOverflow)
{
    MinimalRenderer renderer;
    Bitmap bitmap = {};
    bitmap.hardware.left = 0.5f;
    renderer.SetTextureRegion(&bitmap, 1, 1, 2, 2);  // no texture yet: nothing to divide by
    EXPECT_EQ(bitmap.hardware.left, 0.5f);
    renderer.SetTextureRegion(nullptr, 1, 1, 2, 2);

    bitmap.textureWidth = 200;  // the image; the texture is larger
    bitmap.textureHeight = 100;
    bitmap.hardware.textureFullWidth = 256;
    bitmap.hardware.textureFullHeight = 128;
    renderer.SetTextureRegion(&bitmap, 64, 32, 128, 64);
    EXPECT_FLOAT_EQ(bitmap.hardware.left, 0.25f);
    EXPECT_FLOAT_EQ(bitmap.hardware.top, 0.25f);
    EXPECT_FLOAT_EQ(bitmap.hardware.right, 0.75f);
    EXPECT_FLOAT_EQ(bitmap.hardware.bottom, 0.75f);
    // Integer overflow of x + width must not flip the edge.
    renderer.SetTextureRegion(&bitmap, INT_MAX, 0, INT_MAX, 1);
    EXPECT_GT(bitmap.hardware.right, bitmap.hardware.left);
}

TEST(RendererBase, InstancedDrawingIsRefusedWithTheRenderersName)
{
    LogCapture capture;
    MinimalRenderer renderer;
    renderer.DrawIndexedTrianglesInstanced(nullptr, 3, nullptr, 1, 4);
    EXPECT_EQ(LogCapture::CountPopups("Renderer 'Minimal' does not support instanced drawing.", QV_LOG_ERROR), 1);
}

}  // namespace
