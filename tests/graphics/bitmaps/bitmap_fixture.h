// The bitmap tests' ground: the engine's table with reference counting on, and the tests'
// renderer brought up through renderer set-up, so bitmaps reach a device as in a game.
#pragma once

#include <cstdlib>
#include <cstring>

#include "core/locks.h"
#include "graphics/bitmaps/bitmap_pool.h"
// Before anything that declares the API table: <windows.h> (through the tests' renderer)
// renames LoadBitmap, and the table must be declared with the same name.
#include "graphics/setup/setup_fixture.h"
#include "graphics/drawing/batch_renderer.h"
#include "graphics/renderer/texture_description.h"

namespace bitmap_test {

class BitmapPoolTest : public setup_test::RendererSetupTest {
protected:
    void SetUp() override {
        RendererSetupTest::SetUp();
        g_core.referenceCounting = 1;
        Select(640, 480, true);
        ASSERT_TRUE(QVI_InitRenderer());
        // Renderer set-up makes the white texture the batch renderer samples for "none".
        engineTextures_ = renderer_.LiveTextureCount();
        renderer_.ClearCalls();
        quaven_test::LogCapture::Clear();
    }
    void TearDown() override {
        for (int slot = 0; slot < g()->GetBitmapCount(); ++slot) {
            Bitmap* bitmap = g()->GetBitmapByHandle(&slot);
            if (bitmap && bitmap != g_batch.whiteTexture) g()->RemoveBitmapHandle(bitmap);
        }
        DrainReleaseQueue();
        g_bitmapUploadQueue.Release();
        RendererSetupTest::TearDown();
    }

    static const QuavenGraphicsAPI* g() { return qv->graphics; }
    // Textures on the device beside the engine's own.
    int Textures() const { return renderer_.LiveTextureCount() - engineTextures_; }

    // The frame's part: textures released from other threads are given back here.
    static int DrainReleaseQueue() {
        const int count = g_bitmapReleaseQueue.count;
        for (int i = 0; i < count; ++i) {
            QVI_CallRendererToFreeBitmap(g_bitmapReleaseQueue.data[i]);
            free(g_bitmapReleaseQueue.data[i]);
        }
        g_bitmapReleaseQueue.count = 0;
        return count;
    }

    static BitmapDescription Description(int width, int height, bool renderTarget = false,
                                         int format = QV_TEXTURE_FORMAT_RGBA8) {
        return QVI_Single2DDescription(format, width, height, renderTarget);
    }

    // A bitmap made in code, every pixel the colour, uploaded.
    Bitmap* Filled(const char* name, int width, int height, Rgba8 colour) {
        const BitmapDescription description = Description(width, height);
        Bitmap* bitmap = g()->CreateBitmap(name, &description);
        if (!bitmap) return nullptr;
        for (int i = 0; i < width * height; ++i) memcpy(bitmap->pixels + i * 4, &colour, 4);
        g()->RefreshBitmap(bitmap);
        return bitmap;
    }

    Rgba8 TexturePixel(const Bitmap* bitmap, int x, int y) const {
        TestImage image;
        return renderer_.ReadRenderTargetPixels(bitmap, &image) ? image.At(x, y) : Rgba8{1, 2, 3, 4};
    }

    int engineTextures_ = 0;
};

}  // namespace bitmap_test
