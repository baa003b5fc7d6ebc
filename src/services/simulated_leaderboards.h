#pragma once

#include "core/array.h"
#include "core/engine_string.h"
#include "services/fallback_implementations.h"
#include "services/service_implementation.h"

// One category of invented scores, kept best first after every sort.
struct SimulatedCategory {
    String name;
    Array<ScoreRecord> scores;
};

// Leaderboards for development without an online service: every category of
// "leaderboards/leaderboards.xml" is filled with invented players, the lists change a
// little after each submitted score, and each request is answered from a short-lived
// thread after a random delay, as a network service would. Up to four local players
// take part ("LOCAL_USER_0" to "LOCAL_USER_3"). Nothing is saved.
class SimulatedLeaderboardsImplementation final : public LeaderboardsImplementation {
public:
    SimulatedLeaderboardsImplementation();

    void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
    bool QV_MEMBER Init() override;
    void QV_MEMBER SubmitScore(int player, ScoreRecord score, const char* category) override;
    bool QV_MEMBER RequestScores(int first, int count, LeaderboardFilter filter, const char* category) override;
    bool QV_MEMBER RequestScoresAroundUserRank(int player, int count, const char* category) override;
    const char* QV_MEMBER GetPlayerId(int player) override;
    int QV_MEMBER GetLoginState(int player) override;

    SimulatedCategory* FindCategory(const char* name);
    ScoreRecord* FindPlayerScore(int player, SimulatedCategory* category);
    void SortCategory(SimulatedCategory* category);
    void RefreshCategory(SimulatedCategory* category);

    Array<SimulatedCategory*> categories;
    Array<String> friends;
    Array<String> names;
    String localUserIds[4];

    ~SimulatedLeaderboardsImplementation();

private:
    void FillCategory(const char* name, int index);
    const char* RandomName();
};
