#include "events_fixture.h"

#include <climits>
#include <limits>

namespace {

using namespace events_test;

class EventDispatch : public EventsTest {
protected:
    int Dispatch(EngineEvent event)
    {
        const int answer = QVI_DispatchEvent(&event);
        last_ = event;
        return answer;
    }

    EngineEvent last_;
};

TEST_F(EventDispatch, KeyDownAndUpCarryFirstPressAndWasDownFlags)
{
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 65));
    EXPECT_EQ(QV_GetKey(65), 3u);
    EXPECT_EQ(QV_GetKey(65), 1u);
    // A read clears only the pressed bit: the key is still down, so no new first press.
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 65));   // auto-repeat
    EXPECT_EQ(QV_GetKey(65), 3u);
    Dispatch(MakeKeyEvent(EVENT_KEY_UP, 65));
    Dispatch(MakeKeyEvent(EVENT_KEY_UP, 65));
    EXPECT_EQ(QV_GetKey(65), 0u);

    std::vector<int> flags;
    for (const EngineEvent& event : Seen().events)
        flags.push_back(KeyOf(event).flag);
    EXPECT_EQ(flags, (std::vector<int>{1, 0, 1, 0}));
}

TEST_F(EventDispatch, HostileKeyCodesLeaveTheTablesAloneAndStillReachTheProgram)
{
    const int32_t hostile[] = {0, -1, -89, 2048, 4095, INT_MAX, INT_MIN};
    for (int32_t code : hostile) {
        Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, code));
        Dispatch(MakeKeyEvent(EVENT_KEY_UP, code));
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    // -89 is the default toggle byte read as signed: the console takes that key-down.
    ASSERT_EQ(Seen().events.size(), 2 * 7u - 1);
    for (const EngineEvent& event : Seen().events)
        EXPECT_EQ(KeyOf(event).flag, 0);
}

TEST_F(EventDispatch, MouseEventsFillInThePreviousPositionAndButtonsStayPressedUntilReleased)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 100, 50));
    EXPECT_EQ(MouseOf(last_).previousX, 0);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), 100u);
    EXPECT_EQ(QV_GetAxis(QV_KEY_POINTER_Y(0)), 50.0f);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u) << "a move presses nothing";

    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(MouseOf(Seen().events.back()).previousX, 100) << "the program sees the filled-in previous position";
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_LEFT_BUTTON(0)), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_RIGHT));

    Dispatch(MakeMouseEvent(EVENT_MOUSE_UP, 0, 12, 22, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u);
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_RIGHT_BUTTON(0)), 3u);

    // Other pointers keep their own block and leave the mouse codes alone; the last
    // pointer that fits has codes 2024 to 2043.
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 75, 1, 2, QV_KEY_MOUSE_BUTTON_RIGHT));
    EXPECT_EQ(QV_GetAxis(2024), 1.0f);
    EXPECT_EQ(QV_GetKey(2031), 3u);
    EXPECT_EQ(QV_GetAxis(QV_KEY_MOUSE_X), 12.0f);

    // The wheel leaves pointer state alone.
    Dispatch(MakeMouseEvent(EVENT_MOUSE_WHEEL, 0, 300, 400, QV_KEY_MOUSE_BUTTON_MIDDLE));
    EXPECT_EQ(QV_GetAxis(QV_KEY_MOUSE_X), 12.0f);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_MIDDLE), 0u);
}

TEST_F(EventDispatch, PointerIndicesAndButtonCodesOutsideTheTablesAreIgnored)
{
    const int8_t hostile[] = {76, 127, -1, -128};
    for (int8_t pointer : hostile) {
        Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, pointer, 5, 6, QV_KEY_MOUSE_BUTTON_LEFT));
        EXPECT_EQ(MouseOf(last_).previousX, 0);
        Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, pointer, 5, 6));
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    EXPECT_EQ(Seen().events.size(), 8u);

    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 0xFFFF));
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 2048));
    // Only the positions were stored.
    for (uint32_t code : {uint32_t(QV_KEY_MOUSE_X), uint32_t(QV_KEY_MOUSE_Y), uint32_t(QV_KEY_POINTER_X(0)),
                          uint32_t(QV_KEY_POINTER_Y(0))}) {
        QV_SetKey(code, 0);
        QV_SetAxis(code, 0);
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
}

TEST_F(EventDispatch, PreviousPositionFromAnUnrepresentableAxisIsClamped)
{
    QV_SetAxis(QV_KEY_POINTER_X(0), std::numeric_limits<float>::quiet_NaN());
    QV_SetAxis(QV_KEY_POINTER_Y(0), 1e20f);
    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 1, 1));
    EXPECT_EQ(MouseOf(last_).previousX, 0);
    EXPECT_EQ(MouseOf(last_).previousY, INT_MAX);
    QV_SetAxis(QV_KEY_POINTER_Y(1), -std::numeric_limits<float>::infinity());
    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 1, 1, 1));
    EXPECT_EQ(MouseOf(last_).previousY, INT_MIN);
}

TEST_F(EventDispatch, ProgramSeesEventsOnlyOnceCoreInitialisationHasFinished)
{
    Seen().eventAnswer = QV_EVENT_KEEP_WINDOW_OPEN;
    g_core.coreInitialized = 0;
    EXPECT_EQ(Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 'Q')), 0);
    EXPECT_TRUE(Seen().events.empty());
    EXPECT_EQ(QV_GetKey('Q'), 3u);   // the tables see early input

    g_core.coreInitialized = 1;
    EXPECT_EQ(Dispatch(MakeEvent(EVENT_CLOSE_REQUEST)), QV_EVENT_KEEP_WINDOW_OPEN);
    program_.OnEvent = nullptr;
    EXPECT_EQ(Dispatch(MakeEvent(EVENT_CLOSE_REQUEST)), 0);
    g_core.settings = nullptr;
    EXPECT_EQ(Dispatch(MakeEvent(EVENT_CLOSE_REQUEST)), 0);
    EXPECT_EQ(QVI_DispatchEvent(nullptr), 0);
    EXPECT_EQ(Seen().events.size(), 1u);
}

class ConsoleToggle : public EventDispatch {
protected:
    ConsoleDispatchState& console_ = QVI_GetConsoleDispatchState();
};

TEST_F(ConsoleToggle, ReadyConsoleTogglesOnItsKeyOrCharacterAndSwallowsIt)
{
    // The default toggle is the section sign character; 167 read as a signed byte is
    // negative, so the key-down of code 167 is just a key.
    console_.started = 1;
    EngineEvent section = MakeEvent(EVENT_CHARACTER);
    section.payload[0] = 167;
    EXPECT_EQ(Dispatch(section), 0);
    EXPECT_EQ(console_.open, 1);
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 167));
    EXPECT_EQ(console_.open, 1);
    Dispatch(section);
    Seen().events.clear();

    console_.toggleKey = QV_KEY_ESCAPE;
    console_.ctrlDown = 1;
    console_.shiftDown = 1;
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, QV_KEY_ESCAPE));
    EXPECT_EQ(console_.open, 1);
    EXPECT_EQ(console_.ctrlDown + console_.shiftDown, 0);
    EXPECT_EQ(program_.video.console_open, 1);
    EXPECT_EQ(QV_GetKey(QV_KEY_ESCAPE), 0u);   // the key never reached the tables

    // While open, the console has its say first; this one consumes nothing.
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 'A'));
    EXPECT_EQ(QV_GetKey('A'), 3u);

    EngineEvent character = MakeEvent(EVENT_CHARACTER);
    character.payload[0] = QV_KEY_ESCAPE;
    Dispatch(character);
    EXPECT_EQ(console_.open, 0);
    EXPECT_EQ(program_.video.console_open, 0);
    EXPECT_EQ(SeenTypes(), std::vector<uint32_t>{EVENT_KEY_DOWN});

    // Early input can toggle before a program record exists.
    g_core.settings = nullptr;
    Dispatch(character);
    EXPECT_EQ(console_.open, 1);
}

}  // namespace
