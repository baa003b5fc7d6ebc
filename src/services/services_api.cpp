// The service sub-tables: each member forwards to the implementation resolved for its kind,
// or gives the answer a game sees when no service of the kind is present.
#include "services/services_api.h"

#include "core/core_state.h"
#include "core/engine_log.h"
#include "services/leaderboard_categories.h"
#include "services/leaderboard_events.h"
#include "services/resolved_implementations.h"
#include "services/ugc_pass_through.h"

namespace {

// ---- achievements ----

void UnlockAchievement(int player, const char* id)
{
    if (AchievementsImplementation* achievements = QVI_AchievementsImplementation())
        achievements->UnlockAchievement(player, id);
}

void SetAchievementProgress(int player, const char* id, int progress)
{
    if (AchievementsImplementation* achievements = QVI_AchievementsImplementation())
        achievements->SetAchievementProgress(player, id, progress);
}

bool CanShowAchievements()
{
    AchievementsImplementation* achievements = QVI_AchievementsImplementation();
    return achievements && achievements->CanShowAchievements();
}

void ShowAchievements(int player)
{
    if (AchievementsImplementation* achievements = QVI_AchievementsImplementation())
        achievements->ShowAchievements(player);
}

void AchievementsCall4(int32_t a, int32_t b)
{
    if (AchievementsImplementation* achievements = QVI_AchievementsImplementation())
        achievements->Call10(a, b);
}

int32_t AchievementsCall5(int32_t a)
{
    AchievementsImplementation* achievements = QVI_AchievementsImplementation();
    return achievements ? achievements->Call11(a) : 0;
}

// ---- cloud ----

bool CloudIsAvailable()
{
    return QVI_CloudImplementation() != nullptr;
}

void CloudWrite(const char* name, const void* data, int size)
{
    if (CloudImplementation* cloud = QVI_CloudImplementation())
        cloud->Write(name, data, size);
}

Buffer* CloudRead(const char* name)
{
    CloudImplementation* cloud = QVI_CloudImplementation();
    return cloud ? cloud->Read(name) : nullptr;
}

void CloudDelete(const char* name)
{
    if (CloudImplementation* cloud = QVI_CloudImplementation())
        cloud->Delete(name);
}

// ---- leaderboards ----

const char* Printable(const char* text)
{
    return text ? text : "(null)";
}

void SubmitScore(int player, ScoreRecord score, const char* category)
{
    QVI_Report(QV_LOG_INFO, "Submitting score of %d points to category '%s'", score.points, Printable(category));
    // The data length comes from the game: an implementation must never read past the field.
    if (score.dataLength < 0)
        score.dataLength = 0;
    if (score.dataLength > static_cast<int32_t>(sizeof score.data))
        score.dataLength = sizeof score.data;
    if (LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation())
        leaderboards->SubmitScore(player, score, category);
}

int LastRank(int first, int count)
{
    const int64_t last = static_cast<int64_t>(first) + count - 1;
    return last > INT32_MAX ? INT32_MAX : last < INT32_MIN ? INT32_MIN : static_cast<int>(last);
}

bool RequestScores(int first, int count, LeaderboardFilter filter, const char* category)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    if (!leaderboards)
        return false;
    QVI_Report(QV_LOG_INFO, "Requesting scores %d..%d (%d scores) for category '%s' with filter '%s'", first,
               LastRank(first, count), count, Printable(category), QVI_LeaderboardFilterName(filter));
    // A request of no scores goes to the service too: its answer carries the category's total.
    const bool accepted = leaderboards->RequestScores(first, count, filter, category);
    if (!accepted)
        QVI_Report(QV_LOG_INFO, "RequestScores returned false. No return event will be sent.");
    return accepted;
}

bool RequestScoresAroundUserRank(int player, int count, const char* category)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    if (!leaderboards)
        return false;
    QVI_Report(QV_LOG_INFO, "Requesting %d scores around user #%d for category '%s'", count, player,
               Printable(category));
    const bool accepted = leaderboards->RequestScoresAroundUserRank(player, count, category);
    if (!accepted)
        QVI_Report(QV_LOG_INFO, "RequestScoresAroundUserRank returned false. No return event will be sent.");
    return accepted;
}

bool LeaderboardsCall3()
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    return leaderboards && leaderboards->Call14();
}

void ShowLeaderboards(int player, const char* category)
{
    if (LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation())
        leaderboards->ShowLeaderboards(player, category);
}

const char* GetPlayerId(int player)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    if (!leaderboards || static_cast<uint32_t>(player) > 3u)
        return nullptr;
    return leaderboards->GetPlayerId(player);
}

int GetLoginState(int player)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    return leaderboards ? leaderboards->GetLoginState(player) : 0;
}

bool LeaderboardsCall8()
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    return leaderboards && leaderboards->Call10();
}

void LeaderboardsCall9(const char* text)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    if (leaderboards && text && text[0])
        leaderboards->Call11(text);
}

int LeaderboardsCall14()
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    return leaderboards ? leaderboards->Call16() : 30;
}

void Login(int player)
{
    LeaderboardsImplementation* leaderboards = QVI_LeaderboardsImplementation();
    if (!leaderboards) {
        QVI_ReportPopup(QV_LOG_WARNING,
                        "No leaderboard implementation defined while calling qv->leaderboards->Login. Requires "
                        "feature LEADERBOARDS and a leaderboards implementation. Use fallback feature "
                        "LOCAL_LEADERBOARDS for local score lists.");
        return;
    }
    if (leaderboards->GetLoginState(player) != 0)
        return;
    QVI_Report(QV_LOG_INFO, "Login for player %d", player);
    leaderboards->Login(player);
    if (g_core.developerMode)
        QVI_ValidateLeaderboardCategories();
}

// ---- notifications ----

bool NotificationsIsAvailable()
{
    return QVI_NotificationImplementation() != nullptr;
}

void RegisterForLocalNotifications()
{
    if (NotificationImplementation* notification = QVI_NotificationImplementation())
        notification->RegisterForLocalNotifications();
}

void RemoveAllLocalNotifications()
{
    if (NotificationImplementation* notification = QVI_NotificationImplementation())
        notification->RemoveAllLocalNotifications();
}

void SetLocalNotification(const char* text1, const char* text2, const char* text3, int number)
{
    if (NotificationImplementation* notification = QVI_NotificationImplementation())
        notification->SetLocalNotification(text1, text2, text3, number);
}

// ---- social ----

bool SocialIsAvailable()
{
    return QVI_SocialImplementation() != nullptr;
}

void RequestFriends()
{
    if (SocialImplementation* social = QVI_SocialImplementation())
        social->RequestFriends();
}

void ResetState()
{
    if (SocialImplementation* social = QVI_SocialImplementation())
        social->ResetState();
}

void SendFriends()
{
    if (SocialImplementation* social = QVI_SocialImplementation())
        social->SendFriends();
}

void SetLocalUserValue(int value)
{
    if (SocialImplementation* social = QVI_SocialImplementation())
        social->SetLocalUserValue(value);
}

Bitmap* LoadProfilePicture(const char* userId, int size)
{
    SocialImplementation* social = QVI_SocialImplementation();
    if (!social || !userId || size < 4)
        return nullptr;
    return social->LoadProfilePicture(userId, size);
}

// ---- statistics ----

void StatisticsCall0(int32_t a, int32_t b, int32_t c, int32_t d)
{
    if (StatisticImplementation* statistic = QVI_StatisticImplementation())
        statistic->Call6(a, b, c, d);
}

// ---- ugc ----

bool UgcIsAvailable()
{
    UGCImplementation* ugc = QVI_UGCImplementation();
    return ugc && ugc->IsAvailable();
}

bool UgcCall2()
{
    UGCImplementation* ugc = QVI_UGCImplementation();
    return ugc ? ugc->Call7() : true;
}

int UgcCall3()
{
    UGCImplementation* ugc = QVI_UGCImplementation();
    return ugc ? ugc->Call8() : 0;
}

int32_t UgcCall4(int32_t a)
{
    UGCImplementation* ugc = QVI_UGCImplementation();
    return ugc ? ugc->Call9(a) : 0;
}

void UgcCall5(int32_t a)
{
    if (UGCImplementation* ugc = QVI_UGCImplementation())
        ugc->Call10(a);
}

void UgcCall6(int32_t a)
{
    if (UGCImplementation* ugc = QVI_UGCImplementation())
        ugc->Call11(a);
}

int32_t UgcCall7(int32_t a)
{
    UGCImplementation* ugc = QVI_UGCImplementation();
    return ugc ? ugc->Call12(a) : 0;
}

const QuavenAchievementsAPI kAchievements = {
    UnlockAchievement, SetAchievementProgress, CanShowAchievements, ShowAchievements, AchievementsCall4,
    AchievementsCall5,
};

const QuavenCloudAPI kCloud = {CloudIsAvailable, CloudWrite, CloudRead, CloudDelete};

const QuavenLeaderboardsAPI kLeaderboards = {
    SubmitScore,          RequestScores,           RequestScoresAroundUserRank,
    LeaderboardsCall3,    ShowLeaderboards,        GetPlayerId,
    GetLoginState,        Login,                   LeaderboardsCall8,
    LeaderboardsCall9,    QVI_GetCategoryCount,    QVI_GetCategoryId,
    QVI_GetCategoryIndex, QVI_IsLowestScoreFirst,  LeaderboardsCall14,
    QVI_GetCategoryValue,
};

const QuavenNotificationsAPI kNotifications = {
    NotificationsIsAvailable, RegisterForLocalNotifications, RemoveAllLocalNotifications, SetLocalNotification,
};

const QuavenSocialAPI kSocial = {
    SocialIsAvailable, RequestFriends, ResetState, SendFriends, SetLocalUserValue, LoadProfilePicture,
};

const QuavenStatisticsAPI kStatistics = {StatisticsCall0};

const QuavenUGCAPI kUgc = {UgcIsAvailable, QVI_UgcCall1, UgcCall2, UgcCall3,    UgcCall4,
                           UgcCall5,       UgcCall6,     UgcCall7, QVI_UgcCall8};

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
