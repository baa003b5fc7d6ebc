// Common ground of the configuration tests: the engine's API table with the real file
// system, res:// in a fresh temporary folder where each test writes its prog.xml and
// developer.xml, a clean configuration, and every log line and popup captured.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/configuration.h"
#include "quaven/api.h"
#include "support/log_capture.h"
#include "support/res_folder.h"

namespace config_test {

class ConfigurationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes res://<name> with the XML declaration and <root> around body.
    void PutXml(const std::string& name, const std::string& body);
    void PutFile(const std::string& name, const std::string& contents);
    // prog.xml with a PARAMETERS array holding APPLICATION (attributes as written, e.g.
    // R"(name="Game")") and, when given, a VARIANTS array of the given nodes.
    void PutProgramXml(const std::string& applicationAttributes, const std::string& variantNodes = "");
    // developer.xml with a PARAMETERS/DEVELOPER node of those attributes.
    void PutDeveloperXml(const std::string& developerAttributes);

    // Runs the reader off the main thread: popups meant for the person then come back
    // as LogEx lines instead of blocking the test.
    bool Read();

    // Texts reported at all (log lines, LogPopup texts and popups shown to the user).
    std::vector<std::string> Texts() const { return quaven_test::LogCapture::Texts(); }
    int CountReported(const std::string& text) const { return quaven_test::LogCapture::Count(text); }
    std::vector<std::string> SearchPaths() const;

    ProgramInterface& Record() { return g_config.defaultRecord; }

private:
    std::unique_ptr<quaven_test::LogCapture> capture_;
    std::optional<quaven_test::ResFolder> res_;
    QuavenAPI savedTable_ = {};
    ProgramInterface* savedSettings_ = nullptr;
};

}  // namespace config_test
