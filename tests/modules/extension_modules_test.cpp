// Extension modules loaded from res:// by feature, started, resolved, asked every frame,
// offered commands and shut down; the modules are the C function-table builds of
// fixtures/test_module, so every call crosses the binary interface as a foreign module's would.
#include "modules/module_fixture.h"

#include "services/resolved_implementations.h"

namespace {

using namespace quaven_test;

bool Contains(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos;
}

TEST_F(ModulesTest, WithoutFeaturesTwoLocalFallbacksAndNoImplementationOfAnyKind)
{
    QVI_InitExtensionModules();
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    for (int kind = 0; kind < IMPLEMENTATION_KIND_COUNT; ++kind)
        EXPECT_EQ(QVI_GetResolvedImplementation(kind), nullptr) << kind;
    EXPECT_EQ(LogCapture::CountContaining("implementation from module"), 0);
    EXPECT_EQ(LogCapture::Count("Registering extension module 'Local Fallbacks'."), 2);
    EXPECT_EQ(LogCapture::Count("Resolving implementations inside extensions modules."), 1);
    EXPECT_EQ(LogCapture::Count("Initializing resolved implementations inside extensions modules."), 1);
    // The fallbacks answer no command, not even the simulated player's id.
    EXPECT_EQ(QVI_ExtensionPlatformCommand("GetPlayerOnlineID", nullptr), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand(nullptr, nullptr), nullptr);
    EXPECT_FALSE(QVI_DoExtensionModulesPauseGame());
    QVI_ShutdownExtensionModules();
    EXPECT_EQ(g_extensionModules.count, 0);
}

TEST_F(ModulesTest, FeaturesLoadKartridgeThenSteamBetweenTheFallbacksAndTheFrontModuleWins)
{
    PutModule("kartridge", "module-kartridge.dll");
    PutModule("steam", "module-steam.dll");
    UseFeatures("STEAM;KARTRIDGE LEADERBOARDS,ACHIEVEMENTS IN_APP_PURCHASES "
                "REGISTER_FOR_LOCAL_NOTIFICATIONS_ON_LAUNCH");
    QVI_InitExtensionModules();
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Test Steam|Test Kartridge|Local Fallbacks");
    EXPECT_EQ(LogCapture::Count("Registering module from file 'module-kartridge.dll'"), 1);
    EXPECT_LT(LogCapture::Texts().size(), 400u);
    for (const char* kind : {"Cloud", "Leaderboards", "Achievements", "Statistic", "InAppPurchase", "Social", "UGC",
                             "Notification"})
        EXPECT_EQ(LogCapture::Count(std::string("Using ") + kind + " implementation from module 'Test Steam'"), 1)
            << kind;
    EXPECT_EQ(LogCapture::PopupLines().size(), 0u);
    // Every module started with the engine's table; only the winners' implementations
    // started, in resolution order, and the notifications registered on launch.
    const std::string steam = Calls("Test Steam");
    EXPECT_TRUE(Contains(steam, "module.Init 1\n"));
    EXPECT_TRUE(Contains(steam, "0.Init\n1.Init\n2.Init\n7.Init\n3.Init\n4.Init\n5.Init\n6.Init\n"
                                "6.RegisterForLocalNotifications\n"))
        << steam;
    EXPECT_FALSE(Contains(Calls("Test Kartridge"), ".Init\n")) << "no implementation of the kartridge resolved";
    EXPECT_EQ(QVI_GetResolvedImplementation(IMPLEMENTATION_UGC)->GetKind(), IMPLEMENTATION_UGC);
}

TEST_F(ModulesTest, WithoutItsFeatureAKindIsNotAskedFor)
{
    PutModule("steam", "module-steam.dll");
    UseFeatures("STEAM");
    QVI_InitExtensionModules();
    EXPECT_EQ(QVI_LeaderboardsImplementation(), nullptr);
    EXPECT_EQ(QVI_AchievementsImplementation(), nullptr);
    EXPECT_EQ(QVI_InAppPurchaseImplementation(), nullptr);
    EXPECT_NE(QVI_CloudImplementation(), nullptr);
    const std::string steam = Calls("Test Steam");
    EXPECT_FALSE(Contains(steam, "module.GetImplementation 1\n"));
    EXPECT_FALSE(Contains(steam, "module.GetImplementation 2\n"));
    EXPECT_FALSE(Contains(steam, "module.GetImplementation 3\n"));
    EXPECT_FALSE(Contains(steam, "6.RegisterForLocalNotifications"));
}

TEST_F(ModulesTest, AMissingLibraryAndAnotherInterfaceVersionAreWarnedAboutAndLeftOut)
{
    // Kartridge missing altogether; Steam of another interface version.
    PutModule("version2", "module-steam.dll");
    UseFeatures("KARTRIDGE STEAM");
    QVI_InitExtensionModules();
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{"Unable to load module 'module-kartridge.dll'.",
                                        "Unable to load module 'module-kartridge.dll' interface.",
                                        "Module 'module-steam.dll' interface version mismatch. (2 != 1)"}));
    for (const LoggedLine& line : LogCapture::PopupLines())
        EXPECT_EQ(line.level, QV_LOG_WARNING);
}

// A loaded library stays loaded for the run (its file cannot be replaced): each case its own res://.
TEST_F(ModulesTest, AModuleWithoutTheExportOrWithoutAnObjectIsLeftOut)
{
    UseFeatures("KARTRIDGE STEAM");
    PutModule("no_export", "module-kartridge.dll");
    PutModule("null_interface", "module-steam.dll");
    QVI_InitExtensionModules();
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{
                  "Unable to get module 'module-kartridge.dll' interface 'QV_GetExtensionModuleInterface'.",
                  "Unable to load module 'module-kartridge.dll' interface.",
                  "Call to module 'module-steam.dll' interface 'QV_GetExtensionModuleInterface' returned null.",
                  "Unable to load module 'module-steam.dll' interface."}));
}

TEST_F(ModulesTest, AModuleWhoseStartFailsIsWarnedAboutAndStaysRegistered)
{
    PutModule("init_fails", "module-steam.dll");
    UseFeatures("STEAM");
    QVI_InitExtensionModules();
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Test Init Fails|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(), std::vector<std::string>{"Failed to initialize extension 'Test Init Fails'"});
    EXPECT_NE(QVI_CloudImplementation(), nullptr) << "a module that failed to start still offers its services";
}

TEST_F(ModulesTest, APauseStopsTheAskingAndEveryModuleThenEveryImplementationIsUpdated)
{
    PutModule("kartridge", "module-kartridge.dll");
    PutModule("steam", "module-steam.dll");
    UseFeatures("STEAM KARTRIDGE LEADERBOARDS");
    QVI_InitExtensionModules();
    ClearCalls("Test Steam");
    ClearCalls("Test Kartridge");
    EXPECT_FALSE(QVI_DoExtensionModulesPauseGame());
    EXPECT_EQ(Calls("Test Kartridge"), "module.ShouldPauseGame\n");
    ClearCalls("Test Kartridge");
    SetPause("Test Steam", 1);
    EXPECT_TRUE(QVI_DoExtensionModulesPauseGame());
    EXPECT_EQ(Calls("Test Kartridge"), "") << "the modules behind a pausing one are not asked";
    ClearCalls("Test Steam");
    QVI_UpdateExtensionModules(0.25f);
    QVI_UpdateServiceImplementations();
    EXPECT_EQ(Calls("Test Steam"), "module.Update 0.250\n0.Update\n1.Update\n7.Update\n4.Update\n5.Update\n6.Update\n");
    EXPECT_EQ(Calls("Test Kartridge"), "module.Update 0.250\n");
    SetPause("Test Steam", 0);

    ClearCalls("Test Steam");
    ClearCalls("Test Kartridge");
    QVI_ShutdownExtensionModules();
    EXPECT_EQ(Calls("Test Steam"), "<no such module>");
    EXPECT_EQ(g_extensionModules.count, 0);
    for (int kind = 0; kind < IMPLEMENTATION_KIND_COUNT; ++kind)
        EXPECT_EQ(QVI_GetResolvedImplementation(kind), nullptr);
}

TEST_F(ModulesTest, ShutdownStopsEveryModuleBeforeDeletingAnyThroughSlotZeroWithTheFlagOne)
{
    PutModule("steam", "module-steam.dll");
    UseFeatures("STEAM");
    QVI_InitExtensionModules();
    ClearCalls("Test Steam");
    auto calls = ModuleExport<const char* (*)()>("Test Steam", "TestModule_Calls");
    ASSERT_NE(calls, nullptr);
    QVI_ShutdownExtensionModules();
    EXPECT_EQ(std::string(calls()), "module.Shutdown\nmodule.delete 1\n");
}

TEST_F(ModulesTest, CommandsReachTheNotificationServiceAndThenTheModulesInListOrder)
{
    PutModule("steam", "module-steam.dll");
    UseFeatures("STEAM");
    QVI_InitExtensionModules();
    ClearCalls("Test Steam");
    EXPECT_EQ(QVI_ExtensionPlatformCommand("SetLocalNotification", "Title;Body;Sound"), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("SetLocalNotification", "Title;;Sound;"), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("SetLocalNotification", "Title;Body;Sound;60"), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("SetLocalNotification", nullptr), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("RemoveAllLocalNotifications", "x"), nullptr);
    EXPECT_STREQ(QVI_ExtensionPlatformCommand("TestModule_Echo", "hello"), "hello");
    EXPECT_EQ(Calls("Test Steam"),
              "6.SetLocalNotification Title|Body|Sound|5\n"
              "module.Command SetLocalNotification Title;Body;Sound\n"
              "6.SetLocalNotification Title||Sound|0\n"
              "module.Command SetLocalNotification Title;;Sound;\n"
              "6.SetLocalNotification Title|Body|Sound|60\n"
              "module.Command SetLocalNotification Title;Body;Sound;60\n"
              "6.SetLocalNotification (null)|(null)|(null)|5\n"
              "module.Command SetLocalNotification (null)\n"
              "6.RemoveAllLocalNotifications\n"
              "module.Command RemoveAllLocalNotifications x\n"
              "module.Command TestModule_Echo hello\n");
}

}  // namespace
