// The event path end to end with the real test game: its OnEvent receives the events the
// frame dispatches, and it posts events of its own through the API table.
#include "events_fixture.h"

#include "core/events/event_queue.h"
#include "support/test_program.h"

#include <windows.h>

namespace {

using namespace events_test;
using quaven_test::EventLine;

class TestProgramEvents : public EventsTest {
protected:
    void LoadProgram()
    {
        ASSERT_TRUE(game_.Create(qv));
        g_core.settings = &game_.Record();
    }

    void UseScript(const std::string& script) { ASSERT_TRUE(game_.UseScript(script)); }
    std::vector<std::string> EventLines() const { return game_.EventLines(); }

    quaven_test::TestProgram game_;
    ProgramInterface& program_ = game_.Record();
};

EngineEvent KeyWithFlag(uint32_t type, int32_t code, uint8_t flag)
{
    EngineEvent event = MakeKeyEvent(type, code);
    event.payload[4] = flag;
    return event;
}

EngineEvent MouseWithPrevious(uint32_t type, int32_t x, int32_t y, uint16_t button, int32_t previousX,
                              int32_t previousY)
{
    EngineEvent event = MakeMouseEvent(type, 0, x, y, button);
    EventMousePayload mouse = MouseOf(event);
    mouse.previousX = previousX;
    mouse.previousY = previousY;
    memcpy(event.payload, &mouse, sizeof mouse);
    return event;
}

TEST_F(TestProgramEvents, GameReceivesKeyFlagsAndMousePositionsFromTheFrame)
{
    LoadProgram();
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'A');
    QVI_PostKeyEvent(EVENT_KEY_DOWN, 'A');
    QVI_PostKeyEvent(EVENT_KEY_UP, 'A');
    QVI_PostMouseEvent(EVENT_MOUSE_MOVE, 0, 16.0f, 32.0f);
    QVI_PostMouseEvent(EVENT_MOUSE_DOWN, QV_KEY_MOUSE_BUTTON_LEFT, 17.0f, 33.0f);
    EXPECT_TRUE(EventLines().empty());
    QVI_DispatchQueuedEvents();

    EXPECT_EQ(EventLines(), (std::vector<std::string>{
                                EventLine(KeyWithFlag(EVENT_KEY_DOWN, 'A', 1)),
                                EventLine(KeyWithFlag(EVENT_KEY_DOWN, 'A', 0)),
                                EventLine(KeyWithFlag(EVENT_KEY_UP, 'A', 1)),
                                EventLine(MouseWithPrevious(EVENT_MOUSE_MOVE, 16, 32, 0, 0, 0)),
                                EventLine(MouseWithPrevious(EVENT_MOUSE_DOWN, 17, 33, 510, 16, 32)),
                            }));
    // Spot-check the encoding itself once, so that a wrong helper cannot hide a wrong layout.
    EXPECT_EQ(EventLines()[0], "event 8 4100000001" + std::string(54, '0'));
}

TEST_F(TestProgramEvents, EventsTheGamePostsArriveInTheNextFrameAsCopies)
{
    UseScript("at 1 post_event 63 7 8 9\n"
              "at 1 post_event 20 0\n");
    LoadProgram();
    program_.Init();
    program_.Update(0.016f);   // the game posts during this frame's update
    EXPECT_TRUE(EventLines().empty());
    QVI_DispatchQueuedEvents();

    const std::string zeros20(40, '0');
    EXPECT_EQ(EventLines(), (std::vector<std::string>{
                                "event 63 070000000800000009000000" + zeros20,
                                "event 20 " + std::string(64, '0'),
                            }));
}

}  // namespace
