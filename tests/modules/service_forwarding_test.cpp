// Every member of the seven service sub-tables, as a game calls them, against the C test
// module's implementations: each reaches its slot with its arguments, and its answer comes back.
#include "modules/module_fixture.h"

#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"

namespace {

using namespace quaven_test;

class ServiceForwardingTest : public ModulesTest {
protected:
    void SetUp() override
    {
        ModulesTest::SetUp();
        PutModule("steam", "module-steam.dll");
        UseFeatures("STEAM LEADERBOARDS ACHIEVEMENTS IN_APP_PURCHASES");
        QVI_InitExtensionModules();
        ClearCalls("Test Steam");
    }

    static std::string TakeCalls()
    {
        const std::string calls = Calls("Test Steam");
        ClearCalls("Test Steam");
        return calls;
    }
};

TEST_F(ServiceForwardingTest, AchievementsCloudNotificationsSocialStatisticsAndUgcReachTheirSlots)
{
    qv->achievements->UnlockAchievement(1, "first");
    qv->achievements->SetAchievementProgress(2, "second", 50);
    EXPECT_TRUE(qv->achievements->CanShowAchievements());
    qv->achievements->ShowAchievements(3);
    qv->achievements->Call4(-4, 5);
    EXPECT_EQ(qv->achievements->Call5(21), 42);
    EXPECT_EQ(TakeCalls(), "2.UnlockAchievement 1 first\n2.SetAchievementProgress 2 second 50\n"
                           "2.CanShowAchievements\n2.ShowAchievements 3\n2.Call10 -4 5\n2.Call11 21\n");

    EXPECT_TRUE(qv->cloud->IsAvailable());
    qv->cloud->Write("save", "abc", 3);
    EXPECT_EQ(qv->cloud->Read("save"), reinterpret_cast<Buffer*>(0x5678));
    qv->cloud->Delete("save");
    EXPECT_EQ(TakeCalls(), "0.Write save abc 3\n0.Read save\n0.Delete save\n");

    EXPECT_TRUE(qv->notifications->IsAvailable());
    qv->notifications->RegisterForLocalNotifications();
    qv->notifications->RemoveAllLocalNotifications();
    qv->notifications->SetLocalNotification("a", "b", "c", 9);
    EXPECT_EQ(TakeCalls(), "6.RegisterForLocalNotifications\n6.RemoveAllLocalNotifications\n"
                           "6.SetLocalNotification a|b|c|9\n");

    EXPECT_TRUE(qv->social->IsAvailable());
    qv->social->ResetState();
    qv->social->SendFriends();
    qv->social->SetLocalUserValue(-3);
    EXPECT_EQ(qv->social->LoadProfilePicture("u1", 64), reinterpret_cast<Bitmap*>(0x1234));
    EXPECT_EQ(qv->social->LoadProfilePicture("u1", 3), nullptr);
    EXPECT_EQ(qv->social->LoadProfilePicture(nullptr, 64), nullptr);
    EXPECT_EQ(TakeCalls(), "4.ResetState\n4.SendFriends\n4.SetLocalUserValue -3\n4.LoadProfilePicture u1 64\n");

    qv->statistics->Call0(1, -2, 3, -4);
    EXPECT_EQ(TakeCalls(), "7.Call6 1 -2 3 -4\n");

    EXPECT_TRUE(qv->ugc->IsAvailable());
    qv->ugc->Call1(10, 11, 12);
    EXPECT_FALSE(qv->ugc->Call2());
    EXPECT_EQ(qv->ugc->Call3(), 8);
    EXPECT_EQ(qv->ugc->Call4(1), 10);
    qv->ugc->Call5(2);
    qv->ugc->Call6(3);
    EXPECT_EQ(qv->ugc->Call7(4), 16);
    qv->ugc->Call8(-1, -2);
    EXPECT_EQ(TakeCalls(), "5.IsAvailable\n5.Call6 10 11 12\n5.Call7\n5.Call8\n5.Call9 1\n5.Call10 2\n"
                           "5.Call11 3\n5.Call12 4\n5.Call13 -1 -2\n");
}

TEST_F(ServiceForwardingTest, LeaderboardMembersForwardCheckTheirArgumentsAndLogInLoginOnlyOnce)
{
    ScoreRecord score = {};
    score.points = 1234;
    score.dataLength = 5000;  // more than the record holds
    score.data[187] = 77;
    qv->leaderboards->SubmitScore(2, score, "daily");
    score.dataLength = -1;
    qv->leaderboards->SubmitScore(0, score, "weekly");
    EXPECT_EQ(LogCapture::Count("Submitting score of 1234 points to category 'daily'"), 1);
    EXPECT_TRUE(qv->leaderboards->Call3());
    qv->leaderboards->ShowLeaderboards(1, "daily");
    EXPECT_STREQ(qv->leaderboards->GetPlayerId(3), "module-player");
    EXPECT_EQ(qv->leaderboards->GetPlayerId(4), nullptr);
    EXPECT_EQ(qv->leaderboards->GetPlayerId(-1), nullptr);
    EXPECT_EQ(qv->leaderboards->GetLoginState(0), 0);
    qv->leaderboards->Login(0);
    qv->leaderboards->Login(0);
    EXPECT_TRUE(qv->leaderboards->Call8());
    qv->leaderboards->Call9("");
    qv->leaderboards->Call9(nullptr);
    qv->leaderboards->Call9("text");
    EXPECT_EQ(qv->leaderboards->Call14(), 77);
    EXPECT_FALSE(qv->leaderboards->RequestScoresAroundUserRank(1, 10, "daily"));
    EXPECT_FALSE(qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_FRIENDS, "refused"));
    EXPECT_EQ(TakeCalls(),
              "1.SubmitScore 2 1234 188 daily 77\n1.SubmitScore 0 1234 0 weekly 77\n1.Call14\n"
              "1.ShowLeaderboards 1 daily\n1.GetPlayerId 3\n1.GetLoginState 0\n1.GetLoginState 0\n1.Login 0\n"
              "1.GetLoginState 0\n1.Call10\n1.Call11 text\n1.Call16\n1.RequestScoresAroundUserRank 1 10 daily\n"
              "1.RequestScores 1 10 1 refused\n");
    EXPECT_EQ(LogCapture::Count("Login for player 0"), 1);
    EXPECT_EQ(LogCapture::Count("Requesting scores 1..10 (10 scores) for category 'refused' with filter 'FRIENDS'"), 1);
    EXPECT_EQ(LogCapture::Count("RequestScores returned false. No return event will be sent."), 1);
    EXPECT_EQ(LogCapture::Count("RequestScoresAroundUserRank returned false. No return event will be sent."), 1);
}

TEST_F(ServiceForwardingTest, ARequestForNoScoresAnswersAnEmptyEventWithoutAskingTheService)
{
    Array<EngineEvent> drained;
    QVI_TakeQueuedEvents(drained);
    EXPECT_TRUE(qv->leaderboards->RequestScores(5, 0, QV_LEADERBOARD_FILTER_GLOBAL, "daily"));
    EXPECT_TRUE(qv->leaderboards->RequestScoresAroundUserRank(0, -3, "daily"));
    EXPECT_EQ(TakeCalls(), "");
    Array<EngineEvent> events;
    QVI_TakeQueuedEvents(events);
    ASSERT_EQ(events.count, 2);
    for (int i = 0; i < events.count; ++i) {
        LeaderboardsEvent answer;
        memcpy(&answer, &events.data[i], sizeof answer);
        EXPECT_EQ(answer.type, EVENT_LEADERBOARDS);
        EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_SCORES);
        EXPECT_STREQ(answer.category, "daily");
        EXPECT_EQ(answer.count, 0);
        EXPECT_EQ(answer.scores, nullptr);
        QVI_FreeEventPayload(&events.data[i]);
    }
}

}  // namespace
