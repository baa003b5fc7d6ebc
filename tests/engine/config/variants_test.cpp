// Choosing the platform variant, what it overrides, the data packages of its sound
// formats, product values, and the end of the run when no variant fits.
#include "config_fixture.h"

#include <windows.h>

#include <string>

#include "core/engine_log.h"
#include "engine/config/configuration_reader.h"
#include "core/configuration.h"
#include "engine/config/product_value.h"
#include "core/threads.h"
#include "data/datamanager/data_manager.h"
#include "filesystem/scheme.h"
#include "filesystem/url_roots.h"
#include "support/files.h"
#include "support/popup_answerer.h"
#include "support/process.h"

namespace {

using config_test::ConfigurationTest;

class ChoosingVariant : public ConfigurationTest {};

const char kVariantsForSizes[] = "<node id=\"WINDOWS/MEDIUM\" name=\"Medium\"/>\n"
                                 "<node id=\"WINDOWS\" name=\"General\" version=\"2.0\"/>\n";

TEST_F(ChoosingVariant, SizeSpecificNodeIsPreferredOverTheGeneralOne)
{
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

TEST_F(ChoosingVariant, ForcedVariantTakesAnotherPlatformWithItsSoundFormats)
{
    PutProgramXml("", "<node id=\"WINDOWS\" name=\"Windows\"/>\n"
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

TEST_F(ChoosingVariant, DeprecatedSoundFormatsAreReportedAndStillNameThePackages)
{
    PutProgramXml("", R"(<node id="WINDOWS" music_format="OGG_44100" sound_fx_format="@open:WAV_22050"/>)" "\n");
    ASSERT_TRUE(Read());
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

const char* AnswerLanguage(const char* command, const char* argument)
{
    return std::string(command) == "GetLanguage" && !argument ? "EN-gb" : nullptr;
}

TEST_F(ChoosingVariant, AutoLocaleAsksThePlatformAndKeepsAutoWithoutAnAnswer)
{
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

TEST_F(ChoosingVariant, IosStarResolutionsFollowTheSizeClassAndOrientation)
{
    g_config.devicePlatform = 3;
    g_config.deviceScreenSize = SCREEN_SIZE_LARGE;
    PutProgramXml(R"(reference_resolution="768x1024")", R"(<node id="IOS"/>)" "\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.supportedResolutions, "1668x2388,1668x2224,1536x2048,768x1024");
}

TEST_F(ChoosingVariant, ProductValuesPreferTheVariantThenApplication)
{
    EXPECT_EQ(QVI_GetProductValue("store"), nullptr);  // before reading: nothing loaded
    EXPECT_EQ(DataManager::FindDatabase("res://prog.xml"), nullptr);

    PutProgramXml(R"(store="app-store" url="https://example.com")", R"(<node id="WINDOWS" store="win-store"/>)" "\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(QVI_GetProductValue("store"), "win-store");
    EXPECT_STREQ(qv->GetProductValue("url"), "https://example.com");
    EXPECT_EQ(QVI_GetProductValue(nullptr), nullptr);
}

TEST_F(ChoosingVariant, ProductValuesWithoutVariantsComeFromApplication)
{
    PutProgramXml(R"(store="app-store")");
    ASSERT_TRUE(Read());
    EXPECT_EQ(g_config.variantId, nullptr);
    EXPECT_STREQ(QVI_GetProductValue("store"), "app-store");
    for (const std::string& text : Texts())
        EXPECT_EQ(text.find("Missing platform variant"), std::string::npos) << text;
}

// ---- No variant for this platform: the person is told, then the run ends -------------

const char kChildRoot[] = "QUAVEN_CONFIG_CHILD_ROOT";

// Runs only as the child of the test below, which names the res:// folder.
TEST_F(ConfigurationTest, ChildReadsAConfigurationWithoutItsVariant)
{
    const std::string root = quaven_test::EnvironmentVariable(kChildRoot);
    if (root.empty())
        GTEST_SKIP() << "runs only as the child of NoVariantForThisPlatform";
    g_currentUrlRoots[SCHEME_RES].Assign(root.c_str());
    // On the main thread, as start-up reads it: the popup is a real message box.
    QVI_ReadProgramConfiguration();
    quaven_test::WriteFile(root + "/returned.txt", "returned");
}

TEST(NoVariantForThisPlatform, IsShownThenEndsTheProcessWithMinusOne)
{
    const std::string root = quaven_test::MakeTempDir("config-child");
    ASSERT_TRUE(quaven_test::WriteFile(root + "\\prog.xml", "<?xml version=\"1.0\"?>\n<root>\n"
                                                            "<array id=\"VARIANTS\"><node id=\"IOS\"/></array>\n"
                                                            "</root>\n"));
    quaven_test::ChildProcess child;
    ASSERT_TRUE(child.StartSelf("ConfigurationTest.ChildReadsAConfigurationWithoutItsVariant", {{kChildRoot, root}}));
    quaven_test::PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK}, 1, 30000, child.ProcessId()));
    DWORD exitCode = 0;
    ASSERT_TRUE(child.Wait(60000, &exitCode));
    EXPECT_TRUE(answerer.Finish());
    EXPECT_EQ(exitCode, 0xFFFFFFFFu);
    const std::vector<quaven_test::PopupRecord> boxes = answerer.Records();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, "No build variant found for current platform id 'WINDOWS'.\n\nUse force_variant to use "
                             "another platform for development purposes.");
    EXPECT_EQ(quaven_test::ReadFile(root + "\\returned.txt"), "");
    quaven_test::RemoveTree(root);
}

}  // namespace
