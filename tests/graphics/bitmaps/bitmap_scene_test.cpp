// Pooled bitmaps in a drawn scene: a bitmap made in code drawn into a pooled render target,
// refreshed while it is bound, and the target released while it is drawn into.
#include <cstring>

#include "graphics/bitmaps/bitmap_pool.h"
#include "graphics/drawing/drawing_fixture.h"

namespace drawing_test {
namespace {

using quaven_test::LogCapture;
using PooledBitmapScene = DrawingTest;

void Fill(Bitmap* bitmap, Rgba8 colour) {
    for (int i = 0; i < bitmap->width * bitmap->height; ++i) memcpy(bitmap->pixels + i * 4, &colour, 4);
}

TEST_F(PooledBitmapScene, ACreatedBitmapDrawsWhatItsPixelsHoldAfterEachRefresh) {
    const QuavenGraphicsAPI* g = qv->graphics;
    const int engineTextures = renderer_.LiveTextureCount();  // the white texture
    BitmapDescription description = {QV_TEXTURE_FORMAT_RGBA8, QV_TEXTURE_TYPE_2D, 1, 0, 4, 4, 1, 0, {}};
    Bitmap* sprite = g->CreateBitmap("sprite", &description);
    description.width = description.height = 16, description.renderTarget = 1;
    Bitmap* target = g->CreateBitmap("scene target", &description);
    ASSERT_TRUE(sprite && target && target->hardware.loaded);
    Fill(sprite, Rgba8{255, 0, 0, 255});
    g->RefreshBitmap(sprite);

    auto drawScene = [&] {
        Frame([&] {
            g->PushRenderTarget(target);
            g->ClearColor(0.0f, 0.0f, 1.0f);
            const float x = 2.0f, y = 3.0f;
            g->DrawBitmap(sprite, &x, &y);
            g->PopRenderTarget();
        });
    };
    drawScene();
    TestImage image = Pixels(target);
    EXPECT_TRUE(RegionNear(image, 2, 3, 6, 7, Rgba8{255, 0, 0, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 0, 0, Rgba8{0, 0, 255, 255}, 0));
    EXPECT_TRUE(PixelNear(image, 6, 7, Rgba8{0, 0, 255, 255}, 0));

    // The old texture is still bound to stage 0 when the refresh replaces it.
    Fill(sprite, Rgba8{0, 255, 0, 255});
    g->RefreshBitmap(sprite);
    EXPECT_EQ(renderer_.unknownTextureUses(), 0);
    drawScene();
    EXPECT_TRUE(RegionNear(Pixels(target), 2, 3, 6, 7, Rgba8{0, 255, 0, 255}, 0));
    EXPECT_EQ(renderer_.unknownTextureUses(), 0);

    // Released while drawn into: the back buffer is bound first.
    g->PushRenderTarget(target);
    g->ReleaseBitmap(target);
    EXPECT_EQ(QVI_GetCurrentRenderTargets()->colour[0], nullptr);
    g->PopRenderTarget();
    EXPECT_EQ(LogCapture::CountPopupsContaining("releasing current render target bitmap 'scene target' is not allowed"),
              1);
    EXPECT_EQ(g->GetBitmapEx("scene target", QV_CACHE_LOOKUP_ONLY), nullptr);
    g->ReleaseBitmap(sprite);
    EXPECT_EQ(renderer_.LiveTextureCount(), engineTextures);
}

}  // namespace
}  // namespace drawing_test
