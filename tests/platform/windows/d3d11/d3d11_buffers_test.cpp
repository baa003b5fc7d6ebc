// Vertex and index buffers drawn through the renderer's own operations and checked in the
// pixels they draw: dynamic and static buffers, line lists, instances, the colour swap of
// devices without B8G8R8A8 vertex colours, and what is refused.
#include "platform/windows/d3d11/d3d11_test_support.h"

#include <climits>
#include <cstring>

namespace d3d11_test {
namespace {

using D3D11BuffersTest = D3D11PipelineTest;
using quaven_test::LogCapture;

const Rgba8 kBlack{0, 0, 0, 255};

TEST_F(D3D11BuffersTest, DynamicAndStaticQuadsIndexedLinesAndInstancesReachTheScreen) {
    RendererVertexBuffer* dynamic = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 8, QV_BUFFER_DYNAMIC);
    RendererVertexBuffer* fixed = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 4, QV_BUFFER_STATIC);
    RendererIndexBuffer* quad = renderer_.CreateIndexBuffer(6, QV_BUFFER_STATIC);
    RendererIndexBuffer* lines = renderer_.CreateIndexBuffer(4, QV_BUFFER_DYNAMIC);
    const uint16_t lineIndices[4] = {0, 1, 2, 3};
    ASSERT_TRUE(renderer_.UploadIndices(quad, kQuadIndices) && renderer_.UploadIndices(lines, lineIndices));
    BatchVertex* vertices = static_cast<BatchVertex*>(renderer_.LockVertexBuffer(dynamic));
    ASSERT_TRUE(vertices && dynamic->locked);
    PixelQuad(vertices, 0, 0, 16, 16, 0xFFFF0000);
    renderer_.UnlockVertexBuffer(dynamic);
    EXPECT_EQ(0, dynamic->locked);
    renderer_.DrawIndexedTriangles(dynamic, 4, quad, 2);
    BatchVertex corners[4];
    PixelQuad(corners, 16, 0, 32, 16, 0xFF00FF00);
    ASSERT_TRUE(renderer_.UploadVertices(fixed, corners));
    renderer_.DrawIndexedTriangles(fixed, 4, quad, 2);
    // A usage other than 0 or 1 makes a static buffer: written through its CPU copy.
    RendererVertexBuffer* odd = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 4, 7);
    ASSERT_NE(nullptr, odd);
    BatchVertex yellow[4];
    PixelQuad(yellow, 16, 16, 32, 28, 0xFFFFFF00);
    ASSERT_TRUE(renderer_.UploadVertices(odd, yellow));
    EXPECT_NE(nullptr, reinterpret_cast<const D3D11VertexBuffer*>(odd)->hardware->cpuCopy);
    renderer_.DrawIndexedTriangles(odd, 4, quad, 2);
    renderer_.DestroyVertexBuffer(odd);
    // A static buffer keeps what was written last between its locks.
    EXPECT_EQ(0, memcmp(corners, renderer_.LockVertexBuffer(fixed), sizeof corners));
    renderer_.UnlockVertexBuffer(fixed);
    // The dynamic buffer again in the same frame: a horizontal and a vertical line.
    vertices = static_cast<BatchVertex*>(renderer_.LockVertexBuffer(dynamic));
    ASSERT_NE(nullptr, vertices);
    vertices[0] = PixelVertex(0, 30.5f, 0xFF0000FF), vertices[1] = PixelVertex(64, 30.5f, 0xFF0000FF);
    vertices[2] = PixelVertex(40.5f, 20, 0xFFFFFFFF), vertices[3] = PixelVertex(40.5f, 48, 0xFFFFFFFF);
    renderer_.UnlockVertexBuffer(dynamic);
    renderer_.DrawIndexedLines(dynamic, lines, 2);
    // The compiler here gives the vertex stage no instance id, so three instances of one
    // quad land on the same pixels: added up, 3 x 64 makes 192.
    renderer_.SetBlendMode(QV_BLEND_ADDITIVE);
    DrawQuad(48, 0, 64, 16, 0xFF404040, 3);
    DrawQuad(48, 0, 64, 16, 0xFF404040, 0);

    const TestImage image = ReadBack();
    EXPECT_TRUE(PixelNear(image, 5, 5, Rgba8{255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 20, 5, Rgba8{0, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 20, 20, Rgba8{255, 255, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 10, 30, Rgba8{0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 40, 40, Rgba8{255, 255, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 10, 29, kBlack, 0) && PixelNear(image, 10, 31, kBlack, 0)) << "one row wide";
    EXPECT_TRUE(PixelNear(image, 56, 8, Rgba8{192, 192, 192, 255}, 1));
    EXPECT_TRUE(PixelNear(image, 40, 8, kBlack, 0));
    for (RendererVertexBuffer* buffer : {dynamic, fixed}) renderer_.DestroyVertexBuffer(buffer);
    for (RendererIndexBuffer* buffer : {quad, lines}) renderer_.DestroyIndexBuffer(buffer);
}

// The device here takes B8G8R8A8 vertex colours; without that capability the renderer
// swaps red and blue of each colour at unlock and reads R8G8B8A8, so the screen is the same.
TEST_F(D3D11BuffersTest, WithoutBgraVertexColoursTheColourIsSwappedAtUnlockAndReadAsRgba) {
    renderer_.capabilities &= ~RendImpDirect3D11::kCapabilityBgraVertexColor;
    std::unique_ptr<TestShader> rgba = MakeBuiltInShader(kBuiltInDefaultShader, 1, 0);
    ASSERT_TRUE(rgba->Create(renderer_));
    renderer_.SetShader(&rgba->record);
    RendererVertexBuffer* vertices = renderer_.CreateVertexBuffer(QV_VERTEX_FORMAT_BATCH, 4, QV_BUFFER_STATIC);
    RendererIndexBuffer* indices = renderer_.CreateIndexBuffer(6, QV_BUFFER_STATIC);
    BatchVertex corners[4];
    PixelQuad(corners, 0, 0, 16, 16, 0xFF2040C0);
    ASSERT_TRUE(renderer_.UploadVertices(vertices, corners) && renderer_.UploadIndices(indices, kQuadIndices));
    const uint8_t* copy = reinterpret_cast<const D3D11VertexBuffer*>(vertices)->hardware->cpuCopy;
    EXPECT_EQ(0, memcmp(copy + 24 + 12, "\x20\x40\xC0\xFF", 4)) << "bytes 0 and 2 of each colour swapped";
    renderer_.DrawIndexedTriangles(vertices, 4, indices, 2);
    EXPECT_TRUE(PixelNear(ReadBack(), 8, 8, Rgba8{0x20, 0x40, 0xC0, 255}, 0));
    // A format without colour keeps its bytes.
    RendererVertexBuffer* plain = renderer_.CreateVertexBuffer(QV_VERTEX_POSITION | QV_VERTEX_TEXTURE_COORDINATE_0, 2,
                                                               QV_BUFFER_STATIC);
    uint8_t bytes[48];
    for (int i = 0; i < 48; ++i) bytes[i] = uint8_t(i);
    ASSERT_TRUE(renderer_.UploadVertices(plain, bytes));
    EXPECT_EQ(0, memcmp(bytes, reinterpret_cast<const D3D11VertexBuffer*>(plain)->hardware->cpuCopy, 48));
    renderer_.DestroyShader(&rgba->record);
    for (RendererVertexBuffer* buffer : {vertices, plain}) renderer_.DestroyVertexBuffer(buffer);
    renderer_.DestroyIndexBuffer(indices);
}

TEST_F(D3D11BuffersTest, BadRequestsAreRefusedAndBuffersTheDeviceRefusedOnlyLog) {
    // A negative count would wrap every copy's size; a size past 32 bits is refused too.
    for (int count : {-1, INT_MAX}) EXPECT_EQ(nullptr, renderer_.CreateVertexBuffer(7, count, QV_BUFFER_STATIC));
    EXPECT_EQ(nullptr, renderer_.CreateVertexBuffer(512, 4, QV_BUFFER_STATIC)) << "unknown element";
    EXPECT_EQ(nullptr, renderer_.CreateIndexBuffer(-6, QV_BUFFER_DYNAMIC));
    EXPECT_EQ(4, LogCapture::CountContaining("D3D11 renderer refused", QV_LOG_ERROR));
    EXPECT_TRUE(!renderer_.LockVertexBuffer(nullptr) && !renderer_.LockIndexBuffer(nullptr));
    renderer_.UnlockVertexBuffer(nullptr);
    renderer_.UnlockIndexBuffer(nullptr);
    EXPECT_EQ(4, LogCapture::CountContaining("without a buffer"));

    // Counts past the index buffer, negative counts, missing and locked buffers: no draw.
    RendererVertexBuffer* vertices = renderer_.CreateVertexBuffer(7, 4, QV_BUFFER_DYNAMIC);
    RendererIndexBuffer* indices = renderer_.CreateIndexBuffer(6, QV_BUFFER_DYNAMIC);
    renderer_.DrawIndexedTriangles(vertices, 4, indices, 3);
    renderer_.DrawIndexedLines(vertices, indices, -1);
    renderer_.DrawIndexedTrianglesInstanced(vertices, 4, indices, 2, -2);
    renderer_.DrawIndexedTriangles(nullptr, 4, indices, 2);
    ASSERT_NE(nullptr, renderer_.LockVertexBuffer(vertices));
    renderer_.DrawIndexedTriangles(vertices, 4, indices, 2);
    EXPECT_EQ(5, LogCapture::CountContaining("skipped a draw"));
    renderer_.DestroyVertexBuffer(vertices);  // mapped: unmapped first

    // An empty buffer is one the device does not make: raised like any refused buffer, and
    // its record handed out all the same.
    RendererVertexBuffer* emptyVertices = renderer_.CreateVertexBuffer(7, 0, QV_BUFFER_STATIC);
    RendererIndexBuffer* emptyIndices = renderer_.CreateIndexBuffer(0, QV_BUFFER_DYNAMIC);
    ASSERT_TRUE(emptyVertices && emptyIndices && emptyVertices->count == 0 && emptyIndices->count == 0);
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create a vertex buffer.", QV_LOG_ERROR));
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create an index buffer.", QV_LOG_ERROR));
    EXPECT_EQ(nullptr, renderer_.LockVertexBuffer(emptyVertices));
    renderer_.DrawIndexedTriangles(emptyVertices, 0, emptyIndices, 0);
    renderer_.DestroyVertexBuffer(emptyVertices);
    renderer_.DestroyIndexBuffer(emptyIndices);
    LogCapture::Clear();

    // Past the 128 MiB every device must make, the size is this device's to take: asked,
    // it makes both buffers, and the dynamic one maps whole.
    const int pastLeastVertices = 128 * 1024 * 1024 / 24 + 1;
    RendererVertexBuffer* large = renderer_.CreateVertexBuffer(7, pastLeastVertices, QV_BUFFER_DYNAMIC);
    RendererIndexBuffer* largeIndices = renderer_.CreateIndexBuffer(64 * 1024 * 1024 + 1, QV_BUFFER_STATIC);
    ASSERT_TRUE(large && largeIndices && large->count == pastLeastVertices);
    EXPECT_NE(nullptr, reinterpret_cast<const D3D11VertexBuffer*>(large)->hardware->buffer);
    EXPECT_NE(nullptr, reinterpret_cast<const D3D11IndexBuffer*>(largeIndices)->hardware->buffer);
    BatchVertex* last = static_cast<BatchVertex*>(renderer_.LockVertexBuffer(large));
    ASSERT_NE(nullptr, last);
    last[pastLeastVertices - 1] = PixelVertex(0, 0, 0xFFFFFFFF);
    renderer_.UnlockVertexBuffer(large);
    EXPECT_EQ(0u, LogCapture::Lines().size());
    renderer_.DestroyVertexBuffer(large);
    renderer_.DestroyIndexBuffer(largeIndices);

    // Records whose device buffer was refused: handed out, then every use only logs, once.
    RefusedMethod3 refused(renderer_.device, kDeviceCreateBufferSlot);
    RendererVertexBuffer* missing = renderer_.CreateVertexBuffer(7, 4, QV_BUFFER_DYNAMIC);
    RendererIndexBuffer* missingIndices = renderer_.CreateIndexBuffer(6, QV_BUFFER_STATIC);
    ASSERT_TRUE(missing && missingIndices);
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create a vertex buffer.", QV_LOG_ERROR));
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create an index buffer.", QV_LOG_ERROR));
    EXPECT_TRUE(!renderer_.LockVertexBuffer(missing) && !missing->locked);
    renderer_.UnlockVertexBuffer(missing);
    renderer_.DrawIndexedTriangles(missing, 4, indices, 2);
    EXPECT_EQ(nullptr, renderer_.LockIndexBuffer(missingIndices));
    renderer_.DrawIndexedTriangles(missing, 4, missingIndices, 2);
    EXPECT_EQ(1, LogCapture::CountContaining("of a vertex buffer that was never created"));
    EXPECT_EQ(1, LogCapture::CountContaining("of an index buffer that was never created"));

    // Every size a 32-bit byte width holds is asked of the device (which refuses here: the
    // record with its popup); one vertex more is refused before it.
    LogCapture::Clear();
    const int widestVertices = int(UINT32_MAX / 24);
    RendererVertexBuffer* widest = renderer_.CreateVertexBuffer(7, widestVertices, QV_BUFFER_STATIC);
    RendererIndexBuffer* mostIndices = renderer_.CreateIndexBuffer(INT_MAX, QV_BUFFER_DYNAMIC);
    ASSERT_TRUE(widest && mostIndices && mostIndices->count == INT_MAX);
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create a vertex buffer.", QV_LOG_ERROR));
    EXPECT_EQ(1, LogCapture::CountPopups("D3D11 renderer failed to create an index buffer.", QV_LOG_ERROR));
    EXPECT_EQ(nullptr, renderer_.CreateVertexBuffer(7, widestVertices + 1, QV_BUFFER_STATIC));
    EXPECT_EQ(1, LogCapture::CountContaining("D3D11 renderer refused a vertex buffer of 4294967304 bytes"));
    renderer_.DestroyVertexBuffer(widest);
    renderer_.DestroyIndexBuffer(mostIndices);
    renderer_.DestroyVertexBuffer(missing);
    for (RendererIndexBuffer* buffer : {indices, missingIndices}) renderer_.DestroyIndexBuffer(buffer);
    EXPECT_TRUE(PixelNear(ReadBack(), 8, 8, kBlack, 0)) << "nothing was drawn";
}

}  // namespace
}  // namespace d3d11_test
