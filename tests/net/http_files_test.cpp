// http:// paths through the file system: downloaded once into cache:// under a name made from
// the url, read from there afterwards, and nothing left in the cache when a download fails.
#include "platform/windows/win32.h"

#include <string>
#include <thread>
#include <vector>

#include "filesystem/fs_test_support.h"
#include "net/http_test_server.h"

namespace http_test {
namespace {

using quaven_test::LogCapture;

class HttpFiles : public fs_test::FileSystemTest {
protected:
    static QVFileSystem::System* Http() { return QVI_GetFileSystemBackend(SCHEME_HTTP); }

    // What OpenFile hands out for an http:// path: the back end's file, read whole and closed
    // through the cache back end as the API's CloseFile does; "<missing>" when none opens.
    static std::string ReadUrl(const std::string& url) {
        QVFileSystem::File* file = Http()->OpenFile(SCHEME_HTTP, String(url.c_str()), FILE_MODE_READ);
        if (!file) return "<missing>";
        std::string contents(file->size, '\0');
        contents.resize(file->Read(&contents[0], file->size));
        EXPECT_EQ(file->scheme, SCHEME_CACHE);
        QVI_GetFileSystemBackend(file->scheme)->CloseFile(file);
        return contents;
    }

    // How many files the cache folder holds, temporaries included.
    static int CacheFiles() {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((std::string(g_currentUrlRoots[SCHEME_CACHE].text) + "/*").c_str(), &found);
        int files = 0;
        for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
            files += !(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
        FindClose(search);
        return files;
    }
};

TEST_F(HttpFiles, ADownloadLandsInTheCacheOnceAndIsReadFromThere) {
    ASSERT_GT(ServerPort(), 0) << "the HTTP test server is not running";
    const std::string url = Url("/files/level-1.txt");
    const int before = Hits("/files/level-1.txt");
    EXPECT_EQ(ReadUrl(url), "file at /files/level-1.txt");
    EXPECT_EQ(LogCapture::Count("File System: downloading file '" + url + "'..."), 1);
    EXPECT_EQ(LogCapture::Count("File System: downloading file '" + url + "' completed (26 bytes)."), 1);

    // The copy is an ordinary cache file, readable through the game's view.
    const std::string cachePath = QVI_GetHTTPCachePath(url.c_str(), false).text;
    EXPECT_EQ(cachePath, "cache://http___127.0.0.1_" + std::to_string(ServerPort()) + "_files_level-1.txt");
    EXPECT_EQ(ReadThrough(cachePath.c_str()), "file at /files/level-1.txt");
    EXPECT_EQ(ReadThrough(cachePath.c_str()), quaven_test::ReadNative(CacheFile(url)));

    // Later opens and existence tests read the copy: the server is not asked again.
    EXPECT_EQ(ReadUrl(url), "file at /files/level-1.txt");
    EXPECT_TRUE(Http()->FileExists(SCHEME_HTTP, String(url.c_str())));
    EXPECT_EQ(Hits("/files/level-1.txt"), before + 1);
    EXPECT_EQ(Http()->OpenFile(SCHEME_HTTP, String(url.c_str()), FILE_MODE_WRITE), nullptr);
    // Nothing above left the copy open: it can go.
    EXPECT_TRUE(DeleteFileA(CacheFile(url).c_str()));
}

TEST_F(HttpFiles, ThreadsFetchingOneNewUrlTogetherAllReadIt) {
    const std::string url = Url("/files/shared.txt");
    std::vector<std::string> read(4);
    std::vector<std::thread> threads;
    for (std::string& contents : read)
        threads.emplace_back([&url, &contents] { contents = ReadUrl(url); });
    for (std::thread& thread : threads) thread.join();
    std::string log;
    for (const std::string& line : LogCapture::Texts()) log += line + "\n";
    for (const std::string& contents : read) EXPECT_EQ(contents, "file at /files/shared.txt") << log;
    EXPECT_EQ(LogCapture::CountContaining("unable to write the download"), 0);
    EXPECT_EQ(CacheFiles(), 1) << "one copy, no temporary left";
}

TEST_F(HttpFiles, AFailedDownloadLeavesNothingInTheCache) {
    for (const char* path : {"/missing", "/cut/partial.bin", "/huge-length"}) {
        EXPECT_EQ(ReadUrl(Url(path)), "<missing>") << path;
        EXPECT_FALSE(quaven_test::NativeExists(CacheFile(Url(path)))) << path;
    }
    EXPECT_EQ(LogCapture::Count("File System: failed to download file '" + Url("/missing") + "' (status 404)."), 1);
    EXPECT_EQ(LogCapture::Count("File System: failed to download file '" + Url("/cut/partial.bin") + "' (status -8)."),
              1);
    EXPECT_EQ(CacheFiles(), 0);

    // Through the API table: a game's http:// path (port 80, where nothing listens here).
    EXPECT_EQ(fs()->OpenFile("http://127.0.0.1/nothing-here.txt", "r"), nullptr);
    EXPECT_FALSE(fs()->FileExists("http://127.0.0.1/nothing-here.txt"));
    EXPECT_EQ(LogCapture::Count("File System: failed to download file 'http://127.0.0.1/nothing-here.txt' (status -6)."),
              2);
    EXPECT_EQ(CacheFiles(), 0);
}

}  // namespace
}  // namespace http_test
