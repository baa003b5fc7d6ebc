// Search paths: order, moves, lookups and listings along them, and concurrent changes.
#include "filesystem/fs_test_support.h"

#include <atomic>
#include <set>
#include <thread>

#include "filesystem/search_paths.h"

namespace fs_test {
namespace {

Names g_manifests;
void RecordManifest(const char* name) { g_manifests.push_back(name); }

class SearchPathsTest : public FileSystemTest {};

TEST_F(SearchPathsTest, AddingStoresATrailingSlashAddingAgainMovesRemovingKeepsTheOrderAndPast128Warns) {
    for (const char* path : {"res://data", "res://dlc", "res://"})
        fs()->AddSearchPath(path, false);
    EXPECT_EQ(SearchPaths(), (Names{"res://data/", "res://dlc/", "res://"}));
    fs()->AddSearchPath("res://dlc/", true);
    EXPECT_EQ(SearchPaths(), (Names{"res://dlc/", "res://data/", "res://"}));
    EXPECT_TRUE(fs()->IsSearchPath("res://data"));
    EXPECT_FALSE(fs()->IsSearchPath("res://dat"));
    EXPECT_EQ(fs()->GetSearchPath(-1), nullptr);
    EXPECT_EQ(fs()->GetSearchPath(3), nullptr);
    EXPECT_EQ(LogCapture::Count("Adding search path 'res://dlc/'..."), 2);
    EXPECT_EQ(LogCapture::Count("Search path priority #1: 'res://dlc/'."), 1);

    fs()->RemoveSearchPath("res://data");
    EXPECT_EQ(SearchPaths(), (Names{"res://dlc/", "res://"}));
    EXPECT_EQ(LogCapture::Count("Removed search path #2: 'res://data/'."), 1);
    fs()->RemoveSearchPath("res://data");
    EXPECT_EQ(LogCapture::CountPopupsContaining("File System RemoveSearchPath: path 'res://data/' was not found in "
                                                "added search paths."),
              1);

    // Past 128 search paths a further one warns but is still added.
    for (int i = 2; i < 128; ++i)
        fs()->AddSearchPath(("res://p" + std::to_string(i)).c_str(), false);
    EXPECT_EQ(LogCapture::CountPopupsContaining("search paths exist."), 0);
    fs()->AddSearchPath("res://last", false);
    EXPECT_EQ(fs()->GetSearchPathCount(), 129);
    EXPECT_EQ(LogCapture::Count("File System AddSearchPath: 128 search paths exist."), 1);
}

TEST_F(SearchPathsTest, OnlyDocsResAndUgcMayBeSearchedAndEachBringsItsManifest) {
    fs()->AddSearchPath("user://mods", true);
    EXPECT_EQ(LogCapture::Count("File System AddSearchPath: path prefix is invalid in path 'user://mods', see "
                          "AddSearchPath() for more info."),
              1);
    fs()->AddSearchPath("mods", true);
    fs()->AddSearchPath("res://../x", true);
    EXPECT_EQ(LogCapture::CountPopupsContaining("File System AddSearchPath: path"), 3);
    EXPECT_EQ(fs()->GetSearchPathCount(), 0);

    QVI_SetSearchPathManifestRegistrar(RecordManifest);
    fs()->AddSearchPath("docs://", false);
    fs()->AddSearchPath("ugc://data/dlc1", false);
    QVI_SetSearchPathManifestRegistrar(nullptr);
    EXPECT_EQ(fs()->GetSearchPathCount(), 2);
    // A bare scheme root brings none.
    EXPECT_EQ(g_manifests, Names{"ugc://manifest-data-dlc1.xml"});
}

TEST_F(SearchPathsTest, SchemelessPathsResolveAndListAlongTheSearchPathsInOrder) {
    ASSERT_TRUE(fs()->CreateDirectory("res://high"));
    WriteFilesIn(ResRoot(), {{"low/shared.txt", "low"}, {"low/only-low.dat", "only"}, {"root.txt", "r"}});
    fs()->AddSearchPath("res://low", false);
    fs()->AddSearchPath("res://high", true);
    EXPECT_EQ(ReadThrough("shared.txt"), "low");
    WriteFilesIn(ResRoot(), {{"high/shared.txt", "high"}});
    EXPECT_EQ(ReadThrough("shared.txt"), "high");
    // A listing names each file once and skips a bare scheme root.
    fs()->AddSearchPath("res://", false);
    EXPECT_EQ(Find("", "*.txt;*.dat", false), (Names{"shared.txt", "only-low.dat"}));
    EXPECT_EQ(ReadThrough("only-low.dat"), "only");
    FileInfo info = {};
    EXPECT_TRUE(fs()->GetFileInfo("only-low.dat", &info));
    EXPECT_NE(info.modified, 0u);

    // A path without a scheme opens only existing files, in any mode.
    EXPECT_EQ(fs()->OpenFile("new.txt", "w"), nullptr);
    EXPECT_FALSE(NativeExists(ResRoot() + "/high/new.txt"));
    EXPECT_EQ(ReadThrough("missing.txt"), "<missing>");
    EXPECT_FALSE(fs()->FileExists("missing.txt"));

    fs()->RemoveSearchPath("res://high");
    EXPECT_EQ(ReadThrough("shared.txt"), "low");
}

TEST_F(SearchPathsTest, ConcurrentChangesAreNeverSeenTorn) {
    WriteFilesIn(ResRoot(), {{"base/file.txt", "b"}});
    fs()->AddSearchPath("res://base", false);
    std::atomic<bool> stop{false};
    std::thread changer([&] {
        for (int i = 0; i < 2000; ++i) {
            fs()->AddSearchPath("res://extra", (i % 2) == 0);
            fs()->RemoveSearchPath("res://extra");
        }
        stop = true;
    });
    // Every snapshot is one of the lists that really existed.
    const std::set<std::string> whole = {"res://base/", "res://base/|res://extra/", "res://extra/|res://base/"};
    int torn = 0, seen = 0, misses = 0;
    do {
        SearchPathSnapshot snapshot = QVI_GetSearchPathSnapshot();
        std::string joined;
        for (int i = 0; i < snapshot.count; ++i)
            joined += (i > 0 ? "|" : "") + std::string(snapshot.data[i]);
        torn += whole.count(joined) ? 0 : 1;
        // Texts handed out stay readable after their entry is removed.
        const char* last = fs()->GetSearchPath(fs()->GetSearchPathCount() - 1);
        seen += last && last[0] == 'r' ? 1 : 0;
        misses += fs()->FileExists("file.txt") ? 0 : 1;
    } while (!stop);
    changer.join();
    EXPECT_EQ(torn, 0);
    EXPECT_EQ(misses, 0);
    EXPECT_GT(seen, 0);
    EXPECT_EQ(fs()->GetSearchPathCount(), 1);
}

}  // namespace
}  // namespace fs_test
