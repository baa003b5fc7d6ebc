#pragma once

// Interim service interfaces, until the shared implementation family lands.
#include <cstdint>

#include "quaven/api.h"

typedef int32_t ImplementationKind;
enum {
    IMPLEMENTATION_CLOUD = 0,
    IMPLEMENTATION_LEADERBOARDS = 1,
    IMPLEMENTATION_SOCIAL = 4,
};

#if defined(__i386__)
#define QV_MEMBER __attribute__((thiscall))
#else
#define QV_MEMBER
#endif

template <typename T>
void* QVI_DestroyObject(T* object, unsigned flags)
{
    object->~T();
    if (flags & 1u)
        ::operator delete(object);
    return object;
}

class BaseImplementation {
public:
    virtual void* QV_MEMBER DeletingDestructor(unsigned flags) = 0;
    virtual ImplementationKind QV_MEMBER GetKind() = 0;
    virtual bool QV_MEMBER Init() { return true; }
    virtual void QV_MEMBER Reserved3() {}
    virtual void QV_MEMBER Update() {}
    virtual bool QV_MEMBER IsAvailable() { return true; }

protected:
    ~BaseImplementation() = default;
};

class LeaderboardsImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_LEADERBOARDS; }
    virtual void QV_MEMBER SubmitScore(int player, ScoreRecord score, const char* category) = 0;
    virtual bool QV_MEMBER RequestScores(int first, int count, LeaderboardFilter filter, const char* category) = 0;
    virtual bool QV_MEMBER RequestScoresAroundUserRank(int player, int count, const char* category) = 0;
    virtual const char* QV_MEMBER GetPlayerId(int player) = 0;
    virtual bool QV_MEMBER Call10() { return false; }
    virtual void QV_MEMBER Call11(const char*) {}
    virtual void QV_MEMBER Login(int) {}
    virtual int QV_MEMBER GetLoginState(int) { return 2; }
    virtual bool QV_MEMBER Call14() { return false; }
    virtual void QV_MEMBER ShowLeaderboards(int, const char*) {}
    virtual int QV_MEMBER Call16() { return 30; }

protected:
    ~LeaderboardsImplementation() = default;
};

class CloudImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_CLOUD; }
    virtual void QV_MEMBER Write(const char* name, const void* data, int size) = 0;
    virtual Buffer* QV_MEMBER Read(const char* name) = 0;
    virtual void QV_MEMBER Delete(const char* name) = 0;

protected:
    ~CloudImplementation() = default;
};

class SocialImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_SOCIAL; }
    virtual void QV_MEMBER RequestFriends() = 0;
    virtual void QV_MEMBER ResetState() = 0;
    virtual int QV_MEMBER GetState() = 0;
    virtual void QV_MEMBER SetLocalUserValue(int value) = 0;
    virtual void QV_MEMBER SendFriends() = 0;
    virtual Bitmap* QV_MEMBER LoadProfilePicture(const char* userId, int size) = 0;

protected:
    ~SocialImplementation() = default;
};

char* QVI_StrDupApi(const char* text);
void QVI_SendLeaderboardScoresEvent(const char* category, LeaderboardFilter filter, int first, int count,
                                    ScoreRecord* scores, int total);
void QVI_SendLeaderboardErrorEvent(const char* category, LeaderboardFilter filter, const char* reason);

LeaderboardsImplementation* QVI_CreateSimulatedLeaderboardsImplementation();
LeaderboardsImplementation* QVI_CreateLocalLeaderboardsImplementation();
CloudImplementation* QVI_CreateSimulatedCloudImplementation();
SocialImplementation* QVI_CreateSimulatedSocialImplementation();
