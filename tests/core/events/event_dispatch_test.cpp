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
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 65));   // auto-repeat
    EXPECT_EQ(QV_GetKey(65), 3u);
    EXPECT_EQ(QV_GetKey(65), 1u);
    Dispatch(MakeKeyEvent(EVENT_KEY_UP, 65));
    Dispatch(MakeKeyEvent(EVENT_KEY_UP, 65));
    EXPECT_EQ(QV_GetKey(65), 0u);

    ASSERT_EQ(Seen().events.size(), 4u);
    EXPECT_EQ(KeyOf(Seen().events[0]).flag, 1);
    EXPECT_EQ(KeyOf(Seen().events[1]).flag, 0);
    EXPECT_EQ(KeyOf(Seen().events[2]).flag, 1);
    EXPECT_EQ(KeyOf(Seen().events[3]).flag, 0);
    EXPECT_EQ(KeyOf(Seen().events[0]).code, 65);
}

TEST_F(EventDispatch, KeyDownAfterARead)
{
    // A read clears only the pressed bit: the key is still down, so no new first press.
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 'W'));
    EXPECT_EQ(QV_GetKey('W'), 3u);
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 'W'));
    EXPECT_EQ(KeyOf(last_).flag, 0);
    EXPECT_EQ(QV_GetKey('W'), 3u);   // the repeat stores 3 again
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

TEST_F(EventDispatch, MouseMoveOfPointerZeroUpdatesMouseCodesAndPreviousPosition)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 100, 50));
    EXPECT_EQ(MouseOf(last_).previousX, 0);
    EXPECT_EQ(MouseOf(last_).previousY, 0);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), 100u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_Y), 50u);
    EXPECT_EQ(QV_GetAxis(QV_KEY_MOUSE_X), 100.0f);
    EXPECT_EQ(QV_GetAxis(QV_KEY_POINTER_Y(0)), 50.0f);

    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, -5, 7));
    EXPECT_EQ(MouseOf(last_).previousX, 100);
    EXPECT_EQ(MouseOf(last_).previousY, 50);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), static_cast<uint32_t>(-5));
    EXPECT_EQ(QV_GetAxis(QV_KEY_MOUSE_X), -5.0f);
    // The program sees the filled-in previous position.
    EXPECT_EQ(MouseOf(Seen().events.back()).previousX, 100);
    // A move presses nothing.
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u);
}

TEST_F(EventDispatch, MouseButtonsGoIntoPointerStateAndStayPressedUntilReleased)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_LEFT_BUTTON(0)), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_RIGHT));
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_RIGHT_BUTTON(0)), 3u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_RIGHT), 3u);
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_MIDDLE));
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_MIDDLE), 3u);

    Dispatch(MakeMouseEvent(EVENT_MOUSE_UP, 0, 12, 22, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_LEFT_BUTTON(0)), 0u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u);
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_RIGHT_BUTTON(0)), 3u);
    EXPECT_EQ(MouseOf(last_).previousX, 10);
}

TEST_F(EventDispatch, OtherPointersKeepTheirOwnBlockAndLeaveTheMouseCodesAlone)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 3, 40, 30, QV_KEY_MOUSE_BUTTON_RIGHT));
    EXPECT_EQ(QV_GetKey(QV_KEY_POINTER_RIGHT_BUTTON(3)), 3u);
    EXPECT_EQ(QV_GetAxis(QV_KEY_POINTER_X(3)), 40.0f);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_RIGHT), 0u);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), 0u);

    // The last pointer that fits: codes 2024 to 2043.
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 75, 1, 2, QV_KEY_MOUSE_BUTTON_RIGHT));
    EXPECT_EQ(QV_GetAxis(2024), 1.0f);
    EXPECT_EQ(QV_GetAxis(2025), 2.0f);
    EXPECT_EQ(QV_GetKey(2031), 3u);
}

TEST_F(EventDispatch, WheelLeavesPointerStateAlone)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 8, 9));
    Dispatch(MakeMouseEvent(EVENT_MOUSE_WHEEL, 0, 300, 400, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(MouseOf(last_).previousX, 0);
    EXPECT_EQ(QV_GetAxis(QV_KEY_MOUSE_X), 8.0f);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u);
}

TEST_F(EventDispatch, PointerIndicesOutsideTheTablesAreIgnored)
{
    const int8_t hostile[] = {76, 100, 127, -1, -128};
    for (int8_t pointer : hostile) {
        Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, pointer, 5, 6, QV_KEY_MOUSE_BUTTON_LEFT));
        EXPECT_EQ(MouseOf(last_).previousX, 0);
        Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, pointer, 5, 6));
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    EXPECT_EQ(Seen().events.size(), 10u);
}

TEST_F(EventDispatch, ButtonCodesOutsideTheKeyTableAreIgnored)
{
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 0xFFFF));
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 2048));
    // Only the positions were stored.
    const uint32_t positionCodes[] = {QV_KEY_MOUSE_X, QV_KEY_MOUSE_Y, QV_KEY_POINTER_X(0), QV_KEY_POINTER_Y(0)};
    for (uint32_t code : positionCodes) {
        QV_SetKey(code, 0);
        QV_SetAxis(code, 0);
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    EXPECT_EQ(Seen().events.size(), 2u);
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

TEST_F(ConsoleToggle, DefaultToggleIsTheSectionSignCharacterNotAKey)
{
    console_.started = 1;
    EngineEvent character = MakeEvent(EVENT_CHARACTER);
    character.payload[0] = 167;
    EXPECT_EQ(Dispatch(character), 0);
    EXPECT_EQ(console_.open, 1);
    EXPECT_EQ(program_.video.console_open, 1);
    // 167 read as a signed byte is negative: the key-down of code 167 is just a key.
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, 167));
    EXPECT_EQ(console_.open, 1);
    ASSERT_EQ(Seen().events.size(), 1u);
    EXPECT_EQ(Seen().events[0].type, (uint32_t)EVENT_KEY_DOWN);
}

TEST_F(ConsoleToggle, ReadyConsoleTogglesOnItsKeyAndSwallowsIt)
{
    console_.started = 1;
    console_.toggleKey = QV_KEY_ESCAPE;
    console_.ctrlDown = 1;
    console_.shiftDown = 1;
    Dispatch(MakeKeyEvent(EVENT_KEY_DOWN, QV_KEY_ESCAPE));
    EXPECT_EQ(console_.open, 1);
    EXPECT_EQ(console_.ctrlDown, 0);
    EXPECT_EQ(console_.shiftDown, 0);
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

TEST_F(ConsoleToggle, ConsoleThatIsNotReadyIsOnlyKeptClosed)
{
    console_.started = 0;
    console_.open = 1;
    EngineEvent character = MakeEvent(EVENT_CHARACTER);
    character.payload[0] = 167;
    Dispatch(character);
    Dispatch(character);
    EXPECT_EQ(console_.open, 0);
    EXPECT_EQ(program_.video.console_open, 0);
    EXPECT_TRUE(Seen().events.empty());
}

}  // namespace
