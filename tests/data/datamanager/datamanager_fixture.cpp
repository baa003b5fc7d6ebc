#include "datamanager_fixture.h"

#include <windows.h>

#include <sstream>

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"

namespace datamanager_test {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

namespace {

QuavenFileSystemAPI g_fileSystem = {};

void AppendText(std::ostringstream& out, const char* text)
{
    if (text)
        out << '[' << text << ']';
    else
        out << "<null>";
}

void AppendParameters(std::ostringstream& out, const Array<DataParameter>& parameters)
{
    for (int i = 0; i < parameters.count; ++i) {
        out << ' ';
        AppendText(out, parameters.data[i].name);
        out << '=';
        AppendText(out, parameters.data[i].value);
    }
}

} // namespace

void DataManagerTest::SetUp()
{
    savedTable_ = *qv;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    QVI_InitFileSystem();
    QVI_FillFileSystemAPI(&g_fileSystem);
    qv->fileSystem = &g_fileSystem;
    log_.emplace();

    res_.emplace("datamanager");
}

void DataManagerTest::TearDown()
{
    res_.reset();
    log_.reset();
    *qv = savedTable_;
}

void DataManagerTest::PutFile(const std::string& relative, const std::string& contents)
{
    ASSERT_TRUE(res_->Put(relative, contents)) << relative;
}

bool DataManagerTest::FileThere(const std::string& relative) const
{
    return GetFileAttributesA(NativePath(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<std::string> DataManagerTest::Warnings() const
{
    std::vector<std::string> texts;
    for (const LogLine& line : quaven_test::LogCapture::Lines())
        if (line.kind == LogLine::LogEx && line.level == QV_LOG_WARNING)
            texts.push_back(line.text);
    return texts;
}

std::string Dump(const Database& database)
{
    std::ostringstream out;
    for (int a = 0; a < database.arrays.count; ++a) {
        const DataArray* array = database.arrays.data[a];
        out << "array ";
        AppendText(out, array->id);
        AppendParameters(out, array->parameters);
        out << '\n';
        for (int n = 0; n < array->nodes.count; ++n) {
            const DataNode* node = array->nodes.data[n];
            out << "  node ";
            AppendText(out, node->id);
            AppendParameters(out, node->parameters);
            out << '\n';
        }
    }
    return out.str();
}

} // namespace datamanager_test
