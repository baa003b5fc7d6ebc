// The batch renderer as the renderer sees it: buffers made and given back with the device,
// draws only where the queue fills or the state changes, sampler values in the renderer's
// order, and the engine-filled matrices of a shader.
#include "graphics/drawing/drawing_fixture.h"

#include <algorithm>

#include "graphics/renderer/renderer_buffers.h"

namespace drawing_test {
namespace {

using Batch = DrawingTest;
using quaven_test::LogCapture;
using Numbers = std::vector<double>;

TEST_F(Batch, BuffersComeAndGoWithTheDeviceAndTheQuadIndicesDrawTwoTrianglesPerQuad) {
    QVI_ShutdownRenderer();
    EXPECT_EQ(renderer_.CallCount("DestroyVertexBuffer"), 16 + 2 + 3);
    EXPECT_EQ(renderer_.CallCount("DestroyIndexBuffer"), 2 + 2);
    EXPECT_EQ(g_batch.quadIndexBuffer, nullptr);
    renderer_.ClearCalls();
    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(renderer_.CallCount("CreateVertexBuffer"), 21);
    EXPECT_EQ(LastNumbers("CreateVertexBuffer"), (Numbers{111, 384, 1}));
    EXPECT_EQ(Count("Batch renderer initializing buffers."), 2);
    const uint16_t* quads = reinterpret_cast<HeapIndexBuffer*>(g_batch.quadIndexBuffer)->storage;
    const uint16_t* lines = reinterpret_cast<HeapIndexBuffer*>(g_batch.lineIndexBuffer)->storage;
    EXPECT_EQ(std::vector<uint16_t>(quads, quads + 12), (std::vector<uint16_t>{0, 1, 2, 1, 3, 2, 4, 5, 6, 5, 7, 6}));
    EXPECT_EQ(quads[575], 382);
    EXPECT_EQ(lines[383], 383);
    EXPECT_NE(g_batch.writePointer, nullptr) << "the first buffer waits locked for the first frame";
}

TEST_F(Batch, DrawsOnlyWhenABufferFillsOrTheStateChanges) {
    Frame([&] {
        Rect(0, 0, 1, 1);
        renderer_.ClearCalls();
        for (int i = 1; i < 97; ++i)
            Rect(0, 0, 1, 1);
        std::vector<std::string> names = renderer_.CallNames();  // less the default projection's query
        names.erase(std::remove(names.begin(), names.end(), "GetPixelCenterOffset"), names.end());
        EXPECT_EQ(names, (std::vector<std::string>{"UnlockVertexBuffer", "DrawIndexedTriangles", "LockVertexBuffer"}))
            << "96 quads fill a buffer; the same state costs nothing";
        EXPECT_EQ(LastNumbers("DrawIndexedTriangles"), (Numbers{384, 192}));
        int blend = QV_BLEND_ALPHA;
        qv->graphics->SetBlendMode(blend);
        qv->graphics->SetTextureFilter(QV_FILTER_LINEAR);
        Rect(0, 0, 1, 1);
        EXPECT_EQ(renderer_.CallCount("DrawIndexedTriangles"), 1);
        // A switch between quads and lines draws what was queued in the other mode.
        BatchRenderer::AddLine(&g_batchQuad[0], &g_batchQuad[1]);
        EXPECT_EQ(LastNumbers("DrawIndexedTriangles"), (Numbers{8, 4}));
        Rect(0, 0, 1, 1);
        EXPECT_EQ(LastNumbers("DrawIndexedLines"), (Numbers{1}));
        QV_Draw_Quad(QV_VERTEX_FORMAT_BATCH, g_batchQuad);
        EXPECT_EQ(renderer_.CallCount("DrawIndexedTriangles"), 3) << "format 7 is the batch's: only the flush drew";
        const float big[4][9] = {};
        QV_Draw_Quad(15, big);
        EXPECT_EQ(LastNumbers("DrawIndexedTriangles"), (Numbers{4, 2}));
    });
}

TEST_F(Batch, SamplerValuesReachTheRendererMinificationFirstAndOnlyWhenChanged) {
    Frame([&] {
        qv->graphics->SetTextureStageFilter(1, QV_FILTER_POINT, QV_FILTER_LINEAR, QV_FILTER_ANISOTROPIC);
        qv->graphics->SetTextureAddressMode(2, QV_ADDRESS_WRAP, QV_ADDRESS_MIRROR, QV_ADDRESS_CLAMP);
        qv->graphics->SetBlendMode(QV_BLEND_ADDITIVE);
        renderer_.ClearCalls();
        Rect(0, 0, 1, 1);
        EXPECT_EQ(LastNumbers("SetSamplerFilter"), (Numbers{1, 2, 1, 2})) << "(stage, min, mag, mip); mip 3 is 2";
        EXPECT_EQ(LastNumbers("SetSamplerAddressMode"), (Numbers{2, 2, 3, 1}));
        EXPECT_EQ(LastNumbers("SetBlendMode"), (Numbers{2}));
        EXPECT_EQ(renderer_.CallCount("SetSamplerFilter") + renderer_.CallCount("SetSamplerAddressMode"), 2);
        qv->graphics->SetTextureFilter(QV_FILTER_ANISOTROPIC);
        Rect(0, 0, 1, 1);
        EXPECT_EQ(LastNumbers("SetSamplerFilter"), (Numbers{0, 3, 3, 2}));
        EXPECT_EQ(qv->graphics->GetTextureFilter(), QV_FILTER_ANISOTROPIC);
        // A stage that does not exist is refused and said; values are kept as given and
        // handed on, for the renderer to ignore what it does not know.
        renderer_.ClearCalls();
        qv->graphics->SetTextureStageFilter(4, 1, 1, 1);
        qv->graphics->SetTextureAddressMode(-1, 1, 1, 1);
        Rect(0, 0, 1, 1);
        EXPECT_TRUE(renderer_.Calls().empty());
        EXPECT_EQ(Count("QV_Graphics_SetTextureStageFilter: texture stage 4 does not exist (0 to 3), ignored."), 1);
        qv->graphics->SetTextureFilter(7);
        qv->graphics->SetTextureAddressMode(1, 9, 0, 2);
        qv->graphics->SetBlendMode(9);
        Rect(0, 0, 1, 1);
        EXPECT_EQ(qv->graphics->GetBlendMode(), 9);
        EXPECT_EQ(qv->graphics->GetTextureFilter(), 7);
        EXPECT_EQ(LastNumbers("SetBlendMode"), (Numbers{9}));
        EXPECT_EQ(LastNumbers("SetSamplerFilter"), (Numbers{0, 7, 7, 7}));
        EXPECT_EQ(renderer_.CallCount("SetSamplerAddressMode"), 0) << "a zero in the triple keeps it from the renderer";
    });
    // The next frame starts from clamp, linear and alpha blending, told to the renderer again.
    renderer_.ClearCalls();
    Frame([&] { Rect(0, 0, 1, 1); });
    EXPECT_EQ(renderer_.CallCount("SetSamplerFilter"), 4);
    EXPECT_EQ(LastNumbers("SetSamplerFilter"), (Numbers{3, 2, 2, 2}));
}

TEST_F(Batch, ShaderMatricesAreFilledBeforeADrawAndMarkedChangedOnlyWhenTheyChange) {
    uint8_t values[5][64] = {};
    ShaderConstant entries[6] = {};
    uint8_t untouched[64] = {7};
    for (int i = 0; i < 6; ++i) {
        entries[i].value = i < 5 ? values[i] : untouched, entries[i].size = 64, entries[i].uploaded = 1;
        entries[i].engineKind = i < 5 ? i + 2 : 1;  // kinds 2 to 6 are the engine's
    }
    ShaderConstantTable table = {values[0], entries, 6 * 64, 6};
    const Matrix4 world = Translation(1, 2), view = Translation(10, 20);
    qv->graphics->PushViewTransform(&view);
    qv->graphics->PushWorldTransform(&world);
    uint8_t flag = 1;
    QVI_FillEngineConstants(&table, &flag);
    EXPECT_EQ(flag, 0);
    const Matrix4 projection = QVI_BuildDefaultProjection(), viewWorld = Translation(11, 22);
    Matrix4 viewProjection, all;
    Matrix4::Multiply(&viewProjection, &projection, &view);
    Matrix4::Multiply(&all, &projection, &viewWorld);
    const Matrix4* expected[5] = {&world, &viewWorld, &all, &view, &viewProjection};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(memcmp(values[i], expected[i]->m, 64), 0) << "kind " << i + 2;
        EXPECT_EQ(entries[i].uploaded, 0);
    }
    EXPECT_EQ(untouched[0], 7) << "the game's own constants are left alone";
    flag = 1;
    QVI_FillEngineConstants(&table, &flag);
    EXPECT_EQ(flag, 1) << "nothing changed";
    qv->graphics->PopWorldTransform();
    qv->graphics->PopViewTransform();
}

}  // namespace
}  // namespace drawing_test
