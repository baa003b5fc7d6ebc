// Bitmaps on the device: what a created bitmap's texture shows, render targets across a
// renderer re-initialisation and read back, and GPU work from other threads or while the
// device is down.
#include <cstring>
#include <thread>

#include "core/events/event_queue.h"
#include "graphics/bitmaps/bitmap_fixture.h"

namespace bitmap_test {
namespace {

using quaven_test::LogCapture;
using BitmapUpload = BitmapPoolTest;

const Rgba8 kRed = {255, 0, 0, 255};

TEST_F(BitmapUpload, TheTextureShowsThePixelsTheGameFilledAfterEachRefresh) {
    const BitmapDescription description = Description(8, 4);
    Bitmap* canvas = g()->CreateBitmap("canvas", &description);
    ASSERT_NE(canvas, nullptr);
    EXPECT_TRUE(canvas->cacheMode == QV_CACHE_PIXELS_AND_TEXTURE && canvas->pixels && !canvas->hardware.loaded);
    for (int y = 0; y < 4; ++y) {
        for (int x = 0; x < 8; ++x) {
            const Rgba8 pixel = {uint8_t(x * 30), uint8_t(y * 60), 7, 255};
            memcpy(canvas->pixels + (y * 8 + x) * 4, &pixel, 4);
        }
    }
    g()->RefreshBitmap(canvas);
    ASSERT_TRUE(canvas->hardware.loaded);
    EXPECT_EQ(TexturePixel(canvas, 3, 2), (Rgba8{90, 120, 7, 255}));

    memcpy(canvas->pixels, &kRed, 4);
    g()->RefreshBitmap(canvas);
    EXPECT_EQ(TexturePixel(canvas, 0, 0), kRed);
    EXPECT_EQ(Textures(), 1);  // the old texture went first

    // Resizing scales the pixels; the next refresh uploads them at the new size.
    g()->ResizeBitmap(canvas, 4, 2);
    EXPECT_TRUE(canvas->width == 4 && canvas->textureHeight == 2);
    g()->RefreshBitmap(canvas);
    TestImage image;
    ASSERT_TRUE(renderer_.ReadRenderTargetPixels(canvas, &image));
    EXPECT_TRUE(image.width == 4 && image.height == 2);
    // Re-creating it under its name counts a reference and resizes it back.
    EXPECT_EQ(g()->CreateBitmap("canvas", &description), canvas);
    EXPECT_TRUE(canvas->header.refCount == 2 && canvas->width == 8);
}

TEST_F(BitmapUpload, RenderTargetsSurviveARendererReinitialisationWithTheirEvent) {
    const BitmapDescription targetDescription = Description(64, 32, true);
    Bitmap* target = g()->CreateBitmap("target", &targetDescription);
    ASSERT_TRUE(target && target->hardware.loaded && (target->flags & kBitmapRenderTarget));
    Bitmap* kept = Filled("kept", 2, 2, kRed);
    // Every bit set: the mode must not be kept as the byte set-up marks bitmaps with, or
    // re-applying it would change nothing and leave the bitmap without its texture.
    g()->SetBitmapCacheMode(kept, 255);
    g()->GetBitmapEx("unreferenced.png", QV_CACHE_NOTHING);
    // A depth target on a device without D32F falls back to D24S8.
    renderer_.unsupportedFormats = {QV_TEXTURE_FORMAT_D32F};
    const BitmapDescription depthDescription = Description(64, 32, true, QV_TEXTURE_FORMAT_D32F);
    Bitmap* depth = g()->CreateBitmap("depth", &depthDescription);
    EXPECT_TRUE(depth->hardware.loaded && depth->format == QV_TEXTURE_FORMAT_D24S8);
    Array<EngineEvent> events;
    QVI_TakeQueuedEvents(events);

    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(renderer_.CallCount("Shutdown"), 1);
    EXPECT_TRUE(target->hardware.loaded && depth->hardware.loaded && kept->hardware.loaded);
    EXPECT_NE(kept->cacheMode, kCacheModeReuploadMarker);
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 4);
    EXPECT_EQ(Textures(), 3);
    EXPECT_EQ(TexturePixel(kept, 1, 1), kRed);
    QVI_TakeQueuedEvents(events);
    int recreated = 0;
    for (int i = 0; i < events.count; ++i) {
        Bitmap* bitmap = nullptr;
        memcpy(&bitmap, events.data[i].payload, sizeof bitmap);
        recreated += events.data[i].type == kRenderTargetRecreatedEvent && (bitmap == target || bitmap == depth);
    }
    EXPECT_EQ(recreated, 2);
}

TEST_F(BitmapUpload, RenderTargetsReadBackThroughTheRenderer) {
    const BitmapDescription description = Description(4, 4, true);
    Bitmap* target = g()->CreateBitmap("target", &description);
    RenderTargetSet targets = {};
    targets.colour[0] = target;
    renderer_.SetRenderTargets(&targets);
    renderer_.ClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    EXPECT_FALSE(g()->SaveBitmap(target, "user://target.png", 90));
    EXPECT_EQ(LogCapture::Count("Unable to save bitmap as pixels data is null."), 1);
    ASSERT_TRUE(g()->CopyBitmapRenderTargetDataToPixels(target));
    ASSERT_NE(target->pixels, nullptr);
    EXPECT_TRUE(target->pixels[0] == 0 && target->pixels[1] == 255 && target->pixels[15 * 4 + 3] == 255);

    Bitmap* plain = Filled("plain", 2, 2, kRed);
    EXPECT_FALSE(g()->CopyBitmapRenderTargetDataToPixels(plain));
    const BitmapDescription floats = Description(4, 4, true, QV_TEXTURE_FORMAT_RGBA16F);
    EXPECT_FALSE(g()->CopyBitmapRenderTargetDataToPixels(g()->CreateBitmap("floats", &floats)));
    EXPECT_EQ(LogCapture::Count("Unsupported texture format in CopyBitmapRenderTargetDataToPixels."), 1);
    EXPECT_EQ(renderer_.CallCount("CopyRenderTargetToPixels"), 1);
}

TEST_F(BitmapUpload, OtherThreadsQueueTheirDeviceWork) {
    Bitmap* sprite = Filled("sprite", 2, 2, kRed);
    TextureHardwareData* texture = sprite->hardware.rendererData;
    const BitmapDescription description = Description(16, 16, true);
    const BitmapDescription smallTarget = Description(8, 8, true);
    Bitmap* resized = g()->CreateBitmap("resized", &smallTarget);
    Bitmap* target = nullptr;
    std::thread([&] {
        g()->ReleaseBitmap(sprite);
        // Resized here, it waits in the upload queue with its old texture; released, it
        // leaves the queue and the old texture goes to the release queue.
        g()->ResizeBitmap(resized, 16, 16);
        g()->ReleaseBitmap(resized);
        target = g()->CreateBitmap("game thread target", &description);
        g()->RefreshBitmap(target);
    }).join();
    // The records are free at once; their textures wait for the main thread.
    EXPECT_EQ(g()->GetBitmapEx("sprite", QV_CACHE_LOOKUP_ONLY), nullptr);
    ASSERT_EQ(g_bitmapReleaseQueue.count, 2);
    EXPECT_EQ(g_bitmapReleaseQueue.data[0]->rendererData, texture);
    EXPECT_EQ(Textures(), 2);
    EXPECT_EQ(DrainReleaseQueue(), 2);
    EXPECT_EQ(Textures(), 0);

    ASSERT_NE(target, nullptr);
    EXPECT_EQ(g_bitmapUploadQueue.count, 1);
    EXPECT_TRUE(g_bitmapUploadQueue.Contains(target) && !target->hardware.loaded);
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 1);
    EXPECT_EQ(LogCapture::CountPopups("Refreshing bitmaps from another thread than main has not been tested properly "
                                      "yet. Not refreshing bitmap."),
              1);
    // Other threads only asked questions; the device was used from this one.
    for (const RendererCall& call : renderer_.Calls()) {
        if (strncmp(call.name, "Get", 3) != 0) {
            EXPECT_EQ(call.threadId, GetCurrentThreadId()) << call.ToString();
        }
    }

    // Without reference counting a release frees at once, which another thread may not do:
    // it is told so, and the bitmap stays whole until the main thread releases it.
    g_core.referenceCounting = 0;
    Bitmap* kept = Filled("kept", 2, 2, kRed);
    std::thread([&] { g()->ReleaseBitmap(kept); }).join();
    EXPECT_EQ(LogCapture::CountPopups("QV_Graphics_ReleaseBitmap 'kept' without reference counting is not possible "
                                      "from non-main thread."),
              1);
    EXPECT_TRUE(kept->header.name && kept->pixels && kept->hardware.loaded && g_bitmapReleaseQueue.count == 0);
    EXPECT_EQ(TexturePixel(kept, 1, 1), kRed);
    g()->ReleaseBitmap(kept);
    EXPECT_EQ(kept->header.name, nullptr);
    EXPECT_EQ(Textures(), 0);
}

TEST_F(BitmapUpload, UploadsWaitWhileTheDeviceIsDown) {
    Bitmap* sprite = Filled("sprite", 2, 2, kRed);
    QVI_ShutdownRenderer();
    EXPECT_FALSE(sprite->hardware.loaded);
    renderer_.ClearCalls();
    g()->RefreshBitmap(sprite);
    const BitmapDescription description = Description(8, 8, true);
    Bitmap* target = g()->CreateBitmap("target", &description);
    EXPECT_EQ(renderer_.CallCount("CreateTexture") + renderer_.CallCount("CreateRenderTarget"), 0);
    EXPECT_TRUE(g_bitmapUploadQueue.Contains(sprite));

    ASSERT_TRUE(QVI_InitRenderer());
    EXPECT_EQ(LogCapture::Count("Bitmap 'sprite' already queued for upload."), 1);
    EXPECT_TRUE(target->hardware.loaded);  // made by renderer set-up
}

}  // namespace
}  // namespace bitmap_test
