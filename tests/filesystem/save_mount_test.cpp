// The save:// mount driven as a game drives it: Mount, write, Unmount, read back; and a
// process killed while it saves, which must leave the previous save or the new one whole.
#include "filesystem/fs_test_support.h"

#include "data/datamanager/database.h"
#include "filesystem/mount_system.h"
#include "support/child_run.h"

namespace fs_test {
namespace {

class SaveMountTest : public FileSystemTest {
protected:
    void SetUp() override {
        FileSystemTest::SetUp();
        g_saveRootCreated = 0;  // every test has a per-user folder of its own
    }

    std::string Saved(const std::string& name) const { return ReadNative(userRoot_ + "/save/" + name); }

    void Save(const char* path, const std::string& contents, const char* mode = "w") {
        ASSERT_TRUE(fs()->Mount("save", 0));
        ASSERT_TRUE(WriteThrough(path, contents, mode));
        fs()->Unmount("save");
    }
};

TEST_F(SaveMountTest, WritesReachTheDiskAtUnmountAndTheOldSaveStaysUntilThen) {
    EXPECT_FALSE(fs()->Mount("save", 1));  // the API accepts users 0 to 3, the mount only 0
    Save("save://slot.dat", "old save");
    EXPECT_EQ(Saved("slot.dat"), "old save");

    ASSERT_TRUE(fs()->Mount("save", 0));
    FileHandle* file = fs()->OpenFile("save://slot.dat", "w");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(file->size, 0u);
    EXPECT_EQ(fs()->Write("new save", 8, file), 8);
    fs()->CloseFile(file);
    EXPECT_EQ(Saved("slot.dat"), "old save");
    EXPECT_EQ(ReadThrough("save://slot.dat"), "old save");
    ASSERT_TRUE(WriteThrough("save://fresh.dat", "first"));
    EXPECT_TRUE(fs()->FileExists("save://fresh.dat"));  // buffered, not yet on disk
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/fresh.dat"));
    ASSERT_TRUE(WriteThrough("save://slot.dat.tmp", "a save of its own"));
    fs()->Unmount("save");
    EXPECT_EQ(Saved("slot.dat"), "new save");
    EXPECT_EQ(Saved("fresh.dat"), "first");
    EXPECT_EQ(Saved("slot.dat.tmp"), "a save of its own");
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/slot.dat..tmp"));

    // A delete that leaves the file on the disk (it is open) fails, buffers dropped or not.
    ASSERT_TRUE(fs()->Mount("save", 0));
    FileHandle* reader = fs()->OpenFile("save://fresh.dat", "r");
    ASSERT_TRUE(WriteThrough("save://fresh.dat", "second"));
    EXPECT_FALSE(fs()->DeleteFile("save://fresh.dat"));
    EXPECT_TRUE(fs()->FileExists("save://fresh.dat"));
    fs()->CloseFile(reader);
    fs()->Unmount("save");
    EXPECT_EQ(Saved("fresh.dat"), "first");
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
}

TEST_F(SaveMountTest, AppendStartsFromThePresentContentAndBuffersOfAPathLandInOpeningOrder) {
    Save("save://log.txt", "abc");
    Save("save://log.txt", "def", "a");
    EXPECT_EQ(Saved("log.txt"), "abcdef");

    ASSERT_TRUE(fs()->Mount("save", 0));
    ASSERT_TRUE(WriteThrough("save://log.txt", "X"));
    ASSERT_TRUE(WriteThrough("save://log.txt", "Y", "a"));  // appends to the buffered "X"
    FileHandle* first = fs()->OpenFile("save://order.txt", "w");
    FileHandle* second = fs()->OpenFile("save://order.txt", "w");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    fs()->Write("opened second", 13, second);
    fs()->CloseFile(second);
    fs()->Write("opened first", 12, first);
    fs()->CloseFile(first);
    fs()->Unmount("save");
    EXPECT_EQ(Saved("log.txt"), "XY");
    EXPECT_EQ(Saved("order.txt"), "opened second");
}

TEST_F(SaveMountTest, FilesOpenAtUnmountAreWrittenAndStayUsableUntilClosed) {
    ASSERT_TRUE(fs()->Mount("save", 0));
    FileHandle* file = fs()->OpenFile("save://open.dat", "w");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(fs()->Write("kept", 4, file), 4);
    fs()->Unmount("save");
    EXPECT_EQ(Saved("open.dat"), "kept");
    EXPECT_EQ(fs()->Write(" more", 5, file), 5);
    EXPECT_EQ(fs()->GetFilePosition(file), 9);
    fs()->CloseFile(file);
    EXPECT_EQ(Saved("open.dat"), "kept");
    EXPECT_EQ(QVI_GetOpenFileCount(), 0);
}

TEST_F(SaveMountTest, AFailedWriteKeepsTheOldFileAndTheBufferAndShutdownWritesOnlyWhatWasUnmounted) {
    Save("save://slot.dat", "old save");
    Save("save://other.dat", "other save");
    // A folder where the temporary file would go makes the write fail.
    const std::string blocker = userRoot_ + "/save/slot.dat..tmp";
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    ASSERT_TRUE(fs()->Mount("save", 0));
    ASSERT_TRUE(WriteThrough("save://slot.dat", "new save"));
    fs()->Unmount("save");
    EXPECT_EQ(Saved("slot.dat"), "old save");
    EXPECT_EQ(LogCapture::Count("File System Unmount: could not write save file 'save://slot.dat'; it stays buffered."),
              1);

    // Written again and never unmounted: the game has not committed these.
    ASSERT_TRUE(fs()->Mount("save", 0));
    ASSERT_TRUE(WriteThrough("save://other.dat", "not committed"));
    ASSERT_TRUE(WriteThrough("save://fresh.dat", "not committed"));
    // The failed one is still buffered; shutdown writes it and only it.
    ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
    QVI_WriteCommittedSaveFiles();
    EXPECT_EQ(Saved("slot.dat"), "new save");
    EXPECT_EQ(Saved("other.dat"), "other save");
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/fresh.dat"));
    EXPECT_EQ(LogCapture::Count("File System: save file 'save://slot.dat' could not be written at Unmount, written at "
                                "shutdown."),
              1);
    QVI_WriteCommittedSaveFiles();  // nothing is written twice
    EXPECT_EQ(LogCapture::CountContaining("written at shutdown"), 1);
    // An Unmount still commits what was never unmounted.
    fs()->Unmount("save");
    EXPECT_EQ(Saved("other.dat"), "not committed");

    // Still blocked at shutdown: the save is said to be lost, as an error, and only that.
    ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr));
    ASSERT_TRUE(fs()->Mount("save", 0));
    ASSERT_TRUE(WriteThrough("save://slot.dat", "lost save"));
    fs()->Unmount("save");
    LogCapture::Clear();
    QVI_WriteCommittedSaveFiles();
    EXPECT_EQ(Saved("slot.dat"), "new save");
    const std::vector<quaven_test::LoggedLine> lines = LogCapture::Lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "File System: save file 'save://slot.dat' could not be written at Unmount nor at shutdown; it is lost.");
    EXPECT_EQ(lines[0].level, QV_LOG_ERROR);
    ASSERT_TRUE(RemoveDirectoryA(blocker.c_str()));
    QVI_WriteCommittedSaveFiles();  // given up: not tried again
    EXPECT_EQ(Saved("slot.dat"), "new save");
    EXPECT_EQ(LogCapture::Lines().size(), 1u);
}

TEST_F(SaveMountTest, TheCreatableProbeLeavesNothingAndDataManagerSavesGoThroughTheMount) {
    ASSERT_TRUE(fs()->Mount("save", 0));
    EXPECT_TRUE(QVI_IsPathCreatable("save://probe.dat"));
    EXPECT_NE(QVI_ResolveFilePath("save://probe2.dat", false), nullptr);
    EXPECT_FALSE(fs()->FileExists("save://probe.dat"));

    Database database;
    database.arrays.Add(new DataArray("SLOTS"));
    ASSERT_TRUE(database.Save("save://slots.xml", false));
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/slots.xml"));
    fs()->Unmount("save");
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/probe.dat"));
    EXPECT_FALSE(NativeExists(userRoot_ + "/save/probe2.dat"));
    EXPECT_NE(Saved("slots.xml").find("SLOTS"), std::string::npos);
    EXPECT_EQ(LogCapture::CountContaining("File System"), 0);
}

// A save of this many bytes per round, each byte telling its round: a file that mixes
// rounds or stops short is torn.
const size_t kRoundBytes = 256 * 1024;

std::string RoundContents(int round) {
    return std::string(kRoundBytes, static_cast<char>('a' + round % 26));
}

TEST_F(SaveMountTest, AProcessKilledWhileSavingLeavesTheOldOrTheNewSaveWhole) {
    const char* const kChildVariable = "QUAVEN_SAVE_KILL_CHILD";
    const char* const kFolderVariable = "QUAVEN_SAVE_KILL_FOLDER";
    if (quaven_test::InChild(kChildVariable)) {
        // The child saves round after round under the parent's folder until it is killed.
        const std::string parentFolder = quaven_test::EnvironmentVariable(kFolderVariable);
        // The parent removes this process's own per-user folder once it has killed it.
        quaven_test::AppendLine(parentFolder + "/children.txt", AppDataFolder() + "/" + developer_);
        g_currentUrlRoots[SCHEME_SAVE].Assign(parentFolder.c_str());
        for (int round = 1;; ++round) {
            if (!fs()->Mount("save", 0))
                return;
            FileHandle* file = fs()->OpenFile("save://slot.dat", "w");
            const std::string contents = RoundContents(round);
            fs()->Write(contents.data(), static_cast<int>(contents.size()), file);
            fs()->CloseFile(file);
            fs()->Unmount("save");
            quaven_test::AppendLine(parentFolder + "/rounds.txt", std::to_string(round));
        }
    }

    const std::string folder = userRoot_ + "/save";
    Save("save://slot.dat", RoundContents(0));
    for (int kill = 0; kill < 3; ++kill) {
        SCOPED_TRACE(kill);
        quaven_test::ChildProcess child;
        ASSERT_TRUE(child.StartSelf(quaven_test::CurrentTestFilter(), {{kChildVariable, "1"}, {kFolderVariable, folder}}));
        // Killed once it has saved a few rounds: somewhere in the middle of another one.
        const size_t roundsBefore = quaven_test::ReadLines(folder + "/rounds.txt").size();
        while (child.Running() && quaven_test::ReadLines(folder + "/rounds.txt").size() < roundsBefore + 3 + kill)
            Sleep(5);
        ASSERT_TRUE(child.Running());
        child.Wait(0);  // kills it

        for (const std::string& childFolder : quaven_test::ReadLines(folder + "/children.txt"))
            RemoveTree(childFolder);
        const std::string saved = Saved("slot.dat");
        ASSERT_EQ(saved.size(), kRoundBytes);
        EXPECT_EQ(saved, std::string(kRoundBytes, saved[0]));
    }
}

}  // namespace
}  // namespace fs_test
