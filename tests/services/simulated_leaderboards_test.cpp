// The simulated leaderboards: invented lists for every category of the category file,
// each request answered by one event from a thread of its own.
#include "services/simulated_leaderboards.h"

#include "services/resolved_implementations.h"
#include "services/services_test_support.h"

namespace services_test {
namespace {

using quaven_test::LogCapture;

class SimulatedLeaderboardsTest : public ServicesTest {
protected:
    static SimulatedLeaderboardsImplementation* Board() {
        return static_cast<SimulatedLeaderboardsImplementation*>(QVI_LeaderboardsImplementation());
    }
    static void Submit(int player, int points, const char* category) {
        ScoreRecord score;
        memset(&score, 0, sizeof score);
        score.points = points;
        score.dataLength = -5;
        qv->leaderboards->SubmitScore(player, score, category);
    }
};

TEST_F(SimulatedLeaderboardsTest, WithoutCategoriesEveryRequestEndsInAnError) {
    ForgetDatabase("leaderboards/leaderboards.xml");
    PutFile("leaderboards/leaderboards.xml", "<root></root>");
    Start("LEADERBOARDS SIMULATED_LEADERBOARDS");
    ASSERT_NE(Board(), nullptr);
    EXPECT_EQ(Board()->categories.count, 0);
    EXPECT_TRUE(qv->leaderboards->RequestScores(1, 5, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    LeaderboardAnswer answer = TakeOneAnswer();
    EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_ERROR);
    EXPECT_EQ(answer.reason, "Unknown leaderboard category 'POINTS'.");
    EXPECT_EQ(answer.poster, "SimulatedLeaderboards");
    EXPECT_STREQ(qv->leaderboards->GetPlayerId(3), "LOCAL_USER_3");
    EXPECT_EQ(qv->leaderboards->GetPlayerId(4), nullptr);
}

TEST_F(SimulatedLeaderboardsTest, RequestsAnswerFromTheirOwnThreadsInEachCategorysOrder) {
    srand(7);
    Start("LEADERBOARDS SIMULATED_LEADERBOARDS");
    ASSERT_EQ(Board()->categories.count, 2);
    EXPECT_EQ(Board()->names.count, 62);
    EXPECT_EQ(LogCapture::CountContaining("fake scores."), 2);
    Submit(1, 2000000000, "POINTS");
    Submit(9, 1, "nowhere");  // ignored
    Submit(1, 1, "POINTS");   // a lower score replaces the higher one
    const ScoreRecord* mine = Board()->FindPlayerScore(1, Board()->FindCategory("POINTS"));
    ASSERT_NE(mine, nullptr);
    EXPECT_EQ(mine->points, 1);
    EXPECT_STREQ(mine->name, "Local Player 1");
    EXPECT_EQ(mine->dataLength, 0);
    Submit(1, 2000000000, "POINTS");  // the best in a highest-first list
    Submit(2, -5, "TIME");            // the best in a lowest-first list
    for (int c = 0; c < 2; ++c) {
        const Array<ScoreRecord>& scores = Board()->categories.data[c]->scores;
        for (int i = 1; i < scores.count; ++i) {
            ASSERT_TRUE(c == 0 ? scores.data[i - 1].points <= scores.data[i].points
                               : scores.data[i - 1].points >= scores.data[i].points);
            ASSERT_EQ(scores.data[i].rank, i + 1);
        }
    }
    const int size = Board()->FindCategory("POINTS")->scores.count;

    EXPECT_TRUE(qv->leaderboards->RequestScores(1, 10, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    EXPECT_TRUE(qv->leaderboards->RequestScores(1, 100, QV_LEADERBOARD_FILTER_FRIENDS, "TIME"));
    EXPECT_TRUE(qv->leaderboards->RequestScores(1, 0, QV_LEADERBOARD_FILTER_GLOBAL, "POINTS"));
    EXPECT_TRUE(qv->leaderboards->RequestScoresAroundUserRank(1, 10, "POINTS"));
    std::vector<LeaderboardAnswer> answers = TakeLeaderboardAnswers(4);
    ASSERT_EQ(answers.size(), 4u);
    for (const LeaderboardAnswer& answer : answers) {
        EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_SCORES);
        EXPECT_EQ(answer.poster, "SimulatedLeaderboards");
        if (answer.filter == QV_LEADERBOARD_FILTER_FRIENDS) {
            // Only friends and local players, ranked from 1 among themselves.
            EXPECT_EQ(answer.total, answer.count);
            ASSERT_GE(answer.count, 1);
            EXPECT_STREQ(answer.scores[0].id, "LOCAL_USER_2");
            for (int i = 0; i < answer.count; ++i) {
                EXPECT_EQ(answer.scores[i].rank, i + 1);
                const std::string id = answer.scores[i].id;
                EXPECT_TRUE(id.rfind("LOCAL_USER_", 0) == 0 || id.rfind("OTHER_PLAYER_", 0) == 0) << id;
            }
        } else if (answer.count == 0) {
            // A request of no scores still learns the category's size.
            EXPECT_TRUE(answer.scoresNull);
            EXPECT_EQ(answer.total, size);
        } else {
            // The top ten, and the ranks around the player's rank 1: the same list.
            EXPECT_EQ(answer.first, 1);
            ASSERT_EQ(answer.count, 10);
            EXPECT_STREQ(answer.scores[0].id, "LOCAL_USER_1");
            EXPECT_EQ(answer.scores[9].rank, 10);
            EXPECT_EQ(answer.total, size);
        }
    }
}

}  // namespace
}  // namespace services_test
