#include "core/events/event_payloads.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "core/engine_log.h"

namespace {

// Byte positions below count from the start of the event, as the payload tables do.
const int kPayloadStart = 4;

// The leaderboards result owns its reason and category texts and its score array.
const int kLeaderboardsScores = 32;
const int kLeaderboardsReason = 8;
const int kLeaderboardsCategory = 12;
// The local user event points to a block of two pointers (id and name).
const int kLocalUserBlock = 12;
const int kLocalUserExtra = 8;
// The friends event: an array of 12-byte user entries {id, name, value} and its count.
const int kFriendsArray = 4;
const int kFriendsCount = 8;
const int kFriendEntrySize = 12;

void FreeBlock(void* block)
{
    if (qv && qv->Free)
        qv->Free(block);
    else
        QV_Free(block);
}

void* PointerAt(const EngineEvent* event, int bytePosition)
{
    void* pointer;
    memcpy(&pointer, event->payload + (bytePosition - kPayloadStart), sizeof pointer);
    return pointer;
}

int32_t IntAt(const EngineEvent* event, int bytePosition)
{
    int32_t value;
    memcpy(&value, event->payload + (bytePosition - kPayloadStart), sizeof value);
    return value;
}

void FreeIfSet(void* block)
{
    if (block)
        FreeBlock(block);
}

void FreeWordsAt(const EngineEvent* event, std::initializer_list<int> bytePositions)
{
    for (int position : bytePositions)
        FreeIfSet(PointerAt(event, position));
}

void FreeLocalUser(const EngineEvent* event)
{
    void** user = static_cast<void**>(PointerAt(event, kLocalUserBlock));
    if (user) {
        FreeIfSet(user[0]);
        FreeIfSet(user[1]);
        FreeBlock(user);
    }
    FreeIfSet(PointerAt(event, kLocalUserExtra));
}

void FreeFriends(const EngineEvent* event)
{
    uint8_t* entries = static_cast<uint8_t*>(PointerAt(event, kFriendsArray));
    if (!entries)
        return;
    const int32_t count = IntAt(event, kFriendsCount);
    for (int32_t i = 0; i < count; ++i) {
        void* fields[2];
        memcpy(fields, entries + i * kFriendEntrySize, sizeof fields);
        FreeIfSet(fields[0]);
        FreeIfSet(fields[1]);
    }
    // The array goes even when the count says it holds nothing.
    FreeBlock(entries);
}

}  // namespace

void* QV_Malloc(uint32_t size)
{
    return malloc(size);
}

void QV_Free(void* block)
{
    free(block);
}

void QVI_FreeEventPayload(EngineEvent* event)
{
    if (!event)
        return;
    switch (event->type) {
    case 18:
    case 20:
        FreeWordsAt(event, {4});
        break;
    case EVENT_LEADERBOARDS:
        // The score array is handed to Free even when null.
        FreeBlock(PointerAt(event, kLeaderboardsScores));
        FreeWordsAt(event, {kLeaderboardsReason, kLeaderboardsCategory});
        break;
    case 33:
    case 34:
        FreeWordsAt(event, {8, 16, 20, 24});
        break;
    case 36:
        FreeWordsAt(event, {4, 8, 12});
        break;
    case EVENT_SOCIAL_LOCAL_USER:
        FreeLocalUser(event);
        break;
    case EVENT_SOCIAL_FRIENDS:
        FreeFriends(event);
        break;
    default:
        // 21-32 and 35 own nothing; types outside 18-38 never own their pointers.
        break;
    }
}
