// Extension modules loaded from res:// by feature, started, resolved, asked every frame,
// offered commands and shut down, and the service sub-tables forwarding to them; the modules
// are the C function-table builds of fixtures/test_module, so every call crosses the binary
// interface as a foreign module's would.
#include "modules/module_fixture.h"

#include "services/resolved_implementations.h"

namespace {

using namespace quaven_test;

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(ModulesTest, WithoutFeaturesTwoLocalFallbacksAndNoImplementationOfAnyKind) {
    Start("");
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    for (int kind = 0; kind < IMPLEMENTATION_KIND_COUNT; ++kind)
        EXPECT_EQ(QVI_GetResolvedImplementation(kind), nullptr) << kind;
    EXPECT_EQ(LogCapture::CountContaining("implementation from module"), 0);
    EXPECT_EQ(LogCapture::Count("Registering extension module 'Local Fallbacks'."), 2);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("GetPlayerOnlineID", nullptr), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand(nullptr, nullptr), nullptr);
    EXPECT_FALSE(QVI_DoExtensionModulesPauseGame());
}

TEST_F(ModulesTest, FeaturesLoadKartridgeThenSteamBetweenTheFallbacksAndTheFrontModuleWins) {
    Start("STEAM;KARTRIDGE LEADERBOARDS,ACHIEVEMENTS IN_APP_PURCHASES REGISTER_FOR_LOCAL_NOTIFICATIONS_ON_LAUNCH",
          {{"kartridge", "module-kartridge.dll"}, {"steam", "module-steam.dll"}});
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Test Steam|Test Kartridge|Local Fallbacks");
    for (const char* kind : {"Cloud", "Leaderboards", "Achievements", "Statistic", "InAppPurchase", "Social", "UGC",
                             "Notification"})
        EXPECT_EQ(LogCapture::Count(std::string("Using ") + kind + " implementation from module 'Test Steam'"), 1);
    EXPECT_TRUE(LogCapture::PopupLines().empty());
    // Only the winners' implementations start, in resolution order, then the notifications register.
    EXPECT_TRUE(Contains(TakeCalls(), "module.Init 1\n")) << "started with the engine's table";
    EXPECT_TRUE(Contains(TakeCalls("Test Kartridge"), "module.Init 1\n"));
    ModulesTest::TearDown(), ModulesTest::SetUp();
    Start("STEAM", {{"steam", "module-steam.dll"}});
    EXPECT_EQ(QVI_LeaderboardsImplementation(), nullptr) << "a kind without its feature is not asked for";
    EXPECT_FALSE(Contains(TakeCalls(), "module.GetImplementation 1\n"));
}

TEST_F(ModulesTest, AMissingLibraryAndAnotherInterfaceVersionAreWarnedAboutAndLeftOut) {
    Start("KARTRIDGE STEAM", {{"version2", "module-steam.dll"}});
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{"Unable to load module 'module-kartridge.dll'.",
                                        "Unable to load module 'module-kartridge.dll' interface.",
                                        "Module 'module-steam.dll' interface version mismatch. (2 != 1)"}));
    for (const LoggedLine& line : LogCapture::PopupLines()) EXPECT_EQ(line.level, QV_LOG_WARNING);
}

// A loaded library stays loaded for the run (its file cannot be replaced): each case its own res://.
TEST_F(ModulesTest, AModuleWithoutTheExportOrWithoutAnObjectIsLeftOutAndAFailedStartStays) {
    Start("KARTRIDGE STEAM", {{"no_export", "module-kartridge.dll"}, {"null_interface", "module-steam.dll"}});
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{
                  "Unable to get module 'module-kartridge.dll' interface 'QV_GetExtensionModuleInterface'.",
                  "Unable to load module 'module-kartridge.dll' interface.",
                  "Call to module 'module-steam.dll' interface 'QV_GetExtensionModuleInterface' returned null.",
                  "Unable to load module 'module-steam.dll' interface."}));
    ModulesTest::TearDown(), ModulesTest::SetUp();
    Start("STEAM", {{"init_fails", "module-steam.dll"}});
    EXPECT_EQ(ModuleNames(), "Local Fallbacks|Test Init Fails|Local Fallbacks");
    EXPECT_EQ(LogCapture::PopupTexts(), std::vector<std::string>{"Failed to initialize extension 'Test Init Fails'"});
    EXPECT_NE(QVI_CloudImplementation(), nullptr) << "a module that failed to start still offers its services";
}

TEST_F(ModulesTest, APauseStopsTheAskingThenModulesAndImplementationsUpdateAndShutdownDeletesThroughSlotZero) {
    Start("STEAM KARTRIDGE LEADERBOARDS", {{"kartridge", "module-kartridge.dll"}, {"steam", "module-steam.dll"}});
    TakeCalls(), TakeCalls("Test Kartridge");
    EXPECT_FALSE(QVI_DoExtensionModulesPauseGame());
    EXPECT_EQ(TakeCalls("Test Kartridge"), "module.ShouldPauseGame\n");
    ModuleExport<void (*)(int)>("Test Steam", "TestModule_SetPause")(1);
    EXPECT_TRUE(QVI_DoExtensionModulesPauseGame());
    EXPECT_EQ(TakeCalls("Test Kartridge"), "") << "the modules behind a pausing one are not asked";
    ModuleExport<void (*)(int)>("Test Steam", "TestModule_SetPause")(0);
    TakeCalls();
    QVI_UpdateExtensionModules(0.25f);
    QVI_UpdateServiceImplementations();
    EXPECT_EQ(TakeCalls(), "module.Update 0.250\n0.Update\n1.Update\n7.Update\n4.Update\n5.Update\n6.Update\n");
    EXPECT_EQ(TakeCalls("Test Kartridge"), "module.Update 0.250\n");
    auto calls = ModuleExport<const char* (*)()>("Test Steam", "TestModule_Calls");
    QVI_ShutdownExtensionModules();
    EXPECT_EQ(std::string(calls()), "module.Shutdown\nmodule.delete 1\n");
    EXPECT_EQ(g_extensionModules.count, 0);
    EXPECT_EQ(QVI_GetResolvedImplementation(IMPLEMENTATION_CLOUD), nullptr);
}

TEST_F(ModulesTest, CommandsReachTheNotificationServiceAndThenTheModulesInListOrder) {
    Start("STEAM", {{"steam", "module-steam.dll"}});
    TakeCalls();
    for (const char* argument : {"T;B;S", "T;;S;", "T;B;S;60", static_cast<const char*>(nullptr)})
        EXPECT_EQ(QVI_ExtensionPlatformCommand("SetLocalNotification", argument), nullptr);
    EXPECT_EQ(QVI_ExtensionPlatformCommand("RemoveAllLocalNotifications", "x"), nullptr);
    EXPECT_STREQ(QVI_ExtensionPlatformCommand("TestModule_Echo", "hello"), "hello");
    EXPECT_EQ(TakeCalls(), "6.SetLocalNotification T|B|S|5\nmodule.Command SetLocalNotification T;B;S\n"
                           "6.SetLocalNotification T||S|0\nmodule.Command SetLocalNotification T;;S;\n"
                           "6.SetLocalNotification T|B|S|60\nmodule.Command SetLocalNotification T;B;S;60\n"
                           "6.SetLocalNotification (null)|(null)|(null)|5\nmodule.Command SetLocalNotification (null)\n"
                           "6.RemoveAllLocalNotifications\nmodule.Command RemoveAllLocalNotifications x\n"
                           "module.Command TestModule_Echo hello\n");
}

TEST_F(ModulesTest, EverySubTableMemberReachesItsSlotWithItsArgumentsAndAnswer) {
    Start("STEAM LEADERBOARDS ACHIEVEMENTS", {{"steam", "module-steam.dll"}});
    TakeCalls();
    qv->achievements->UnlockAchievement(1, "first");
    qv->achievements->SetAchievementProgress(2, "second", 50);
    EXPECT_TRUE(qv->achievements->CanShowAchievements());
    qv->achievements->ShowAchievements(3);
    qv->achievements->Call4(-4, 5);
    EXPECT_EQ(qv->achievements->Call5(21), 42);
    EXPECT_TRUE(qv->cloud->IsAvailable());
    qv->cloud->Write("save", "abc", 3);
    EXPECT_EQ(qv->cloud->Read("save"), reinterpret_cast<Buffer*>(0x5678));
    qv->cloud->Delete("save");
    EXPECT_TRUE(qv->notifications->IsAvailable());
    qv->notifications->RegisterForLocalNotifications();
    qv->notifications->RemoveAllLocalNotifications();
    qv->notifications->SetLocalNotification("a", "b", "c", 9);
    EXPECT_TRUE(qv->social->IsAvailable());
    qv->social->ResetState();
    qv->social->SendFriends();
    qv->social->SetLocalUserValue(-3);
    EXPECT_EQ(qv->social->LoadProfilePicture("u1", 64), reinterpret_cast<Bitmap*>(0x1234));
    EXPECT_EQ(qv->social->LoadProfilePicture("u1", 3), nullptr);
    qv->statistics->Call0(1, -2, 3, -4);
    EXPECT_TRUE(qv->ugc->IsAvailable());
    // Every word the game pushes reaches the module, however many.
    qv->ugc->Call1(1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12);
    EXPECT_FALSE(qv->ugc->Call2());
    EXPECT_EQ(qv->ugc->Call3(), 8);
    EXPECT_EQ(qv->ugc->Call4(1), 10);
    qv->ugc->Call5(2);
    qv->ugc->Call6(3);
    EXPECT_EQ(qv->ugc->Call7(4), 16);
    qv->ugc->Call8(-1, -2, -3, -4, -5, -6, -7, -8, -9, -10, -11, -12);
    EXPECT_EQ(TakeCalls(), "2.UnlockAchievement 1 first\n2.SetAchievementProgress 2 second 50\n2.CanShowAchievements\n"
                           "2.ShowAchievements 3\n2.Call10 -4 5\n2.Call11 21\n0.Write save abc 3\n0.Read save\n"
                           "0.Delete save\n6.RegisterForLocalNotifications\n6.RemoveAllLocalNotifications\n"
                           "6.SetLocalNotification a|b|c|9\n4.ResetState\n4.SendFriends\n4.SetLocalUserValue -3\n"
                           "4.LoadProfilePicture u1 64\n7.Call6 1 -2 3 -4\n5.IsAvailable\n5.Call6 1 2 3 4 5 6 7 8 9 10 11 12\n"
                           "5.Call7\n5.Call8\n5.Call9 1\n5.Call10 2\n5.Call11 3\n5.Call12 4\n"
                           "5.Call13 -1 -2 -3 -4 -5 -6 -7 -8 -9 -10 -11 -12\n");

    ScoreRecord score = {};
    score.points = 1234, score.dataLength = 5000, score.data[187] = 77;  // more data than the record holds
    qv->leaderboards->SubmitScore(2, score, "daily");
    score.dataLength = -1;
    qv->leaderboards->SubmitScore(0, score, "weekly");
    EXPECT_TRUE(qv->leaderboards->Call3());
    qv->leaderboards->ShowLeaderboards(1, "daily");
    EXPECT_STREQ(qv->leaderboards->GetPlayerId(3), "module-player");
    EXPECT_EQ(qv->leaderboards->GetPlayerId(4), nullptr);
    EXPECT_EQ(qv->leaderboards->GetPlayerId(-1), nullptr);
    qv->leaderboards->Login(0);
    qv->leaderboards->Login(0);
    EXPECT_TRUE(qv->leaderboards->Call8());
    for (const char* text : {"", static_cast<const char*>(nullptr), "text"}) qv->leaderboards->Call9(text);
    EXPECT_EQ(qv->leaderboards->Call14(), 77);
    EXPECT_FALSE(qv->leaderboards->RequestScoresAroundUserRank(1, 10, "daily"));
    EXPECT_FALSE(qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_FRIENDS, "refused"));
    EXPECT_EQ(TakeCalls(), "1.SubmitScore 2 1234 188 daily 77\n1.SubmitScore 0 1234 0 weekly 77\n1.Call14\n"
                           "1.ShowLeaderboards 1 daily\n1.GetPlayerId 3\n1.GetLoginState 0\n1.Login 0\n"
                           "1.GetLoginState 0\n1.Call10\n1.Call11 text\n1.Call16\n"
                           "1.RequestScoresAroundUserRank 1 10 daily\n1.RequestScores 1 10 1 refused\n");
    EXPECT_EQ(LogCapture::Count("Requesting scores 1..10 (10 scores) for category 'refused' with filter 'FRIENDS'"), 1);
    EXPECT_EQ(LogCapture::Count("RequestScores returned false. No return event will be sent."), 1);
    EXPECT_EQ(LogCapture::Count("RequestScoresAroundUserRank returned false. No return event will be sent."), 1);
}

}  // namespace
