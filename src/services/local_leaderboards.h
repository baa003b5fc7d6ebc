#pragma once

#include "services/fallback_implementations.h"
#include "services/service_implementation.h"

class Database;

// The scores of this machine's single player, per category, kept in the database file
// "user://leaderboards-db.xml" (scrambled unless in developer mode). Both local
// implementations of a run share the cached database and the "LOCAL_LEADERBOARDS" lock.
struct LocalScoreStore {
    // Null when there is nothing to keep scores in: the file exists but cannot be read,
    // and it is left as it is rather than replaced by an empty list.
    Database* database;
    Mutex* mutex;

    LocalScoreStore();

    // Appends the score to the category (created on first use), keeps at most 100
    // entries and rewrites the file.
    void StoreScore(ScoreRecord* record, const char* category);
    // Answers one leaderboards event: ranks first to first + count - 1 of the category.
    void QueryScores(int first, int count, LeaderboardFilter filter, const char* category);
};

class LocalLeaderboardsImplementation final : public LeaderboardsImplementation {
public:
    LocalLeaderboardsImplementation();

    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    void QV_MEMBER SubmitScore(int player, ScoreRecord score, const char* category) override;
    bool QV_MEMBER RequestScores(int first, int count, LeaderboardFilter filter, const char* category) override;
    bool QV_MEMBER RequestScoresAroundUserRank(int player, int count, const char* category) override;
    const char* QV_MEMBER GetPlayerId(int player) override;
    int QV_MEMBER GetLoginState(int player) override;

    LocalScoreStore* store;
    int32_t submitCounter;
    char playerId[64];

    ~LocalLeaderboardsImplementation();

private:
    void MakePlayerId();
};

// The database file of the local leaderboards.
extern const char* const kLocalLeaderboardsFile;
