// String commands through the API table: the engine's own commands, the order in which the
// handlers are asked, answers kept per thread, and the resource commands over real pools.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <future>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "engine/platform_command.h"
#include "engine/program/program_library.h"
#include "filesystem/paths.h"
#include "engine/config/config_fixture.h"
#include "text/fonts/font_fixture.h"

namespace {

using quaven_test::LogCapture;

std::string Ask(const char* command, const char* argument = nullptr) {
    const char* answer = qv->PlatformCommand(command, argument);
    return answer ? answer : "(null)";
}

// What the fake neighbours saw, in order.
std::vector<std::string> g_asked;
bool g_storeAvailable = false;

const char* ExtensionCommand(const char* command, const char* argument) {
    g_asked.push_back(std::string("ext:") + command);
    return std::string(command) == "ListResourceUsage" && argument && std::string(argument) == "mine" ? "module" : nullptr;
}
const char* InputCommand(const char* command) {
    g_asked.push_back(std::string("input:") + command);
    return nullptr;
}
bool InAppPurchase(bool* available) {
    *available = g_storeAvailable;
    return true;
}
void PurchaseItem(const char* item) { g_asked.push_back(std::string("buy:") + item); }

class PlatformCommandTest : public font_test::FontTest {
protected:
    void SetUp() override {
        FontTest::SetUp();
        g_asked.clear();
        g_storeAvailable = false;
        PlatformCommandServices services = {};
        services.inAppPurchase = InAppPurchase;
        services.purchaseItem = PurchaseItem;
        services.extensionCommand = ExtensionCommand;
        services.inputCommand = InputCommand;
        QVI_SetPlatformCommandServices(services);
    }
    void TearDown() override {
        QVI_SetPlatformCommandServices(PlatformCommandServices{});
        QVI_KeepCommandLine("");
        FontTest::TearDown();
    }
};

TEST_F(PlatformCommandTest, TheHandlersAreAskedInTheirOrder) {
    EXPECT_EQ(Ask(nullptr, "anything"), "(null)");
    EXPECT_TRUE(g_asked.empty());

    // The Windows layer answers before the extension modules ever see the command.
    EXPECT_EQ(Ask("SystemInfo"), "DEPRECATED");
    EXPECT_TRUE(g_asked.empty());

    // The store answers only while its implementation is available; otherwise the command
    // goes on down to the modules and, with a ready renderer, to the input implementations.
    EXPECT_EQ(Ask("IAP_IsAvailable"), "(null)");
    g_storeAvailable = true;
    EXPECT_EQ(Ask("IAP_IsAvailable"), "YES");
    EXPECT_EQ(Ask("IAP_PurchaseItem", "sword"), "YES");
    EXPECT_EQ(g_asked, (std::vector<std::string>{"ext:IAP_IsAvailable", "input:IAP_IsAvailable", "buy:sword"}));

    // The modules see the developer commands first and may answer them.
    g_asked.clear();
    EXPECT_EQ(Ask("ListResourceUsage", "mine"), "module");
    EXPECT_EQ(LogCapture::Count("Listing Resource Usage."), 0);
    EXPECT_EQ(Ask("NoSuchCommand", "x"), "(null)");
    EXPECT_EQ(g_asked, (std::vector<std::string>{"ext:ListResourceUsage", "ext:NoSuchCommand", "input:NoSuchCommand"}));

    // Removed device facts raise a warning and answer nothing of their own.
    EXPECT_EQ(Ask("PlatformInfo", "OSMajor"), "(null)");
    EXPECT_EQ(LogCapture::CountPopups("PlatformInfo.OSMajor is removed.", QV_LOG_WARNING), 1);
    EXPECT_EQ(Ask("UI", "BeginKeyboardInput"), "(null)");
    EXPECT_EQ(LogCapture::CountPopups("Unimplemented.", QV_LOG_WARNING), 1);
}

TEST_F(PlatformCommandTest, TheEnginesOwnCommandsAnswer) {
    QVI_KeepCommandLine("-lang=Spanish -subtitles=English");
    EXPECT_EQ(Ask("GetLanguage"), "en") << "English is tested before Spanish";
    QVI_KeepCommandLine("-fast");
    EXPECT_EQ(Ask("GetLanguage"), "(null)");

    SetFeatures("A,B");
    QVI_ReplaceText(&g_config.variantFeatures, "C");
    EXPECT_EQ(Ask("ProgramInfo", "Features"), "A,B,C");
    QVI_ReplaceText(&g_config.applicationFeatures, nullptr);
    EXPECT_EQ(Ask("ProgramInfo", "Features"), "C");
    EXPECT_EQ(Ask("ProgramInfo", "ProgramId"), "null") << "no program library loaded";

    ForceVariant("IOS");
    EXPECT_EQ(Ask("PlatformInfo", "ScreenSizeId"), "LARGE");
    EXPECT_EQ(Ask("PlatformInfo", "PlatformId"), "IOS");
    ForceVariant("IOS/SMALL");
    EXPECT_EQ(Ask("PlatformInfo", "ScreenSizeId"), "SMALL");
    ForceVariant("TOASTER/MEDIUM");
    EXPECT_EQ(Ask("PlatformInfo", "PlatformId"), "UNKNOWN");
    EXPECT_EQ(Ask("PlatformInfo", "ScreenSizeId"), "MEDIUM");

    SetDesktop(1920, 1080);
    EXPECT_EQ(Ask("PlatformInfo", "DesktopWidth"), "1920");
    EXPECT_EQ(Ask("PlatformInfo", "DesktopHeight"), "1080");

    EXPECT_TRUE(std::regex_match(Ask("GetDate"), std::regex(R"(\d{4}-\d\d-\d\d)"))) << Ask("GetDate");
    EXPECT_TRUE(std::regex_match(Ask("GetTimeStamp"), std::regex(R"(\d{4}-\d\d-\d\d:\d\d-\d\d)")));

    // The tests' renderer is up: its own answers, and the eye of a mono frame.
    ASSERT_TRUE(QVI_IsRendererReady());
    EXPECT_EQ(Ask("Renderer", "MaximumTextureSize"), std::to_string(renderer_.GetMaximumTextureSize()));
    EXPECT_EQ(Ask("Renderer", "EyeMode"), "Mono");

    EXPECT_EQ(Ask("SetOverlayZoom", "2.5"), "(null)");
    EXPECT_EQ(Ask("GetOverlayZoom"), "2.5");
    EXPECT_EQ(g_autoscale.savedOverlayZoom, 2.5f);
    Ask("SetOverlayZoom");
    EXPECT_EQ(Ask("GetOverlayZoom"), "1");

    EXPECT_FALSE(QVI_IsAllowAllResolutionsSet());
    EXPECT_EQ(Ask("Hacks", "AllowAllResolutions"), "(null)");
    EXPECT_TRUE(QVI_IsAllowAllResolutionsSet());
}

std::vector<std::string> g_achievements;
bool g_canShowAchievements = false;
bool AchievementsInUse(bool* available) { return *available = true; }
void Unlock(int player, const char* id) { g_achievements.push_back("unlock:" + std::to_string(player) + ":" + id); }
void Progress(int, const char* id, int progress) { g_achievements.push_back(std::string("progress:") + id + ":" + std::to_string(progress)); }
bool CanShow() { return g_canShowAchievements; }
void Show(int) { g_achievements.push_back("show"); }

TEST_F(PlatformCommandTest, GameCenterReachesTheAchievementsWithTheFeature) {
    const QuavenAchievementsAPI table = {Unlock, Progress, CanShow, Show, nullptr, nullptr};
    qv->achievements = &table;
    PlatformCommandServices services = {};
    services.achievements = AchievementsInUse;
    QVI_SetPlatformCommandServices(services);
    EXPECT_EQ(Ask("GameCenter", "IsAvailable"), "(null)") << "without GAME_CENTER";
    SetFeatures("X GAME_CENTER");
    EXPECT_EQ(Ask("GameCenter", "IsAvailable"), "YES");
    EXPECT_EQ(Ask("GameCenter", "UnlockAchievement,trophy"), "OK");
    EXPECT_EQ(Ask("GameCenter", "SetAchievementProgress,trophy,-1"), "(null)");
    EXPECT_EQ(Ask("GameCenter", "SetAchievementProgress,trophy"), "(null)");
    EXPECT_EQ(Ask("GameCenter", "SetAchievementProgress,trophy,40"), "OK");
    EXPECT_EQ(Ask("GameCenter", "ShowAchievements"), "OK");
    g_canShowAchievements = true;
    EXPECT_EQ(Ask("GameCenter", "ShowAchievements"), "OK");
    EXPECT_EQ(Ask("GameCenter", "SubmitScore,board,5"), "(null)") << "no leaderboards";
    EXPECT_EQ(g_achievements, (std::vector<std::string>{"unlock:0:trophy", "progress:trophy:40", "show"}));
}

// An answer stays valid on its own thread while another thread asks the same command.
TEST_F(PlatformCommandTest, AnswersAreKeptPerThread) {
    SetFeatures("FIRST");
    SetDesktop(111, 1);
    std::promise<void> answered, askedAgain;
    std::string seen, seenWidth;
    std::thread other([&] {
        const char* mine = qv->PlatformCommand("ProgramInfo", "Features");
        const char* width = qv->PlatformCommand("PlatformInfo", "DesktopWidth");
        answered.set_value();
        askedAgain.get_future().wait();
        seen = mine, seenWidth = width;
    });
    answered.get_future().wait();
    SetFeatures("SECOND,AND,A,LONGER,LIST,THAT,NEEDS,A,NEW,BLOCK");
    SetDesktop(2222, 1);
    const char* main = qv->PlatformCommand("ProgramInfo", "Features");
    EXPECT_EQ(Ask("PlatformInfo", "DesktopWidth"), "2222");
    askedAgain.set_value();
    other.join();
    EXPECT_EQ(seen, "FIRST");
    EXPECT_EQ(seenWidth, "111");
    EXPECT_STREQ(main, "SECOND,AND,A,LONGER,LIST,THAT,NEEDS,A,NEW,BLOCK");
}

TEST_F(PlatformCommandTest, NativePathsAndTheUgcFolder) {
    Put("dir/pic.png", "x");
    const std::string native = Ask("GetNativeOSPath", "res://dir/pic.png");
    EXPECT_EQ(native, Res().Root() + "/dir/pic.png");
    EXPECT_EQ(Ask("ConvertStaticPathToNativeOSPath", "res://dir/pic.png"), native);
    EXPECT_EQ(Ask("ConvertNativeOSPathToStaticPath", native.c_str()), "res://dir/pic.png");
    EXPECT_EQ(Ask("ConvertNativeOSPathToStaticPath", "Q:/nowhere/at/all"), "");
    EXPECT_EQ(Ask("GetNativeOSPath", "pic.png"), "") << "no scheme";

    // Before SetUGCBasePath ugc:// is the working folder; an absolute native path below no
    // root stays without a static path, though roots are empty here.
    EXPECT_EQ(Ask("GetNativeOSPath", "ugc://maps/pic.png"), "maps/pic.png");
    EXPECT_EQ(Ask("ConvertNativeOSPathToStaticPath", "/nowhere/at/all"), "");

    // The ugc:// folder: any path IsPathValid accepts, kept as given, whether or not it exists.
    EXPECT_EQ(Ask("SetUGCBasePath", "ugc"), "OK");
    EXPECT_EQ(Ask("GetNativeOSPath", "ugc://pic.png"), "ugc/pic.png");
    EXPECT_EQ(Ask("SetUGCBasePath", "mods/levels"), "OK");
    EXPECT_EQ(Ask("GetNativeOSPath", "ugc://pic.png"), "mods/levels/pic.png");
    // Refused: what IsPathValid refuses, and a path with a scheme (no native folder).
    for (const char* refused : {"C:\\Mods", "/abs/olute", "up/../out", "", "res://dir", "user://x"}) {
        LogCapture::Clear();
        EXPECT_EQ(Ask("SetUGCBasePath", refused), "(null)") << refused;
        EXPECT_EQ(LogCapture::CountContaining("SetUGCBasePath new path is invalid.", QV_LOG_WARNING), 1) << refused;
    }
    EXPECT_EQ(Ask("SetUGCBasePath"), "(null)");
    EXPECT_EQ(Ask("GetNativeOSPath", "ugc://pic.png"), "mods/levels/pic.png") << "kept";
    g_currentUrlRoots[SCHEME_UGC] = String("");
}

// A TGA file of one colour, 32 bits, rows from the top.
std::string Tga(int width, int height, uint8_t red) {
    std::string file(18, '\0');
    file[2] = 2;
    file[12] = char(width), file[13] = char(width >> 8), file[14] = char(height), file[15] = char(height >> 8);
    file[16] = 32, file[17] = 0x28;
    for (int i = 0; i < width * height; ++i) file += std::string{char(0), char(0), char(red), char(255)};
    return file;
}

std::string FontFile(int glyphHeight) {
    font_test::Bytes file = font_test::CurrentHeader(7, "UTF-8", 1);
    font_test::CurrentGlyph(file, 7, {'A', 0, 0, 4, 3, glyphHeight, {0, 255, 0, 255}, {}});
    return file.data;
}

TEST_F(PlatformCommandTest, ReloadResourcesReloadsChangedBitmapsAndFontsAndTheListingCountsThem) {
    Put("reload.tga", Tga(4, 2, 10));
    Put("reload.mft", FontFile(2));
    Bitmap* bitmap = qv->graphics->GetBitmapEx("res://reload.tga", QV_CACHE_PIXELS_AND_TEXTURE);
    Font* font = qv->LoadFont("res://reload.mft");
    ASSERT_TRUE(bitmap && font);
    ASSERT_EQ(bitmap->width, 4);
    ASSERT_EQ(font->glyphs[0].image.height, 2);

    Put("reload.tga", Tga(8, 6, 200));
    Put("reload.mft", FontFile(5));
    LogCapture::Clear();
    EXPECT_EQ(Ask("Cache", "ReloadResources"), "(null)");
    EXPECT_EQ(bitmap->width, 8);
    EXPECT_EQ(bitmap->height, 6);
    ASSERT_NE(bitmap->pixels, nullptr);
    EXPECT_EQ(bitmap->pixels[0], 200);
    EXPECT_TRUE(bitmap->hardware.loaded);
    EXPECT_EQ(font->glyphs[0].image.height, 5);
    EXPECT_EQ(LogCapture::Count("Reloading 'res://reload.tga'..."), 1);
    EXPECT_EQ(LogCapture::Count("Reloading 'res://reload.mft'..."), 1);
    EXPECT_EQ(LogCapture::CountContaining("Reloaded 1 changed bitmaps in "), 1);
    EXPECT_EQ(LogCapture::CountContaining("Reloading 1 changed fonts in "), 1);

    // In developer mode a file whose time stamp has not moved is left alone.
    g_core.developerMode = 1;
    bitmap->sourceTime = 0;
    FileInfo info = {};
    ASSERT_TRUE(qv->fileSystem->GetFileInfo("res://reload.tga", &info));
    bitmap->sourceTime = info.modified;
    font->fileTime = info.modified + 1;  // changed
    LogCapture::Clear();
    Ask("Cache", "ReloadResources");
    EXPECT_EQ(LogCapture::Count("Reloading 'res://reload.tga'..."), 0);
    EXPECT_EQ(LogCapture::Count("Reloading 'res://reload.mft'..."), 1);
    g_core.developerMode = 0;

    // From a game thread the reload runs as from the main thread, without a warning of its own.
    LogCapture::Clear();
    std::thread([] { qv->PlatformCommand("Cache", "ReloadResources"); }).join();
    EXPECT_EQ(LogCapture::Count("Reloading 'res://reload.mft'..."), 1);
    EXPECT_EQ(LogCapture::CountContaining("thread", QV_LOG_WARNING), 0);

    // The estimates and the listing see the bitmap's pixels and texture.
    Ask("RefreshMemUsageEstimates");
    const uint32_t system = QV_GetKey(kMemoryEstimateSystemKey);
    EXPECT_GE(system, 4u * 8 * 6);
    EXPECT_GE(QV_GetKey(kMemoryEstimateGpuKey), 4u * 8 * 6);
    EXPECT_EQ(QV_GetKey(kMemoryEstimateTotalKey),
              system + QV_GetKey(kMemoryEstimateGpuKey) + QV_GetKey(kMemoryEstimateSoundKey) +
                  QV_GetKey(kMemoryEstimateVertexKey));
    LogCapture::Clear();
    Ask("ListResourceUsage");
    EXPECT_EQ(LogCapture::CountContaining("Listing Resource Usage.", QV_LOG_SYSTEM), 1);
    EXPECT_EQ(LogCapture::CountContaining("8x6 'res://reload.tga' refc=1 sysmem=0.2KB gpumem="), 1);
    EXPECT_EQ(LogCapture::CountContaining("'res://reload.mft' sysmem="), 1);
    EXPECT_EQ(LogCapture::CountContaining("Memory Hogs"), 1);
    EXPECT_EQ(LogCapture::CountContaining(" GFX "), 1);
    EXPECT_EQ(LogCapture::CountContaining("QUAVEN state size is"), 1);
    qv->graphics->ReleaseBitmap(bitmap);
}

class AutoLanguage : public config_test::ConfigurationTest {};

// Start-up asks "GetLanguage" for an "auto" locale: the command line names it.
TEST_F(AutoLanguage, IsResolvedFromTheCommandLine) {
    QVI_KeepCommandLine("-voice=German");
    PutProgramXml("", R"(<node id="WINDOWS" locale="auto"/>)" "\n");
    ASSERT_TRUE(Read());
    EXPECT_STREQ(g_config.language, "de");
    QVI_KeepCommandLine("");
}

}  // namespace
