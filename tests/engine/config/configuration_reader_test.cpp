// Reading prog.xml and developer.xml: what lands in the default record and the switches,
// which file wins, and what a missing or broken prog.xml does.
#include "config_fixture.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "core/configuration.h"
#include "engine/config/configuration_reader.h"
#include "core/core_state.h"
#include "engine/config/configuration_seams.h"
#include "platform/popup_seams.h"

namespace {

using config_test::ConfigurationTest;

class ReadingConfiguration : public ConfigurationTest {};

TEST_F(ReadingConfiguration, IdentityIsCutToTheRecordFieldsWithoutSplittingCharacters)
{
    const std::string longId(40, 'i');
    // 126 letters and a two-byte character: the cut at 127 bytes would split it.
    const std::string longName = std::string(126, 'n') + "\xC3\xA9";
    PutProgramXml("program_id=\"" + longId + "\" name=\"" + longName +
                  "\" developer=\"Studio\" version=\"1.2.3.4.5.6.7.8.9\"");
    ASSERT_TRUE(Read());
    EXPECT_EQ(std::string(Record().id), std::string(31, 'i'));
    EXPECT_EQ(std::string(Record().title), std::string(126, 'n'));
    EXPECT_STREQ(Record().developer_name, "Studio");
    EXPECT_STREQ(Record().version, "1.2.3.4.5.6.7.8");
}

TEST(FpsLimit, GivesTheTruncatedFramePeriodAndNoPacingAtOrBelowMinusTwo)
{
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(30.0f), 31);
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(0.0f), 500);
    // A divisor of zero or below: no pacing rather than a division by zero or a negative period.
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(-2.0f), 0);
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(std::nanf("")), 0);
    // A period beyond the int range is clamped, not wrapped.
    EXPECT_EQ(QVI_FrameTimeFromFpsLimit(-1.9999999f), 2147483647);
}

TEST_F(ReadingConfiguration, ApplicationValuesReachTheRecord)
{
    PutProgramXml(R"(fps_limit="120" reference_resolution="1024x768" locale="fi" control_interfaces="touch")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(Record().video.frame_time_ms, 8);
    EXPECT_EQ(Record().video.reference_height, 768);
    EXPECT_STREQ(Record().video.language, "fi");
    EXPECT_STREQ(g_config.controlInterfaces.text, "touch");
}

TEST_F(ReadingConfiguration, DeveloperXmlWinsAndDeveloperModeBecomesAFeature)
{
    PutXml("prog.xml", "<array id=\"PARAMETERS\">\n"
                       "<node id=\"APPLICATION\" features=\"A;B\"/>\n"
                       "<node id=\"DEVELOPER\" console=\"0\" logging=\"0\"/>\n"
                       "</array>\n");
    PutDeveloperXml(R"(developer_mode="true" logging="1" logging_verbose_level="WARNINGS" console="t" )"
                    R"(features="X" console_toggle_key="ESCAPE" force_windowed="1" pak_folder="paks")");
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
}

TEST_F(ReadingConfiguration, ProgXmlDeveloperNodeServesAloneAndSwitchesReadOnlyTheirFirstCharacter)
{
    PutXml("prog.xml", "<array id=\"PARAMETERS\">\n"
                       "<node id=\"APPLICATION\"/>\n"
                       "<node id=\"DEVELOPER\" developer_mode=\"0\" console=\"yes\" logging=\"true\" "
                       "logging_verbose_level=\"verbose\" force_windowed=\"true\" console_toggle_key=\"NO_SUCH_KEY\"/>\n"
                       "</array>\n");
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

TEST_F(ReadingConfiguration, ForcedResolutionSetsTheSizeAndSkipsTheVariantResolutions)
{
    PutProgramXml("", R"(<node id="WINDOWS" resolutions="800x600"/>)" "\n");
    PutDeveloperXml(R"(force_resolution="1024x768")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(Record().video.width, 1024);
    EXPECT_EQ(Record().video.windowed, 1);
    EXPECT_EQ(g_config.selectionForcedHeight, 768);
    EXPECT_EQ(g_config.supportedResolutions, nullptr);
}

TEST_F(ReadingConfiguration, VariantResolutionsDefaultToAnyAndAreLogged)
{
    PutProgramXml("", R"(<node id="WINDOWS"/>)" "\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.supportedResolutions, "*");
    EXPECT_EQ(CountReported("Supported resolutions: '*'."), 1);
}

TEST_F(ReadingConfiguration, MissingProgXmlIsShownAndABrokenOneFailsQuietly)
{
    EXPECT_FALSE(Read());
    EXPECT_EQ(CountReported("Cannot find prog.xml. It should be located in res://."), 1);

    PutFile("prog.xml", "<?xml version=\"1.0\"?>\n<root><array id=\"PARAMETERS\">");
    EXPECT_FALSE(Read());
    EXPECT_EQ(CountReported("Cannot find prog.xml. It should be located in res://."), 1);
}

TEST_F(ReadingConfiguration, FeaturesAreWholeTokensOfEitherList)
{
    PutProgramXml(R"(features="HD_EXTRA,sound;Big")", R"(<node id="WINDOWS" features="VR NON_BLOCKING_POPUPS"/>)" "\n");
    EXPECT_FALSE(QV_HasFeature("sound"));  // nothing read yet
    ASSERT_TRUE(Read());
    for (const char* present : {"HD_EXTRA", "sound", "Big", "VR", "NON_BLOCKING_POPUPS"})
        EXPECT_TRUE(QV_HasFeature(present)) << present;
    for (const char* absent : {"HD", "soun", "VR NON", "", static_cast<const char*>(nullptr)})
        EXPECT_FALSE(QV_HasFeature(absent)) << (absent ? absent : "null");
    // The popups learn from the lists whether they may run on their own thread.
    EXPECT_TRUE(QVI_IsNonBlockingPopupsFeatureSet());
}

TEST_F(ReadingConfiguration, InputImplementationsAndDeprecatedKeysOfTheVariant)
{
    PutXml("prog.xml", "<array id=\"PARAMETERS\">\n"
                       "<node id=\"APPLICATION\"/>\n"
                       "<node id=\"DEVELOPER\" developer_mode=\"1\" input_implementations=\"pads\"/>\n"
                       "</array>\n"
                       "<array id=\"VARIANTS\">\n"
                       "<node id=\"WINDOWS\" input_implementation=\"old\" renderer_implementation=\"x\" "
                       "sound_implementation=\"y\" program_library=\"z\"/>\n"
                       "<node id=\"METRO\"/>\n"
                       "<node id=\"METRO\"/>\n"
                       "</array>\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.inputImplementations, "pads.dll");
    const std::vector<std::string> texts = Texts();
    auto reported = [&](const std::string& text) { return std::count(texts.begin(), texts.end(), text); };
    EXPECT_EQ(reported("There are multiple VARIANTS with id 'METRO' in prog.xml. There can be only one."), 2);
    EXPECT_EQ(reported("Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT."), 2);
    EXPECT_EQ(reported("Deprecated parm 'program_library' in prog.xml. Remove it."), 1);
    EXPECT_EQ(reported("Deprecated 'renderer_implementation' definition in prog.xml. Remove it."), 1);
    EXPECT_EQ(reported("Deprecated 'sound_implementation' definition in prog.xml. Remove it."), 1);
    EXPECT_EQ(reported("In prog.xml parameter input_implementation is not in use: use input_implementations "
                       "instead (note the s)."),
              1);
}

}  // namespace
