/*
 * Quaven public interface: online services (API members achievements, cloud,
 * leaderboards, notifications, social, statistics and ugc).
 *
 * Each member forwards to the service that an extension module (or the
 * engine's local and simulated fallbacks) provides, and answers a fixed default
 * when no service of its kind is present, so a game runs unchanged either way.
 * Results that take time arrive later as events (quaven/events.h). The members
 * take no lock; services guard their own state.
 *
 * Members named CallN have no fixed meaning in the engine: they are passed on
 * unchanged to whatever the providing module does with them.
 */
#ifndef QUAVEN_SERVICES_H
#define QUAVEN_SERVICES_H

#include "quaven/events.h"
#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* The parameter list of members that pass any arguments on unchanged. */
#if defined(__cplusplus) || (defined(__STDC_VERSION__) && __STDC_VERSION__ > 201710L)
#define QUAVEN_ANY_ARGUMENTS ...
#else
#define QUAVEN_ANY_ARGUMENTS /* unprototyped: any arguments */
#endif

/* ---- Leaderboards ------------------------------------------------------------- */

/* One leaderboard entry, 332 bytes, passed by value to SubmitScore and received
 * in arrays in EVENT_LEADERBOARDS. */
typedef struct ScoreRecord {
    char id[64];       /* player id, zero-terminated */
    char name[64];     /* display name, zero-terminated */
    int32_t points;
    int32_t rank;      /* 1-based position in the list it came from */
    uint8_t data[188]; /* bytes the game attaches to a score */
    int32_t dataLength; /* 0 to 188 */
    int32_t time;      /* calendar time (seconds) at which the score was made, or 0 */
} ScoreRecord;

QUAVEN_ASSERT_SIZE(ScoreRecord, 332);
QUAVEN_ASSERT_OFFSET(ScoreRecord, id, 0);
QUAVEN_ASSERT_OFFSET(ScoreRecord, name, 64);
QUAVEN_ASSERT_OFFSET(ScoreRecord, points, 128);
QUAVEN_ASSERT_OFFSET(ScoreRecord, rank, 132);
QUAVEN_ASSERT_OFFSET(ScoreRecord, data, 136);
QUAVEN_ASSERT_OFFSET(ScoreRecord, dataLength, 324);
QUAVEN_ASSERT_OFFSET(ScoreRecord, time, 328);

typedef int32_t LeaderboardFilter;
enum {
    QV_LEADERBOARD_FILTER_GLOBAL = 0, /* all players */
    QV_LEADERBOARD_FILTER_FRIENDS = 1
};

/* Kinds of EVENT_LEADERBOARDS. */
enum {
    QV_LEADERBOARDS_EVENT_ERROR = 0,
    QV_LEADERBOARDS_EVENT_SCORES = 1
};

/* The whole 36-byte EngineEvent of type EVENT_LEADERBOARDS, the one answer to
 * every accepted score request; copy it out of the event with memcpy. The texts
 * and the score array are engine heap blocks that the engine frees after
 * OnEvent returns. */
typedef struct LeaderboardsEvent {
    uint32_t type;            /* EVENT_LEADERBOARDS */
    int32_t kind;             /* QV_LEADERBOARDS_EVENT_ERROR or _SCORES */
    char* reason;             /* error events only, else null */
    char* category;
    int32_t total;            /* entries in the category or in the filtered list */
    LeaderboardFilter filter;
    int32_t first;            /* the first requested rank */
    int32_t count;            /* records in scores */
    ScoreRecord* scores;      /* null when count is 0 */
} LeaderboardsEvent;

QUAVEN_ASSERT_SIZE(LeaderboardsEvent, 36);
QUAVEN_STATIC_ASSERT(sizeof(LeaderboardsEvent) == sizeof(EngineEvent), "LeaderboardsEvent must be an EngineEvent");
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, type, 0);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, kind, 4);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, reason, 8);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, category, 12);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, total, 16);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, filter, 20);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, first, 24);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, count, 28);
QUAVEN_ASSERT_OFFSET(LeaderboardsEvent, scores, 32);

typedef struct QuavenLeaderboardsAPI {
    /* Submits a score (only points are needed) to a category. */
    void (*SubmitScore)(int player, ScoreRecord score, const char* category);
    /* Asks for count scores from rank first. True: one EVENT_LEADERBOARDS follows. */
    bool (*RequestScores)(int first, int count, LeaderboardFilter filter, const char* category);
    /* Asks for count scores around the player's rank. True: one EVENT_LEADERBOARDS follows. */
    bool (*RequestScoresAroundUserRank)(int player, int count, const char* category);
    bool (*Call3)(void);
    /* Shows the service's own leaderboard view. */
    void (*ShowLeaderboards)(int player, const char* category);
    /* The id of player 0 to 3, or null; the text belongs to the service. */
    const char* (*GetPlayerId)(int player);
    /* 0 when not logged in. */
    int (*GetLoginState)(int player);
    /* Logs the player in unless already logged in. */
    void (*Login)(int player);
    bool (*Call8)(void);
    void (*Call9)(const char* text);
    /* The categories of "leaderboards/leaderboards.xml" (array "CATEGORIES"). */
    int (*GetCategoryCount)(void);
    const char* (*GetCategoryId)(int index);     /* null outside 0 to count - 1 */
    int (*GetCategoryIndex)(const char* id);     /* -1 when unknown */
    /* True when the category's "sort" is "LOWEST_SCORE_FIRST" or "ASCENDING". */
    bool (*IsLowestScoreFirst)(const char* id);
    int (*Call14)(void);
    /* A further parameter of the category, or null; the text belongs to the engine. */
    const char* (*GetCategoryValue)(const char* id, const char* key);
} QuavenLeaderboardsAPI;

QUAVEN_ASSERT_SIZE(QuavenLeaderboardsAPI, 16 * 4);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, SubmitScore, 0);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, RequestScores, 1);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, RequestScoresAroundUserRank, 2);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, Call3, 3);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, ShowLeaderboards, 4);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetPlayerId, 5);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetLoginState, 6);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, Login, 7);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, Call8, 8);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, Call9, 9);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetCategoryCount, 10);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetCategoryId, 11);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetCategoryIndex, 12);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, IsLowestScoreFirst, 13);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, Call14, 14);
QUAVEN_ASSERT_SLOT(QuavenLeaderboardsAPI, GetCategoryValue, 15);

/* ---- Achievements ------------------------------------------------------------- */

typedef struct QuavenAchievementsAPI {
    void (*UnlockAchievement)(int player, const char* id);
    void (*SetAchievementProgress)(int player, const char* id, int progress);
    /* False when no achievements service is present. */
    bool (*CanShowAchievements)(void);
    void (*ShowAchievements)(int player);
    void (*Call4)(int32_t a, int32_t b);
    int32_t (*Call5)(int32_t a);
} QuavenAchievementsAPI;

QUAVEN_ASSERT_SIZE(QuavenAchievementsAPI, 6 * 4);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, UnlockAchievement, 0);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, SetAchievementProgress, 1);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, CanShowAchievements, 2);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, ShowAchievements, 3);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, Call4, 4);
QUAVEN_ASSERT_SLOT(QuavenAchievementsAPI, Call5, 5);

/* ---- Cloud storage --------------------------------------------------------------- */

typedef struct QuavenCloudAPI {
    bool (*IsAvailable)(void);
    /* Stores size bytes under the name. */
    void (*Write)(const char* name, const void* data, int size);
    /* A copy of the stored bytes, or null. The game releases it with FreeBuffer. */
    Buffer* (*Read)(const char* name);
    void (*Delete)(const char* name);
} QuavenCloudAPI;

QUAVEN_ASSERT_SIZE(QuavenCloudAPI, 4 * 4);
QUAVEN_ASSERT_SLOT(QuavenCloudAPI, IsAvailable, 0);
QUAVEN_ASSERT_SLOT(QuavenCloudAPI, Write, 1);
QUAVEN_ASSERT_SLOT(QuavenCloudAPI, Read, 2);
QUAVEN_ASSERT_SLOT(QuavenCloudAPI, Delete, 3);

/* ---- Notifications --------------------------------------------------------------- */

typedef struct QuavenNotificationsAPI {
    bool (*IsAvailable)(void);
    void (*RegisterForLocalNotifications)(void);
    void (*RemoveAllLocalNotifications)(void);
    /* The three texts and the number are passed to the service as they are. */
    void (*SetLocalNotification)(const char* text1, const char* text2, const char* text3, int number);
} QuavenNotificationsAPI;

QUAVEN_ASSERT_SIZE(QuavenNotificationsAPI, 4 * 4);
QUAVEN_ASSERT_SLOT(QuavenNotificationsAPI, IsAvailable, 0);
QUAVEN_ASSERT_SLOT(QuavenNotificationsAPI, RegisterForLocalNotifications, 1);
QUAVEN_ASSERT_SLOT(QuavenNotificationsAPI, RemoveAllLocalNotifications, 2);
QUAVEN_ASSERT_SLOT(QuavenNotificationsAPI, SetLocalNotification, 3);

/* ---- Social ----------------------------------------------------------------------- */

/* One user in the social events: EVENT_SOCIAL_LOCAL_USER points (at bytes 12-15)
 * to one, EVENT_SOCIAL_FRIENDS (at bytes 4-7) to an array of them whose length is
 * the int32 at bytes 8-11. The engine frees them after OnEvent returns. */
typedef struct SocialUserRecord {
    char* id;
    char* name;
    int32_t value; /* a per-user number; the local user's is set with SetLocalUserValue */
} SocialUserRecord;

QUAVEN_ASSERT_SIZE(SocialUserRecord, 12);
QUAVEN_ASSERT_OFFSET(SocialUserRecord, id, 0);
QUAVEN_ASSERT_OFFSET(SocialUserRecord, name, 4);
QUAVEN_ASSERT_OFFSET(SocialUserRecord, value, 8);

typedef struct QuavenSocialAPI {
    bool (*IsAvailable)(void);
    /* Asks for the local user and the friends list (EVENT_SOCIAL_LOCAL_USER). */
    void (*RequestFriends)(void);
    void (*ResetState)(void);
    /* Sends the friends list (EVENT_SOCIAL_FRIENDS). */
    void (*SendFriends)(void);
    void (*SetLocalUserValue)(int value);
    /* A user's picture of at least 4 pixels, or null. */
    Bitmap* (*LoadProfilePicture)(const char* userId, int size);
} QuavenSocialAPI;

QUAVEN_ASSERT_SIZE(QuavenSocialAPI, 6 * 4);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, IsAvailable, 0);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, RequestFriends, 1);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, ResetState, 2);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, SendFriends, 3);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, SetLocalUserValue, 4);
QUAVEN_ASSERT_SLOT(QuavenSocialAPI, LoadProfilePicture, 5);

/* ---- Statistics ------------------------------------------------------------------- */

typedef struct QuavenStatisticsAPI {
    void (*Call0)(int32_t a, int32_t b, int32_t c, int32_t d);
} QuavenStatisticsAPI;

QUAVEN_ASSERT_SIZE(QuavenStatisticsAPI, 1 * 4);
QUAVEN_ASSERT_SLOT(QuavenStatisticsAPI, Call0, 0);

/* ---- User-generated content --------------------------------------------------------- */

#if !defined(__cplusplus) && defined(__GNUC__)
/* The pass-on members are deliberately declared without a prototype in C. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wstrict-prototypes"
#endif
typedef struct QuavenUGCAPI {
    bool (*IsAvailable)(void);
    void (*Call1)(QUAVEN_ANY_ARGUMENTS);
    bool (*Call2)(void); /* true when no service is present */
    int (*Call3)(void);
    int32_t (*Call4)(int32_t a);
    void (*Call5)(int32_t a);
    void (*Call6)(int32_t a);
    int32_t (*Call7)(int32_t a);
    void (*Call8)(QUAVEN_ANY_ARGUMENTS);
} QuavenUGCAPI;
#if !defined(__cplusplus) && defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

QUAVEN_ASSERT_SIZE(QuavenUGCAPI, 9 * 4);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, IsAvailable, 0);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call1, 1);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call2, 2);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call3, 3);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call4, 4);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call5, 5);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call6, 6);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call7, 7);
QUAVEN_ASSERT_SLOT(QuavenUGCAPI, Call8, 8);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_SERVICES_H */
