// Common ground of the configuration tests: the engine's API table with the real file
// system, res:// in a fresh temporary folder where each test writes its prog.xml and
// developer.xml, a clean configuration, and every log line and popup captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "engine/config/configuration_reader.h"
#include "filesystem/backends.h"
#include "filesystem/search_paths.h"
#include "platform/popups.h"
#include "quaven/api.h"
#include "support/log_capture.h"
#include "support/res_folder.h"

namespace config_test {

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override
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

    void TearDown() override
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

    void PutFile(const std::string& name, const std::string& contents)
    {
        ASSERT_TRUE(res_->Put(name, contents)) << name;
    }
    // Writes res://<name> with the XML declaration and <root> around body.
    void PutXml(const std::string& name, const std::string& body)
    {
        PutFile(name, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" + body + "</root>\n");
    }
    // prog.xml with a PARAMETERS array holding APPLICATION (attributes as written, e.g.
    // R"(name="Game")") and, when given, a VARIANTS array of the given nodes.
    void PutProgramXml(const std::string& applicationAttributes, const std::string& variantNodes = "")
    {
        std::string body =
            "<array id=\"PARAMETERS\">\n<node id=\"APPLICATION\" " + applicationAttributes + "/>\n</array>\n";
        if (!variantNodes.empty())
            body += "<array id=\"VARIANTS\">\n" + variantNodes + "</array>\n";
        PutXml("prog.xml", body);
    }
    // developer.xml with a PARAMETERS/DEVELOPER node of those attributes.
    void PutDeveloperXml(const std::string& developerAttributes)
    {
        PutXml("developer.xml",
               "<array id=\"PARAMETERS\">\n<node id=\"DEVELOPER\" " + developerAttributes + "/>\n</array>\n");
    }

    // Runs the reader off the main thread: popups meant for the person then come back
    // as LogEx lines instead of blocking the test.
    bool Read()
    {
        bool answer = false;
        std::thread reader([&answer] { answer = QVI_ReadProgramConfiguration(); });
        reader.join();
        return answer;
    }

    // Texts reported at all (log lines, LogPopup texts and popups shown to the user).
    std::vector<std::string> Texts() const { return quaven_test::LogCapture::Texts(); }
    int CountReported(const std::string& text) const { return quaven_test::LogCapture::Count(text); }
    std::vector<std::string> SearchPaths() const
    {
        std::vector<std::string> paths;
        for (int i = 0; i < qv->fileSystem->GetSearchPathCount(); ++i)
            paths.push_back(qv->fileSystem->GetSearchPath(i));
        return paths;
    }

    ProgramInterface& Record() { return g_config.defaultRecord; }

private:
    static void RemoveAllSearchPaths()
    {
        while (qv->fileSystem->GetSearchPathCount() > 0)
            qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
    }

    static void ResetConfigurationSwitches()
    {
        g_core.developerMode = 0;
        g_core.logging = 0;
        g_core.console = 0;
        g_core.loggingVerboseLevel = 0;
    }

    std::unique_ptr<quaven_test::LogCapture> capture_;
    std::optional<quaven_test::ResFolder> res_;
    QuavenAPI savedTable_ = {};
    ProgramInterface* savedSettings_ = nullptr;
};

}  // namespace config_test
