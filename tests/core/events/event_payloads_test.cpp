#include "events_fixture.h"

namespace {

using namespace events_test;

// Blocks handed to the fake Free, in order; nothing is really freed.
std::vector<void*> g_freed;

void RecordingFree(void* block) {
    g_freed.push_back(block);
}

// Distinct fake block addresses.
char g_blocks[16][4];
void* Block(int i) {
    return g_blocks[i];
}

// Payload words are named by their byte position in the event, as the payload tables do.
template <typename Word>
void Put(EngineEvent& event, int bytePosition, Word word) {
    memcpy(event.payload + bytePosition - 4, &word, sizeof word);
}

// An event of that type whose every payload word is a distinct block.
EngineEvent EveryWordSet(uint32_t type) {
    EngineEvent event = MakeEvent(type);
    for (int word = 0; word < 8; ++word)
        Put(event, 4 + 4 * word, Block(word));
    return event;
}

std::vector<void*> Words(std::initializer_list<int> bytePositions) {
    std::vector<void*> blocks;
    for (int position : bytePositions)
        blocks.push_back(Block((position - 4) / 4));
    return blocks;
}

class EventPayload : public EventsTest {
protected:
    void SetUp() override {
        EventsTest::SetUp();
        g_freed.clear();
        qv->Free = RecordingFree;
    }

    std::vector<void*> FreedBy(EngineEvent event) {
        g_freed.clear();
        QVI_FreeEventPayload(&event);
        return g_freed;
    }
};

TEST_F(EventPayload, ServiceEventsFreeTheirOwnWordsAndSocialRecordsTheirTextsBeforeTheirBlocks) {
    for (uint32_t type : {18u, 20u})
        EXPECT_EQ(FreedBy(EveryWordSet(type)), Words({4})) << type;
    for (uint32_t type : {33u, 34u})
        EXPECT_EQ(FreedBy(EveryWordSet(type)), Words({8, 16, 20, 24})) << type;
    EXPECT_EQ(FreedBy(EveryWordSet(36)), Words({4, 8, 12}));
    // Leaderboards always free the score array and skip null texts.
    EXPECT_EQ(FreedBy(EveryWordSet(EVENT_LEADERBOARDS)), Words({32, 8, 12}));
    EXPECT_EQ(FreedBy(MakeEvent(EVENT_LEADERBOARDS)), std::vector<void*>{nullptr});
    for (uint32_t type : {0u, 8u, 17u, 21u, 35u, 39u, 64u, 0xFFFFFFFFu})
        EXPECT_TRUE(FreedBy(EveryWordSet(type)).empty()) << "type " << type << " owns nothing";
    QVI_FreeEventPayload(nullptr);

    void* user[2] = {Block(10), nullptr};
    EngineEvent event = MakeEvent(EVENT_SOCIAL_LOCAL_USER);
    event.payload[0] = 1;
    Put(event, 12, user);
    Put(event, 8, Block(11));
    EXPECT_EQ(FreedBy(event), (std::vector<void*>{Block(10), user, Block(11)}));

    EXPECT_TRUE(FreedBy(MakeEvent(EVENT_SOCIAL_LOCAL_USER)).empty());

    SocialUserRecord friends[2] = {{static_cast<char*>(Block(1)), static_cast<char*>(Block(2)), 5},
                                   {nullptr, static_cast<char*>(Block(3)), 6}};
    EngineEvent list = MakeEvent(EVENT_SOCIAL_FRIENDS);
    Put(list, 4, friends);
    Put(list, 8, 2);
    EXPECT_EQ(FreedBy(list), (std::vector<void*>{Block(1), Block(2), Block(3), friends}));
    // A count of zero or less frees only the array; without an array nothing is walked.
    Put(list, 8, INT32_MIN);
    EXPECT_EQ(FreedBy(list), std::vector<void*>{friends});
    Put(list, 4, static_cast<void*>(nullptr));
    Put(list, 8, 1000);
    EXPECT_TRUE(FreedBy(list).empty());
}

// The real heap: the program allocates through Malloc, the engine frees after OnEvent.
int g_realFrees = 0;
void CountingFree(void* block) {
    ++g_realFrees;
    QV_Free(block);
}

std::string g_textSeenByProgram;
void ReadReasonDuringDispatch(const EngineEvent& event) {
    const char* reason;
    memcpy(&reason, event.payload + 4, sizeof reason);
    g_textSeenByProgram = reason;
    EXPECT_EQ(g_realFrees, 0);   // still owned by the event while the program reads it
}

TEST_F(EventPayload, FrameFreesPayloadsAfterTheProgramHasSeenThem) {
    g_realFrees = 0;
    qv->Free = CountingFree;
    g_seen.onEvent = ReadReasonDuringDispatch;

    char* reason = static_cast<char*>(qv->Malloc(16));
    strcpy(reason, "network down");
    EngineEvent event = MakeEvent(EVENT_LEADERBOARDS);
    Put(event, 8, reason);
    Put(event, 12, qv->Malloc(8));
    Put(event, 32, qv->Malloc(64));
    QV_PostEvent(&event);

    QVI_DispatchQueuedEvents();
    EXPECT_EQ(g_textSeenByProgram, "network down");
    EXPECT_EQ(g_realFrees, 3);
}

TEST_F(EventPayload, PayloadIsFreedEvenWithoutAProgram) {
    g_core.coreInitialized = 0;
    EngineEvent event = MakeEvent(20);
    Put(event, 4, Block(0));
    QV_PostEvent(&event);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(g_freed, std::vector<void*>{Block(0)});
    EXPECT_TRUE(g_seen.events.empty());
}

}  // namespace
