// The renderer interface itself: the slot order of its operations and the bodies the
// base class supplies (display modes, heap buffers, texture regions, instancing).
#include "platform/windows/win32.h"
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
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
    using Base = RendererImplementation;

public:
    std::vector<DisplayMode> modes;
    int locks = 0;  // locks and unlocks of either buffer

    const char* GetName() override { return "Minimal"; }
    void EnumerateDisplayModes() override { for (const DisplayMode& mode : modes) displayModes.Add(mode); }
    void* LockVertexBuffer(RendererVertexBuffer* buffer) override { ++locks; return Base::LockVertexBuffer(buffer); }
    void UnlockVertexBuffer(RendererVertexBuffer* buffer) override { ++locks; Base::UnlockVertexBuffer(buffer); }
    uint16_t* LockIndexBuffer(RendererIndexBuffer* buffer) override { ++locks; return Base::LockIndexBuffer(buffer); }
    void UnlockIndexBuffer(RendererIndexBuffer* buffer) override { ++locks; Base::UnlockIndexBuffer(buffer); }
};

// Position in the vtable of a virtual operation. This compiler's ABI stores a pointer to a
// virtual member as 1 + its byte offset in the vtable, and gives the virtual destructor
// two entries (complete and deleting), so operation slot s sits at entry s + 1.
template <typename Member>
int VtableEntry(Member member) {
    struct { uintptr_t pointer; ptrdiff_t adjustment; } representation;
    static_assert(sizeof(member) == sizeof(representation), "pointer to member has two words");
    memcpy(&representation, &member, sizeof(representation));
    // Even: not virtual.
    return (representation.pointer & 1) ? static_cast<int>((representation.pointer - 1) / sizeof(void*)) : -1;
}

// The operations in slot order, from slot 1 (slot 0 is the destructor).
#define S(operation) {VtableEntry(&RendererImplementation::operation), #operation}

TEST(RendererInterface, EveryOperationSitsInItsSlot) {
    const struct { int entry; const char* name; } slots[] = {
        S(IsSupported), S(GetThreadingCapabilities), S(GetMaximumTextureSize), S(IsReady), S(GetRendererType),
        S(GetName), S(IsDisplayModeSupported), S(GetSupportedResolutions), S(GetPixelChannelOrder),
        S(UsesRGBAVertexColor), S(SupportsNonPowerOfTwoTextures), S(Init), S(PostInit), S(ChangeVideoMode),
        S(Shutdown), S(SetViewport), S(SetFullscreen), S(SetRenderTargets), S(CopyRenderTargetToPixels),
        S(IsTextureFormatSupported), S(CreateRenderTarget), S(CreateTexture), S(DestroyTexture),
        S(GetShaderLevel), S(GetShaderLanguage), S(UsesPrecompiledShaders), S(CreateShader), S(DestroyShader),
        S(SetShader), S(BeginFrame), S(BeginScene), S(EndScene), S(Present), S(ClearColor), S(ClearDepth),
        S(SetScissorRectangle), S(DisableScissorRectangle), S(SetBlendMode), S(SetSamplerFilter),
        S(SetSamplerAddressMode), S(PlatformCommand), S(Reserved42), S(Reserved43), S(SetDepthTest),
        S(SetDepthFunction), S(SetDepthWrite), S(SetColorWrite), S(SetCullMode), S(SetTexture),
        S(DrawIndexedTriangles), S(DrawIndexedLines), S(DrawIndexedTrianglesInstanced), S(CreateVertexBuffer),
        S(DestroyVertexBuffer), S(LockVertexBuffer), S(UnlockVertexBuffer), S(UploadVertices),
        S(CreateIndexBuffer), S(DestroyIndexBuffer), S(LockIndexBuffer), S(UnlockIndexBuffer), S(UploadIndices),
        S(GetPixelCenterOffset), S(SetTextureRegion), S(EnumerateDisplayModes)
    };
    static_assert(sizeof slots / sizeof slots[0] + 1 == kRendererOperationCount, "66 operations, destructor included");
    for (int slot = 1; slot < kRendererOperationCount; ++slot)
        EXPECT_EQ(slots[slot - 1].entry, slot + 1) << slots[slot - 1].name << " in slot " << slot;
}

#undef S

TEST(RendererBase, SupportedResolutionsAreRefilledSortedAndExactlySearched) {
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

TEST(RendererBase, UploadsCopyTheWholeBufferThroughTheLockSlots) {
    MinimalRenderer renderer;
    RendererVertexBuffer* vertices = renderer.CreateVertexBuffer(15, 4, QV_BUFFER_STATIC);
    ASSERT_NE(vertices, nullptr);
    EXPECT_EQ(vertices->usage, QV_BUFFER_DYNAMIC);
    EXPECT_EQ(QVI_HeapVertexBufferBytes(vertices), 144);
    std::vector<uint8_t> data(144);
    for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<uint8_t>(i + 1);
    EXPECT_TRUE(renderer.UploadVertices(vertices, data.data()));
    EXPECT_EQ(memcmp(reinterpret_cast<HeapVertexBuffer*>(vertices)->storage, data.data(), 144), 0);
    RendererIndexBuffer* indices = renderer.CreateIndexBuffer(5, QV_BUFFER_DYNAMIC);
    ASSERT_NE(indices, nullptr);
    EXPECT_EQ(indices->usage, QV_BUFFER_STATIC);
    const uint16_t values[5] = {0, 1, 2, 65535, 7};
    EXPECT_TRUE(renderer.UploadIndices(indices, values));
    EXPECT_EQ(memcmp(reinterpret_cast<HeapIndexBuffer*>(indices)->storage, values, sizeof(values)), 0);
    EXPECT_EQ(renderer.locks, 4);
    EXPECT_EQ(vertices->locked + indices->locked, 0);
    renderer.DestroyVertexBuffer(vertices);
    renderer.DestroyIndexBuffer(indices);
}

TEST(RendererBase, BuffersThatCannotExistAreRefusedAndEmptyOnesNeverLock) {
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
    for (RendererVertexBuffer* vertices : {static_cast<RendererVertexBuffer*>(nullptr), buffer, empty})
        renderer.DestroyVertexBuffer(vertices);
    for (RendererIndexBuffer* indices : {static_cast<RendererIndexBuffer*>(nullptr), noIndices})
        renderer.DestroyIndexBuffer(indices);
}

TEST(RendererBase, TextureRegionIsNormalisedByTheFullTextureSizeWithoutOverflowAndInstancingIsRefused) {
    MinimalRenderer renderer;
    Bitmap bitmap = {};
    bitmap.hardware.left = 0.5f;
    renderer.SetTextureRegion(&bitmap, 1, 1, 2, 2);  // no texture yet: nothing to divide by
    EXPECT_EQ(bitmap.hardware.left, 0.5f);
    renderer.SetTextureRegion(nullptr, 1, 1, 2, 2);
    bitmap.textureWidth = 200, bitmap.textureHeight = 100;  // the image; the texture is larger
    bitmap.hardware.textureFullWidth = 256, bitmap.hardware.textureFullHeight = 128;
    renderer.SetTextureRegion(&bitmap, 64, 32, 128, 64);
    EXPECT_FLOAT_EQ(bitmap.hardware.left, 0.25f);
    EXPECT_FLOAT_EQ(bitmap.hardware.top, 0.25f);
    EXPECT_FLOAT_EQ(bitmap.hardware.right, 0.75f);
    EXPECT_FLOAT_EQ(bitmap.hardware.bottom, 0.75f);
    // Integer overflow of x + width must not flip the edge.
    renderer.SetTextureRegion(&bitmap, INT_MAX, 0, INT_MAX, 1);
    EXPECT_GT(bitmap.hardware.right, bitmap.hardware.left);
    // Instanced drawing is refused with the renderer's name.
    LogCapture capture;
    renderer.DrawIndexedTrianglesInstanced(nullptr, 3, nullptr, 1, 4);
    EXPECT_EQ(LogCapture::CountPopups("Renderer 'Minimal' does not support instanced drawing.", QV_LOG_ERROR), 1);
}

}  // namespace
