// The local leaderboards with their database on disk: submitted scores come back ranked
// after a restart, scrambled or plain, whatever the category and record hold; a file that
// cannot be read is left as it was.
#include "services/local_leaderboards.h"

#include <cstring>

#include "services/services_test_support.h"

namespace services_test {
namespace {

using quaven_test::LogCapture;
using quaven_test::ReadNative;

const char* const kHostileCategory = "he said \"<b>&amp;</b>\" \\n 'x'";

ScoreRecord Score(int points, std::vector<uint8_t> data = {}, int dataLength = -1) {
    ScoreRecord record;
    memset(&record, 'x', sizeof record);  // no terminator anywhere: the store must not care
    record.points = points;
    memcpy(record.data, data.data(), data.size());
    record.dataLength = dataLength >= 0 ? dataLength : static_cast<int>(data.size());
    return record;
}

class LocalLeaderboardsTest : public ServicesTest {
protected:
    void SetUp() override {
        ServicesTest::SetUp();
        Start("LEADERBOARDS LOCAL_LEADERBOARDS");
    }

    static void Submit(int points, const char* category, std::vector<uint8_t> data = {}, int dataLength = -1) {
        qv->leaderboards->SubmitScore(0, Score(points, data, dataLength), category);
    }

    static LeaderboardAnswer Query(int first, int count, const char* category,
                                   LeaderboardFilter filter = QV_LEADERBOARD_FILTER_GLOBAL) {
        EXPECT_TRUE(qv->leaderboards->RequestScores(first, count, filter, category));
        return TakeOneAnswer();
    }

    std::string File() { return ReadNative(Native(kLocalLeaderboardsFile)); }
};

TEST_F(LocalLeaderboardsTest, ScoresSurviveRestartScrambledWithHostileCategoryAndRecords) {
    const std::string firstId = qv->leaderboards->GetPlayerId(0);
    Submit(50, kHostileCategory);
    EXPECT_NE(firstId, qv->leaderboards->GetPlayerId(3));
    Submit(70, kHostileCategory, {1, 2, 255});
    Submit(70, kHostileCategory, {}, 100000);  // a length past the field
    Submit(5, "other");

    const std::string file = File();
    ASSERT_GE(file.size(), 22u);
    EXPECT_EQ(file.find("<?xml"), std::string::npos) << "written scrambled outside developer mode";

    Restart();
    LeaderboardAnswer answer = Query(1, 10, kHostileCategory);
    EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_SCORES);
    EXPECT_EQ(answer.category, kHostileCategory);
    EXPECT_EQ(answer.total, 3);
    ASSERT_EQ(answer.count, 3);
    // Equal points: the earlier stored entry ranks higher.
    EXPECT_EQ(answer.scores[0].points, 70);
    EXPECT_EQ(answer.scores[0].dataLength, 3);
    EXPECT_EQ(answer.scores[0].data[2], 255);
    EXPECT_EQ(answer.scores[1].points, 70);
    EXPECT_EQ(answer.scores[1].dataLength, 188);
    EXPECT_EQ(answer.scores[2].points, 50);
    EXPECT_EQ(answer.scores[2].dataLength, 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(answer.scores[i].rank, i + 1);
        EXPECT_EQ(strlen(answer.scores[i].name), 16u) << "the submission date, \"YYYY-MM-DD hh:mm\"";
        EXPECT_EQ(answer.scores[i].time, 0);
    }
    EXPECT_STRNE(answer.scores[0].id, answer.scores[1].id);
}

TEST_F(LocalLeaderboardsTest, DeveloperModeWritesPlainXmlThatReadsBack) {
    g_core.developerMode = 1;
    Submit(12, "a<b>", {7, 0, 9});
    const std::string file = File();
    EXPECT_EQ(file.rfind("<?xml", 0), 0u);
    EXPECT_NE(file.find("data=\"7 0 9\""), std::string::npos) << file;

    Restart();
    LeaderboardAnswer answer = Query(1, 5, "a<b>");
    ASSERT_EQ(answer.count, 1);
    EXPECT_EQ(answer.scores[0].points, 12);
    EXPECT_EQ(answer.scores[0].dataLength, 3);
}

TEST_F(LocalLeaderboardsTest, UnreadableFileIsLeftIntact) {
    ASSERT_TRUE(WriteThrough(kLocalLeaderboardsFile, "<root><array id=\"c\"><node points=\"1\"/>"));
    const std::string before = File();
    Restart();
    Submit(99, "c");
    EXPECT_EQ(File(), before);
    LeaderboardAnswer answer = Query(1, 5, "c");
    EXPECT_EQ(answer.kind, QV_LEADERBOARDS_EVENT_ERROR);
    EXPECT_EQ(answer.reason, "Not yet initialized.");
    EXPECT_GE(LogCapture::CountContaining("could not be read"), 1);
}

TEST_F(LocalLeaderboardsTest, CategoryKeepsHundredBestEntries) {
    g_core.developerMode = 1;  // plain text: the nodes are counted in the file
    for (int i = 1; i <= 100; ++i) Submit(i * 10, "POINTS");
    Submit(1, "POINTS");     // the worst: it goes itself
    Submit(5000, "POINTS");  // pushes out 10
    std::string file = File();
    size_t nodes = 0;
    for (size_t at = file.find("<node"); at != std::string::npos; at = file.find("<node", at + 1)) ++nodes;

    EXPECT_EQ(nodes, 100u);

    LeaderboardAnswer answer = Query(1, 1000, "POINTS");
    ASSERT_EQ(answer.count, 100);
    EXPECT_EQ(answer.scores[0].points, 5000);
    EXPECT_EQ(answer.scores[99].points, 20);
}

TEST_F(LocalLeaderboardsTest, RequestsAnswerOneEventEach) {
    for (int i = 1; i <= 12; ++i) Submit(i, "c");

    LeaderboardAnswer friends = Query(1, 5, "c", QV_LEADERBOARD_FILTER_FRIENDS);
    EXPECT_EQ(friends.filter, QV_LEADERBOARD_FILTER_FRIENDS);
    EXPECT_EQ(friends.total, 0);
    EXPECT_TRUE(friends.scoresNull);

    LeaderboardAnswer none = Query(1, 0, "c");
    EXPECT_TRUE(none.count == 0 && none.scoresNull && none.total == 12) << "the size of the category";

    LeaderboardAnswer fromZero = Query(0, 5, "c");
    EXPECT_EQ(fromZero.first, 0);
    ASSERT_EQ(fromZero.count, 4);
    EXPECT_EQ(fromZero.scores[3].rank, 4);

    EXPECT_TRUE(qv->leaderboards->RequestScoresAroundUserRank(3, 10, "c"));
    LeaderboardAnswer around = TakeOneAnswer();
    ASSERT_EQ(around.count, 10);
    EXPECT_EQ(around.scores[0].points, 12);

    LeaderboardAnswer missing = Query(1, 5, "nothing here");
    EXPECT_EQ(missing.count, 0);
    EXPECT_EQ(LogCapture::Count("No scores in category 'nothing here', returning 0 scores."), 1);

    EXPECT_EQ(qv->leaderboards->GetLoginState(0), 2);
}

TEST_F(LocalLeaderboardsTest, LowestFirstRanksTheSmallestHighestFirstTheLargestAndTiesInStoredOrder) {
    // The first data byte tells the entries apart: TIME is sorted lowest first, POINTS highest.
    const int points[] = {30, 10, 20, 10, 30, 20};
    for (const char* category : {"TIME", "POINTS"})
        for (uint8_t i = 0; i < 6; ++i) Submit(points[i], category, {static_cast<uint8_t>(i + 1)});
    const std::vector<std::pair<const char*, std::vector<int>>> expected = {{"TIME", {2, 4, 3, 6, 1, 5}},
                                                                            {"POINTS", {1, 5, 3, 6, 2, 4}}};
    for (const auto& category : expected) {
        LeaderboardAnswer all = Query(1, 6, category.first);
        ASSERT_EQ(all.count, 6) << category.first;
        for (int rank = 1; rank <= 6; ++rank) {
            const ScoreRecord& score = all.scores[rank - 1];
            EXPECT_EQ(score.rank, rank) << category.first;
            EXPECT_EQ(score.data[0], category.second[rank - 1]) << category.first << " rank " << rank;
            EXPECT_EQ(score.points, points[category.second[rank - 1] - 1]) << category.first << " rank " << rank;
        }
        LeaderboardAnswer middle = Query(2, 3, category.first);
        ASSERT_EQ(middle.count, 3);
        EXPECT_EQ(middle.scores[0].rank, 2);
        EXPECT_EQ(middle.scores[0].data[0], category.second[1]) << category.first;
        EXPECT_EQ(middle.scores[2].data[0], category.second[3]) << category.first;
        EXPECT_TRUE(qv->leaderboards->RequestScoresAroundUserRank(0, 1, category.first));
        LeaderboardAnswer best = TakeOneAnswer();
        ASSERT_EQ(best.count, 1);
        EXPECT_EQ(best.scores[0].data[0], category.second[0]) << category.first;
    }
}

TEST_F(LocalLeaderboardsTest, CategoriesOfAnyLengthTheFileCanHoldAreStoredAndReadBack) {
    // Written as the id of its array, a quote takes six characters; 1,363 of them fill the
    // 8,191 characters the reader takes for a tag. One character more would make every
    // save fail.
    const std::string longCategory(300, 'c');
    const std::string quotes(1363, '"'), tooLong = std::string(1362, '"') + "1234567";
    Submit(1, longCategory.c_str());
    Submit(2, quotes.c_str());
    EXPECT_EQ(LogCapture::CountContaining("is too long for the score file"), 0);
    Submit(3, tooLong.c_str());
    EXPECT_EQ(LogCapture::CountContaining("(1369 characters) is too long for the score file; the score is not stored."), 1);
    // A section marker in the id is written two characters longer, broken up.
    const std::string markerFits = std::string(8168, 'm') + "![CDATA[", markerTooLong = "m" + markerFits;
    Submit(5, markerFits.c_str());
    EXPECT_EQ(LogCapture::CountContaining("(8176 characters) is too long"), 0);
    Submit(6, markerTooLong.c_str());
    EXPECT_EQ(LogCapture::CountContaining("(8177 characters) is too long for the score file; the score is not stored."), 1);
    Submit(4, "after");

    Restart();
    LeaderboardAnswer answer = Query(1, 5, longCategory.c_str());
    ASSERT_EQ(answer.count, 1);
    EXPECT_EQ(answer.scores[0].points, 1);
    EXPECT_EQ(answer.category, longCategory);
    answer = Query(1, 5, quotes.c_str());
    ASSERT_EQ(answer.count, 1);
    EXPECT_EQ(answer.scores[0].points, 2);
    EXPECT_EQ(Query(1, 5, tooLong.c_str()).count, 0);
    answer = Query(1, 5, markerFits.c_str());
    ASSERT_EQ(answer.count, 1);
    EXPECT_EQ(answer.scores[0].points, 5);
    EXPECT_EQ(answer.category, markerFits);
    EXPECT_EQ(Query(1, 5, markerTooLong.c_str()).count, 0);
    answer = Query(1, 5, "after");
    ASSERT_EQ(answer.count, 1) << "the other categories still save";
    EXPECT_EQ(answer.scores[0].points, 4);
}

}  // namespace
}  // namespace services_test
