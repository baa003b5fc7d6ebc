// A save that cannot complete reports failure and leaves the previous file as it was.

// DeleteFile is a <windows.h> macro as well as a file-system member: windows.h comes
// first so that both are renamed alike.
#include <windows.h>

#include "datamanager_fixture.h"

#include "core/engine_log.h"

namespace datamanager_test {
namespace {

using SaveFailure = DataManagerTest;

void FillSmallDatabase(Database& database)
{
    DataArray* array = new DataArray("a");
    DataNode* node = new DataNode(nullptr);
    node->SetParameter("v", "new contents");
    array->nodes.Add(node);
    database.arrays.Add(array);
}

TEST_F(SaveFailure, ReadOnlyFileKeepsItsContents)
{
    PutFile("locked.xml", "previous contents");
    ASSERT_TRUE(SetFileAttributesA(NativePath("locked.xml").c_str(), FILE_ATTRIBUTE_READONLY));
    Database database;
    FillSmallDatabase(database);
    EXPECT_FALSE(database.Save("res://locked.xml", false));
    EXPECT_EQ(GetFile("locked.xml"), "previous contents");
    EXPECT_FALSE(FileThere("locked.xml.tmp"));
    EXPECT_EQ(Popups(), std::vector<std::string>{"Unable to open file 'res://locked.xml' for writing."});
}

TEST_F(SaveFailure, FolderInTheWayIsNotReplaced)
{
    ASSERT_TRUE(CreateDirectoryA(NativePath("taken.xml").c_str(), nullptr));
    PutFile("taken.xml/inside.txt", "kept");
    Database database;
    FillSmallDatabase(database);
    EXPECT_FALSE(database.Save("res://taken.xml", false));
    EXPECT_EQ(GetFile("taken.xml/inside.txt"), "kept");
    EXPECT_FALSE(FileThere("taken.xml.tmp")) << "the temporary file is removed again";
    EXPECT_EQ(Popups(), std::vector<std::string>{"Unable to replace file 'res://taken.xml'."});
}

TEST_F(SaveFailure, MissingFolderOrSchemeIsReportedWithTheOpenMessage)
{
    Database database;
    FillSmallDatabase(database);
    EXPECT_FALSE(database.Save("res://no/such/folder/db.xml", false));
    EXPECT_FALSE(database.Save("nowhere/db.xml", false));
    EXPECT_EQ(Popups(),
              (std::vector<std::string>{"Unable to open file 'res://no/such/folder/db.xml' for writing.",
                                        "Unable to open file 'nowhere/db.xml' for writing. The filename needs to be "
                                        "absolute file system target such as res://data/file.xml."}));
}

// A file table that opens every file but writes only part of what it is given, as a
// full disk would.
struct ShortWritingFiles {
    static int written;
    static int closed;
    static int deleted;

    static FileHandle* Open(const char*, const char*) { return reinterpret_cast<FileHandle*>(&written); }
    static int Write(const void*, int size, FileHandle*)
    {
        int part = size / 2;
        written += part;
        return part;
    }
    static int Flush(FileHandle*) { return 0; }
    static void Close(FileHandle*) { ++closed; }
    static bool Delete(const char*)
    {
        ++deleted;
        return true;
    }
};
int ShortWritingFiles::written = 0;
int ShortWritingFiles::closed = 0;
int ShortWritingFiles::deleted = 0;

TEST_F(SaveFailure, ShortWriteIsAFailure)
{
    QuavenFileSystemAPI table = *qv->fileSystem;
    table.OpenFile = ShortWritingFiles::Open;
    table.Write = ShortWritingFiles::Write;
    table.FlushFile = ShortWritingFiles::Flush;
    table.CloseFile = ShortWritingFiles::Close;
    table.DeleteFile = ShortWritingFiles::Delete;
    const QuavenFileSystemAPI* real = qv->fileSystem;
    qv->fileSystem = &table;

    Database database;
    FillSmallDatabase(database);
    bool inPlace = database.Save("save://slot.xml", false);
    bool beside = database.Save("res://slot.xml", true);
    qv->fileSystem = real;

    EXPECT_FALSE(inPlace);
    EXPECT_FALSE(beside);
    EXPECT_EQ(ShortWritingFiles::closed, 2) << "the file is closed either way";
    EXPECT_EQ(ShortWritingFiles::deleted, 1) << "the half-written temporary file is removed";
    EXPECT_EQ(Popups(), (std::vector<std::string>{"Unable to write file 'save://slot.xml'.", "Unable to write file 'res://slot.xml'."}));
    EXPECT_FALSE(FileThere("slot.xml"));
}

TEST_F(SaveFailure, SuccessfulSaveReplacesTheFileWhole)
{
    PutFile("db.xml", std::string(100000, 'o'));  // longer than what replaces it
    Database database;
    FillSmallDatabase(database);
    ASSERT_TRUE(database.Save("res://db.xml", false));
    Database reloaded;
    ASSERT_TRUE(reloaded.Load("res://db.xml"));
    EXPECT_STREQ(reloaded.GetParameter("a", nullptr, "v"), nullptr);
    EXPECT_STREQ(reloaded.arrays.data[0]->GetNode(0)->GetParameter("v"), "new contents");
    EXPECT_LT(GetFile("db.xml").size(), 1000u);
}

} // namespace
} // namespace datamanager_test
