// The bitmap pool as a game meets it through the API table: names, references,
// hibernation, created bitmaps on the device, the pool's limit and bad input.
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "graphics/bitmaps/bitmap_fixture.h"

namespace bitmap_test {
namespace {

using quaven_test::LogCapture;
using BitmapPool = BitmapPoolTest;

TEST_F(BitmapPool, FindsByNameAndCountsReferencesAsEachMemberSays) {
    Bitmap* hero = g()->GetBitmap("sprites/hero.png");
    ASSERT_NE(hero, nullptr);
    EXPECT_EQ(g()->GetBitmap("sprites/hero.png"), hero);
    EXPECT_EQ(hero->header.refCount, 1);  // GetBitmap takes its reference once
    // Image files arrive later: the load fails, the record is ready without pixels.
    EXPECT_TRUE(hero->state == BITMAP_READY && !hero->pixels && !hero->hardware.loaded);
    EXPECT_EQ(LogCapture::CountPopups("Unable to load bitmap 'sprites/hero.png'.\n"), 1);

    Bitmap* enemy = g()->LoadBitmap("sprites/enemy", QV_CACHE_TEXTURE);
    EXPECT_EQ(g()->LoadBitmap("sprites/enemy", QV_CACHE_TEXTURE), enemy);
    EXPECT_EQ(enemy->header.refCount, 2);  // LoadBitmap counts every call
    EXPECT_EQ(LogCapture::CountPopups("Unable to load bitmap 'sprites/enemy' without extension. Tried all image "
                                      "formats but found no source files."),
              1);

    const int used = g()->GetBitmapCount();
    EXPECT_EQ(g()->GetBitmapEx("nowhere.png", QV_CACHE_LOOKUP_ONLY), nullptr);
    EXPECT_EQ(g()->GetBitmapEx("sprites/hero.png", QV_CACHE_LOOKUP_ONLY), hero);
    Bitmap* later = g()->GetBitmapEx("later.png", QV_CACHE_NOTHING);
    EXPECT_TRUE(later->header.refCount == 0 && later->state == BITMAP_REGISTERED);
    EXPECT_EQ(g()->GetBitmapCount(), used + 1);
    const int slot = later->header.slot;
    EXPECT_EQ(g()->GetBitmapByHandle(&slot), later);

    EXPECT_STREQ(g()->GetBitmapEx(nullptr, QV_CACHE_NOTHING)->header.name, "!NONE");
    EXPECT_EQ(g()->GetBitmapEx("/later.png", QV_CACHE_NOTHING), later);
    EXPECT_EQ(LogCapture::CountPopups("Bitmap '/later.png' name path starting with '/'. Not allowed."), 1);
}

TEST_F(BitmapPool, ReleasingToZeroHibernatesLoadedBitmapsAndFreesCreatedOnes) {
    Bitmap* background = g()->LoadBitmap("level/background.png", QV_CACHE_TEXTURE);
    g()->LoadBitmap("level/background.png", QV_CACHE_TEXTURE);
    g()->ReleaseBitmap(background);
    EXPECT_EQ(background->header.refCount, 1);
    g()->ReleaseBitmap(background);
    EXPECT_EQ(LogCapture::Count("Hibernating bitmap 'level/background.png'.."), 1);
    EXPECT_STREQ(background->header.name, "level/background.png");
    EXPECT_TRUE(background->state == BITMAP_REGISTERED && background->cacheMode == QV_CACHE_NOTHING);
    g()->ReleaseBitmap(background);
    EXPECT_EQ(background->header.refCount, 0);
    EXPECT_EQ(LogCapture::CountPopups("Bitmap 'level/background.png' reference count less than zero."), 1);

    // GetBitmap's one reference, given back, is taken again by the next GetBitmap.
    Bitmap* sky = g()->GetBitmap("level/sky.png");
    g()->ReleaseBitmap(sky);
    EXPECT_EQ(LogCapture::CountPopupsContaining("Releasing bitmap 'level/sky.png' too many times"), 1);
    EXPECT_EQ(g()->GetBitmap("level/sky.png"), sky);
    EXPECT_TRUE(sky->header.refCount == 1 && sky->state == BITMAP_READY);

    Bitmap* canvas = Filled("canvas", 4, 4, Rgba8{10, 20, 30, 255});
    ASSERT_TRUE(canvas && canvas->hardware.loaded);
    EXPECT_EQ(Textures(), 1);
    g()->ReleaseBitmap(canvas);
    EXPECT_EQ(canvas->header.name, nullptr);
    EXPECT_EQ(Textures(), 0);
    EXPECT_EQ(LogCapture::Count("Releasing bitmap 'canvas'.."), 1);
}

TEST_F(BitmapPool, ReferenceCountsSaturate) {
    Bitmap* tile = g()->LoadBitmap("tile.png", QV_CACHE_NOTHING);
    const uint32_t many = 4095;
    g()->IncreaseBitmapReferenceCount(tile, &many);
    EXPECT_EQ(tile->header.refCount, 4095);
    g()->LoadBitmap("tile.png", QV_CACHE_TEXTURE);
    g()->LoadBitmap("tile.png", QV_CACHE_TEXTURE);
    EXPECT_EQ(tile->header.refCount, 4096);
    EXPECT_EQ(LogCapture::CountPopups("Bitmap 'tile.png' reference count suspiciously high: capping at 4096."), 1);
    const uint32_t huge = 4000000000u;
    g()->IncreaseBitmapReferenceCount(tile, &huge);
    EXPECT_EQ(tile->header.refCount, 32767);
}

TEST_F(BitmapPool, HoldsExactly3072AndReusesHolesWithoutDuplicates) {
    const int free = kBitmapPoolSize - g()->GetBitmapCount();
    for (int i = 0; i < free; ++i)
        ASSERT_NE(g()->GetBitmapEx(("slot" + std::to_string(i)).c_str(), QV_CACHE_NOTHING), nullptr) << i;
    EXPECT_EQ(g()->GetBitmapEx("one too many", QV_CACHE_NOTHING), nullptr);
    EXPECT_EQ(LogCapture::CountPopups(" ! Quaven out of free bitmaps."), 1);
    const BitmapDescription description = Description(2, 2);
    EXPECT_EQ(g()->CreateBitmap("also too many", &description), nullptr);
    EXPECT_EQ(LogCapture::CountPopups("Failed to create bitmap 'also too many': Quaven is out of free bitmaps."), 1);
    EXPECT_EQ(g()->GetBitmapCount(), kBitmapPoolSize);

    Bitmap* removed = g()->GetBitmapEx("slot100", QV_CACHE_LOOKUP_ONLY);
    const int hole = removed->header.slot;
    g()->RemoveBitmapHandle(removed);
    EXPECT_EQ(g()->GetBitmapByHandle(&hole), nullptr);
    // Names past the hole are found where they are; only a new name takes the hole.
    Bitmap* existing = g()->GetBitmapEx("slot3000", QV_CACHE_LOOKUP_ONLY);
    EXPECT_EQ(g()->GetBitmapEx("slot3000", QV_CACHE_NOTHING), existing);
    EXPECT_GT(existing->header.slot, hole);
    // So does CreateBitmap, before it looks at the size: 0x0 is the registered record's own.
    const BitmapDescription registeredSize = Description(0, 0);
    EXPECT_EQ(g()->CreateBitmap("slot3000", &registeredSize), existing);
    EXPECT_EQ(existing->header.refCount, 1);
    Bitmap* newcomer = g()->CreateBitmap("newcomer", &description);
    ASSERT_NE(newcomer, nullptr);
    EXPECT_EQ(newcomer->header.slot, hole);
    EXPECT_EQ(g()->GetBitmapCount(), kBitmapPoolSize);
}

TEST_F(BitmapPool, BadInputIsLoggedAndRefusedBeforeTheDevice) {
    renderer_.maximumTextureSize = 256;
    const int used = g()->GetBitmapCount();
    // Only what has no record to give is refused: no description, and pixels of a side
    // below 1 or past what the image loader holds.
    BitmapDescription description = Description(-4, 8);
    EXPECT_EQ(g()->CreateBitmap("negative", &description), nullptr);
    description = Description(70000, 1);
    EXPECT_EQ(g()->CreateBitmap("wider than images", &description), nullptr);
    EXPECT_EQ(g()->CreateBitmap("none", nullptr), nullptr);
    EXPECT_EQ(g()->GetBitmapCount(), used);
    EXPECT_EQ(LogCapture::CountContaining("has invalid size -4x8"), 1);
    EXPECT_EQ(LogCapture::CountContaining("has no description"), 1);

    Bitmap* canvas = Filled("canvas", 8, 8, Rgba8{1, 2, 3, 255});
    g()->ResizeBitmap(canvas, -1, 5);
    EXPECT_TRUE(canvas->width == 8 && canvas->height == 8);
    EXPECT_EQ(LogCapture::CountContaining("can't be resized to"), 1);
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 0);
    EXPECT_EQ(renderer_.CallCount("CreateTexture"), 1);

    // A plain bitmap larger than the device's textures has its pixels; only its upload fails,
    // until it is resized to a size the device takes.
    description = Description(512, 8);
    Bitmap* wide = g()->CreateBitmap("wide", &description);
    ASSERT_TRUE(wide && wide->pixels && wide->width == 512);
    memset(wide->pixels, 0xFF, 512 * 8 * 4);
    g()->RefreshBitmap(wide);
    EXPECT_FALSE(wide->hardware.loaded);
    EXPECT_EQ(LogCapture::Count("Unable to upload bitmap 'wide' (512x8) to renderer."), 1);
    g()->ResizeBitmap(canvas, 300, 2);
    EXPECT_TRUE(canvas->width == 300 && canvas->height == 2 && canvas->pixels);
    g()->ResizeBitmap(wide, 256, 4);
    g()->RefreshBitmap(wide);
    ASSERT_TRUE(wide->hardware.loaded);
    EXPECT_EQ(TexturePixel(wide, 255, 3), (Rgba8{255, 255, 255, 255}));

    // A null bitmap is a log line for every member, never a crash.
    const uint32_t one = 1;
    LogCapture::Clear();
    g()->ReleaseBitmap(nullptr);
    g()->RefreshBitmap(nullptr);
    g()->ResizeBitmap(nullptr, 4, 4);
    g()->SetBitmapCacheMode(nullptr, QV_CACHE_TEXTURE);
    g()->SetBitmapFrame(nullptr, 1);
    g()->SetBitmapRegion(nullptr, 0, 0, 1, 1);
    g()->IncreaseBitmapReferenceCount(nullptr, &one);
    g()->RemoveBitmapHandle(nullptr);
    EXPECT_FALSE(g()->SaveBitmap(nullptr, "user://x.png", 90));
    EXPECT_FALSE(g()->CopyBitmapRenderTargetDataToPixels(nullptr));
    EXPECT_EQ(g()->GetBitmapByHandle(nullptr), nullptr);
    EXPECT_EQ(LogCapture::Lines().size(), 11u);
}

// A name the pool holds is the game's bitmap whatever the new description says: one more
// reference, and resized to the new size when ResizeBitmap takes it.
TEST_F(BitmapPool, CreatingANameThePoolHoldsRaisesItsCountAndResizesIt) {
    Bitmap* canvas = Filled("canvas", 8, 8, Rgba8{10, 20, 30, 255});
    ASSERT_NE(canvas, nullptr);
    const uint8_t* pixels = canvas->pixels;
    const int used = g()->GetBitmapCount();
    BitmapDescription description = Description(8, 8);
    EXPECT_EQ(g()->CreateBitmap("canvas", &description), canvas);
    EXPECT_EQ(canvas->pixels, pixels) << "same size: nothing is allocated or scaled";
    // Sizes a new bitmap could not have, and pixels the loader cannot give, refuse only the
    // resize.
    for (const BitmapDescription& refused : {Description(-4, 8), Description(4, 0), Description(70000, 1)}) {
        EXPECT_EQ(g()->CreateBitmap("canvas", &refused), canvas);
        EXPECT_TRUE(canvas->width == 8 && canvas->height == 8 && canvas->pixels == pixels);
    }
    EXPECT_EQ(LogCapture::CountContaining("can't be resized to -4x8"), 1);
    EXPECT_EQ(LogCapture::CountContaining("can't be resized to 4x0"), 1);
    EXPECT_EQ(LogCapture::CountContaining("has invalid size"), 0);
    EXPECT_EQ(LogCapture::CountContaining("..creating bitmap 'canvas'"), 5);
    description = Description(1, 2);
    EXPECT_EQ(g()->CreateBitmap("canvas", &description), canvas);
    ASSERT_TRUE(canvas->width == 1 && canvas->height == 2 && canvas->pixels);
    const uint8_t* scaled = canvas->pixels + 4;  // the filter may round by one step
    EXPECT_TRUE(abs(scaled[0] - 10) <= 1 && abs(scaled[1] - 20) <= 1 && abs(scaled[2] - 30) <= 1 && scaled[3] == 255)
        << "the pixels scaled, not made anew";
    EXPECT_EQ(canvas->header.refCount, 6);
    EXPECT_EQ(g()->GetBitmapCount(), used);
    for (int i = 0; i < 5; ++i) g()->ReleaseBitmap(canvas);
    EXPECT_STREQ(canvas->header.name, "canvas") << "each creation holds a reference";
    g()->ReleaseBitmap(canvas);
    EXPECT_EQ(canvas->header.name, nullptr);

    // A new plain bitmap needs a side of at least 1; a render target of a name the pool
    // holds keeps its size when asked for less.
    description = Description(1, 0);
    EXPECT_EQ(g()->CreateBitmap("flat", &description), nullptr);
    EXPECT_EQ(LogCapture::CountContaining("'flat' has invalid size 1x0"), 1);
    description = Description(1, 1);
    Bitmap* dot = g()->CreateBitmap("flat", &description);
    ASSERT_TRUE(dot && dot->pixels && dot->width == 1 && dot->height == 1);
    description = Description(16, 16, true);
    Bitmap* target = g()->CreateBitmap("target", &description);
    ASSERT_TRUE(target && target->hardware.loaded);
    description = Description(0, 16, true);
    EXPECT_EQ(g()->CreateBitmap("target", &description), target);
    EXPECT_TRUE(target->width == 16 && target->hardware.loaded && target->header.refCount == 2);
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 1);
}

// Game threads creating the same names at once share one record per name.
TEST_F(BitmapPool, ThreadsCreatingOneNameShareOneRecord) {
    const int kThreads = 4, kNames = 100;
    const int used = g()->GetBitmapCount();
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            const BitmapDescription description = Description(128, 128);
            for (int i = 0; i < kNames; ++i) g()->CreateBitmap(("shared" + std::to_string(i)).c_str(), &description);
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(g()->GetBitmapCount(), used + kNames);
    for (int i = 0; i < kNames; ++i) {
        Bitmap* bitmap = g()->GetBitmapEx(("shared" + std::to_string(i)).c_str(), QV_CACHE_LOOKUP_ONLY);
        ASSERT_TRUE(bitmap && bitmap->pixels) << i;
        EXPECT_EQ(bitmap->header.refCount, kThreads) << i;
    }
}

// What the device cannot make still has its record, as the game may hold on to it: a
// description the device could never take is returned unfinished, a render target the
// device refuses is returned ready without its GPU target, quietly; a mode is a bit set.
TEST_F(BitmapPool, DescriptionsTheDeviceCannotTakeStillGetTheirRecords) {
    renderer_.maximumTextureSize = 256;
    BitmapDescription description = Description(512, 8, true);
    Bitmap* huge = g()->CreateBitmap("huge target", &description);
    ASSERT_NE(huge, nullptr);
    EXPECT_TRUE(huge->state == BITMAP_READY && !huge->hardware.loaded && (huge->flags & kBitmapRenderTarget));
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 1);
    description = Description(8, 8, true);
    description.textureType = 7;
    Bitmap* oddType = g()->CreateBitmap("odd type", &description);
    ASSERT_TRUE(oddType && oddType->state == BITMAP_READY && !oddType->hardware.loaded);
    description = Description(8, 8, true, 99);
    Bitmap* oddFormat = g()->CreateBitmap("odd format", &description);
    ASSERT_TRUE(oddFormat && oddFormat->state == BITMAP_READY && !oddFormat->hardware.loaded);
    for (const quaven_test::LoggedLine& line : LogCapture::Lines())
        EXPECT_EQ(line.level, QV_LOG_INFO) << "the device's refusal is not reported: " << line.text;
    EXPECT_EQ(LogCapture::CountContaining("..creating bitmap"), 3);

    // A plain bitmap of an unknown format has its pixels to fill like any other.
    description = Description(4, 2, false, 99);
    Bitmap* plain = g()->CreateBitmap("plain odd format", &description);
    ASSERT_TRUE(plain && plain->state == BITMAP_READY && plain->pixels && plain->format == 99);
    memset(plain->pixels, 0x7F, 4 * 2 * 4);

    description = Description(8, 8, true, QV_TEXTURE_FORMAT_D16);
    description.textureType = QV_TEXTURE_TYPE_CUBE;
    Bitmap* depthCube = g()->CreateBitmap("depth cube", &description);
    ASSERT_NE(depthCube, nullptr);
    EXPECT_TRUE(depthCube->state == BITMAP_REGISTERED && !depthCube->hardware.loaded) << "unfinished";
    EXPECT_EQ(LogCapture::CountPopups("Depth formats (QV_TEXTURE_FORMAT_D*_FLOAT) are supported with 2D textures only."),
              1);
    description = Description(16, 90);
    description.textureType = QV_TEXTURE_TYPE_CUBE;
    Bitmap* badCube = g()->CreateBitmap("bad cube", &description);
    ASSERT_TRUE(badCube && badCube->state == BITMAP_REGISTERED && !badCube->pixels);
    EXPECT_EQ(LogCapture::CountPopups("The width and height of cube map 'bad cube' do not match."), 1);
    EXPECT_EQ(renderer_.CallCount("CreateRenderTarget"), 3) << "unfinished records never reach the device";

    // Resized to a size the device takes, the target gets its GPU target; past it, loses it.
    g()->ResizeBitmap(huge, 200, 8);
    EXPECT_TRUE(huge->width == 200 && huge->hardware.loaded);
    g()->ResizeBitmap(huge, 300, 8);
    EXPECT_TRUE(huge->width == 300 && huge->textureWidth == 300 && !huge->hardware.loaded);
    EXPECT_EQ(LogCapture::CountContaining("can't be resized"), 0);

    // A new record with a mode is checked whether it has frames or not: a cube map named
    // so, whose image never arrived, is reported when it is asked for.
    Bitmap* sky = g()->GetBitmap("env/sky_CUBE.png");
    ASSERT_TRUE(sky && sky->textureType == QV_TEXTURE_TYPE_CUBE);
    EXPECT_EQ(LogCapture::CountPopups("Cube map 'env/sky_CUBE.png' must have power of two dimensions."), 1);
    g()->GetBitmapEx("env/later_CUBE.png", QV_CACHE_NOTHING);
    EXPECT_EQ(LogCapture::CountPopupsContaining("later_CUBE"), 0) << "a registered name is not checked";
}

// Cache modes are bits: 2 keeps pixels, 4 the texture, and only 16 itself looks up.
TEST_F(BitmapPool, CacheModesAreBitSetsAndNoModeIsStoredAsTheReuploadMarker) {
    Bitmap* canvas = Filled("canvas", 2, 2, Rgba8{9, 8, 7, 255});
    ASSERT_TRUE(canvas->pixels && canvas->hardware.loaded);
    g()->SetBitmapCacheMode(canvas, 5);  // texture bit without the pixel bit
    EXPECT_EQ(canvas->cacheMode, 5);
    EXPECT_TRUE(canvas->pixels && canvas->hardware.loaded) << "a created bitmap keeps what it cannot reload";
    g()->SetBitmapCacheMode(canvas, 255);
    EXPECT_NE(canvas->cacheMode, kCacheModeReuploadMarker);
    EXPECT_EQ(canvas->cacheMode & 0xFE, 0xFE) << "every meaningful bit kept";

    const int used = g()->GetBitmapCount();
    EXPECT_EQ(g()->GetBitmapEx("not yet.png", QV_CACHE_LOOKUP_ONLY), nullptr);
    EXPECT_EQ(g()->GetBitmapCount(), used);
    Bitmap* withLookupBit = g()->GetBitmapEx("not yet.png", 20);
    ASSERT_NE(withLookupBit, nullptr) << "20 registers and loads like 4";
    EXPECT_TRUE(withLookupBit->cacheMode == 20 && withLookupBit->header.refCount == 1 &&
                withLookupBit->state == BITMAP_READY);
    EXPECT_EQ(LogCapture::CountPopups("Unable to load bitmap 'not yet.png'.\n"), 1);
    Bitmap* odd = g()->LoadBitmap("odd mode.png", 99);
    ASSERT_TRUE(odd && odd->cacheMode == 99 && odd->header.refCount == 1);
    EXPECT_EQ(g()->LoadBitmap("odd mode.png", 16), odd);
    EXPECT_EQ(odd->header.refCount, 1) << "16 only looks up";
}

}  // namespace
}  // namespace bitmap_test
