// Bitmaps named by http:// addresses, fetched from the loopback test server as a game's
// GetBitmap does: downloaded into cache://, decoded, uploaded, and read from the cache later.
#include "platform/windows/win32.h"

#include <string>

#include "filesystem/backends.h"
#include "graphics/bitmaps/bitmap_fixture.h"
#include "net/http_test_server.h"
#include "support/files.h"

namespace bitmap_test {
namespace {

using http_test::Hits;
using http_test::Url;
using quaven_test::LogCapture;

const Rgba8 kRed{255, 0, 0, 255}, kGreen{0, 255, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255};

class BitmapHttp : public BitmapPoolTest {
protected:
    void SetUp() override {
        BitmapPoolTest::SetUp();
        ASSERT_TRUE(QVI_InitFileSystem());
        cache_ = quaven_test::AppDataFolder() + "/" + quaven_test::UniqueName("QuavenHttpCache");
        ASSERT_TRUE(CreateDirectoryA(cache_.c_str(), nullptr));
        g_currentUrlRoots[SCHEME_CACHE].Assign(cache_.c_str());
        LogCapture::Clear();
    }
    void TearDown() override {
        BitmapPoolTest::TearDown();
        quaven_test::RemoveTree(cache_);
        QVI_InitBasePaths();
    }
    static bool Cached(const std::string& url, const char* extension = "") {
        return quaven_test::NativeExists(http_test::CacheFile(url) + extension);
    }
    std::string cache_;
};

TEST_F(BitmapHttp, AnAddressIsDownloadedDrawnFromItsTextureAndLaterReadFromTheCache) {
    ASSERT_GT(http_test::ServerPort(), 0) << "the HTTP test server is not running";
    const std::string url = Url("/art/quadrants.png");
    const int before = Hits("/art/quadrants.png");
    Bitmap* bitmap = g()->GetBitmap(url.c_str());
    ASSERT_NE(bitmap, nullptr);
    ASSERT_TRUE(bitmap->state == BITMAP_READY && bitmap->hardware.loaded);
    EXPECT_TRUE(bitmap->width == 4 && bitmap->height == 4);
    EXPECT_EQ(TexturePixel(bitmap, 0, 0), kRed);
    EXPECT_EQ(TexturePixel(bitmap, 3, 0), kGreen);
    EXPECT_EQ(TexturePixel(bitmap, 0, 3), kBlue);
    EXPECT_EQ(TexturePixel(bitmap, 3, 3), kWhite);
    EXPECT_STREQ(bitmap->sourcePath, QVI_GetHTTPCachePath(url.c_str(), false).text);
    EXPECT_TRUE(Cached(url));
    EXPECT_EQ(LogCapture::CountContaining("Done downloading "), 1);
    EXPECT_EQ(Hits("/art/quadrants.png"), before + 1);

    // Hibernated and asked for again: the cache copy is decoded, the server is not asked.
    g()->ReleaseBitmap(bitmap);
    ASSERT_EQ(bitmap->hardware.loaded, 0);
    EXPECT_EQ(g()->GetBitmap(url.c_str()), bitmap);
    EXPECT_TRUE(bitmap->hardware.loaded);
    EXPECT_EQ(TexturePixel(bitmap, 3, 3), kWhite);
    EXPECT_EQ(Hits("/art/quadrants.png"), before + 1);

    // RefreshBitmap asks the server again, whatever the cache holds.
    const std::string cacheFile = http_test::CacheFile(url);
    const std::string downloaded = quaven_test::ReadNative(cacheFile);
    ASSERT_TRUE(quaven_test::WriteFileIn(cache_, cacheFile.substr(cache_.size() + 1), "not an image"));
    g()->RefreshBitmap(bitmap);
    EXPECT_EQ(Hits("/art/quadrants.png"), before + 2);
    EXPECT_TRUE(bitmap->state == BITMAP_READY && bitmap->hardware.loaded);
    EXPECT_EQ(TexturePixel(bitmap, 0, 3), kBlue);
    EXPECT_EQ(quaven_test::ReadNative(cacheFile), downloaded);
}

TEST_F(BitmapHttp, AnAddressWithoutExtensionTakesTheOneItsContentTypeNames) {
    const std::string url = Url("/art/quadrants?size=4");
    Bitmap* bitmap = g()->GetBitmap(url.c_str());
    ASSERT_TRUE(bitmap && bitmap->hardware.loaded);
    EXPECT_EQ(TexturePixel(bitmap, 0, 0), kRed);
    EXPECT_TRUE(Cached(url, ".png"));
    EXPECT_STREQ(bitmap->sourcePath, (std::string(QVI_GetHTTPCachePath(url.c_str(), false).text) + ".png").c_str());
}

TEST_F(BitmapHttp, FailedDownloadsAreNotSaved) {
    for (const char* path : {"/missing.png", "/cut/art.png"}) {
        Bitmap* bitmap = g()->GetBitmap(Url(path).c_str());
        ASSERT_NE(bitmap, nullptr);
        EXPECT_TRUE(bitmap->state == BITMAP_READY && !bitmap->pixels && !bitmap->hardware.loaded) << path;
        EXPECT_FALSE(Cached(Url(path))) << path;
        EXPECT_EQ(LogCapture::CountPopups("Unable to load bitmap '" + Url(path) + "'.\n"), 1) << path;
    }
    EXPECT_EQ(LogCapture::Count("Download not complete (10% of 1.0KB done, ret -8). Not saving.\n"), 1);
    EXPECT_EQ(LogCapture::Count("Download not complete (100% of 0.0KB done, ret 404). Not saving.\n"), 1);

    const std::string starred = Url("/art/a*.png");
    g()->GetBitmap(starred.c_str());
    EXPECT_EQ(LogCapture::CountPopups("Asterisk character ('*') isn't allowed in http:// url file names such as '" +
                                      starred + "'\n"),
              1);
}

}  // namespace
}  // namespace bitmap_test
