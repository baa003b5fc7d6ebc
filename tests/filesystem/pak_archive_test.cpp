// PAK archives written by tests/filesystem/make_pak.py (from the format alone) lying
// beside the resource folders, read as a game reads them: through the fileSystem table.
#include "filesystem/fs_test_support.h"
#include "filesystem/filesystem_api.h"

#include <atomic>
#include <thread>

namespace fs_test {
namespace {

class PakArchiveTest : public FileSystemTest {
protected:
    void TearDown() override {
        // Archives stay open as long as the back ends live: close them before the folder goes.
        QVI_DeleteFileSystemBackends();
        FileSystemTest::TearDown();
    }

    // Copies the writer's archive <name>.pak to res://<folder>.pak.
    void PlaceArchive(const std::string& name, const std::string& folder) {
        const std::string from = std::string(QUAVEN_PAK_INPUTS_DIR) + "/" + name + ".pak";
        ASSERT_TRUE(CopyFileA(from.c_str(), (ResRoot() + "/" + folder + ".pak").c_str(), FALSE)) << from;
    }

    static std::string BigBytes(size_t count) {
        std::string bytes(count, '\0');
        for (size_t i = 0; i < count; ++i)
            bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
        return bytes;
    }
};

TEST_F(PakArchiveTest, EntriesReadSeekAndListThroughTheTableAndStayInsideTheirBytes) {
    PlaceArchive("plain", "data");
    EXPECT_TRUE(fs()->FileExists("res://data/readme.txt"));
    EXPECT_TRUE(fs()->FileExists("res://data/empty.bin"));
    EXPECT_FALSE(fs()->FileExists("res://data/missing.txt"));
    EXPECT_EQ(ReadThrough("res://data/readme.txt"), "hello from the archive");
    EXPECT_EQ(ReadThrough("res://data/empty.bin"), "");
    EXPECT_EQ(ReadThrough("res://data/big.bin"), BigBytes(100000));

    // Two entries read at once, each through its own handle on the archive.
    FileHandle* big = fs()->OpenFile("res://data/big.bin", "r");
    FileHandle* readme = fs()->OpenFile("res://data/readme.txt", "rb");
    ASSERT_NE(big, nullptr);
    ASSERT_NE(readme, nullptr);
    EXPECT_EQ(big->size, 100000u);
    char buffer[64] = {};
    EXPECT_EQ(fs()->Seek(big, -10, QV_SEEK_END), 0);
    EXPECT_EQ(fs()->GetFilePosition(big), 99990);
    EXPECT_EQ(fs()->Read(buffer, 5, readme), 5);
    EXPECT_EQ(fs()->Read(buffer + 5, 64, big), 10);  // the entry's end, not the archive's
    EXPECT_EQ(std::string(buffer, 15), "hello" + BigBytes(100000).substr(99990));
    EXPECT_EQ(fs()->Read(buffer, 64, big), 0);
    EXPECT_EQ(fs()->Seek(big, 0, QV_SEEK_END), 0);
    EXPECT_EQ(fs()->GetFilePosition(big), 100000);
    // Past the end, as in a loose file, the position moves and reads give nothing; before
    // the entry (another entry's bytes) or beyond what GetFilePosition can tell, it stays.
    EXPECT_EQ(fs()->Seek(big, 1, QV_SEEK_END), 0);
    EXPECT_EQ(fs()->GetFilePosition(big), 100001);
    EXPECT_EQ(fs()->Read(buffer, 64, big), 0);
    EXPECT_EQ(fs()->Seek(big, -1, QV_SEEK_SET), -1);
    EXPECT_EQ(fs()->GetFilePosition(big), 100001);
    EXPECT_EQ(fs()->Seek(big, INT32_MAX, QV_SEEK_SET), 0);
    EXPECT_EQ(fs()->GetFilePosition(big), INT32_MAX);
    EXPECT_EQ(fs()->Seek(big, 1, QV_SEEK_CUR), -1);
    EXPECT_EQ(fs()->Seek(big, INT32_MAX - 100000 + 1, QV_SEEK_END), -1);
    EXPECT_EQ(fs()->GetFilePosition(big), INT32_MAX);
    EXPECT_EQ(fs()->Read(buffer, 64, big), 0);
    // Back inside from out there, reads go on from the right byte.
    EXPECT_EQ(fs()->Seek(big, -(INT32_MAX - 99995), QV_SEEK_CUR), 0);
    EXPECT_EQ(fs()->Read(buffer, 64, big), 5);
    EXPECT_EQ(std::string(buffer, 5), BigBytes(100000).substr(99995));
    {
        ASSERT_TRUE(WriteThrough("res://loose.bin", BigBytes(100000)));
        FileHandle* loose = fs()->OpenFile("res://loose.bin", "rb");
        ASSERT_NE(loose, nullptr);
        EXPECT_EQ(fs()->Seek(loose, 1, QV_SEEK_END), 0);
        EXPECT_EQ(fs()->GetFilePosition(loose), 100001);
        EXPECT_EQ(fs()->Read(buffer, 64, loose), 0);
        fs()->CloseFile(loose);
    }
    EXPECT_EQ(fs()->Seek(big, 1000, QV_SEEK_SET), 0);
    EXPECT_EQ(fs()->Seek(big, 7, QV_SEEK_CUR), 0);
    EXPECT_EQ(fs()->Read(buffer, 3, big), 3);
    EXPECT_EQ(std::string(buffer, 3), BigBytes(1010).substr(1007));
    EXPECT_EQ(fs()->Write("x", 1, big), 0);
    fs()->CloseFile(big);
    fs()->CloseFile(readme);

    FileInfo info = {};
    EXPECT_FALSE(fs()->GetFileInfo("res://data/readme.txt", &info));  // entries carry no times
    EXPECT_EQ(Find("res://data/", "*", false),
              (Names{"res://data/readme.txt", "res://data/empty.bin", "res://data/big.bin"}));
    // The archive file itself is an ordinary file of the folder.
    EXPECT_TRUE(fs()->FileExists("res://data.pak"));

    // A package delivered only as a .pak is found and listed through its search path.
    fs()->AddSearchPath("res://data", false);
    EXPECT_TRUE(fs()->FileExists("readme.txt"));
    EXPECT_EQ(ReadThrough("readme.txt"), "hello from the archive");
    EXPECT_EQ(Find("", "*.txt", false), Names{"readme.txt"});

    // Writing bypasses the archive and lands in the folder; reading still finds the entry.
    ASSERT_TRUE(fs()->CreateDirectory("res://data"));
    ASSERT_TRUE(WriteThrough("res://data/readme.txt", "native"));
    EXPECT_EQ(ReadNative(ResRoot() + "/data/readme.txt"), "native");
    EXPECT_EQ(ReadThrough("res://data/readme.txt"), "hello from the archive");
}

TEST_F(PakArchiveTest, NestedFoldersListAtFolderBoundariesBeforeTheFolderBeside) {
    PlaceArchive("nested", "pack");
    PutFile("pack/levels/z.xml", "<z/>");
    EXPECT_EQ(Find("res://pack/levels/", "*.xml", false),
              (Names{"res://pack/levels/a.xml", "res://pack/levels/b.xml", "res://pack/levels/z.xml"}));
    EXPECT_EQ(Find("res://pack/levels", "*.xml", true),
              (Names{"res://pack/levels/a.xml", "res://pack/levels/b.xml", "res://pack/levels/deep/c.xml",
                     "res://pack/levels/z.xml"}));
    EXPECT_EQ(Find("res://pack/levels/", "a*;*.txt", false),
              (Names{"res://pack/levels/a.xml", "res://pack/levels/notes.txt"}));
    // "subway.txt" lies beside "sub", not inside it.
    EXPECT_EQ(Find("res://pack/sub/", "*", true), Names{"res://pack/sub/x.txt"});
    EXPECT_EQ(Find("res://pack/", "*.txt", false), Names{"res://pack/subway.txt"});
    EXPECT_EQ(ReadThrough("res://pack/levels/deep/c.xml"), "<c/>");

    fs()->AddSearchPath("res://pack/", true);
    EXPECT_EQ(Find("levels/", "*.xml", false), (Names{"levels/a.xml", "levels/b.xml", "levels/z.xml"}));
    EXPECT_EQ(ReadThrough("levels/b.xml"), "<b/>");
    // A file directly in the root never looks into an archive.
    PutFile("top.dat", "root");
    EXPECT_EQ(ReadThrough("res://top.dat"), "root");
}

TEST_F(PakArchiveTest, DuplicateNamesFindTheFirstAndEveryOtherNameIsKeptAsWritten) {
    PlaceArchive("duplicates", "dup");
    EXPECT_EQ(ReadThrough("res://dup/same.txt"), "first");
    EXPECT_EQ(Find("res://dup/", "*.txt", false), (Names{"res://dup/same.txt", "res://dup/other.txt"}));

    // Entries are only ever read: names that would not do as folder paths are listed too.
    PlaceArchive("odd_names", "odd");
    EXPECT_EQ(Find("res://odd/", "*", true),
              (Names{"res://odd/../escape.txt", "res://odd//absolute.txt", "res://odd/C:/drive.txt",
                     "res://odd/a/../b.txt", "res://odd/back\\slash.txt", "res://odd/./dot.txt", "res://odd/fine.txt"}));
    EXPECT_EQ(Find("res://odd/", "*", false), (Names{"res://odd/back\\slash.txt", "res://odd/fine.txt"}));
    EXPECT_EQ(ReadThrough("res://odd/fine.txt"), "fine");
    EXPECT_EQ(LogCapture::CountContaining("", QV_LOG_WARNING), 0);

    PlaceArchive("empty", "none");
    EXPECT_TRUE(Find("res://none/", "*", true).empty());
    EXPECT_FALSE(fs()->FileExists("res://none/readme.txt"));
    EXPECT_EQ(LogCapture::Count("Opening PAK '" + ResRoot() + "/none.pak'..."), 1);

    // 510 characters are a name; 511 make the whole archive unusable.
    PlaceArchive("name_510", "long");
    EXPECT_EQ(Find("res://long/", "*", false), Names{"res://long/" + std::string(506, 'n') + ".txt"});
    PlaceArchive("name_511", "longer");
    LogCapture::Clear();
    EXPECT_TRUE(Find("res://longer/", "*", false).empty());
    const int perLookup = LogCapture::Count("File System ReadPAK: PAK has a file with too long name.");
    EXPECT_GE(perLookup, 1);
    EXPECT_EQ(LogCapture::Count("Opening PAK '" + ResRoot() + "/longer.pak'..."), perLookup);
    EXPECT_FALSE(fs()->FileExists("res://longer/x.txt"));
    EXPECT_GT(LogCapture::Count("File System ReadPAK: PAK has a file with too long name."), perLookup)
        << "told again at the next lookup";
}

TEST_F(PakArchiveTest, EntriesRunningPastTheEndAreCutThereAndADirectoryInTheHeaderIsReadAsGiven) {
    PlaceArchive("past_end", "tail");
    const std::string archive = ReadNative(ResRoot() + "/tail.pak");
    const size_t length = archive.size();
    // name, size once cut at the archive's end, where its bytes begin
    const struct { const char* name; uint32_t size; size_t offset; } entries[] = {
        {"exact.bin", 10, length - 10}, {"over.bin", 10, length - 10}, {"last.bin", 1, length - 1},
        {"at_end.bin", 0, length}, {"beyond.bin", 0, length}};
    for (const auto& entry : entries) {
        SCOPED_TRACE(entry.name);
        const std::string path = std::string("res://tail/") + entry.name;
        EXPECT_TRUE(fs()->FileExists(path.c_str()));
        EXPECT_EQ(ReadThrough(path.c_str()), archive.substr(entry.offset, entry.size));
        FileHandle* file = fs()->OpenFile(path.c_str(), "rb");
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->size, entry.size);
        char last = 0;
        if (entry.size > 0) {
            EXPECT_EQ(fs()->Seek(file, -1, QV_SEEK_END), 0);
            EXPECT_EQ(fs()->Read(&last, 1, file), 1);
            EXPECT_EQ(last, archive.back());
        }
        EXPECT_EQ(fs()->Seek(file, 0, QV_SEEK_END), 0);
        EXPECT_EQ(fs()->GetFilePosition(file), static_cast<int>(entry.size));
        EXPECT_EQ(fs()->Read(&last, 1, file), 0);
        // Past the end the archive is not visited, even where it has no bytes left.
        EXPECT_EQ(fs()->Seek(file, 1, QV_SEEK_END), 0);
        EXPECT_EQ(fs()->GetFilePosition(file), static_cast<int>(entry.size) + 1);
        EXPECT_EQ(fs()->Read(&last, 1, file), 0);
        EXPECT_EQ(fs()->Seek(file, -static_cast<int>(entry.size) - 1, QV_SEEK_END), -1);
        EXPECT_EQ(fs()->GetFilePosition(file), static_cast<int>(entry.size) + 1);
        if (entry.size > 0) {
            EXPECT_EQ(fs()->Seek(file, -static_cast<int>(entry.size) - 1, QV_SEEK_CUR), 0);
            EXPECT_EQ(fs()->Read(&last, 1, file), 1);
            EXPECT_EQ(last, archive[entry.offset]);
        }
        fs()->CloseFile(file);
    }
    EXPECT_EQ(ReadThrough("res://tail/fine.txt"), "fine");

    PlaceArchive("directory_in_header", "header");
    EXPECT_EQ(ReadThrough("res://header/inside.txt"), "read through a directory in the header");
    EXPECT_EQ(ReadThrough("res://header/more6.txt"), "m6");
    EXPECT_EQ(Find("res://header/", "*.txt", false).size(), 7u);
    // The smallest entries fill the directory to its last byte.
    PlaceArchive("one_char_names", "one");
    EXPECT_EQ(ReadThrough("res://one/c"), "333");

    // Sizes that wrap in 32 bits or reach far past the end are cut the same way.
    PlaceArchive("offset_wraps", "wraps");
    const std::string wraps = ReadNative(ResRoot() + "/wraps.pak");
    EXPECT_EQ(ReadThrough("res://wraps/empty.bin"), wraps.substr(16));
    PlaceArchive("offset_past_end", "far");
    EXPECT_EQ(ReadThrough("res://far/readme.txt"), ReadNative(ResRoot() + "/far.pak").substr(16));
    EXPECT_EQ(ReadThrough("res://far/big.bin"), BigBytes(100000));
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
}

TEST_F(PakArchiveTest, HostileArchivesAreTriedAgainAtEachLookupAndTheFolderBesideServes) {
    const char* hostile[] = {"wrong_length",  "bad_magic",      "directory_past_end", "truncated_directory",
                             "huge_count",    "count_one_over", "header_only"};
    for (const char* name : hostile) {
        SCOPED_TRACE(name);
        LogCapture::Clear();
        PlaceArchive(name, name);
        const std::string folder = std::string("res://") + name + "/";
        const std::string opening = "Opening PAK '" + ResRoot() + "/" + name + ".pak'...";
        PutFile(std::string(name) + "/readme.txt", "folder copy");
        int opened = 0;
        for (int attempt = 0; attempt < 3; ++attempt) {
            EXPECT_EQ(ReadThrough((folder + "readme.txt").c_str()), "folder copy");
            EXPECT_GT(LogCapture::Count(opening), opened) << "each lookup opens the archive again";
            opened = LogCapture::Count(opening);
            EXPECT_FALSE(fs()->FileExists((folder + "big.bin").c_str()));
            EXPECT_GT(LogCapture::Count(opening), opened);
            opened = LogCapture::Count(opening);
            EXPECT_EQ(Find(folder.c_str(), "*", false), Names{folder + "readme.txt"});
        }
        // Only the opening is told: a refused archive is simply absent.
        EXPECT_EQ(LogCapture::CountContaining(name, QV_LOG_WARNING), 0);
        EXPECT_EQ(QVI_GetOpenFileCount(), 0) << "a refused archive is closed again";

        // Completed while the game runs, the archive is taken up at the next lookup.
        PlaceArchive("plain", name);
        EXPECT_EQ(ReadThrough((folder + "big.bin").c_str()), BigBytes(100000));
        EXPECT_EQ(ReadThrough((folder + "readme.txt").c_str()), "hello from the archive");
        const int openedWhole = LogCapture::Count(opening);
        EXPECT_TRUE(fs()->FileExists((folder + "empty.bin").c_str()));
        EXPECT_EQ(LogCapture::Count(opening), openedWhole) << "a good archive is opened once";
    }
}

TEST_F(PakArchiveTest, AMissingArchiveIsLookedForOncePerScopeAndTakenUpByTheNextQuestion) {
    PutFile("data/readme.txt", "folder copy");
    {
        ArchiveLookupScope lookups;
        EXPECT_EQ(ReadThrough("res://data/readme.txt"), "folder copy");
        // Placed within the scope: the answer already given stands until it ends.
        PlaceArchive("plain", "data");
        EXPECT_FALSE(fs()->FileExists("res://data/big.bin"));
        EXPECT_EQ(ReadThrough("res://data/readme.txt"), "folder copy");
        {
            ArchiveLookupScope nested;
            EXPECT_FALSE(fs()->FileExists("res://data/empty.bin"));
        }
        EXPECT_FALSE(fs()->FileExists("res://data/empty.bin")) << "an inner scope's end keeps the outer answer";
    }
    EXPECT_TRUE(fs()->FileExists("res://data/big.bin"));
    EXPECT_EQ(ReadThrough("res://data/readme.txt"), "hello from the archive");

    // Each OpenFile is a scope of its own: what one found missing, the next looks for again.
    PutFile("next/readme.txt", "folder copy");
    EXPECT_EQ(ReadThrough("res://next/readme.txt"), "folder copy");
    PlaceArchive("plain", "next");
    EXPECT_EQ(ReadThrough("res://next/readme.txt"), "hello from the archive");
    // FileExists holds no scope: its miss is remembered for no one.
    PutFile("asked/readme.txt", "folder copy");
    EXPECT_TRUE(fs()->FileExists("res://asked/readme.txt"));
    PlaceArchive("plain", "asked");
    EXPECT_EQ(ReadThrough("res://asked/readme.txt"), "hello from the archive");

    // Another thread asks for itself, whatever this thread's scope has found.
    ArchiveLookupScope lookups;
    EXPECT_FALSE(fs()->FileExists("res://more/big.bin"));
    PlaceArchive("plain", "more");
    bool found = false;
    std::thread other([&found] { found = fs()->FileExists("res://more/big.bin"); });
    other.join();
    EXPECT_TRUE(found);
}

TEST_F(PakArchiveTest, ThreadsMeetingANewArchiveOpenItOnceAndReadTheirOwnEntries) {
    PlaceArchive("plain", "shared");
    const std::string big = BigBytes(100000);
    std::atomic<int> go{0}, wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 8; ++t) {
        threads.emplace_back([&, t] {
            while (!go.load())
                std::this_thread::yield();
            const std::string read = ReadThrough(t % 2 ? "res://shared/big.bin" : "res://shared/readme.txt");
            if (read != (t % 2 ? big : std::string("hello from the archive")))
                ++wrong;
        });
    }
    go = 1;
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(wrong.load(), 0);
    EXPECT_EQ(LogCapture::Count("Opening PAK '" + ResRoot() + "/shared.pak'..."), 1);
}

}  // namespace
}  // namespace fs_test
