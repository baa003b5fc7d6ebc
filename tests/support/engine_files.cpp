#include "support/engine_files.h"

#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/open_files.h"

namespace quaven_test {

void EngineFilesTest::SetUp()
{
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    capture_.emplace(qv);
    ASSERT_TRUE(QVI_InitFileSystem());
    // The file system sets the roots anew: res:// goes to the test's folder after it.
    res_.emplace("files");
    RemoveSearchPaths();
    LogCapture::Clear();
}

void EngineFilesTest::TearDown()
{
    RemoveSearchPaths();
    res_.reset();
    capture_.reset();
    *qv = savedTable_;
}

bool EngineFilesTest::WriteThrough(const char* path, const std::string& contents, const char* mode)
{
    FileHandle* file = fs()->OpenFile(path, mode);
    const int written = file ? fs()->Write(contents.data(), static_cast<int>(contents.size()), file) : -1;
    fs()->CloseFile(file);
    return written == static_cast<int>(contents.size());
}

std::string EngineFilesTest::ReadThrough(const char* path)
{
    FileHandle* file = fs()->OpenFile(path, "rb");
    if (!file)
        return "<missing>";
    std::string contents;
    char chunk[256];
    for (int got; (got = fs()->Read(chunk, sizeof chunk, file)) > 0;)
        contents.append(chunk, static_cast<size_t>(got));
    fs()->CloseFile(file);
    return contents;
}

std::vector<std::string> EngineFilesTest::Find(const char* path, const char* wildcards, bool recursive)
{
    StringList* list = fs()->FindFiles(path, wildcards, recursive);
    if (!list) {
        ADD_FAILURE() << "FindFiles answered null";
        return {};
    }
    std::vector<std::string> names(list->items, list->items + list->count);
    QV_FreeStringList(list);
    return names;
}

std::vector<std::string> EngineFilesTest::SearchPaths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < fs()->GetSearchPathCount(); ++i)
        paths.push_back(fs()->GetSearchPath(i));
    return paths;
}

void EngineFilesTest::RemoveSearchPaths()
{
    while (fs()->GetSearchPathCount() > 0)
        fs()->RemoveSearchPath(fs()->GetSearchPath(0));
}

}  // namespace quaven_test
