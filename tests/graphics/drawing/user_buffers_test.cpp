// The game's own vertex and index buffers through the graphics table: drawn whole, by range
// and instanced into the tests' renderer, made and freed off the main thread with the
// frame's work done by hand, and refused input.
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "graphics/drawing/user_buffers.h"
#include "graphics/setup/setup_fixture.h"

namespace {

using quaven_test::LogCapture;

const int kWidth = 64, kHeight = 48;
const uint16_t kQuadIndices[6] = {0, 1, 2, 1, 3, 2};
const Rgba8 kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255}, kBlack = {0, 0, 0, 255};

// A renderer that can refuse to create index buffers.
class RefusingRenderer : public TestRenderer {
public:
    bool refuseBuffers = false;
    RendererIndexBuffer* CreateIndexBuffer(int count, int usage) override {
        return refuseBuffers ? nullptr : TestRenderer::CreateIndexBuffer(count, usage);
    }
};

class UserBuffers : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        QVI_DetachRenderer();
        QVI_AttachRenderer(&device_);
        Select(kWidth, kHeight, true);
        ASSERT_TRUE(QVI_InitRenderer());
        device_.vertexTransform =  // positions in pixels, y down
            Matrix4{{2.0f / kWidth, 0, 0, -1, 0, -2.0f / kHeight, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1}};
        device_.ClearColor(0, 0, 0, 1);
        device_.ClearCalls();
        LogCapture::Clear();
    }

    // Top-left, top-right, bottom-left, bottom-right, in pixels.
    static std::vector<BatchVertex> Quad(float x0, float y0, float x1, float y1, uint32_t argb) {
        return {{x0, y0, 0.5f, argb, 0, 0}, {x1, y0, 0.5f, argb, 1, 0}, {x0, y1, 0.5f, argb, 0, 1},
                {x1, y1, 0.5f, argb, 1, 1}};
    }
    TestImage Read() {
        TestImage image;
        EXPECT_TRUE(device_.ReadRenderTargetPixels(nullptr, &image));
        return image;
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }

    RefusingRenderer device_;
};

TEST_F(UserBuffers, StaticAndDynamicBuffersAreDrawnWholeByRangeAndInstanced) {
    VertexBuffer* red = g()->CreateVertexBuffer(7, Quad(0, 0, 16, 16, 0xFFFF0000).data(), 4, QV_BUFFER_STATIC);
    IndexBuffer* indices = g()->CreateIndexBuffer(kQuadIndices, 6, QV_BUFFER_STATIC);
    VertexBuffer* green = g()->CreateVertexBuffer(7, nullptr, 4, QV_BUFFER_DYNAMIC);
    VertexBuffer* blue = g()->CreateVertexBuffer(7, Quad(32, 0, 48, 16, 0xFF0000FF).data(), 4, QV_BUFFER_DYNAMIC);
    ASSERT_TRUE(red && indices && green && blue && red->renderer && indices->renderer);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 3 * 4 * 24 + 6 * 2);
    device_.ClearCalls();
    ASSERT_TRUE(g()->LockVertexBuffer(green));
    ASSERT_TRUE(g()->LockVertexBuffer(green));  // a second lock keeps the mapping
    memcpy(green->data, Quad(16, 0, 32, 16, 0xFF00FF00).data(), 4 * sizeof(BatchVertex));
    g()->UnlockVertexBuffer(green);
    EXPECT_EQ(device_.CallCount("LockVertexBuffer"), 1);
    EXPECT_TRUE(green->data == nullptr && green->state == 0);

    g()->DrawVertexBuffer(red, indices);
    g()->DrawVertexBuffer(green, indices);
    const int first = 0, three = 3;  // the first triangle: top-left, top-right, bottom-left
    g()->DrawVertexBufferRange(blue, indices, &first, &three);
    g()->DrawVertexBufferInstanced(red, indices, 3);
    RendererCall instanced;
    ASSERT_TRUE(device_.LastCall("DrawIndexedTrianglesInstanced", &instanced));
    EXPECT_EQ(instanced.numbers, (std::vector<double>{4, 2, 3}));
    const TestImage image = Read();
    EXPECT_TRUE(RegionNear(image, 0, 0, 16, 16, kRed, 0));
    EXPECT_TRUE(RegionNear(image, 16, 0, 32, 16, kGreen, 0));
    EXPECT_TRUE(PixelNear(image, 33, 1, kBlue, 0) && PixelNear(image, 47, 15, kBlack, 0));
    EXPECT_TRUE(PixelNear(image, 8, 20, kBlack, 0));

    for (VertexBuffer* buffer : {red, green, blue}) g()->FreeVertexBuffer(buffer);
    g()->FreeIndexBuffer(indices);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
    EXPECT_EQ(device_.CallCount("DestroyVertexBuffer"), 3);
    EXPECT_EQ(device_.refusedDraws(), 0);
    EXPECT_TRUE(LogCapture::Texts().empty());
}

TEST_F(UserBuffers, BuffersUsedOffTheMainThreadWaitForTheFrame) {
    VertexBuffer* vertices = nullptr;
    IndexBuffer* indices = nullptr;
    std::thread([&] {
        vertices = g()->CreateVertexBuffer(7, Quad(0, 0, 16, 16, 0xFFFF0000).data(), 4, QV_BUFFER_STATIC);
        indices = g()->CreateIndexBuffer(kQuadIndices, 6, QV_BUFFER_STATIC);
        g()->FreeIndexBuffer(g()->CreateIndexBuffer(nullptr, 3, QV_BUFFER_STATIC));  // never reaches the GPU
    }).join();
    ASSERT_TRUE(vertices && indices);
    EXPECT_TRUE(vertices->renderer == nullptr && vertices->state == USER_BUFFER_OWNS_COPY);
    EXPECT_EQ(g_userBufferQueues.createIndex.count, 1);
    ASSERT_EQ(g_userBufferQueues.releaseIndex.count, 1);
    g()->FreeIndexBuffer(g_userBufferQueues.releaseIndex.data[0]);  // the frame's release pass
    g()->DrawVertexBuffer(vertices, indices);  // not on the GPU yet: skipped
    EXPECT_EQ(device_.CallCount("DrawIndexedTriangles"), 0);

    // The frame's creation pass.
    QVI_CallRendererToCreateVertexBuffer(vertices, vertices->data);
    QVI_CallRendererToCreateIndexBuffer(indices, indices->data);
    g_userBufferQueues.createVertex.Remove(vertices), g_userBufferQueues.createIndex.Remove(indices);
    EXPECT_TRUE(vertices->renderer && vertices->state == 0 && vertices->data == nullptr);
    g()->DrawVertexBuffer(vertices, indices);
    EXPECT_TRUE(RegionNear(Read(), 0, 0, 16, 16, kRed, 0));

    // Written elsewhere, the copy waits for the update pass.
    std::thread([&] {
        ASSERT_TRUE(g()->LockVertexBuffer(vertices));
        memcpy(vertices->data, Quad(0, 0, 16, 16, 0xFF00FF00).data(), 4 * sizeof(BatchVertex));
        g()->UnlockVertexBuffer(vertices);
    }).join();
    EXPECT_TRUE(g_userBufferQueues.updateVertex.Contains(vertices));
    EXPECT_EQ(vertices->state, USER_BUFFER_OWNS_COPY | USER_BUFFER_LOCKED);
    ASSERT_TRUE(QVI_MapVertexBuffer(vertices, true));
    g_userBufferQueues.updateVertex.Remove(vertices);
    g()->DrawVertexBuffer(vertices, indices);
    EXPECT_TRUE(RegionNear(Read(), 0, 0, 16, 16, kGreen, 0));

    // Freed elsewhere, the GPU buffer is released by the frame.
    std::thread([&] { g()->FreeVertexBuffer(vertices); }).join();
    EXPECT_TRUE(g_userBufferQueues.releaseVertex.Contains(vertices));
    EXPECT_EQ(device_.CallCount("DestroyVertexBuffer"), 0);
    g()->FreeVertexBuffer(vertices);
    g()->FreeIndexBuffer(indices);
    EXPECT_EQ(device_.CallCount("DestroyVertexBuffer"), 1);
    EXPECT_EQ(g_userBufferQueues.releaseVertex.count + g_userBufferQueues.releaseIndex.count, 0);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
}

TEST_F(UserBuffers, BadInputAndFailedBuffersAreReportedAndNeverDrawn) {
    // Refused: a negative count (every copy's size would wrap), a format outside the known
    // vertex sizes (the game would write vertices larger than the buffer's), too many bytes.
    EXPECT_EQ(g()->CreateIndexBuffer(kQuadIndices, -6, QV_BUFFER_STATIC), nullptr);
    EXPECT_EQ(g()->CreateVertexBuffer(3, nullptr, 4, QV_BUFFER_STATIC), nullptr);
    EXPECT_EQ(g()->CreateVertexBuffer(495, nullptr, 0x7FFFFFFF / 80 + 1, QV_BUFFER_STATIC), nullptr);
    EXPECT_FALSE(g()->LockIndexBuffer(nullptr));
    g()->UnlockVertexBuffer(nullptr), g()->FreeIndexBuffer(nullptr), g()->DrawVertexBuffer(nullptr, nullptr);
    EXPECT_EQ(LogCapture::CountContaining("QV_Graphics_", QV_LOG_WARNING), 7);
    // Not refused: any usage goes to the renderer (which makes a static buffer of it), and
    // an empty buffer is the renderer's to make or refuse.
    IndexBuffer* oddUsage = g()->CreateIndexBuffer(kQuadIndices, 6, 2);
    ASSERT_TRUE(oddUsage && oddUsage->renderer && oddUsage->usage == 2);
    VertexBuffer* empty = g()->CreateVertexBuffer(7, Quad(0, 0, 1, 1, 0).data(), 0, QV_BUFFER_STATIC);
    ASSERT_TRUE(empty && empty->renderer && empty->count == 0);
    g()->FreeIndexBuffer(oddUsage);
    g()->FreeVertexBuffer(empty);
    EXPECT_EQ(LogCapture::CountContaining("QV_Graphics_", QV_LOG_WARNING), 7);

    VertexBuffer* vertices = g()->CreateVertexBuffer(7, Quad(0, 0, 16, 16, 0xFFFF0000).data(), 4, QV_BUFFER_STATIC);
    IndexBuffer* indices = g()->CreateIndexBuffer(kQuadIndices, 6, QV_BUFFER_STATIC);
    device_.ClearCalls();
    const int zero = 0, two = 2, six = 6, seven = 7, nine = 9, minusOne = -1, three = 3, five = 5;
    // Refused: counts the device would read the buffer's six indices short of or past.
    g()->DrawVertexBufferRange(vertices, indices, &zero, &nine);
    g()->DrawVertexBufferRange(vertices, indices, &zero, &seven);
    g()->DrawVertexBufferRange(vertices, indices, &zero, &minusOne);
    g()->DrawVertexBufferRange(vertices, indices, nullptr, &three);
    g()->DrawVertexBufferInstanced(vertices, indices, -1);
    EXPECT_EQ(device_.CallCount("DrawIndexedTriangles") + device_.CallCount("DrawIndexedTrianglesInstanced"), 0);
    EXPECT_EQ(LogCapture::Count("QV_Graphics_DrawVertexBufferRange: index count 7 is outside the buffer's 6 indices."),
              1);
    EXPECT_EQ(LogCapture::CountContaining("index count -1 is outside"), 1);
    // Drawn: every range starts at the buffer's first index, so any first index draws, even
    // one whose count runs past the end; that it is not applied is said once.
    g()->DrawVertexBufferRange(vertices, indices, &minusOne, &three);  // the first triangle
    const TestImage firstTriangle = Read();
    g()->DrawVertexBufferRange(vertices, indices, &five, &three);
    g()->DrawVertexBufferRange(vertices, indices, &zero, &six);
    // Counts below one triangle are no reason to refuse: they draw nothing.
    g()->DrawVertexBufferRange(vertices, indices, &zero, &zero);
    g()->DrawVertexBufferRange(vertices, indices, &zero, &two);
    std::vector<std::vector<double>> draws;
    for (const RendererCall& call : device_.Calls())
        if (std::string(call.name) == "DrawIndexedTriangles") draws.push_back(call.numbers);
    EXPECT_EQ(draws, (std::vector<std::vector<double>>{{4, 1}, {4, 1}, {4, 2}, {4, 0}, {4, 0}}));
    EXPECT_TRUE(PixelNear(firstTriangle, 1, 1, kRed, 0) && PixelNear(firstTriangle, 15, 15, kBlack, 0));
    EXPECT_EQ(LogCapture::Count("QV_Graphics_DrawVertexBufferRange: the renderer draws from the first index of the "
                                "buffer; first index -1 is not applied."),
              1);
    EXPECT_EQ(LogCapture::CountContaining("is not applied"), 1);
    device_.ClearCalls();
    g()->UnlockVertexBuffer(vertices);  // not locked: nothing is mapped
    ASSERT_TRUE(g()->LockIndexBuffer(indices));
    g()->DrawVertexBuffer(vertices, indices);  // locked: skipped
    EXPECT_EQ(device_.CallCount("DrawIndexedTriangles") + device_.CallCount("LockVertexBuffer"), 0);
    EXPECT_EQ(LogCapture::CountContaining("a locked buffer is not drawn"), 1);
    g()->FreeIndexBuffer(indices);  // unmapped before it is destroyed
    std::vector<std::string> calls = device_.CallNames();
    EXPECT_EQ(std::vector<std::string>(calls.end() - 2, calls.end()),
              (std::vector<std::string>{"UnlockIndexBuffer", "DestroyIndexBuffer"}));

    device_.refuseBuffers = true;
    EXPECT_EQ(g()->CreateIndexBuffer(kQuadIndices, 6, QV_BUFFER_STATIC), nullptr);
    std::thread([&] { indices = g()->CreateIndexBuffer(kQuadIndices, 6, QV_BUFFER_STATIC); }).join();
    QVI_CallRendererToCreateIndexBuffer(indices, indices->data);
    g_userBufferQueues.createIndex.Remove(indices);
    LogCapture::Clear();
    EXPECT_FALSE(g()->LockIndexBuffer(indices));
    g()->UnlockIndexBuffer(indices);
    g()->DrawVertexBuffer(vertices, indices);
    EXPECT_EQ(LogCapture::CountContaining("its creation failed"), 3);
    g()->FreeIndexBuffer(indices);
    g()->FreeVertexBuffer(vertices);
    EXPECT_EQ(device_.CallCount("DrawIndexedTriangles"), 0);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
}

}  // namespace
