#include "events_fixture.h"

#include <climits>
#include <limits>
#include <thread>
#include <tuple>

namespace {

using namespace events_test;

using EventQueue = EventsTest;

uint32_t NumberOf(const EngineEvent& event) {
    return PayloadOf<uint32_t>(event);
}

TEST_F(EventQueue, NullEventsAreLoggedAndIgnoredAndPostedOnesAreCopiesThatTheNextFrameDispatchesOnce) {
    QV_InitEvent(nullptr, 8);
    QV_PostEvent(nullptr);
    QVI_QueueEvent(nullptr);
    QVI_DispatchQueuedEvents();
    EXPECT_TRUE(g_seen.events.empty());
    EXPECT_EQ(LogLines(), (std::vector<std::string>{"1 QV_InitEvent: null event ignored.",
                                                    "1 QV_PostEvent: null event ignored."}));

    EngineEvent event;
    memset(&event, 0xAB, sizeof event);
    QV_InitEvent(&event, EVENT_KEY_DOWN);
    for (int i = 0; i < 32; ++i)
        ASSERT_EQ(event.payload[i], 0) << i;
    event.payload[0] = 'D';
    event.payload[31] = 0x5A;
    QV_PostEvent(&event);
    memset(&event, 0xFF, sizeof event);   // the caller reuses its record at once

    EXPECT_TRUE(g_seen.events.empty());
    EXPECT_EQ(QV_GetKey('D'), 0u) << "the key table follows dispatched events only";
    QVI_DispatchQueuedEvents();
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(g_seen.events.size(), 1u);
    EXPECT_EQ(g_seen.events[0].type, (uint32_t)EVENT_KEY_DOWN);
    EXPECT_EQ(KeyOf(g_seen.events[0]).code, 'D');
    EXPECT_EQ(g_seen.events[0].payload[31], 0x5A);
    EXPECT_EQ(QV_GetKey('D'), 3u);
}

TEST_F(EventQueue, PostsDuringDispatchWaitForTheNextTakeAndPostsFromManyThreadsArriveInEachThreadsOrder) {
    g_seen.onEvent = [](const EngineEvent& event) {
        if (NumberOf(event) >= 100)
            return;
        EngineEvent followUp = MakeEvent(EVENT_NAMED, NumberOf(event) + 100);
        QV_PostEvent(&followUp);
    };
    for (uint32_t i = 1; i <= 3; ++i) {
        EngineEvent event = MakeEvent(EVENT_NAMED, i);
        QV_PostEvent(&event);
    }
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(g_seen.events.size(), 3u);
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(g_seen.events.size(), 6u);
    for (uint32_t i = 0; i < 3; ++i)
        EXPECT_EQ(NumberOf(g_seen.events[3 + i]), 101 + i);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(g_seen.events.size(), 6u);

    g_seen = Observed();
    const int kThreads = 4;
    const uint32_t kPerThread = 2000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([t, kPerThread] {
            for (uint32_t i = 0; i < kPerThread; ++i) {
                EngineEvent event = MakeEvent(EVENT_NAMED, (static_cast<uint32_t>(t) << 16) | i);
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

    ASSERT_EQ(g_seen.events.size(), kThreads * kPerThread);
    uint32_t next[kThreads] = {};
    for (const EngineEvent& event : g_seen.events) {
        const uint32_t thread = NumberOf(event) >> 16;
        ASSERT_LT(thread, (uint32_t)kThreads);
        ASSERT_EQ(NumberOf(event) & 0xFFFF, next[thread]++);
    }
}

TEST_F(EventQueue, ProgramSeesEventsOnlyOnceCoreInitialisationHasFinished) {
    g_seen.eventAnswer = QV_EVENT_KEEP_WINDOW_OPEN;
    g_core.coreInitialized = 0;
    EngineEvent key = MakeEvent(EVENT_KEY_DOWN, 'Q');
    EXPECT_EQ(QVI_DispatchEvent(&key), 0);
    EXPECT_TRUE(g_seen.events.empty());
    EXPECT_EQ(QV_GetKey('Q'), 3u);   // the tables see early input

    g_core.coreInitialized = 1;
    EngineEvent close = MakeEvent(EVENT_CLOSE_REQUEST);
    EXPECT_EQ(QVI_DispatchEvent(&close), QV_EVENT_KEEP_WINDOW_OPEN);
    program_.OnEvent = nullptr;
    EXPECT_EQ(QVI_DispatchEvent(&close), 0);
    g_core.settings = nullptr;
    EXPECT_EQ(QVI_DispatchEvent(&close), 0);
    EXPECT_EQ(QVI_DispatchEvent(nullptr), 0);
    EXPECT_EQ(g_seen.events.size(), 1u);
}

TEST_F(EventQueue, AReadyConsoleSwallowsItsToggleAndTheFirstShutdownRequestLogsTheMomentOnce) {
    Console& console = g_console;
    // The default toggle is the section sign character; 167 read as a signed byte is
    // negative, so the key-down of code 167 is just a key, and -89 is the toggle key.
    console.started = 1;
    EngineEvent section = MakeEvent(EVENT_CHARACTER, 167);
    EXPECT_EQ(QVI_DispatchEvent(&section), 0);
    EXPECT_EQ(console.open, 1);
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 167));
    EXPECT_EQ(console.open, 1);
    Dispatch(MakeEvent(EVENT_KEY_DOWN, -89));
    EXPECT_EQ(console.open, 0);
    g_seen.events.clear();

    console.toggleKey = QV_KEY_ESCAPE;
    console.ctrlDown = 1;
    console.shiftDown = 1;
    Dispatch(MakeEvent(EVENT_KEY_DOWN, QV_KEY_ESCAPE));
    EXPECT_EQ(console.open, 1);
    EXPECT_EQ(console.ctrlDown + console.shiftDown, 0);
    EXPECT_EQ(program_.video.console_open, 1);
    EXPECT_EQ(QV_GetKey(QV_KEY_ESCAPE), 0u);   // the key never reached the tables
    // While open, the console has its say first; this one consumes nothing.
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 'A'));
    EXPECT_EQ(QV_GetKey('A'), 3u);

    const EngineEvent character = MakeEvent(EVENT_CHARACTER, QV_KEY_ESCAPE);
    Dispatch(character);
    EXPECT_EQ(console.open, 0);
    EXPECT_EQ(program_.video.console_open, 0);
    EXPECT_EQ(SeenTypes(), std::vector<uint32_t>{EVENT_KEY_DOWN});
    // Early input can toggle before a program record exists.
    g_core.settings = nullptr;
    Dispatch(character);
    EXPECT_EQ(console.open, 1);
    // A console that is not ready only stays closed.
    console.started = 0;
    Dispatch(character);
    EXPECT_EQ(console.open, 0);
    Dispatch(character);
    EXPECT_EQ(console.open, 0);

    // Every shutdown request marks the record; the first logs the moment.
    g_core.settings = &program_;
    qv->GetDateTime = [] { return DateTime{2024, 3, 7, 9, 5, 4, 0, 0, 0, 0}; };
    EXPECT_FALSE(QV_IsShuttingDown());
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_EQ(program_.video.quit, 1);

    ProgramInterface other = {};
    g_core.settings = &other;
    QV_RequestShutdown();
    EXPECT_EQ(other.video.quit, 1);
    EXPECT_EQ(LogLines(), std::vector<std::string>{"3 Signalling shutdown at 2024-3-7 09:05. 4"});
    // Before the table and the program exist, a request still counts.
    g_core.quit = 0;
    qv->GetDateTime = nullptr;
    qv->LogEx = nullptr;
    g_core.settings = nullptr;
    QV_RequestShutdown();
    EXPECT_TRUE(QV_IsShuttingDown());
    EXPECT_EQ(LogLines().size(), 1u);
}

TEST_F(EventQueue, WindowInputIsDispatchedAtOnceBeforeCoreInitialisationAndQueuedAfterIt) {
    g_core.coreInitialized = 0;
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'K');
    EXPECT_EQ(QV_GetKey('K'), 3u);
    g_core.coreInitialized = 1;
    QVI_DispatchQueuedEvents();
    EXPECT_TRUE(g_seen.events.empty()) << "nothing was left queued";

    QVI_PostKeyEvent(EVENT_KEY_UP, 'J');
    QVI_PostMouseEvent(EVENT_MOUSE_UP, QV_KEY_MOUSE_BUTTON_RIGHT, 10.9f, -3.7f);
    QVI_PostMouseEvent(EVENT_MOUSE_MOVE, 0, std::numeric_limits<float>::quiet_NaN(), 1e20f);
    QVI_PostMouseEventAt(EVENT_MOUSE_WHEEL, 0, 7, 8, -120);
    EXPECT_TRUE(g_seen.events.empty());
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(SeenTypes(), (std::vector<uint32_t>{EVENT_KEY_UP, EVENT_MOUSE_UP, EVENT_MOUSE_MOVE, EVENT_MOUSE_WHEEL}));
    EXPECT_EQ(KeyOf(g_seen.events[0]).code, 'J');
    // Mouse events are pointer 0 of the mouse, positions truncated and clamped.
    const EventMousePayload mouse = MouseOf(g_seen.events[1]);
    EXPECT_EQ(std::make_tuple(+mouse.pointer, mouse.x, mouse.y, +mouse.button, mouse.device),
              std::make_tuple(0, 10, -3, +QV_KEY_MOUSE_BUTTON_RIGHT, 2u));
    EXPECT_EQ(std::make_pair(MouseOf(g_seen.events[2]).x, MouseOf(g_seen.events[2]).y), std::make_pair(0, INT_MAX));
    EXPECT_EQ(MouseOf(g_seen.events[3]).wheel, -120);
    EXPECT_EQ(MouseOf(g_seen.events[3]).x, 7);
}

}  // namespace
