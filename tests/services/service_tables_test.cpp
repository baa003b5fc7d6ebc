// The service sub-tables as a game meets them without a service, the leaderboard categories
// of "leaderboards/leaderboards.xml" with the id checks of developer mode, and the leaderboard
// result events as the frame hands them to OnEvent.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/events/event_payloads.h"
#include "core/events/event_queue.h"
#include "data/datamanager/data_manager.h"
#include "services/leaderboard_categories.h"
#include "services/leaderboard_events.h"
#include "services/resolved_implementations.h"
#include "support/engine_table.h"

namespace {

using namespace quaven_test;

// A leaderboards service of the engine's own kind, noting the requests that reach it.
class CountingLeaderboards final : public LeaderboardsImplementation {
public:
    std::vector<int> counts;
    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    void QV_MEMBER SubmitScore(int, ScoreRecord, const char*) override {}
    bool QV_MEMBER RequestScores(int, int count, LeaderboardFilter, const char*) override {
        return counts.push_back(count), false;
    }
    bool QV_MEMBER RequestScoresAroundUserRank(int, int count, const char*) override {
        return counts.push_back(count), true;
    }
    const char* QV_MEMBER GetPlayerId(int) override { return nullptr; }
};

// A UGC service whose variadic slot 6 calls the sub-table's Call1 again from inside, as a
// service that answers one request by making another does. Each level notes the order in
// which the calls came back and checks that its own stack frame survived the nested call.
class NestingUgc final : public UGCImplementation {
public:
    bool nest = true;
    int depth = 0, reached = 0;
    std::vector<int> returned;
    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    void Call6(...) override {
        const int mine = ++depth;
        ++reached;
        volatile int frame = 0x600D00 + mine;
        if (nest) qv->ugc->Call1(mine, 2, 3);
        EXPECT_EQ(frame, 0x600D00 + mine) << "level " << mine;
        EXPECT_EQ(depth, mine);
        returned.push_back(mine);
        --depth;
    }
    bool QV_MEMBER Call7() override { return false; }
    int QV_MEMBER Call8() override { return 0; }
    int32_t QV_MEMBER Call9(int32_t a) override { return a; }
    void QV_MEMBER Call10(int32_t) override {}
    void QV_MEMBER Call11(int32_t) override {}
    int32_t QV_MEMBER Call12(int32_t a) override { return a; }
    void Call13(...) override {}
};

class ServiceTablesTest : public EngineFilesTest {
protected:
    void SetUp() override {
        EngineFilesTest::SetUp();
        QVI_ClearResolvedImplementations();
        fs()->AddSearchPath("res://", true);  // where games keep "leaderboards/leaderboards.xml"
        Taken();
    }
    void TearDown() override {
        Taken();
        QVI_ClearResolvedImplementations();
        RemoveSearchPaths();
        EngineFilesTest::TearDown();
    }

    // The leaderboard events posted since the last call; their payloads are freed as the frame
    // frees them, after the caller has looked.
    static std::vector<LeaderboardsEvent> Taken() {
        for (int32_t i = 0; i < taken.count; ++i) QVI_FreeEventPayload(&taken.data[i]);
        QVI_TakeQueuedEvents(taken);
        std::vector<LeaderboardsEvent> events(taken.count);
        if (taken.count) memcpy(events.data(), taken.data, taken.count * sizeof(EngineEvent));
        return events;
    }
    static inline Array<EngineEvent> taken;

    void PutCategories(const std::string& nodes) {
        PutFile("leaderboards/leaderboards.xml", "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\n<root><array "
                                                 "id=\"CATEGORIES\">" + nodes + "</array></root>");
    }
};

TEST_F(ServiceTablesTest, WithoutServicesMembersGiveTheirDefaultsAndOnlyLoginComplains) {
    ScoreRecord score = {};
    score.points = 99;
    qv->leaderboards->SubmitScore(0, score, "daily");
    EXPECT_EQ(LogCapture::Count("Submitting score of 99 points to category 'daily'"), 1);
    EXPECT_FALSE(qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_GLOBAL, "daily"));
    EXPECT_EQ(qv->leaderboards->GetLoginState(0), 0);
    EXPECT_EQ(qv->leaderboards->Call14(), 30);
    EXPECT_FALSE(qv->achievements->CanShowAchievements());
    EXPECT_EQ(qv->cloud->Read("x"), nullptr);
    EXPECT_FALSE(qv->social->IsAvailable() || qv->cloud->IsAvailable() || qv->notifications->IsAvailable());
    EXPECT_TRUE(qv->ugc->Call2());
    EXPECT_FALSE(qv->ugc->IsAvailable());
    qv->ugc->Call1(1, 2);
    EXPECT_TRUE(LogCapture::PopupLines().empty());
    qv->leaderboards->Login(0);
    EXPECT_EQ(LogCapture::CountPopupsContaining("No leaderboard implementation defined while calling "
                                                "qv->leaderboards->Login."), 1);
    EXPECT_TRUE(Taken().empty()) << "no service, no event";
}

TEST_F(ServiceTablesTest, ARequestForNoScoresReachesTheServiceWhichGivesTheAnswer) {
    CountingLeaderboards leaderboards;
    QVI_SetResolvedImplementation(IMPLEMENTATION_LEADERBOARDS, &leaderboards);
    EXPECT_FALSE(qv->leaderboards->RequestScores(5, 0, QV_LEADERBOARD_FILTER_GLOBAL, "daily"));
    EXPECT_EQ(LogCapture::Count("Requesting scores 5..4 (0 scores) for category 'daily' with filter 'GLOBAL'"), 1);
    EXPECT_EQ(LogCapture::Count("RequestScores returned false. No return event will be sent."), 1);
    EXPECT_TRUE(qv->leaderboards->RequestScoresAroundUserRank(0, -3, "daily"));
    EXPECT_EQ(leaderboards.counts, (std::vector<int>{0, -3}));
    EXPECT_TRUE(Taken().empty()) << "the service answers, not the sub-table";
}

TEST_F(ServiceTablesTest, UgcCallsNestSixteenDeepEachReturningToItsCallerAndTheSeventeenthIsRefused) {
    NestingUgc ugc;
    QVI_SetResolvedImplementation(IMPLEMENTATION_UGC, &ugc);
    const std::string refused = "UGC: calls nested more than 16 deep are not passed on.";
    std::vector<int> innermostFirst;
    for (int level = 16; level >= 1; --level) innermostFirst.push_back(level);
    // Twice over: the depth the first nest reached must all be given back, or the second
    // would be refused sooner.
    for (int round = 1; round <= 2; ++round) {
        ugc.reached = 0, ugc.returned.clear();
        qv->ugc->Call1(0, 1, 2);
        EXPECT_EQ(ugc.reached, 16) << "round " << round;
        EXPECT_EQ(ugc.returned, innermostFirst) << "round " << round;
        EXPECT_EQ(ugc.depth, 0);
        EXPECT_EQ(LogCapture::Count(refused), round);
    }
    // A call that nests nothing passes on, and is not refused.
    ugc.nest = false, ugc.reached = 0;
    qv->ugc->Call1(7);
    EXPECT_EQ(ugc.reached, 1);
    EXPECT_EQ(LogCapture::Count(refused), 2);
    QVI_SetResolvedImplementation(IMPLEMENTATION_UGC, nullptr);
}

TEST_F(ServiceTablesTest, CategoriesComeFromTheFileInOrderWithTheirSortAndValues) {
    EXPECT_EQ(qv->leaderboards->GetCategoryCount(), 0);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("daily"), -1);
    DataManager::UnloadDatabase(DataManager::FindDatabase("leaderboards/leaderboards.xml"));
    PutCategories("<node id=\"daily\" sort=\"HIGHEST\" title=\"Daily best\"/><node sort=\"ASCENDING\"/>"
                  "<node id=\"speedrun\" sort=\"LOWEST_SCORE_FIRST\"/><node id=\"golf\" sort=\"ASCENDING\"/>");
    EXPECT_EQ(qv->leaderboards->GetCategoryCount(), 4);
    EXPECT_STREQ(qv->leaderboards->GetCategoryId(0), "daily");
    EXPECT_STREQ(qv->leaderboards->GetCategoryId(3), "golf");
    for (int index : {-1, 1, 4}) EXPECT_EQ(qv->leaderboards->GetCategoryId(index), nullptr) << index;
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("speedrun"), 2);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex("Daily"), -1);
    EXPECT_EQ(qv->leaderboards->GetCategoryIndex(nullptr), -1);
    EXPECT_FALSE(qv->leaderboards->IsLowestScoreFirst("daily") || qv->leaderboards->IsLowestScoreFirst("missing"));
    EXPECT_TRUE(qv->leaderboards->IsLowestScoreFirst("speedrun") && qv->leaderboards->IsLowestScoreFirst("golf"));
    EXPECT_STREQ(qv->leaderboards->GetCategoryValue("daily", "title"), "Daily best");
    EXPECT_EQ(qv->leaderboards->GetCategoryValue("daily", "icon"), nullptr);
}

TEST_F(ServiceTablesTest, CategoryIdsAreCheckedOneWarningPerFault) {
    PutCategories("<node id=\"Good_id_2\"/><node/><node id=\"abcdefghijklmnopqrstuvwxyzABCDEF\"/>"
                  "<node id=\"9lives\"/><node id=\"a-b c\"/><node id=\"caf\xC3\xA9\"/>");
    QVI_ValidateLeaderboardCategories();
    const std::string characters = "' can only contain English alphabets, digits, and '_' character.";
    EXPECT_EQ(LogCapture::PopupTexts(),
              (std::vector<std::string>{
                  "Leaderboard category with index 1 has no id. Id is required.",
                  "Leaderboard category id 'abcdefghijklmnopqrstuvwxyzABCDEF' is too long (can be max 31 characters).",
                  "Leaderboard category id '9lives' has to start with an English alphabet.",
                  "Leaderboard category id 'a-b c" + characters, "Leaderboard category id 'a-b c" + characters,
                  "Leaderboard category id 'caf\xC3\xA9" + characters, "Leaderboard category id 'caf\xC3\xA9" + characters}));
}

TEST_F(ServiceTablesTest, ResultEventsCarryEngineHeapCopiesAndAnEmptyAnswerCarriesNoArray) {
    ScoreRecord* scores = static_cast<ScoreRecord*>(qv->Malloc(2 * sizeof(ScoreRecord)));
    char category[] = "daily";
    QVI_SendLeaderboardScoresEvent(category, QV_LEADERBOARD_FILTER_FRIENDS, 3, 2, scores, 40);
    category[0] = 'X';  // the event keeps its own copy
    QVI_SendLeaderboardScoresEvent(nullptr, 7, 1, 0, static_cast<ScoreRecord*>(qv->Malloc(sizeof(ScoreRecord))), 12);
    QVI_SendLeaderboardErrorEvent("weekly", QV_LEADERBOARD_FILTER_GLOBAL, "Unknown leaderboard category 'weekly'.");
    EXPECT_EQ(LogCapture::Count("Sending event with scores 3..4 (2 scores of 40) for category 'daily' with filter "
                                "'FRIENDS'"), 1);
    EXPECT_EQ(LogCapture::Count("Sending event with no scores (12 scores in category) for category '(null)' with "
                                "filter 'ERROR'"), 1);
    EXPECT_EQ(LogCapture::Count("Sending leaderboards error event for category 'weekly' filter 'GLOBAL' with reason "
                                "'Unknown leaderboard category 'weekly'.'."), 1);
    const std::vector<LeaderboardsEvent> events = Taken();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_TRUE(events[0].type == EVENT_LEADERBOARDS && events[0].kind == QV_LEADERBOARDS_EVENT_SCORES &&
                !events[0].reason && events[0].total == 40 && events[0].filter == QV_LEADERBOARD_FILTER_FRIENDS &&
                events[0].first == 3 && events[0].count == 2);
    EXPECT_STREQ(events[0].category, "daily");
    EXPECT_EQ(events[0].scores, scores) << "the array is handed over, not copied";
    EXPECT_TRUE(!events[1].category && events[1].count == 0 && !events[1].scores && events[1].total == 12);
    EXPECT_EQ(events[2].kind, QV_LEADERBOARDS_EVENT_ERROR);
    EXPECT_STREQ(events[2].reason, "Unknown leaderboard category 'weekly'.");
    EXPECT_STREQ(events[2].category, "weekly");
}

}  // namespace
