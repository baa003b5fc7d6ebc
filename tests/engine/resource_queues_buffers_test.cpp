// The frame's buffer pass: vertex and index buffers that a game thread creates, fills,
// rewrites and frees reach the renderer over the following frames and are drawn.
#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "engine/resource_queues.h"
#include "graphics/drawing/user_buffers.h"
#include "graphics/setup/setup_fixture.h"

namespace {

using quaven_test::LogCapture;

const uint16_t kQuad[6] = {0, 1, 2, 1, 3, 2};
const Rgba8 kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255}, kBlue = {0, 0, 255, 255}, kBlack = {0, 0, 0, 255};

// A renderer that can refuse to create index buffers or to map vertex buffers, or take its
// time creating vertex buffers.
class RefusingRenderer : public TestRenderer {
public:
    bool refuseIndexBuffers = false, refuseLocks = false, slowVertexBuffers = false;
    RendererVertexBuffer* CreateVertexBuffer(VertexFormat format, int count, int usage) override {
        if (slowVertexBuffers) Sleep(2);
        return TestRenderer::CreateVertexBuffer(format, count, usage);
    }
    RendererIndexBuffer* CreateIndexBuffer(int count, int usage) override {
        return refuseIndexBuffers ? nullptr : TestRenderer::CreateIndexBuffer(count, usage);
    }
    void* LockVertexBuffer(RendererVertexBuffer* buffer) override {
        return refuseLocks ? nullptr : TestRenderer::LockVertexBuffer(buffer);
    }
};

class BufferQueues : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        QVI_DetachRenderer(), QVI_AttachRenderer(&device_), Select(64, 32, true);
        ASSERT_TRUE(QVI_InitRenderer());
        device_.vertexTransform = Matrix4{{2.0f / 64, 0, 0, -1, 0, -2.0f / 32, 0, 1, 0, 0, 1, 0, 0, 0, 0, 1}};
        device_.ClearCalls(), LogCapture::Clear();
    }
    static const QuavenGraphicsAPI* g() { return qv->graphics; }
    // A 16-pixel square from x0, as the game writes it (top-left, top-right, bottom-left, bottom-right).
    static std::vector<BatchVertex> Square(float x0, uint32_t argb) {
        return {{x0, 0, 0.5f, argb, 0, 0}, {x0 + 16, 0, 0.5f, argb, 1, 0}, {x0, 16, 0.5f, argb, 0, 1},
                {x0 + 16, 16, 0.5f, argb, 1, 1}};
    }
    static void Write(VertexBuffer* buffer, float x0, uint32_t argb) {
        ASSERT_TRUE(g()->LockVertexBuffer(buffer));
        memcpy(buffer->data, Square(x0, argb).data(), 4 * sizeof(BatchVertex));
        g()->UnlockVertexBuffer(buffer);
    }
    static void OnGameThread(const std::function<void()>& work) { std::thread(work).join(); }
    static int Queued() {
        const UserBufferQueues& q = g_userBufferQueues;
        return q.createIndex.count + q.createVertex.count + q.updateIndex.count + q.updateVertex.count +
               q.releaseIndex.count + q.releaseVertex.count;
    }
    // One frame: the buffers drawn on black and read back, then the queues emptied.
    TestImage Frame(const std::vector<VertexBuffer*>& drawn = {}, IndexBuffer* indices = nullptr) {
        device_.ClearColor(0, 0, 0, 1);
        for (VertexBuffer* buffer : drawn) g()->DrawVertexBuffer(buffer, indices);
        TestImage image;
        EXPECT_TRUE(device_.ReadRenderTargetPixels(nullptr, &image));
        QVI_ProcessBufferResourceQueues();
        return image;
    }

    RefusingRenderer device_;
};

TEST_F(BufferQueues, BuffersMadeFilledRewrittenAndFreedByAGameThreadReachTheScreenOverTheNextFrames) {
    VertexBuffer *red = nullptr, *green = nullptr;
    IndexBuffer* indices = nullptr;
    OnGameThread([&] {
        red = g()->CreateVertexBuffer(7, Square(0, 0xFFFF0000).data(), 4, QV_BUFFER_STATIC);
        indices = g()->CreateIndexBuffer(kQuad, 6, QV_BUFFER_STATIC);
        green = g()->CreateVertexBuffer(7, nullptr, 4, QV_BUFFER_DYNAMIC);
        Write(green, 16, 0xFF00FF00);
        g()->FreeIndexBuffer(g()->CreateIndexBuffer(nullptr, 3, QV_BUFFER_STATIC));  // never reaches the GPU
    });
    EXPECT_EQ(Queued(), 5);
    // Nothing to draw in the first frame, which then makes and fills every buffer at once.
    EXPECT_TRUE(RegionNear(Frame({red, green}, indices), 0, 0, 64, 32, kBlack, 0));
    EXPECT_TRUE(Queued() == 0 && device_.CallCount("CreateIndexBuffer") == 1);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 2 * 4 * 24 + 6 * 2);
    TestImage image = Frame({red, green}, indices);
    EXPECT_TRUE(RegionNear(image, 0, 0, 16, 16, kRed, 0) && RegionNear(image, 16, 0, 32, 16, kGreen, 0));

    // Rewritten and freed by the game: the next frame writes and releases.
    OnGameThread([&] { Write(red, 0, 0xFF0000FF), g()->FreeVertexBuffer(green); });
    Frame();
    EXPECT_EQ(device_.CallCount("DestroyVertexBuffer"), 1);
    image = Frame({red}, indices);
    EXPECT_TRUE(RegionNear(image, 0, 0, 16, 16, kBlue, 0) && RegionNear(image, 16, 0, 64, 32, kBlack, 0));

    // Mapped on the main thread and freed by the game meanwhile: released once unmapped.
    ASSERT_TRUE(g()->LockVertexBuffer(red));
    OnGameThread([&] { g()->FreeVertexBuffer(red), g()->FreeIndexBuffer(indices); });
    Frame(), Frame();
    EXPECT_EQ(Queued(), 1);
    g()->UnlockVertexBuffer(red);
    Frame();
    EXPECT_TRUE(Queued() == 0 && device_.CallCount("DestroyVertexBuffer") == 2);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
    EXPECT_TRUE(LogCapture::Texts().empty());
}

TEST_F(BufferQueues, AGameThreadThatLocksAgainBeforeTheFrameKeepsItsCopyUntilItUnlocks) {
    VertexBuffer* buffer = nullptr;
    OnGameThread([&] { buffer = g()->CreateVertexBuffer(7, Square(0, 0xFFFF0000).data(), 4, QV_BUFFER_DYNAMIC); });
    Frame();
    BatchVertex* held = nullptr;
    OnGameThread([&] {
        Write(buffer, 0, 0xFF00FF00);
        ASSERT_TRUE(g()->LockVertexBuffer(buffer));
        held = static_cast<BatchVertex*>(buffer->data);
    });
    Frame();  // the copy is the game's again: neither written nor freed
    OnGameThread([&] {
        memcpy(held, Square(0, 0xFF0000FF).data(), 4 * sizeof(BatchVertex));
        g()->UnlockVertexBuffer(buffer);
    });
    Frame();
    IndexBuffer* indices = g()->CreateIndexBuffer(kQuad, 6, QV_BUFFER_STATIC);
    EXPECT_TRUE(RegionNear(Frame({buffer}, indices), 0, 0, 16, 16, kBlue, 0));
    EXPECT_TRUE(LogCapture::Texts().empty());
    g()->FreeVertexBuffer(buffer), g()->FreeIndexBuffer(indices);
}

TEST_F(BufferQueues, BuffersAGameThreadFreesWhileTheFrameMakesThemAreReleasedOnce) {
    device_.slowVertexBuffers = true;
    device_.threadingCapabilities = QV_THREADING_RELEASE_SHADERS_AND_BUFFERS;
    std::atomic<bool> done{false};
    std::thread game([&] {
        for (int i = 0; i < 40; ++i) {
            VertexBuffer* buffer = g()->CreateVertexBuffer(7, Square(0, 0xFFFF0000).data(), 4, QV_BUFFER_STATIC);
            Sleep(i % 3);
            g()->FreeVertexBuffer(buffer);
        }
        done = true;
    });
    while (!done) Frame();
    game.join();
    Frame(), Frame();
    EXPECT_EQ(Queued(), 0);
    EXPECT_EQ(device_.CallCount("CreateVertexBuffer"), device_.CallCount("DestroyVertexBuffer"));
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
}

TEST_F(BufferQueues, ARefusedCreationIsDroppedAndARefusedLockLeavesTheBufferUnlocked) {
    device_.refuseIndexBuffers = device_.refuseLocks = true;
    IndexBuffer* refused = nullptr;
    VertexBuffer* vertices = nullptr;
    OnGameThread([&] {
        refused = g()->CreateIndexBuffer(kQuad, 6, QV_BUFFER_STATIC);
        g()->LockIndexBuffer(refused), g()->UnlockIndexBuffer(refused);  // queued for writing too
        vertices = g()->CreateVertexBuffer(7, nullptr, 4, QV_BUFFER_STATIC);
        Write(vertices, 0, 0xFFFF0000);
    });
    Frame();
    EXPECT_EQ(Queued(), 0) << "the refused buffer leaves both its queues";
    EXPECT_TRUE(refused->state & USER_BUFFER_CREATION_FAILED);
    EXPECT_EQ(LogCapture::CountContaining("created no buffer", QV_LOG_ERROR), 1);
    g()->FreeIndexBuffer(refused);
    // The renderer gave no memory for the game's write: reported, the buffer not left locked.
    EXPECT_EQ(LogCapture::CountContaining("gave no memory", QV_LOG_ERROR), 1);
    EXPECT_EQ(vertices->state, 0);
    g()->FreeVertexBuffer(vertices);
    EXPECT_EQ(QVI_GetUserBufferBytes(), 0);
}

}  // namespace
