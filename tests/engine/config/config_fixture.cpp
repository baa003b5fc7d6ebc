#include "config_fixture.h"

#include <windows.h>

#include <thread>

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "engine/config/configuration_reader.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "filesystem/backends.h"
#include "filesystem/search_path_manifest.h"
#include "platform/popup_seams.h"

namespace config_test {

namespace {

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

    res_.emplace("config");
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
    res_.reset();
    ResetConfigurationSwitches();
    g_core.settings = savedSettings_;
    capture_.reset();
    *qv = savedTable_;
}

void ConfigurationTest::PutFile(const std::string& name, const std::string& contents)
{
    ASSERT_TRUE(res_->Put(name, contents)) << name;
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
