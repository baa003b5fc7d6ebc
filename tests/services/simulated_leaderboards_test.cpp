// The simulated leaderboards: invented lists for every category of the category file,
// answered by one event per request from a thread of its own.
#include "services/simulated_leaderboards.h"

#include <cstring>

#include "services/services_test_support.h"

namespace services_test {
namespace {

using quaven_test::LogCapture;

class SimulatedLeaderboardsTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        PutFile("leaderboards/leaderboards.xml",
                "<?xml version=\"1.0\"?>\n<root><array id=\"CATEGORIES\">"
                "<node id=\"TIME\" sort=\"LOWEST_SCORE_FIRST\"/><node id=\"POINTS\"/>"
                "</array></root>\n");
        fs()->AddSearchPath("res://", false);
        srand(7);
        // The category order comes from the leaderboards sub-table.
        leaderboards_ = *qv->leaderboards;
        leaderboards_.IsLowestScoreFirst = [](const char* id) { return id && strcmp(id, "TIME") == 0; };
        qv->leaderboards = &leaderboards_;
    }
    void TearDown() override {
        ForgetDatabase("leaderboards/leaderboards.xml");
        ServicesTest::TearDown();
    }

    SimulatedLeaderboardsImplementation* Start() {
        features().insert("LEADERBOARDS");
        auto* board = static_cast<SimulatedLeaderboardsImplementation*>(QVI_CreateSimulatedLeaderboardsImplementation());
        EXPECT_TRUE(board->Init());
        return board;
    }

    QuavenLeaderboardsAPI leaderboards_;
};

TEST_F(SimulatedLeaderboardsTest, WithoutFeatureOrCategoriesInitFailsAndRequestsEndInErrors)
{
    LeaderboardsImplementation* board = QVI_CreateSimulatedLeaderboardsImplementation();
    EXPECT_FALSE(board->Init());
    EXPECT_TRUE(board->RequestScores(1, 5, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    LeaderboardAnswer answer = TakeOneAnswer();
    EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_ERROR);
    EXPECT_EQ(answer.reason, "Unknown leaderboard category 'POINTS'.");
    EXPECT_EQ(answer.poster, "SimulatedLeaderboards");
    EXPECT_EQ(board->GetPlayerId(0), std::string("LOCAL_USER_0"));
    EXPECT_EQ(board->GetPlayerId(3), std::string("LOCAL_USER_3"));
    EXPECT_EQ(board->GetPlayerId(4), nullptr);
    EXPECT_EQ(board->GetPlayerId(-1), nullptr);
    board->DeletingDestructor(1);
}

TEST_F(SimulatedLeaderboardsTest, InventedListsAreSortedByEachCategorysOrder)
{
    SimulatedLeaderboardsImplementation* board = Start();
    ASSERT_EQ(board->categories.count, 2);
    EXPECT_EQ(board->names.count, 62);
    EXPECT_EQ(LogCapture::CountContaining("fake scores."), 2);
    for (int c = 0; c < 2; ++c) {
        const Array<ScoreRecord>& scores = board->categories.data[c]->scores;
        const bool lowestFirst = c == 0;
        for (int i = 1; i < scores.count; ++i) {
            ASSERT_TRUE(lowestFirst ? scores.data[i - 1].points <= scores.data[i].points
                                    : scores.data[i - 1].points >= scores.data[i].points);
            ASSERT_EQ(scores.data[i].rank, i + 1);
        }
    }
    board->DeletingDestructor(1);
}

TEST_F(SimulatedLeaderboardsTest, RequestsAnswerFromTheirOwnThreads)
{
    SimulatedLeaderboardsImplementation* board = Start();
    ScoreRecord score;
    memset(&score, 0, sizeof score);
    score.points = 2000000000;  // best in a highest-first list
    score.dataLength = -5;
    board->SubmitScore(1, score, "POINTS");
    score.points = 1;
    board->SubmitScore(9, score, "nowhere");  // ignored
    board->SubmitScore(1, score, "POINTS");   // a lower score replaces the higher one
    const ScoreRecord* mine = board->FindPlayerScore(1, board->FindCategory("POINTS"));
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->points, 1);
    EXPECT_STREQ(mine->name, "Local Player 1");
    EXPECT_EQ(mine->dataLength, 0);
    score.points = 2000000000;
    board->SubmitScore(1, score, "POINTS");
    const int size = board->FindCategory("POINTS")->scores.count;

    EXPECT_TRUE(board->RequestScores(1, 10, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    EXPECT_TRUE(board->RequestScores(1, 100, QV_LEADERBOARD_FILTER_FRIENDS, "POINTS"));
    EXPECT_TRUE(board->RequestScores(1, 0, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    EXPECT_TRUE(board->RequestScoresAroundUserRank(1, 10, "POINTS"));
    std::vector<LeaderboardAnswer> answers = TakeLeaderboardAnswers(4);
    ASSERT_EQ(answers.size(), 4u);
    int seen = 0;
    for (const LeaderboardAnswer& answer : answers) {
        EXPECT_EQ(answer.poster, "SimulatedLeaderboards");
        EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_SCORES);
        EXPECT_EQ(answer.category, "POINTS");
        if (answer.filter == QV_LEADERBOARD_FILTER_FRIENDS) {
            // Only friends and local players, ranked from 1 among themselves.
            ++seen;
            EXPECT_EQ(answer.total, answer.count);
            ASSERT_GE(answer.count, 1);
            EXPECT_STREQ(answer.scores[0].id, "LOCAL_USER_1");
            for (int i = 0; i < answer.count; ++i) {
                EXPECT_EQ(answer.scores[i].rank, i + 1);
                const std::string id = answer.scores[i].id;
                EXPECT_TRUE(id.rfind("LOCAL_USER_", 0) == 0 || id.rfind("OTHER_PLAYER_", 0) == 0) << id;
            }
        } else if (answer.count == 0) {
            ++seen;
            EXPECT_TRUE(answer.scoresNull);
            EXPECT_EQ(answer.total, size);
        } else {
            // The top ten, and the ranks around the player's rank 1: the same list.
            ++seen;
            EXPECT_EQ(answer.first, 1);
            ASSERT_EQ(answer.count, 10);
            EXPECT_STREQ(answer.scores[0].id, "LOCAL_USER_1");
            EXPECT_EQ(answer.scores[9].rank, 10);
            EXPECT_EQ(answer.total, size);
        }
    }
    EXPECT_EQ(seen, 4);
    board->DeletingDestructor(1);
}

}  // namespace
}  // namespace services_test
