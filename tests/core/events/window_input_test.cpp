#include "events_fixture.h"

#include "core/events/window_input.h"

#include <climits>
#include <limits>

namespace {

using namespace events_test;

class WindowInput : public EventsTest {};

TEST_F(WindowInput, BeforeCoreInitialisationInputIsDispatchedAtOnceWithoutTheProgram)
{
    g_core.coreInitialized = 0;
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'K');
    QVI_PostMouseEvent(EVENT_MOUSE_DOWN, QV_KEY_MOUSE_BUTTON_LEFT, 30.0f, 40.0f);
    EXPECT_EQ(QV_GetKey('K'), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), 30u);

    g_core.coreInitialized = 1;
    QVI_DispatchQueuedEvents();
    EXPECT_TRUE(Seen().events.empty());   // nothing was left queued
}

TEST_F(WindowInput, AfterCoreInitialisationInputWaitsForTheFrame)
{
    QVI_PostKeyEvent(EVENT_KEY_UP, 'K');
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'K');
    EXPECT_EQ(QV_GetKey('K'), 0u);
    QVI_DispatchQueuedEvents();
    EXPECT_EQ(QV_GetKey('K'), 3u);
    ASSERT_EQ(SeenTypes(), (std::vector<uint32_t>{EVENT_KEY_UP, EVENT_KEY_DOWN}));
    EXPECT_EQ(KeyOf(Seen().events[1]).code, 'K');
    EXPECT_EQ(KeyOf(Seen().events[1]).flag, 1);
    for (int i = 5; i < 32; ++i)   // past the code and the flag, the event starts zeroed
        EXPECT_EQ(Seen().events[1].payload[i], 0) << i;
}

TEST_F(WindowInput, MouseEventsArePointerZeroOfTheMouseWithTruncatedPositions)
{
    QVI_PostMouseEvent(EVENT_MOUSE_UP, QV_KEY_MOUSE_BUTTON_RIGHT, 10.9f, -3.7f);
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(Seen().events.size(), 1u);
    const EventMousePayload mouse = MouseOf(Seen().events[0]);
    EXPECT_EQ(mouse.pointer, 0);
    EXPECT_EQ(mouse.x, 10);
    EXPECT_EQ(mouse.y, -3);
    EXPECT_EQ(mouse.button, QV_KEY_MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(mouse.device, 2u);
    EXPECT_EQ(mouse.wheel, 0);
}

TEST_F(WindowInput, UnrepresentablePositionsAreClamped)
{
    QVI_PostMouseEvent(EVENT_MOUSE_MOVE, 0, std::numeric_limits<float>::quiet_NaN(), 1e20f);
    QVI_PostMouseEvent(EVENT_MOUSE_MOVE, 0, -std::numeric_limits<float>::infinity(), 0.0f);
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(Seen().events.size(), 2u);
    EXPECT_EQ(MouseOf(Seen().events[0]).x, 0);
    EXPECT_EQ(MouseOf(Seen().events[0]).y, INT_MAX);
    EXPECT_EQ(MouseOf(Seen().events[1]).x, INT_MIN);
}

}  // namespace
