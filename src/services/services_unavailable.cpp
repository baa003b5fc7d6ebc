// The online services until they arrive: every member reports once that it is not
// available and answers what a game sees when no service of the kind is present: false, 0,
// -1 (no such category) or null, and true from ugc Call2, whose documented answer without a
// service is true.
#include "services/services_api.h"

#include "core/missing_member.h"

namespace {

// ---- achievements ----

void UnlockAchievement(int player, const char* id)
{
    QVI_REPORT_MISSING_MEMBER("achievements->UnlockAchievement");
}

void SetAchievementProgress(int player, const char* id, int progress)
{
    QVI_REPORT_MISSING_MEMBER("achievements->SetAchievementProgress");
}

bool CanShowAchievements()
{
    QVI_REPORT_MISSING_MEMBER("achievements->CanShowAchievements");
    return false;
}

void ShowAchievements(int player)
{
    QVI_REPORT_MISSING_MEMBER("achievements->ShowAchievements");
}

void AchievementsCall4(int32_t a, int32_t b)
{
    QVI_REPORT_MISSING_MEMBER("achievements->Call4");
}

int32_t AchievementsCall5(int32_t a)
{
    QVI_REPORT_MISSING_MEMBER("achievements->Call5");
    return 0;
}

// ---- cloud ----

bool CloudIsAvailable()
{
    QVI_REPORT_MISSING_MEMBER("cloud->IsAvailable");
    return false;
}

void CloudWrite(const char* name, const void* data, int size)
{
    QVI_REPORT_MISSING_MEMBER("cloud->Write");
}

Buffer* CloudRead(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("cloud->Read");
    return nullptr;
}

void CloudDelete(const char* name)
{
    QVI_REPORT_MISSING_MEMBER("cloud->Delete");
}

// ---- leaderboards ----

void SubmitScore(int player, ScoreRecord score, const char* category)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->SubmitScore");
}

bool RequestScores(int first, int count, LeaderboardFilter filter, const char* category)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->RequestScores");
    return false;
}

bool RequestScoresAroundUserRank(int player, int count, const char* category)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->RequestScoresAroundUserRank");
    return false;
}

bool LeaderboardsCall3()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->Call3");
    return false;
}

void ShowLeaderboards(int player, const char* category)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->ShowLeaderboards");
}

const char* GetPlayerId(int player)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetPlayerId");
    return nullptr;
}

int GetLoginState(int player)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetLoginState");
    return 0;
}

void Login(int player)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->Login");
}

bool LeaderboardsCall8()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->Call8");
    return false;
}

void LeaderboardsCall9(const char* text)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->Call9");
}

int GetCategoryCount()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetCategoryCount");
    return 0;
}

const char* GetCategoryId(int index)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetCategoryId");
    return nullptr;
}

int GetCategoryIndex(const char* id)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetCategoryIndex");
    return -1;
}

bool IsLowestScoreFirst(const char* id)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->IsLowestScoreFirst");
    return false;
}

int LeaderboardsCall14()
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->Call14");
    return 0;
}

const char* GetCategoryValue(const char* id, const char* key)
{
    QVI_REPORT_MISSING_MEMBER("leaderboards->GetCategoryValue");
    return nullptr;
}

// ---- notifications ----

bool NotificationsIsAvailable()
{
    QVI_REPORT_MISSING_MEMBER("notifications->IsAvailable");
    return false;
}

void RegisterForLocalNotifications()
{
    QVI_REPORT_MISSING_MEMBER("notifications->RegisterForLocalNotifications");
}

void RemoveAllLocalNotifications()
{
    QVI_REPORT_MISSING_MEMBER("notifications->RemoveAllLocalNotifications");
}

void SetLocalNotification(const char* text1, const char* text2, const char* text3, int number)
{
    QVI_REPORT_MISSING_MEMBER("notifications->SetLocalNotification");
}

// ---- social ----

bool SocialIsAvailable()
{
    QVI_REPORT_MISSING_MEMBER("social->IsAvailable");
    return false;
}

void RequestFriends()
{
    QVI_REPORT_MISSING_MEMBER("social->RequestFriends");
}

void ResetState()
{
    QVI_REPORT_MISSING_MEMBER("social->ResetState");
}

void SendFriends()
{
    QVI_REPORT_MISSING_MEMBER("social->SendFriends");
}

void SetLocalUserValue(int value)
{
    QVI_REPORT_MISSING_MEMBER("social->SetLocalUserValue");
}

Bitmap* LoadProfilePicture(const char* userId, int size)
{
    QVI_REPORT_MISSING_MEMBER("social->LoadProfilePicture");
    return nullptr;
}

// ---- statistics ----

void StatisticsCall0(int32_t a, int32_t b, int32_t c, int32_t d)
{
    QVI_REPORT_MISSING_MEMBER("statistics->Call0");
}

// ---- ugc ----

bool UgcIsAvailable()
{
    QVI_REPORT_MISSING_MEMBER("ugc->IsAvailable");
    return false;
}

void UgcCall1(...)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call1");
}

bool UgcCall2()
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call2");
    return true;
}

int UgcCall3()
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call3");
    return 0;
}

int32_t UgcCall4(int32_t a)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call4");
    return 0;
}

void UgcCall5(int32_t a)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call5");
}

void UgcCall6(int32_t a)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call6");
}

int32_t UgcCall7(int32_t a)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call7");
    return 0;
}

void UgcCall8(...)
{
    QVI_REPORT_MISSING_MEMBER("ugc->Call8");
}

const QuavenAchievementsAPI kAchievements = {
    UnlockAchievement, SetAchievementProgress, CanShowAchievements, ShowAchievements, AchievementsCall4,
    AchievementsCall5,
};

const QuavenCloudAPI kCloud = {CloudIsAvailable, CloudWrite, CloudRead, CloudDelete};

const QuavenLeaderboardsAPI kLeaderboards = {
    SubmitScore,       RequestScores,     RequestScoresAroundUserRank,
    LeaderboardsCall3, ShowLeaderboards,  GetPlayerId,
    GetLoginState,     Login,             LeaderboardsCall8,
    LeaderboardsCall9, GetCategoryCount,  GetCategoryId,
    GetCategoryIndex,  IsLowestScoreFirst, LeaderboardsCall14,
    GetCategoryValue,
};

const QuavenNotificationsAPI kNotifications = {
    NotificationsIsAvailable, RegisterForLocalNotifications, RemoveAllLocalNotifications, SetLocalNotification,
};

const QuavenSocialAPI kSocial = {
    SocialIsAvailable, RequestFriends, ResetState, SendFriends, SetLocalUserValue, LoadProfilePicture,
};

const QuavenStatisticsAPI kStatistics = {StatisticsCall0};

const QuavenUGCAPI kUgc = {UgcIsAvailable, UgcCall1, UgcCall2, UgcCall3, UgcCall4,
                           UgcCall5,       UgcCall6, UgcCall7, UgcCall8};

}  // namespace

void QVI_FillServicesAPI(QuavenAPI* api)
{
    if (!api)
        return;
    api->achievements = &kAchievements;
    api->cloud = &kCloud;
    api->leaderboards = &kLeaderboards;
    api->notifications = &kNotifications;
    api->social = &kSocial;
    api->statistics = &kStatistics;
    api->ugc = &kUgc;
}
