// Reading prog.xml and developer.xml: what lands in the default record and the switches,
// which file wins, what a missing or broken prog.xml does, the developer-mode check of ids
// used twice, and the features and product values the program asks for.
#include "config_fixture.h"

#include <cmath>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "engine/config/configuration_reader.h"
#include "core/core_state.h"
#include "data/datamanager/data_manager.h"
#include "platform/popups.h"

namespace {

class ReadingConfiguration : public config_test::ConfigurationTest {};

TEST_F(ReadingConfiguration, ApplicationValuesReachTheRecordCutToItsFieldsWithoutSplittingCharactersOrAVariant) {
    // 126 letters and a two-byte character: the cut at 127 bytes would split it.
    const std::string longName = std::string(126, 'n') + "\xC3\xA9";
    PutProgramXml("program_id=\"" + std::string(40, 'i') + "\" name=\"" + longName +
                  R"(" developer="Studio" version="1.2.3.4.5.6.7.8.9" fps_limit="120" reference_resolution="1024x768" )"
                  R"(locale="fi" control_interfaces="touch" store="app-store")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(std::string(Record().id), std::string(31, 'i'));
    EXPECT_EQ(std::string(Record().title), std::string(126, 'n'));
    EXPECT_STREQ(Record().developer_name, "Studio");
    EXPECT_STREQ(Record().version, "1.2.3.4.5.6.7.8");
    EXPECT_EQ(Record().video.frame_time_ms, 8);
    EXPECT_EQ(Record().video.reference_height, 768);
    EXPECT_STREQ(Record().video.language, "fi");
    EXPECT_STREQ(g_config.controlInterfaces.text, "touch");
    // Without variants there are no product values, not even APPLICATION's.
    EXPECT_EQ(g_config.variantId, nullptr);
    EXPECT_EQ(QVI_GetProductValue("store"), nullptr);
    EXPECT_EQ(quaven_test::LogCapture::CountContaining("Missing platform variant"), 0);
}

TEST(FpsLimit, GivesTheTruncatedFramePeriodAndNoPacingAtOrBelowMinusTwo) {
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(30.0f), 31);
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(0.0f), 500);
    // A divisor of zero or below: no pacing rather than a division by zero or a negative period.
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(-2.0f), 0);
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(std::nanf("")), 0);
    // A period beyond the int range is clamped, not wrapped.
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(-1.9999999f), 2147483647);
}

TEST_F(ReadingConfiguration, DeveloperXmlWinsDeveloperModeBecomesAFeatureAndAForcedResolutionSkipsTheVariants) {
    PutProgramXml(R"(features="A;B")", R"(<node id="WINDOWS" resolutions="800x600"/>)" "\n",
                  R"(console="0" logging="0")");
    PutDeveloperXml(R"(developer_mode="true" logging="1" logging_verbose_level="WARNINGS" console="t" )"
                    R"(features="X" console_toggle_key="ESCAPE" force_windowed="1" pak_folder="paks" )"
                    R"(force_resolution="1024x768")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(g_core.logging, 1);
    EXPECT_EQ(g_core.console, 1);
    EXPECT_EQ(g_core.loggingVerboseLevel, 1);
    EXPECT_EQ(g_config.consoleToggleKey, 27);
    EXPECT_EQ(Record().video.windowed, 1);
    EXPECT_STREQ(g_config.pakFolder, "paks/");
    EXPECT_STREQ(g_config.applicationFeatures, "A;B,DEVELOPER_MODE,X");
    EXPECT_TRUE(QV_HasFeature("DEVELOPER_MODE"));
    EXPECT_FALSE(QV_HasFeature("DEVELOPER"));
    // A forced resolution sets the size and skips the variant's resolutions.
    EXPECT_EQ(Record().video.width, 1024);
    EXPECT_EQ(g_config.selectionForcedHeight, 768);
    EXPECT_EQ(g_config.supportedResolutions, nullptr);
}

TEST_F(ReadingConfiguration, ProgXmlDeveloperNodeServesAloneAndSwitchesReadOnlyTheirFirstCharacter) {
    PutProgramXml("", "", R"(developer_mode="0" console="yes" logging="true" logging_verbose_level="verbose" )"
                          R"(force_windowed="true" console_toggle_key="NO_SUCH_KEY")");
    g_core.developerMode = 1;  // as a previous setting would leave it
    ASSERT_TRUE(Read());
    EXPECT_EQ(g_core.developerMode, 0);
    EXPECT_EQ(g_config.applicationFeatures, nullptr);
    EXPECT_EQ(g_core.console, 0);
    EXPECT_EQ(g_core.logging, 1);
    EXPECT_EQ(g_core.loggingVerboseLevel, 0);
    EXPECT_EQ(Record().video.windowed, 0);  // only exactly "1" forces a window
    EXPECT_EQ(g_config.consoleToggleKey, 0);
}


TEST_F(ReadingConfiguration, MissingProgXmlIsShownAndABrokenOneFailsQuietly) {
    EXPECT_FALSE(Read());
    EXPECT_EQ(CountReported("Cannot find prog.xml. It should be located in res://."), 1);
    PutFile("prog.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"PARAMETERS\">");
    EXPECT_FALSE(Read());
    EXPECT_EQ(CountReported("Cannot find prog.xml. It should be located in res://."), 1);
}

TEST_F(ReadingConfiguration, DeveloperPackagesNeedDeveloperModeAndDebugShadersDeveloperXml) {
    PutProgramXml("", "", R"(developer_mode="1" developer_packages="dev" debug_shaders="1")");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.developerPackages.text, "dev");
    EXPECT_EQ(g_config.debugShaders, 0);
    QVI_ResetProgramConfiguration();
    PutDeveloperXml(R"(developer_mode="0" developer_packages="dev" debug_shaders="1")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(g_config.developerPackages.text, nullptr);
    EXPECT_EQ(g_config.debugShaders, 1);
}

TEST_F(ReadingConfiguration, DuplicateIdsAreReportedPerPair) {
    PutXml("dup.xml", "<array id=\"list\">\n<node id=\"a\" x=\"1\"/>\n<node id=\"a\"/>\n<node id=\"a\"/>\n"
                      "<node/>\n<node/>\n<node x=\"1\" y=\"2\" x=\"3\" x=\"4\"/>\n</array>\n");
    const Database* database = DataManager::GetDatabase("res://dup.xml");
    ASSERT_EQ(database->arrays.count, 1);
    QVI_CheckDuplicateIds(database->arrays.data[0]);
    QVI_CheckDuplicateIds(nullptr);
    EXPECT_EQ(CountReported("Array 'list' contains two nodes with id 'a'."), 3);
    // A key the file gives three times: every pair of its copies.
    EXPECT_EQ(CountReported("Node 'null' contains duplicate parameters with id 'x'."), 3);
    EXPECT_EQ(quaven_test::LogCapture::Lines().size(), 6u);
}

TEST_F(ReadingConfiguration, FeaturesAreWholeTokensOfEitherListAndProductValuesPreferTheVariant) {
    // Before reading nothing is loaded.
    EXPECT_FALSE(QV_HasFeature("sound"));
    EXPECT_EQ(QVI_GetProductValue("store"), nullptr);
    EXPECT_EQ(DataManager::FindDatabase("res://prog.xml"), nullptr);
    PutProgramXml(R"(features="HD_EXTRA,sound;Big" store="app-store" url="https://example.com")",
                  R"(<node id="WINDOWS" features="VR NON_BLOCKING_POPUPS" store="win-store"/>)" "\n");
    ASSERT_TRUE(Read());
    for (const char* present : {"HD_EXTRA", "sound", "Big", "VR", "NON_BLOCKING_POPUPS"})
        EXPECT_TRUE(QV_HasFeature(present)) << present;
    for (const char* absent : {"HD", "VR NON", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(QV_HasFeature(absent)) << (absent ? absent : "null");
    // The popups learn from the lists whether they may run on their own thread.
    EXPECT_TRUE(QVI_IsNonBlockingPopupsFeatureSet());
    EXPECT_STREQ(QVI_GetProductValue("store"), "win-store");
    EXPECT_STREQ(qv->GetProductValue("url"), "https://example.com");
    EXPECT_EQ(QVI_GetProductValue(nullptr), nullptr);
}


}  // namespace
