#include "filesystem/fs_test_support.h"

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "support/process.h"

namespace fs_test {

bool NativeFileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool NativeFolderExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadNative(const std::string& path)
{
    if (!NativeFileExists(path))
        return "<missing>";
    return quaven_test::ReadFile(path);
}

bool WriteNative(const std::string& path, const std::string& contents)
{
    return quaven_test::WriteFile(path, contents);
}

void FileSystemTest::SetUp()
{
    savedApi_ = *qv;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    log_.emplace();
    QVI_FillFileSystemAPI(&table_);
    qv->fileSystem = &table_;
    savedCoreApi_ = g_core.api;
    savedCoreInitialized_ = g_core.coreInitialized;
    // Files are tracked only once core initialisation has finished.
    g_core.api = qv;
    g_core.coreInitialized = 1;

    ASSERT_TRUE(QVI_InitFileSystem());
    res_.emplace("fs");
    resRoot_ = res_->Root();

    developer_ = quaven_test::UniqueName("QuavenFsTestDev");
    title_ = "FS Test: Title!";
    ASSERT_TRUE(QVI_SetUpUserFolders(developer_.c_str(), title_.c_str()));
    userRoot_ = AppDataFolder() + "/" + developer_ + "/FS_Test__Title_";

    while (table_.GetSearchPathCount() > 0)
        table_.RemoveSearchPath(table_.GetSearchPath(0));
    ClearLogged();
}

void FileSystemTest::TearDown()
{
    table_.Unmount("save");
    while (table_.GetSearchPathCount() > 0)
        table_.RemoveSearchPath(table_.GetSearchPath(0));
    RemoveTree(AppDataFolder() + "/" + developer_);
    res_.reset();
    QVI_InitBasePaths();
    g_core.api = savedCoreApi_;
    g_core.coreInitialized = savedCoreInitialized_;
    log_.reset();
    *qv = savedApi_;
}

bool FileSystemTest::WriteThrough(const char* path, const std::string& contents, const char* mode)
{
    FileHandle* file = table_.OpenFile(path, mode);
    if (!file)
        return false;
    int written = table_.Write(contents.data(), static_cast<int>(contents.size()), file);
    table_.CloseFile(file);
    return written == static_cast<int>(contents.size());
}

std::string FileSystemTest::ReadThrough(const char* path)
{
    FileHandle* file = table_.OpenFile(path, "rb");
    if (!file)
        return "<missing>";
    std::string contents;
    char chunk[256];
    for (int got; (got = table_.Read(chunk, sizeof chunk, file)) > 0;)
        contents.append(chunk, static_cast<size_t>(got));
    table_.CloseFile(file);
    return contents;
}

std::vector<std::string> FileSystemTest::Find(const char* path, const char* wildcards, bool recursive)
{
    StringList* list = table_.FindFiles(path, wildcards, recursive);
    std::vector<std::string> names;
    if (!list) {
        ADD_FAILURE() << "FindFiles answered null";
        return names;
    }
    for (int i = 0; i < list->count; ++i)
        names.push_back(list->items[i]);
    QV_FreeStringList(list);
    return names;
}

}  // namespace fs_test
