#include "support/engine_table.h"

#include <cstring>

#include "core/configuration.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"

namespace quaven_test {

EngineTable::EngineTable() : saved_(*qv), savedCore_(g_core) {
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    log_.emplace(qv);
}

EngineTable::~EngineTable() {
    log_.reset();
    memcpy(savedCore_.locks, g_core.locks, sizeof savedCore_.locks);
    g_core = savedCore_;
    *qv = saved_;
}

ScopedManifest::ScopedManifest() : array_("manifest") { g_config.manifestArrays.Add(&array_); }

ScopedManifest::~ScopedManifest() {
    for (int i = g_config.manifestArrays.count - 1; i >= 0; --i)
        if (g_config.manifestArrays.data[i] == &array_) {
            g_config.manifestArrays.RemoveAt(i);
            break;
        }
}

ScopedManifest& ScopedManifest::Add(const char* id,
                                    std::initializer_list<std::pair<const char*, const char*>> parameters) {
    DataNode* node = new DataNode(nullptr);
    node->SetParameter("id", id);
    for (const auto& [name, value] : parameters) node->SetParameter(name, value);
    array_.nodes.Add(node);
    return *this;
}

void EngineFilesTest::SetUp() {
    ASSERT_TRUE(QVI_InitFileSystem());
    // The file system sets the roots anew: res:// goes to the test's folder after it.
    res_.emplace("files");
    RemoveSearchPaths();
    LogCapture::Clear();
}

void EngineFilesTest::TearDown() {
    RemoveSearchPaths();
    res_.reset();
}

bool WriteThrough(const char* path, const std::string& contents, const char* mode) {
    const QuavenFileSystemAPI* fs = qv->fileSystem;
    FileHandle* file = fs->OpenFile(path, mode);
    const int written = file ? fs->Write(contents.data(), static_cast<int>(contents.size()), file) : -1;
    fs->CloseFile(file);
    return written == static_cast<int>(contents.size());
}

std::string ReadThrough(const char* path) {
    const QuavenFileSystemAPI* fs = qv->fileSystem;
    FileHandle* file = fs->OpenFile(path, "rb");
    if (!file)
        return "<missing>";
    std::string contents;
    char chunk[4096];
    for (int got; (got = fs->Read(chunk, sizeof chunk, file)) > 0;)
        contents.append(chunk, static_cast<size_t>(got));
    fs->CloseFile(file);
    return contents;
}

std::vector<std::string> EngineFilesTest::Find(const char* path, const char* wildcards, bool recursive) {
    StringList* list = fs()->FindFiles(path, wildcards, recursive);
    EXPECT_NE(list, nullptr) << "FindFiles answered null";
    if (!list)
        return {};
    std::vector<std::string> names(list->items, list->items + list->count);
    QV_FreeStringList(list);
    return names;
}

}  // namespace quaven_test
