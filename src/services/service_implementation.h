#pragma once

#include <cstdint>

#include "quaven/api.h"
#include "quaven/services.h"

// The service implementation interfaces. Modules are separately built libraries, usually
// made with the platform's system compiler, so these classes are binary interfaces: their
// virtual tables hold exactly the slots below, in this order, laid out as that compiler lays
// them out. Slot 0 is a single deleting destructor taking the flags word (bit 0: free the
// memory); a C++ virtual destructor would take two slots under this compiler and shift every
// operation, so none of these classes declares one. Operations use the member calling
// convention (thiscall: this in ECX, the callee pops its stack arguments); variadic ones are
// cdecl with this as the first stack argument, as that compiler does.
//
// A concrete class is final and fills slot 0 with QVI_DestroyObject:
//     void* QV_MEMBER DeletingDestructor(unsigned flags) override { return QVI_DestroyObject(this, flags); }
// The owner deletes it with QVI_DeleteImplementation, never with delete.

#if defined(__i386__)
#define QV_MEMBER __attribute__((thiscall))
#else
#define QV_MEMBER
#endif

enum ImplementationKind : int32_t {
    IMPLEMENTATION_CLOUD = 0,
    IMPLEMENTATION_LEADERBOARDS = 1,
    IMPLEMENTATION_ACHIEVEMENTS = 2,
    IMPLEMENTATION_IN_APP_PURCHASE = 3,
    IMPLEMENTATION_SOCIAL = 4,
    IMPLEMENTATION_UGC = 5,
    IMPLEMENTATION_NOTIFICATION = 6,
    IMPLEMENTATION_STATISTIC = 7,
    IMPLEMENTATION_KIND_COUNT = 8
};

// What slot 0 of a final class does: runs the class's destructor and, with bit 0 of the
// flags, gives the memory back to the heap it came from (operator new of this library).
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
    // 0
    virtual void* QV_MEMBER DeletingDestructor(unsigned flags) = 0;
    // 1
    virtual ImplementationKind QV_MEMBER GetKind() = 0;
    // 2: called once, and only when the implementation is resolved.
    virtual bool QV_MEMBER Init() { return true; }
    // 3: the engine never calls it.
    virtual void QV_MEMBER Reserved3() {}
    // 4: every frame while resolved.
    virtual void QV_MEMBER Update() {}
    // 5: gates the engine's achievements, leaderboards and in-app-purchase commands.
    virtual bool QV_MEMBER IsAvailable() { return true; }

protected:
    BaseImplementation() = default;
    // Not virtual: see above. Deletion goes through slot 0.
    ~BaseImplementation() = default;
};

// A module's object begins with its table pointer and nothing else of the engine's.
static_assert(sizeof(void*) != 4 || sizeof(BaseImplementation) == 4, "BaseImplementation is its table pointer");

// Deletes through slot 0 with the flag 1; null is ignored.
void QVI_DeleteImplementation(BaseImplementation* implementation);

class LeaderboardsImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_LEADERBOARDS; }
    // 6: the record travels by value.
    virtual void QV_MEMBER SubmitScore(int player, ScoreRecord score, const char* category) = 0;
    // 7: true means exactly one EVENT_LEADERBOARDS follows.
    virtual bool QV_MEMBER RequestScores(int first, int count, LeaderboardFilter filter, const char* category) = 0;
    // 8
    virtual bool QV_MEMBER RequestScoresAroundUserRank(int player, int count, const char* category) = 0;
    // 9
    virtual const char* QV_MEMBER GetPlayerId(int player) = 0;
    // 10
    virtual bool QV_MEMBER Call10() { return false; }
    // 11
    virtual void QV_MEMBER Call11(const char* text) {}
    // 12
    virtual void QV_MEMBER Login(int player) {}
    // 13: 0 means not logged in.
    virtual int QV_MEMBER GetLoginState(int player) { return 2; }
    // 14
    virtual bool QV_MEMBER Call14() { return false; }
    // 15
    virtual void QV_MEMBER ShowLeaderboards(int player, const char* category) {}
    // 16
    virtual int QV_MEMBER Call16() { return 30; }

protected:
    ~LeaderboardsImplementation() = default;
};

class CloudImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_CLOUD; }
    // 6
    virtual void QV_MEMBER Write(const char* name, const void* data, int size) = 0;
    // 7: a Buffer from the API's CreateBuffer, which the program releases with FreeBuffer.
    virtual Buffer* QV_MEMBER Read(const char* name) = 0;
    // 8
    virtual void QV_MEMBER Delete(const char* name) = 0;

protected:
    ~CloudImplementation() = default;
};

// GetState answers.
enum { SOCIAL_STATE_IDLE = 0, SOCIAL_STATE_FRIENDS_READY = 2 };

class SocialImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_SOCIAL; }
    // 6: answers with EVENT_SOCIAL_LOCAL_USER.
    virtual void QV_MEMBER RequestFriends() = 0;
    // 7
    virtual void QV_MEMBER ResetState() = 0;
    // 8
    virtual int QV_MEMBER GetState() = 0;
    // 9
    virtual void QV_MEMBER SetLocalUserValue(int value) = 0;
    // 10: answers with EVENT_SOCIAL_FRIENDS.
    virtual void QV_MEMBER SendFriends() = 0;
    // 11
    virtual Bitmap* QV_MEMBER LoadProfilePicture(const char* userId, int size) = 0;

protected:
    ~SocialImplementation() = default;
};

// The kinds below have no implementation inside the engine; only modules provide them. The
// members named CallN have no meaning of the engine's own: arguments and answers are passed
// on as 32-bit words.

class AchievementsImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_ACHIEVEMENTS; }
    virtual void QV_MEMBER UnlockAchievement(int player, const char* id) = 0;                     // 6
    virtual void QV_MEMBER SetAchievementProgress(int player, const char* id, int progress) = 0;  // 7
    virtual bool QV_MEMBER CanShowAchievements() = 0;                                             // 8
    virtual void QV_MEMBER ShowAchievements(int player) = 0;                                      // 9
    virtual void QV_MEMBER Call10(int32_t a, int32_t b) = 0;                                      // 10
    virtual int32_t QV_MEMBER Call11(int32_t a) = 0;                                              // 11

protected:
    ~AchievementsImplementation() = default;
};

class StatisticImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_STATISTIC; }
    virtual void QV_MEMBER Call6(int32_t a, int32_t b, int32_t c, int32_t d) = 0;  // 6

protected:
    ~StatisticImplementation() = default;
};

// The variadic slots 6 and 13 receive every argument word the game passed to the sub-table's
// Call1 and Call8, unchanged (services/ugc_pass_through.cpp).
class UGCImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_UGC; }
    virtual void Call6(...) = 0;                          // 6 (cdecl: variadic)
    virtual bool QV_MEMBER Call7() = 0;                   // 7
    virtual int QV_MEMBER Call8() = 0;                    // 8
    virtual int32_t QV_MEMBER Call9(int32_t a) = 0;       // 9
    virtual void QV_MEMBER Call10(int32_t a) = 0;         // 10
    virtual void QV_MEMBER Call11(int32_t a) = 0;         // 11
    virtual int32_t QV_MEMBER Call12(int32_t a) = 0;      // 12
    virtual void Call13(...) = 0;                         // 13 (cdecl: variadic)

protected:
    ~UGCImplementation() = default;
};

class NotificationImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_NOTIFICATION; }
    virtual void QV_MEMBER RegisterForLocalNotifications() = 0;  // 6
    virtual void QV_MEMBER RemoveAllLocalNotifications() = 0;    // 7
    virtual void QV_MEMBER SetLocalNotification(const char* text1, const char* text2, const char* text3,
                                                int number) = 0;  // 8

protected:
    ~NotificationImplementation() = default;
};

// Reached only through the "IAP_" platform commands; what slots 6 to 8 answer is not used.
class InAppPurchaseImplementation : public BaseImplementation {
public:
    ImplementationKind QV_MEMBER GetKind() override { return IMPLEMENTATION_IN_APP_PURCHASE; }
    virtual int32_t QV_MEMBER RequestItemData(const char* argument) = 0;  // 6
    virtual int32_t QV_MEMBER PurchaseItem(const char* argument) = 0;     // 7
    virtual int32_t QV_MEMBER RestorePurchases() = 0;                     // 8
    virtual bool QV_MEMBER ShowPurchaseProgress() = 0;                    // 9

protected:
    ~InAppPurchaseImplementation() = default;
};
