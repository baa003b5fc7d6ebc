#include "datamanager_fixture.h"

#include <windows.h>

#include <fstream>
#include <sstream>

#include "core/api_pointer.h"
#include "core/api_table.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/backends.h"
#include "filesystem/filesystem_api.h"
#include "filesystem/scheme.h"
#include "filesystem/url_roots.h"
#include "support/process.h"

namespace datamanager_test {

const char* const kDeclaration = "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n";

namespace {

QuavenFileSystemAPI g_fileSystem = {};

std::string WithForwardSlashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    while (!path.empty() && path.back() == '/')
        path.pop_back();
    return path;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "/*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = folder + "/" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    SetFileAttributesA(folder.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(folder.c_str());
}

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

    root_ = WithForwardSlashes(quaven_test::MakeTempDir("datamanager"));
    hadResRoot_ = g_currentUrlRoots[SCHEME_RES].text != nullptr;
    savedResRoot_ = hadResRoot_ ? g_currentUrlRoots[SCHEME_RES].text : "";
    g_currentUrlRoots[SCHEME_RES].Assign(root_.c_str());

    cachedBefore_ = DataManager::databases.count;
}

void DataManagerTest::TearDown()
{
    // Every test names its files alike ("res://a.xml"): what one test cached must not
    // answer the next one.
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);

    RemoveTree(root_);
    if (hadResRoot_)
        g_currentUrlRoots[SCHEME_RES].Assign(savedResRoot_.c_str());
    else
        g_currentUrlRoots[SCHEME_RES] = String();
    log_.reset();
    *qv = savedTable_;
}

void DataManagerTest::PutFile(const std::string& relative, const std::string& contents)
{
    ASSERT_TRUE(quaven_test::WriteFile(NativePath(relative), contents)) << relative;
}

std::string DataManagerTest::GetFile(const std::string& relative) const
{
    return quaven_test::ReadFile(NativePath(relative));
}

bool DataManagerTest::FileThere(const std::string& relative) const
{
    return GetFileAttributesA(NativePath(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<LogLine> DataManagerTest::Lines() const
{
    return quaven_test::LogCapture::Lines();
}

std::vector<std::string> DataManagerTest::Popups() const
{
    return quaven_test::LogCapture::PopupTexts();
}

std::vector<std::string> DataManagerTest::Warnings() const
{
    std::vector<std::string> texts;
    for (const LogLine& line : Lines())
        if (line.kind == LogLine::LogEx && line.level == QV_LOG_WARNING)
            texts.push_back(line.text);
    return texts;
}

void DataManagerTest::ClearLines()
{
    quaven_test::LogCapture::Clear();
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
