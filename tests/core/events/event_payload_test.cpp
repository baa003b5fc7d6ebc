#include "events_fixture.h"

#include "core/events/event_payloads.h"

#include <algorithm>

namespace {

using namespace events_test;

// Blocks handed to the fake Free, in order; nothing is really freed.
std::vector<void*> g_freed;

void RecordingFree(void* block)
{
    g_freed.push_back(block);
}

// Distinct fake block addresses.
char g_blocks[16][4];
void* Block(int i)
{
    return g_blocks[i];
}

void PutPointer(EngineEvent& event, int bytePosition, const void* pointer)
{
    memcpy(event.payload + bytePosition - 4, &pointer, sizeof pointer);
}

void PutInt(EngineEvent& event, int bytePosition, int32_t value)
{
    memcpy(event.payload + bytePosition - 4, &value, sizeof value);
}

// An event of that type whose every payload word is a distinct block.
EngineEvent EveryWordSet(uint32_t type)
{
    EngineEvent event = MakeEvent(type);
    for (int word = 0; word < 8; ++word)
        PutPointer(event, 4 + 4 * word, Block(word));
    return event;
}

std::vector<void*> Words(std::initializer_list<int> bytePositions)
{
    std::vector<void*> blocks;
    for (int position : bytePositions)
        blocks.push_back(Block((position - 4) / 4));
    return blocks;
}

class EventPayload : public EventsTest {
protected:
    void SetUp() override
    {
        EventsTest::SetUp();
        g_freed.clear();
        qv->Free = RecordingFree;
    }

    std::vector<void*> FreedBy(EngineEvent event)
    {
        g_freed.clear();
        QVI_FreeEventPayload(&event);
        return g_freed;
    }
};

TEST_F(EventPayload, ServiceEventsFreeTheirOwnWords)
{
    EXPECT_EQ(FreedBy(EveryWordSet(20)), Words({4}));
    EXPECT_EQ(FreedBy(EveryWordSet(33)), Words({8, 16, 20, 24}));
    EXPECT_EQ(FreedBy(EveryWordSet(36)), Words({4, 8, 12}));
    // Leaderboards always free the score array and skip null texts.
    EXPECT_EQ(FreedBy(EveryWordSet(EVENT_LEADERBOARDS)), Words({32, 8, 12}));
    EXPECT_EQ(FreedBy(MakeEvent(EVENT_LEADERBOARDS)), std::vector<void*>{nullptr});
    for (uint32_t type : {0u, 8u, 21u, 35u, 64u, 0xFFFFFFFFu})
        EXPECT_TRUE(FreedBy(EveryWordSet(type)).empty()) << "type " << type << " owns nothing";
    QVI_FreeEventPayload(nullptr);
}

TEST_F(EventPayload, LocalUserFreesItsFieldsThenTheBlockThenWordEight)
{
    void* user[2] = {Block(10), nullptr};
    EngineEvent event = MakeEvent(EVENT_SOCIAL_LOCAL_USER);
    event.payload[0] = 1;
    PutPointer(event, 12, user);
    PutPointer(event, 8, Block(11));
    EXPECT_EQ(FreedBy(event), (std::vector<void*>{Block(10), user, Block(11)}));

    EngineEvent empty = MakeEvent(EVENT_SOCIAL_LOCAL_USER);
    EXPECT_TRUE(FreedBy(empty).empty());
}

TEST_F(EventPayload, FriendsFreeEachEntrysTextsThenTheArray)
{
    SocialUserRecord friends[2] = {{static_cast<char*>(Block(1)), static_cast<char*>(Block(2)), 5},
                                   {nullptr, static_cast<char*>(Block(3)), 6}};
    EngineEvent event = MakeEvent(EVENT_SOCIAL_FRIENDS);
    PutPointer(event, 4, friends);
    PutInt(event, 8, 2);
    EXPECT_EQ(FreedBy(event), (std::vector<void*>{Block(1), Block(2), Block(3), friends}));

    // A count of zero or less frees only the array; without an array nothing is walked.
    PutInt(event, 8, INT32_MIN);
    EXPECT_EQ(FreedBy(event), std::vector<void*>{friends});
    PutPointer(event, 4, nullptr);
    PutInt(event, 8, 1000);
    EXPECT_TRUE(FreedBy(event).empty());
}

// The real heap: the program allocates through Malloc, the engine frees after OnEvent.
int g_realFrees = 0;
void CountingFree(void* block)
{
    ++g_realFrees;
    QV_Free(block);
}

std::string g_textSeenByProgram;
void ReadReasonDuringDispatch(const EngineEvent& event)
{
    const char* reason;
    memcpy(&reason, event.payload + 4, sizeof reason);
    g_textSeenByProgram = reason;
    EXPECT_EQ(g_realFrees, 0);   // still owned by the event while the program reads it
}

TEST_F(EventPayload, FrameFreesPayloadsAfterTheProgramHasSeenThem)
{
    g_realFrees = 0;
    qv->Free = CountingFree;
    Seen().onEvent = ReadReasonDuringDispatch;

    char* reason = static_cast<char*>(qv->Malloc(16));
    strcpy(reason, "network down");
    EngineEvent event = MakeEvent(EVENT_LEADERBOARDS);
    PutPointer(event, 8, reason);
    PutPointer(event, 12, qv->Malloc(8));
    PutPointer(event, 32, qv->Malloc(64));
    QV_PostEvent(&event);

    QVI_DispatchQueuedEvents();
    EXPECT_EQ(g_textSeenByProgram, "network down");
    EXPECT_EQ(g_realFrees, 3);
}

TEST_F(EventPayload, PayloadIsFreedEvenWithoutAProgram)
{
    g_core.coreInitialized = 0;
    EngineEvent event = MakeEvent(20);
    PutPointer(event, 4, Block(0));
    QV_PostEvent(&event);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(g_freed, std::vector<void*>{Block(0)});
    EXPECT_TRUE(Seen().events.empty());
}

}  // namespace
