// Common ground of the configuration tests: the engine's API table with the real file
// system, res:// in a fresh temporary folder where each test writes its prog.xml and
// developer.xml, a clean configuration, and every log line and popup captured.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/api_pointer.h"
#include "core/config/program_configuration.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "engine/api_table.h"
#include "engine/config/configuration_reader.h"
#include "filesystem/backends.h"
#include "filesystem/search_paths.h"
#include "platform/popups.h"
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
        capture_.emplace(qv);
        res_.emplace("config");
        g_core.settings = nullptr;
        ResetConfiguration();
    }

    void TearDown() override
    {
        QVI_SetSearchPathManifestRegistrar(nullptr);
        QVI_SetNonBlockingPopupsFeature(false);
        // The manifest lists point into cached databases: forget them before those go.
        ResetConfiguration();
        res_.reset();
        g_core.settings = savedSettings_;
        capture_.reset();
        *qv = savedTable_;
    }

    void PutFile(const std::string& name, const std::string& contents) { ASSERT_TRUE(res_->Put(name, contents)) << name; }
    // Writes res://<name> with the XML declaration and <root> around body.
    void PutXml(const std::string& name, const std::string& body)
    {
        PutFile(name, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" + body + "</root>\n");
    }
    // prog.xml with a PARAMETERS array holding APPLICATION (attributes as written, e.g.
    // R"(name="Game")") and DEVELOPER when given, and a VARIANTS array of the nodes given.
    void PutProgramXml(const std::string& application, const std::string& variantNodes = "",
                       const std::string& developer = "")
    {
        PutXml("prog.xml", "<array id=\"PARAMETERS\">\n<node id=\"APPLICATION\" " + application + "/>\n" +
                               (developer.empty() ? "" : "<node id=\"DEVELOPER\" " + developer + "/>\n") + "</array>\n" +
                               (variantNodes.empty() ? "" : "<array id=\"VARIANTS\">\n" + variantNodes + "</array>\n"));
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
        std::thread([&answer] { answer = QVI_ReadProgramConfiguration(); }).join();
        return answer;
    }

    // Texts reported at all: log lines, LogPopup texts and popups shown to the user.
    static int CountReported(const std::string& text) { return quaven_test::LogCapture::Count(text); }
    static std::vector<std::string> SearchPaths()
    {
        std::vector<std::string> paths;
        for (int i = 0; i < qv->fileSystem->GetSearchPathCount(); ++i)
            paths.push_back(qv->fileSystem->GetSearchPath(i));
        return paths;
    }
    static ProgramInterface& Record() { return g_config.defaultRecord; }

private:
    // Switches off, configuration as before reading, no search paths.
    static void ResetConfiguration()
    {
        while (qv->fileSystem->GetSearchPathCount() > 0)
            qv->fileSystem->RemoveSearchPath(qv->fileSystem->GetSearchPath(0));
        QVI_ResetProgramConfiguration();
        g_core.developerMode = g_core.logging = g_core.console = g_core.loggingVerboseLevel = 0;
    }

    std::optional<quaven_test::LogCapture> capture_;
    std::optional<quaven_test::ResFolder> res_;
    QuavenAPI savedTable_ = {};
    ProgramInterface* savedSettings_ = nullptr;
};

}  // namespace config_test
