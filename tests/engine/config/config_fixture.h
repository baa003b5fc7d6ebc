// The configuration tests' ground: the engine with its file system, res:// in a fresh folder
// where each test writes its prog.xml and developer.xml, and a clean configuration.
#pragma once

#include <thread>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/config/configuration_reader.h"
#include "filesystem/search_paths.h"
#include "platform/popups.h"
#include "support/engine_table.h"

namespace config_test {

class ConfigurationTest : public quaven_test::EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        g_core.settings = nullptr;
        ResetConfiguration();
    }

    void TearDown() override {
        QVI_SetSearchPathManifestRegistrar(nullptr);
        QVI_SetNonBlockingPopupsFeature(false);
        // The manifest lists point into cached databases: forget them before those go.
        RemoveSearchPaths();
        ResetConfiguration();
        EngineFilesTest::TearDown();
    }

    // Writes res://<name> with the XML declaration and <root> around body.
    void PutXml(const std::string& name, const std::string& body) {
        PutFile(name, "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root>\n" + body + "</root>\n");
    }
    // prog.xml with a PARAMETERS array holding APPLICATION (attributes as written, e.g.
    // R"(name="Game")") and DEVELOPER when given, and a VARIANTS array of the nodes given.
    void PutProgramXml(const std::string& application, const std::string& variantNodes = "",
                       const std::string& developer = "") {
        PutXml("prog.xml", "<array id=\"PARAMETERS\">\n<node id=\"APPLICATION\" " + application + "/>\n" +
                               (developer.empty() ? "" : "<node id=\"DEVELOPER\" " + developer + "/>\n") +
                               "</array>\n" +
                               (variantNodes.empty() ? "" : "<array id=\"VARIANTS\">\n" + variantNodes + "</array>\n"));
    }
    // developer.xml with a PARAMETERS/DEVELOPER node of those attributes.
    void PutDeveloperXml(const std::string& developerAttributes) {
        PutXml("developer.xml",
               "<array id=\"PARAMETERS\">\n<node id=\"DEVELOPER\" " + developerAttributes + "/>\n</array>\n");
    }

    // Runs the reader off the main thread: popups meant for the person then come back
    // as LogEx lines instead of blocking the test.
    bool Read() {
        bool answer = false;
        std::thread([&answer] { answer = QVI_ReadProgramConfiguration(); }).join();
        return answer;
    }

    // Texts reported at all: log lines, LogPopup texts and popups shown to the user.
    static int CountReported(const std::string& text) { return quaven_test::LogCapture::Count(text); }
    static ProgramInterface& Record() { return g_config.defaultRecord; }

private:
    // The configuration as before reading, its switches off.
    static void ResetConfiguration() {
        QVI_ResetProgramConfiguration();
        g_core.developerMode = g_core.logging = g_core.console = g_core.loggingVerboseLevel = 0;
    }
};

}  // namespace config_test
