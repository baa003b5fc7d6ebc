// The service sub-tables as a game meets them without any service, the leaderboard categories
// of "leaderboards/leaderboards.xml" with the id checks Login makes in developer mode, and the
// leaderboard result events as the program's OnEvent receives them.
#include <gtest/gtest.h>

#include <cstring>

#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "data/datamanager/data_manager.h"
#include "services/leaderboard_categories.h"
#include "services/leaderboard_events.h"
#include "services/resolved_implementations.h"
#include "support/engine_table.h"

namespace {

using namespace quaven_test;

class ServiceTablesTest : public EngineFilesTest {
protected:
    void SetUp() override
    {
        EngineFilesTest::SetUp();
        QVI_ClearResolvedImplementations();
        // Games find "leaderboards/leaderboards.xml" on the search paths, res:// among them.
        fs()->AddSearchPath("res://", true);
        Array<EngineEvent> stale;
        QVI_TakeQueuedEvents(stale);
    }

    void TearDown() override
    {
        for (EngineEvent& event : Taken())
            QVI_FreeEventPayload(&event);
        g_core.developerMode = savedDeveloperMode_;
        RemoveSearchPaths();
        EngineFilesTest::TearDown();
    }

    // The events posted since the last call, as the frame would hand them to OnEvent.
    static std::vector<EngineEvent> Taken()
    {
        Array<EngineEvent> batch;
        QVI_TakeQueuedEvents(batch);
        return std::vector<EngineEvent>(batch.data, batch.data + batch.count);
    }

    static LeaderboardsEvent AsLeaderboards(const EngineEvent& event)
    {
        LeaderboardsEvent answer;
        memcpy(&answer, &event, sizeof answer);
        return answer;
    }

    uint8_t savedDeveloperMode_ = g_core.developerMode;
};

TEST_F(ServiceTablesTest, WithoutServicesEveryMemberGivesItsDefaultAndOnlyLoginComplains)
{
    ScoreRecord score = {};
    score.points = 99;
    qv->leaderboards->SubmitScore(0, score, "daily");
    EXPECT_EQ(LogCapture::Count("Submitting score of 99 points to category 'daily'"), 1);
    EXPECT_FALSE(qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_GLOBAL, "daily"));
    EXPECT_FALSE(qv->leaderboards->RequestScoresAroundUserRank(0, 10, "daily"));
    EXPECT_FALSE(qv->leaderboards->Call3());
    EXPECT_EQ(qv->leaderboards->GetPlayerId(0), nullptr);
    EXPECT_EQ(qv->leaderboards->GetLoginState(0), 0);
    EXPECT_FALSE(qv->leaderboards->Call8());
    EXPECT_EQ(qv->leaderboards->Call14(), 30);
    EXPECT_FALSE(qv->achievements->CanShowAchievements());
    EXPECT_EQ(qv->achievements->Call5(1), 0);
    EXPECT_FALSE(qv->cloud->IsAvailable());
    EXPECT_EQ(qv->cloud->Read("x"), nullptr);
    EXPECT_FALSE(qv->notifications->IsAvailable());
    EXPECT_FALSE(qv->social->IsAvailable());
    EXPECT_EQ(qv->social->LoadProfilePicture("u", 64), nullptr);
    EXPECT_FALSE(qv->ugc->IsAvailable());
    EXPECT_TRUE(qv->ugc->Call2());
    EXPECT_EQ(qv->ugc->Call3(), 0);
    EXPECT_EQ(qv->ugc->Call4(1), 0);
    EXPECT_EQ(qv->ugc->Call7(1), 0);
    qv->ugc->Call1(1, 2);
    qv->ugc->Call8();
    qv->statistics->Call0(1, 2, 3, 4);
    qv->achievements->UnlockAchievement(0, "a");
    qv->social->RequestFriends();
    EXPECT_EQ(LogCapture::PopupLines().size(), 0u);
    qv->leaderboards->Login(0);
    EXPECT_EQ(LogCapture::CountPopupsContaining("No leaderboard implementation defined while calling "
                                                "qv->leaderboards->Login."),
              1);
    EXPECT_TRUE(Taken().empty()) << "no service, no event";
}

TEST_F(ServiceTablesTest, CategoriesComeFromTheFileInOrderWithTheirSortAndValues)
{
    EXPECT_EQ(qv->leaderboards->GetCategoryCount(), 0);
    EXPECT_EQ(qv->leaderboards->GetCategoryId(0), nullptr);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("daily"), -1);
    EXPECT_FALSE(qv->leaderboards->IsLowestScoreFirst("daily"));
    DataManager::UnloadDatabase(DataManager::FindDatabase("leaderboards/leaderboards.xml"));

    PutFile("leaderboards/leaderboards.xml",
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root><array id=\"CATEGORIES\">"
            "<node id=\"daily\" sort=\"HIGHEST\" title=\"Daily best\"/>"
            "<node sort=\"ASCENDING\"/>"
            "<node id=\"speedrun\" sort=\"LOWEST_SCORE_FIRST\"/>"
            "<node id=\"golf\" sort=\"ASCENDING\"/>"
            "</array></root>");
    EXPECT_EQ(qv->leaderboards->GetCategoryCount(), 4);
    EXPECT_STREQ(qv->leaderboards->GetCategoryId(0), "daily");
    EXPECT_EQ(qv->leaderboards->GetCategoryId(1), nullptr);
    EXPECT_STREQ(qv->leaderboards->GetCategoryId(3), "golf");
    EXPECT_EQ(qv->leaderboards->GetCategoryId(4), nullptr);
    EXPECT_EQ(qv->leaderboards->GetCategoryId(-1), nullptr);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("speedrun"), 2);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("Daily"), -1);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex(nullptr), -1);
    EXPECT_FALSE(qv->leaderboards->IsLowestScoreFirst("daily"));
    EXPECT_TRUE(qv->leaderboards->IsLowestScoreFirst("speedrun"));
    EXPECT_TRUE(qv->leaderboards->IsLowestScoreFirst("golf"));
    EXPECT_FALSE(qv->leaderboards->IsLowestScoreFirst("missing"));
    EXPECT_STREQ(qv->leaderboards->GetCategoryValue("daily", "title"), "Daily best");
    EXPECT_EQ(qv->leaderboards->GetCategoryValue("daily", "icon"), nullptr);
    EXPECT_EQ(qv->leaderboards->GetCategoryValue(nullptr, "title"), nullptr);
}

TEST_F(ServiceTablesTest, CategoryIdsAreCheckedOneWarningPerFault)
{
    PutFile("leaderboards/leaderboards.xml",
            "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root><array id=\"CATEGORIES\">"
            "<node id=\"Good_id_2\"/>"
            "<node/>"
            "<node id=\"abcdefghijklmnopqrstuvwxyzABCDEF\"/>"
            "<node id=\"9lives\"/>"
            "<node id=\"a-b c\"/>"
            "<node id=\"caf\xC3\xA9\"/>"
            "</array></root>");
    QVI_ValidateLeaderboardCategories();
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{
                  "Leaderboard category with index 1 has no id. Id is required.",
                  "Leaderboard category id 'abcdefghijklmnopqrstuvwxyzABCDEF' is too long (can be max 31 characters).",
                  "Leaderboard category id '9lives' has to start with an English alphabet.",
                  "Leaderboard category id 'a-b c' can only contain English alphabets, digits, and '_' character.",
                  "Leaderboard category id 'a-b c' can only contain English alphabets, digits, and '_' character.",
                  "Leaderboard category id 'caf\xC3\xA9' can only contain English alphabets, digits, and '_' character.",
                  "Leaderboard category id 'caf\xC3\xA9' can only contain English alphabets, digits, and '_' character.",
              }));
}

TEST_F(ServiceTablesTest, ResultEventsCarryEngineHeapCopiesAndAnEmptyAnswerCarriesNoArray)
{
    ScoreRecord* scores = static_cast<ScoreRecord*>(qv->Malloc(2 * sizeof(ScoreRecord)));
    memset(scores, 0, 2 * sizeof(ScoreRecord));
    scores[1].points = 5;
    char category[] = "daily";
    QVI_SendLeaderboardScoresEvent(category, QV_LEADERBOARD_FILTER_FRIENDS, 3, 2, scores, 40);
    category[0] = 'X';  // the event keeps its own copy
    ScoreRecord* unwanted = static_cast<ScoreRecord*>(qv->Malloc(sizeof(ScoreRecord)));
    QVI_SendLeaderboardScoresEvent(nullptr, 7, 1, 0, unwanted, 12);
    QVI_SendLeaderboardErrorEvent("weekly", QV_LEADERBOARD_FILTER_GLOBAL, "Unknown leaderboard category 'weekly'.");
    EXPECT_EQ(LogCapture::Count("Sending event with scores 3..4 (2 scores of 40) for category 'daily' with filter "
                                "'FRIENDS'"),
              1);
    EXPECT_EQ(LogCapture::Count("Sending event with no scores (12 scores in category) for category '(null)' with "
                                "filter 'ERROR'"),
              1);
    EXPECT_EQ(LogCapture::Count("Sending leaderboards error event for category 'weekly' filter 'GLOBAL' with reason "
                                "'Unknown leaderboard category 'weekly'.'."),
              1);

    std::vector<EngineEvent> events = Taken();
    ASSERT_EQ(events.size(), 3u);
    const LeaderboardsEvent first = AsLeaderboards(events[0]);
    EXPECT_EQ(first.type, EVENT_LEADERBOARDS);
    EXPECT_EQ(first.kind, QV_LEADERBOARDS_EVENT_SCORES);
    EXPECT_EQ(first.reason, nullptr);
    EXPECT_STREQ(first.category, "daily");
    EXPECT_EQ(first.total, 40);
    EXPECT_EQ(first.filter, QV_LEADERBOARD_FILTER_FRIENDS);
    EXPECT_EQ(first.first, 3);
    EXPECT_EQ(first.count, 2);
    EXPECT_EQ(first.scores, scores) << "the array is handed over, not copied";
    const LeaderboardsEvent empty = AsLeaderboards(events[1]);
    EXPECT_EQ(empty.category, nullptr);
    EXPECT_EQ(empty.count, 0);
    EXPECT_EQ(empty.scores, nullptr);
    EXPECT_EQ(empty.total, 12);
    const LeaderboardsEvent error = AsLeaderboards(events[2]);
    EXPECT_EQ(error.kind, QV_LEADERBOARDS_EVENT_ERROR);
    EXPECT_STREQ(error.reason, "Unknown leaderboard category 'weekly'.");
    EXPECT_STREQ(error.category, "weekly");
    EXPECT_EQ(error.scores, nullptr);
    // The frame frees what the events carry once OnEvent has seen them.
    for (EngineEvent& event : events)
        QVI_FreeEventPayload(&event);
    EXPECT_STREQ(QVI_LeaderboardFilterName(-1), "ERROR");
    EXPECT_EQ(QVI_StrDupApi(nullptr), nullptr);
}

}  // namespace
