// Choosing the platform variant, what it overrides, its resolutions and the data packages
// of its sound formats, the developer-mode checks of VARIANTS, and the end of the run when
// no variant fits.
#include "config_fixture.h"

#include "platform/windows/win32.h"

#include "filesystem/paths.h"
#include "support/child_run.h"
#include "support/process.h"

namespace {

using config_test::ConfigurationTest;

class ChoosingVariant : public ConfigurationTest {};

const char kVariantsForSizes[] = "<node id=\"WINDOWS/MEDIUM\" name=\"Medium\"/>\n"
                                 "<node id=\"WINDOWS\" name=\"General\" version=\"2.0\"/>\n";

TEST_F(ChoosingVariant, SizeSpecificNodeIsPreferredOverTheGeneralOne) {
    g_config.deviceScreenSize = SCREEN_SIZE_MEDIUM;
    PutProgramXml(R"(name="Application" version="1.0")", kVariantsForSizes);
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.variantId, "WINDOWS/MEDIUM");
    EXPECT_STREQ(Record().title, "Medium");
    EXPECT_STREQ(Record().version, "1.0");
    // The general node serves a device of another size.
    QVI_ResetProgramConfiguration();
    g_config.deviceScreenSize = SCREEN_SIZE_LARGE;
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.variantId, "WINDOWS");
    EXPECT_STREQ(Record().version, "2.0");
}

TEST_F(ChoosingVariant, ForcedVariantTakesAnotherPlatformWithItsSoundFormats) {
    // The emptied size-specific id must not pick the node with an empty id.
    PutProgramXml("", "<node id=\"\" name=\"Nameless\"/>\n<node id=\"WINDOWS\" name=\"Windows\"/>\n"
                      "<node id=\"ANDROID/LARGE\" name=\"Android large\"/>\n"
                      "<node id=\"ANDROID\" name=\"Android\"/>\n");
    PutDeveloperXml(R"(force_variant="ANDROID")");
    PutFile("data-music-MP3_44100.pak", "");
    PutFile("data-sfx-OGG_44100.pak", "");  // the Windows format: not Android's
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.variantId, "ANDROID");
    EXPECT_STREQ(Record().title, "Android");
    EXPECT_EQ(Record().video.windowed, 1);
    EXPECT_STREQ(g_config.musicPackage.text, "data-music-MP3_44100");
    EXPECT_EQ(g_config.soundFxPackage.text, nullptr);
}

const char* AnswerLanguage(const char* command, const char* argument) {
    return std::string(command) == "GetLanguage" && !argument ? "EN-gb" : nullptr;
}

TEST_F(ChoosingVariant, AutoLocaleAsksThePlatformAndKeepsAutoWithoutAnAnswer) {
    PutProgramXml(R"(locale="de")", R"(<node id="WINDOWS" locale="auto"/>)" "\n");
    qv->PlatformCommand = AnswerLanguage;
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.language, "en-gb");
    EXPECT_EQ(Record().video.language, g_config.language);
    QVI_ResetProgramConfiguration();
    qv->PlatformCommand = nullptr;
    ASSERT_TRUE(Read());
    EXPECT_STREQ(Record().video.language, "auto");
}

TEST_F(ChoosingVariant, ResolutionsDefaultToAnyAndOnIosFollowTheSizeClassAndOrientation) {
    PutProgramXml(R"(reference_resolution="768x1024")", "<node id=\"WINDOWS\"/>\n<node id=\"IOS\"/>\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.supportedResolutions, "*");
    EXPECT_EQ(CountReported("Supported resolutions: '*'."), 1);
    QVI_ResetProgramConfiguration();
    g_config.devicePlatform = 3;
    g_config.deviceScreenSize = SCREEN_SIZE_LARGE;
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.supportedResolutions, "1668x2388,1668x2224,1536x2048,768x1024");
}

TEST_F(ChoosingVariant, DeprecatedKeysAndRepeatedIdsAreReportedAndOldSoundFormatsStillNameThePackages) {
    PutProgramXml("",
                  R"(<node id="WINDOWS" input_implementation="old" renderer_implementation="x" )"
                  R"(sound_implementation="y" program_library="z" music_format="OGG_44100" )"
                  R"(sound_fx_format="@open:WAV_22050"/>)"
                  "\n<node id=\"METRO\"/>\n<node id=\"METRO\"/>\n",
                  R"(developer_mode="1" input_implementations="pads")");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.inputImplementations, "pads.dll");
    EXPECT_EQ(CountReported("There are multiple VARIANTS with id 'METRO' in prog.xml. There can be only one."), 2);
    EXPECT_EQ(CountReported("Deprecated variant id METRO found in prog.xml. Replace it with WINDOWS_RT."), 2);
    for (const char* key : {"program_library", "music_format", "sound_fx_format"})
        EXPECT_EQ(CountReported(std::string("Deprecated parm '") + key + "' in prog.xml. Remove it."), 1) << key;
    EXPECT_EQ(CountReported("Deprecated 'renderer_implementation' definition in prog.xml. Remove it."), 1);
    EXPECT_EQ(CountReported("Deprecated 'sound_implementation' definition in prog.xml. Remove it."), 1);
    EXPECT_EQ(CountReported("In prog.xml parameter input_implementation is not in use: use input_implementations "
                            "instead (note the s)."),
              1);
    EXPECT_STREQ(g_config.musicPackage.text, "data-music-OGG_44100");
    EXPECT_STREQ(g_config.soundFxPackage.text, "data-sfx-WAV_22050");
    EXPECT_EQ(CountReported("prog.xml:WINDOWS defines deprecated 'music_format' parameter 'OGG_44100'. Just remove "
                            "it.\n\nThis platform always uses music format 'OGG_44100'.\n\nSee "
                            "QUAVEN/docs/audio-formats-per-platform.txt for more info."),
              1);
    EXPECT_EQ(CountReported("prog.xml:WINDOWS defines deprecated 'sound_fx_format' parameter '@open:WAV_22050' but "
                            "the value differs from platform standard ('OGG_44100'). To fix the issue:\n1) Remove "
                            "'sound_fx_format' from prog.xml for this variant, and\n2) Add data-sfx-@open:WAV_22050 to "
                            "addon_packages.\n\nSee QUAVEN/docs/audio-formats-per-platform.txt for more info."),
              1);
}

// No variant for this platform: the person is told, then the run ends. Runs only as the
// child of the test below, in a folder of its own as res://.
TEST_F(ConfigurationTest, ChildReadsAConfigurationWithoutItsVariant) {
    const std::string root = quaven_test::ChildFolder();
    if (root.empty())
        GTEST_SKIP() << "runs only as the child of NoVariantForThisPlatform";
    quaven_test::WriteFile(root + "\\prog.xml",
                           "<?xml version=\"1.0\"?>\n<root><array id=\"VARIANTS\"><node id=\"IOS\"/></array></root>\n");
    g_currentUrlRoots[SCHEME_RES].Assign(root.c_str());
    // On the main thread, as start-up reads it: the popup is a real message box.
    QVI_ReadProgramConfiguration();
    quaven_test::NoteOutcome("returned");
}

TEST(NoVariantForThisPlatform, IsShownThenEndsTheProcessWithMinusOne) {
    const quaven_test::ChildRun run =
        quaven_test::RunChild("ConfigurationTest.ChildReadsAConfigurationWithoutItsVariant", "", "", "", 1);
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0xFFFFFFFFu);
    EXPECT_EQ(run.box, "No build variant found for current platform id 'WINDOWS'.\n\nUse force_variant to use "
                       "another platform for development purposes.");
    EXPECT_EQ(run.outcome, quaven_test::Lines{});
}

}  // namespace
