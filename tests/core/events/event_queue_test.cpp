#include "events_fixture.h"

#include <thread>

namespace {

using namespace events_test;

class EventQueue : public EventsTest {};

EngineEvent NumberedEvent(uint32_t type, uint32_t number)
{
    EngineEvent event = MakeEvent(type);
    memcpy(event.payload, &number, sizeof number);
    return event;
}

uint32_t NumberOf(const EngineEvent& event)
{
    uint32_t number;
    memcpy(&number, event.payload, sizeof number);
    return number;
}

TEST_F(EventQueue, NullEventsAreLoggedAndIgnored)
{
    QV_InitEvent(nullptr, 8);
    QV_PostEvent(nullptr);
    QVI_QueueEvent(nullptr);
    QVI_DispatchQueuedEvents();
    EXPECT_TRUE(Seen().events.empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"1 QV_InitEvent: null event ignored.",
                                                    "1 QV_PostEvent: null event ignored."}));
}

TEST_F(EventQueue, PostEventQueuesACopyOfAnInitialisedEvent)
{
    EngineEvent event;
    memset(&event, 0xAB, sizeof event);
    QV_InitEvent(&event, EVENT_NAMED);
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(event.payload[i], 0) << i;
    uint32_t number = 1234;
    memcpy(event.payload, &number, sizeof number);
    event.payload[31] = 0x5A;
    QV_PostEvent(&event);
    memset(&event, 0xFF, sizeof event);   // the caller reuses its record at once

    EXPECT_TRUE(Seen().events.empty());   // nothing before the frame takes the queue
    QVI_DispatchQueuedEvents();
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(Seen().events.size(), 1u) << "dispatched once";
    EXPECT_EQ(Seen().events[0].type, (uint32_t)EVENT_NAMED);
    EXPECT_EQ(NumberOf(Seen().events[0]), 1234u);
    EXPECT_EQ(Seen().events[0].payload[31], 0x5A);
}

TEST_F(EventQueue, KeyStateFollowsQueuedEventsOnlyWhenTheyAreDispatched)
{
    EngineEvent down = MakeKeyEvent(EVENT_KEY_DOWN, 'D');
    EngineEvent up = MakeKeyEvent(EVENT_KEY_UP, 'D');
    QV_PostEvent(&down);
    EXPECT_EQ(QV_GetKey('D'), 0u);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(QV_GetKey('D'), 3u);
    QV_PostEvent(&up);
    QV_PostEvent(&down);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(QV_GetKey('D'), 3u);
    EXPECT_EQ(KeyOf(Seen().events.back()).flag, 1);   // down again after the up: a new first press
}

void PostFollowUp(const EngineEvent& event)
{
    if (NumberOf(event) >= 100)
        return;
    EngineEvent followUp = NumberedEvent(EVENT_NAMED, NumberOf(event) + 100);
    QV_PostEvent(&followUp);
}

TEST_F(EventQueue, EventsPostedDuringDispatchWaitForTheNextTake)
{
    Seen().onEvent = PostFollowUp;
    for (uint32_t i = 1; i <= 3; ++i) {
        EngineEvent event = NumberedEvent(EVENT_NAMED, i);
        QV_PostEvent(&event);
    }
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(Seen().events.size(), 3u);
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(Seen().events.size(), 6u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(NumberOf(Seen().events[3 + i]), 101 + i);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(Seen().events.size(), 6u);
}

TEST_F(EventQueue, PostsFromManyThreadsAllArriveInEachThreadsOrder)
{
    const int kThreads = 4;
    const uint32_t kPerThread = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, kPerThread] {
            for (uint32_t i = 0; i < kPerThread; ++i) {
                EngineEvent event = NumberedEvent(EVENT_NAMED, (static_cast<uint32_t>(t) << 16) | i);
                QV_PostEvent(&event);
            }
        });
    }
    // The main thread keeps taking while the workers post.
    for (int frame = 0; frame < 50; ++frame)
        QVI_DispatchQueuedEvents();
    for (std::thread& thread : threads)
        thread.join();
    QVI_DispatchQueuedEvents();

    ASSERT_EQ(Seen().events.size(), kThreads * kPerThread);
    uint32_t next[kThreads] = {};
    for (const EngineEvent& event : Seen().events) {
        const uint32_t thread = NumberOf(event) >> 16;
        ASSERT_LT(thread, (uint32_t)kThreads);
        ASSERT_EQ(NumberOf(event) & 0xFFFF, next[thread]);
        ++next[thread];
    }
}

// ---- Shutdown requests ----------------------------------------------------------

DateTime FixedDateTime()
{
    return DateTime{2024, 3, 7, 9, 5, 4, 0, 0, 0, 0};  // 2024-03-07 09:05:04
}

class ProgramRequests : public EventsTest {
protected:
    void SetUp() override
    {
        EventsTest::SetUp();
        qv->GetDateTime = FixedDateTime;
    }
};

TEST_F(ProgramRequests, FirstShutdownRequestLogsTheMomentOnce)
{
    EXPECT_FALSE(QV_IsShuttingDown());
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_EQ(g_core.quit, 1);
    EXPECT_EQ(program_.video.quit, 1);

    // Every request marks the current program record; only the first is logged.
    ProgramInterface other;
    memset(&other, 0, sizeof other);
    g_core.settings = &other;
    QV_RequestShutdown();
    EXPECT_EQ(other.video.quit, 1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"3 Signalling shutdown at 2024-3-7 09:05. 4"});
}

TEST_F(ProgramRequests, WorksBeforeTheTableAndTheProgramExist)
{
    qv->GetDateTime = nullptr;
    qv->LogEx = nullptr;
    g_core.settings = nullptr;
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_TRUE(LogLines().empty());
}

}  // namespace
