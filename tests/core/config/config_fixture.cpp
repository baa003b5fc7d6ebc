#include "config_fixture.h"

#include <windows.h>

#include <thread>

#include "core/api_pointer.h"
#include "core/api_table.h"
#include "core/config/configuration_reader.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/backends.h"
#include "filesystem/scheme.h"
#include "filesystem/search_path_manifest.h"
#include "filesystem/url_roots.h"
#include "platform/windows/popups/popup_seams.h"
#include "support/process.h"

namespace config_test {

namespace {

std::string ForwardSlashes(std::string path)
{
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "/*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "/" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                DeleteFileA(path.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryA(folder.c_str());
}

void RemoveAllSearchPaths()
{
    while (qv->fileSystem->GetSearchPathCount() > 0)
        qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
}

void ResetConfigurationSwitches()
{
    g_core.developerMode = 0;
    g_core.logging = 0;
    g_core.console = 0;
    g_core.loggingVerboseLevel = 0;
}

}  // namespace

void ConfigurationTest::SetUp()
{
    savedTable_ = *qv;
    savedSettings_ = g_core.settings;
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    QVI_CreateEngineLocks();
    ASSERT_TRUE(QVI_InitFileSystem());
    capture_ = std::make_unique<quaven_test::LogCapture>(qv);

    root_ = ForwardSlashes(quaven_test::MakeTempDir("config"));
    hadResRoot_ = g_currentUrlRoots[SCHEME_RES].text != nullptr;
    savedResRoot_ = hadResRoot_ ? g_currentUrlRoots[SCHEME_RES].text : "";
    g_currentUrlRoots[SCHEME_RES].Assign(root_.c_str());

    cachedBefore_ = DataManager::databases.count;
    g_core.settings = nullptr;
    ResetConfigurationSwitches();
    QVI_ResetProgramConfiguration();
    RemoveAllSearchPaths();
}

void ConfigurationTest::TearDown()
{
    QVI_SetSearchPathManifestRegistrar(nullptr);
    QVI_SetNonBlockingPopupsFeature(false);
    RemoveAllSearchPaths();
    // The manifest lists point into cached databases: forget them before those go.
    QVI_ResetProgramConfiguration();
    while (DataManager::databases.count > cachedBefore_)
        DataManager::UnloadDatabase(DataManager::databases.data[DataManager::databases.count - 1]);
    ResetConfigurationSwitches();
    g_core.settings = savedSettings_;

    RemoveTree(root_);
    capture_.reset();
    if (hadResRoot_)
        g_currentUrlRoots[SCHEME_RES].Assign(savedResRoot_.c_str());
    else
        g_currentUrlRoots[SCHEME_RES] = String();
    *qv = savedTable_;
}

void ConfigurationTest::PutFile(const std::string& name, const std::string& contents)
{
    ASSERT_TRUE(quaven_test::WriteFile(root_ + "/" + name, contents)) << name;
}

void ConfigurationTest::PutXml(const std::string& name, const std::string& body)
{
    PutFile(name, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" + body + "</root>\n");
}

void ConfigurationTest::PutProgramXml(const std::string& applicationAttributes, const std::string& variantNodes)
{
    std::string body = "<array id=\"PARAMETERS\">\n<node id=\"APPLICATION\" " + applicationAttributes + "/>\n</array>\n";
    if (!variantNodes.empty())
        body += "<array id=\"VARIANTS\">\n" + variantNodes + "</array>\n";
    PutXml("prog.xml", body);
}

void ConfigurationTest::PutDeveloperXml(const std::string& developerAttributes)
{
    PutXml("developer.xml",
           "<array id=\"PARAMETERS\">\n<node id=\"DEVELOPER\" " + developerAttributes + "/>\n</array>\n");
}

bool ConfigurationTest::Read()
{
    bool answer = false;
    std::thread reader([&answer] { answer = QVI_ReadProgramConfiguration(); });
    reader.join();
    return answer;
}

std::vector<std::string> ConfigurationTest::SearchPaths() const
{
    std::vector<std::string> paths;
    for (int i = 0; i < qv->fileSystem->GetSearchPathCount(); ++i)
        paths.push_back(qv->fileSystem->GetSearchPath(i));
    return paths;
}

}  // namespace config_test
