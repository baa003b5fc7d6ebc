#include "support/engine_files.h"

#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"

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

std::vector<std::string> EngineFilesTest::SearchPaths()
{
    std::vector<std::string> paths;
    for (int i = 0; i < qv->fileSystem->GetSearchPathCount(); ++i)
        paths.push_back(qv->fileSystem->GetSearchPath(i));
    return paths;
}

void EngineFilesTest::RemoveSearchPaths()
{
    while (qv->fileSystem->GetSearchPathCount() > 0)
        qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
}

}  // namespace quaven_test
