#include "events_fixture.h"

#include <climits>
#include <limits>

namespace {

using namespace events_test;

using KeyState = EventsTest;

TEST_F(KeyState, ReadingClearsPressedBitsUpTo255ReleasingSparesMouseAndPadsAndHostileCodesLeaveTheTablesAlone) {
    QV_SetKey(65, 3);
    EXPECT_EQ(QV_GetKey(65), 3u);
    EXPECT_EQ(QV_GetKey(65), 1u);
    QV_SetKey(255, 3);
    QV_GetKey(255);
    EXPECT_EQ(QV_GetKey(255), 1u);
    QV_SetKey(256, 3);
    QV_GetKey(256);
    EXPECT_EQ(QV_GetKey(256), 3u);
    // Only bit 1 goes: other bits a program stored stay.
    QV_SetKey(13, 0xF6);
    EXPECT_EQ(QV_GetKey(13), 0xF6u);
    EXPECT_EQ(QV_GetKey(13), 0xF4u);

    ClearKeyTables();
    for (uint32_t code : {2048u, 0x80000000u, 0xFFFFFFFFu}) {
        QV_SetKey(code, 3);
        QV_SetAxis(code, 5.0f);
        EXPECT_EQ(QV_GetKey(code), 0u) << code;
        EXPECT_EQ(QV_GetAxis(code), 0.0f) << code;
    }
    QV_SetKey(2047, 3);
    EXPECT_EQ(QVI_PeekKeyState(2047), 3u) << "the last code is in the table";
    QV_SetKey(2047, 0);
    EXPECT_TRUE(KeyTablesAreEmpty());

    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) {
        QV_SetKey(code, 3);
        QV_SetAxis(code, 0.5f);
    }
    QVI_ReleaseAllKeys();

    for (uint32_t code = 0; code <= 254; ++code)
        ASSERT_EQ(QVI_PeekKeyState(code), 0u) << code;
    EXPECT_EQ(QVI_PeekKeyState(255), 3u);
    EXPECT_EQ(QVI_PeekKeyState(QV_KEY_MOUSE_BUTTON_LEFT), 3u);
    for (int pad = 0; pad < 4; ++pad) {
        EXPECT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_CONNECTED)), 3u) << pad;
        for (int control = 1; control < 64; ++control)
            ASSERT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(pad, control)), 0u) << pad << " " << control;
    }
    EXPECT_EQ(QVI_PeekKeyState(QV_KEY_GAMEPAD(4, 0)), 3u);   // 1056 is no pad code
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code)
        ASSERT_EQ(QV_GetAxis(code), 0.5f) << code;

    // Hostile key codes, pointer indices and button codes leave the tables alone and still
    // reach the program.
    ClearKeyTables();
    for (int8_t pointer : {76, 127, -1, -128}) {
        const EngineEvent down = Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, pointer, 5, 6, QV_KEY_MOUSE_BUTTON_LEFT));
        EXPECT_EQ(MouseOf(down).previousX, 0);
        Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, pointer, 5, 6));
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    EXPECT_EQ(g_seen.events.size(), 8u);

    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 0xFFFF));
    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 5, 6, 2048));
    // Only the positions were stored.
    for (uint32_t code : {uint32_t(QV_KEY_MOUSE_X), uint32_t(QV_KEY_MOUSE_Y), uint32_t(QV_KEY_POINTER_X(0)),
                          uint32_t(QV_KEY_POINTER_Y(0))}) {
        QV_SetKey(code, 0);
        QV_SetAxis(code, 0);
    }
    EXPECT_TRUE(KeyTablesAreEmpty());

    for (int32_t code : {0, -1, 2048, 4095, INT_MAX, INT_MIN}) {
        EXPECT_EQ(KeyOf(Dispatch(MakeEvent(EVENT_KEY_DOWN, code))).flag, 0) << code;
        EXPECT_EQ(KeyOf(Dispatch(MakeEvent(EVENT_KEY_UP, code))).flag, 0) << code;
    }
    EXPECT_TRUE(KeyTablesAreEmpty());
    EXPECT_EQ(g_seen.events.size(), 10u + 12u);
}

TEST_F(KeyState, KeysCarryFirstPressAndWasDownFlagsAndMouseEventsAClampedPreviousPositionWhileButtonsStayPressed) {
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 65));
    EXPECT_EQ(QV_GetKey(65), 3u);
    EXPECT_EQ(QV_GetKey(65), 1u);
    // A read clears only the pressed bit: the key is still down, so no new first press.
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 65));   // auto-repeat
    EXPECT_EQ(QV_GetKey(65), 3u);
    Dispatch(MakeEvent(EVENT_KEY_UP, 65));
    Dispatch(MakeEvent(EVENT_KEY_UP, 65));
    EXPECT_EQ(QV_GetKey(65), 0u);
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 65));   // down again after the up: a new first press
    Dispatch(MakeEvent(EVENT_KEY_DOWN, 2047));

    std::vector<int> flags;
    for (const EngineEvent& event : g_seen.events)
        flags.push_back(KeyOf(event).flag);
    EXPECT_EQ(flags, (std::vector<int>{1, 0, 1, 0, 1, 1}));

    EXPECT_EQ(MouseOf(Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 100, 50))).previousX, 0);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_X), 100u);
    EXPECT_EQ(QV_GetAxis(QV_KEY_POINTER_Y(0)), 50.0f);
    EXPECT_EQ(QV_GetKey(QV_KEY_MOUSE_BUTTON_LEFT), 0u) << "a move presses nothing";

    Dispatch(MakeMouseEvent(EVENT_MOUSE_DOWN, 0, 10, 20, QV_KEY_MOUSE_BUTTON_LEFT));
    EXPECT_EQ(MouseOf(g_seen.events.back()).previousX, 100) << "the program sees the filled-in previous position";
    EXPECT_EQ(MouseOf(g_seen.events.back()).previousY, 50);
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
    // A previous position from an unrepresentable axis is clamped.
    QV_SetAxis(QV_KEY_POINTER_X(0), std::numeric_limits<float>::quiet_NaN());
    QV_SetAxis(QV_KEY_POINTER_Y(0), 1e20f);
    EventMousePayload mouse = MouseOf(Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 0, 1, 1)));
    EXPECT_EQ(mouse.previousX, 0);
    EXPECT_EQ(mouse.previousY, INT_MAX);
    QV_SetAxis(QV_KEY_POINTER_Y(1), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(MouseOf(Dispatch(MakeMouseEvent(EVENT_MOUSE_MOVE, 1, 1, 1))).previousY, INT_MIN);
}

TEST(KeyNames, CharactersKeyboardMouseDeviceAndGamepadNames) {
    const struct {
        const char* name;
        KeyCode code;
    } known[] = {
        {"a", 65}, {"Z", 90}, {"9", 57}, {"BACK", 8}, {"NUMPAD9", 105}, {"MENU", 300}, {"MOUSE_BUTTON_7", 517},
        {"VOLUME_DOWN", 1633}, {"GAMEPAD_0_LEFT_TRIGGER", 801}, {"GAMEPAD_3_BUTTON_Y", 1021},
    };
    for (const auto& key : known)
        EXPECT_EQ(QVI_KeyCodeFromName(key.name), key.code) << key.name;

    const char* unknown[] = {
        nullptr, "", "!", "\xA7" /* negative as char */, "escape", "ESCAPE ", "MOUSE_DELTA_X",
        "GAMEPAD_4_BUTTON_A", "GAMEPAD_-1_BUTTON_A", "GAMEPAD_1_", "GAMEPAD_1BUTTON_A", "GAMEPAD_1_ESCAPE", "10",
    };
    for (const char* name : unknown)
        EXPECT_EQ(QVI_KeyCodeFromName(name), 0) << (name ? name : "(null)");
}

}  // namespace
