#include "events_fixture.h"

#include "core/events/event_queue.h"

#include <climits>
#include <limits>

namespace {

using namespace events_test;

class WindowInput : public EventsTest {};

TEST_F(WindowInput, BeforeCoreInitialisationInputIsDispatchedAtOnceAfterItWaitsForTheFrame)
{
    g_core.coreInitialized = 0;
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'K');
    EXPECT_EQ(QV_GetKey('K'), 3u);
    g_core.coreInitialized = 1;
    QVI_DispatchQueuedEvents();
    EXPECT_TRUE(Seen().events.empty()) << "nothing was left queued";

    QVI_PostKeyEvent(EVENT_KEY_UP, 'J');
    QVI_PostMouseEvent(EVENT_MOUSE_UP, QV_KEY_MOUSE_BUTTON_RIGHT, 10.9f, -3.7f);
    QVI_PostMouseEvent(EVENT_MOUSE_MOVE, 0, std::numeric_limits<float>::quiet_NaN(), 1e20f);
    EXPECT_TRUE(Seen().events.empty());
    QVI_DispatchQueuedEvents();
    ASSERT_EQ(SeenTypes(), (std::vector<uint32_t>{EVENT_KEY_UP, EVENT_MOUSE_UP, EVENT_MOUSE_MOVE}));
    EXPECT_EQ(KeyOf(Seen().events[0]).code, 'J');
    // Mouse events are pointer 0 of the mouse, positions truncated and clamped.
    const EventMousePayload mouse = MouseOf(Seen().events[1]);
    EXPECT_EQ(mouse.pointer, 0);
    EXPECT_EQ(mouse.x, 10);
    EXPECT_EQ(mouse.y, -3);
    EXPECT_EQ(mouse.button, QV_KEY_MOUSE_BUTTON_RIGHT);
    EXPECT_EQ(mouse.device, 2u);
    EXPECT_EQ(MouseOf(Seen().events[2]).x, 0);
    EXPECT_EQ(MouseOf(Seen().events[2]).y, INT_MAX);
}

}  // namespace
