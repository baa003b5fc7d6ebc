// The window procedure and the message pump. Messages whose effect on the key table is checked
// at once are sent, not posted: pumping could let another test's window take the focus, which
// releases every key.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "platform/windows/window/window_test_support.h"

using quaven_test::LogCapture;

namespace window_test {
namespace {

const LPARAM kAltHeld = 0x20000000;

LPARAM Position(int x, int y) { return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y)); }

std::vector<int> KeyFlags(uint32_t type, int code) {
    std::vector<int> flags;
    for (const ReceivedEvent& received : ProgramEvents(type))
        if (received.As<EventKeyPayload>().code == code) flags.push_back(received.As<EventKeyPayload>().flag);
    return flags;
}

template <typename Field>
std::vector<int> Mouse(uint32_t type, Field EventMousePayload::*field) {
    std::vector<int> values;
    for (const ReceivedEvent& received : ProgramEvents(type)) values.push_back(received.As<EventMousePayload>().*field);
    return values;
}

TEST_F(MainWindowTest, KeysAreHandledAtOnceBeforeCoreInitializationQueuedAfterwardsAndAltKeysAreTheProgramsOrTheSystems) {
    OpenWindow(false);
    Send(WM_KEYDOWN, 'K');
    EXPECT_EQ(QVI_PeekKeyState('K'), 3u);
    Send(WM_KEYUP, 'K');
    EXPECT_EQ(QVI_PeekKeyState('K'), 0u);
    EXPECT_TRUE(ProgramEvents(EVENT_KEY_DOWN).empty()) << "the program hears nothing before core initialisation";
    g_core.coreInitialized = 1;
    PostAndPump(WM_KEYDOWN, VK_LEFT);
    PostAndPump(WM_KEYDOWN, VK_LEFT);  // auto-repeat
    PostAndPump(WM_KEYUP, VK_LEFT);
    PostAndPump(WM_CHAR, 0x1E9);       // only the low byte is the character
    EXPECT_EQ(QVI_PeekKeyState(VK_LEFT), 0u);
    ASSERT_EQ(ProgramEvents(EVENT_CHARACTER).size(), 1u) << "characters are never queued";
    EXPECT_EQ(ProgramEvents(EVENT_CHARACTER)[0].event.payload[0], 0xE9);
    RunEventStep();
    EXPECT_EQ(KeyFlags(EVENT_KEY_DOWN, VK_LEFT), (std::vector<int>{1, 0})) << "then the auto-repeat";
    EXPECT_EQ(KeyFlags(EVENT_KEY_UP, VK_LEFT).size(), 1u);
    // Alt with a letter or digit is the program's; other system keys go to the system.
    EXPECT_EQ(Send(WM_SYSKEYDOWN, 'S', kAltHeld), 0);
    EXPECT_EQ(QVI_PeekKeyState('S'), 3u);  // at once, before the frame
    EXPECT_EQ(Send(WM_SYSKEYDOWN, '7', kAltHeld), 0);
    RunEventStep();
    EXPECT_EQ(KeyFlags(EVENT_KEY_DOWN, 'S'), std::vector<int>{0}) << "the state was already set";
    EXPECT_EQ(KeyFlags(EVENT_KEY_DOWN, '7').size(), 1u);
    EXPECT_EQ(Send(WM_SYSKEYUP, 'S', kAltHeld), 0);
    EXPECT_EQ(QVI_PeekKeyState('S'), 0u);
    // Alt+Enter toggles the window mode every time and is no key.
    EXPECT_EQ(Send(WM_SYSKEYDOWN, VK_RETURN, kAltHeld), 0);
    for (uint8_t windowed : {0, 7}) {
        program_.video.windowed = windowed;
        Send(WM_SYSKEYDOWN, VK_RETURN, kAltHeld);
    }
    Send(WM_SYSKEYUP, VK_RETURN, kAltHeld);
    RunEventStep();
    std::vector<int> modes;
    for (const VideoParameters& request : records.reinitializeRequests) modes.push_back(request.windowed);
    EXPECT_EQ(modes, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(records.reinitializeRequests.at(0).width, 640);
    EXPECT_TRUE(KeyFlags(EVENT_KEY_DOWN, VK_RETURN).empty());
    EXPECT_TRUE(KeyFlags(EVENT_KEY_UP, VK_RETURN).empty());
    // Alt+F4 goes on to the system, which comes back with a close request.
    PostAndPump(WM_SYSKEYDOWN, VK_F4, kAltHeld);
    EXPECT_EQ(ProgramEvents(EVENT_CLOSE_REQUEST).size(), 1u);
    EXPECT_EQ(g_core.quit, 1);
}

TEST_F(MainWindowTest, MouseMovesButtonsAndTheWheelTotalThenActivationChangesQueueAnEventEachAndReleaseTheKeys) {
    OpenWindow();
    Send(WM_MOUSEMOVE, 0, Position(-5, 40));  // signed: the mouse may be captured outside
    EXPECT_EQ(static_cast<int32_t>(QVI_PeekKeyState(QV_KEY_MOUSE_X)), -5);
    EXPECT_FLOAT_EQ(QV_GetAxis(QV_KEY_MOUSE_Y), 40.0f);
    Send(WM_LBUTTONDOWN, MK_LBUTTON, Position(300, 200));
    Send(WM_MBUTTONUP, 0, Position(3, 4));
    Send(WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1), Position(5, 6));
    Send(WM_XBUTTONUP, MAKEWPARAM(0, XBUTTON2), Position(7, 8));
    Send(WM_MOUSEWHEEL, MAKEWPARAM(0, 240));
    for (int notch = 0; notch < 3; ++notch) Send(WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)));
    EXPECT_EQ(static_cast<int32_t>(QVI_PeekKeyState(QV_KEY_MOUSE_WHEEL)), -120);
    RunEventStep();
    const auto move = ProgramEvents(EVENT_MOUSE_MOVE).at(0).As<EventMousePayload>();
    EXPECT_TRUE(move.x == -5 && move.y == 40);
    EXPECT_EQ(move.device, 2u);
    EXPECT_EQ(Mouse(EVENT_MOUSE_DOWN, &EventMousePayload::button), (std::vector<int>{510, 513}));
    EXPECT_EQ(Mouse(EVENT_MOUSE_DOWN, &EventMousePayload::x).at(0), 300);
    EXPECT_EQ(Mouse(EVENT_MOUSE_UP, &EventMousePayload::button), (std::vector<int>{512, 514}));
    // The wheel reports the position the last move stored, in program coordinates.
    EXPECT_EQ(Mouse(EVENT_MOUSE_WHEEL, &EventMousePayload::wheel), (std::vector<int>{240, -120, -120, -120}));
    EXPECT_EQ(Mouse(EVENT_MOUSE_WHEEL, &EventMousePayload::x), (std::vector<int>{-5, -5, -5, -5}));
    // Activation changes queue one event each and always release the keys.
    QVI_SetMainWindowActive(false);
    QV_SetKey('W', 3);
    Send(WM_ACTIVATE, WA_ACTIVE);
    Send(WM_ACTIVATE, WA_CLICKACTIVE);  // the same state again
    EXPECT_TRUE(QVI_IsMainWindowActive());
    EXPECT_EQ(QVI_PeekKeyState('W'), 0u);
    Send(WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 1));  // minimised counts as inactive
    EXPECT_FALSE(QVI_IsMainWindowActive());
    Send(WM_ACTIVATE, WA_ACTIVE);
    g_core.quit = 1;  // while quitting: no event, but everything else
    QV_SetKey(VK_SPACE, 3);
    Send(WM_ACTIVATE, WA_INACTIVE);
    EXPECT_EQ(QVI_PeekKeyState(VK_SPACE), 0u);
    RunEventStep();
    std::vector<int> activations;
    for (const ReceivedEvent& received : ProgramEvents(EVENT_ACTIVATION))
        activations.push_back(received.event.payload[0]);
    EXPECT_EQ(activations, (std::vector<int>{0, 1, 0}));
    EXPECT_EQ(records.inputActivations, (std::vector<bool>{true, false, true, false}));
    g_core.api = nullptr;  // before pre-initialisation: default processing only
    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_FALSE(QVI_IsMainWindowActive());
}

// A drop as the shell hands it over: a DROPFILES header and the double-terminated names.
HGLOBAL MakeDrop(const std::string& names, POINT point, bool outsideClient) {
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 2);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    *header = {sizeof(DROPFILES), point, outsideClient, FALSE};
    memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(drop);
    return drop;
}

TEST_F(MainWindowTest, ACloseAnsweredTwoKeepsTheWindowOpenAndMaximisingAsksForFullScreen) {
    OpenWindow();
    records.closeAnswer = QV_EVENT_KEEP_WINDOW_OPEN;
    PostAndPump(WM_CLOSE, 0);
    EXPECT_EQ(Send(WM_CLOSE, 0), 0);
    EXPECT_EQ(g_core.quit, 0);
    EXPECT_TRUE(IsWindow(window_));
    records.closeAnswer = 0;
    EXPECT_EQ(Send(WM_CLOSE, 0), 1);
    EXPECT_EQ(g_core.quit, 1);
    EXPECT_TRUE(IsWindow(window_)) << "shutdown destroys the window, not the close";
    EXPECT_EQ(ProgramEvents(EVENT_CLOSE_REQUEST).size(), 3u);
    // Maximising restores the window and asks for full screen at that size.
    EXPECT_EQ(Send(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600)), 0);
    ASSERT_EQ(records.reinitializeRequests.size(), 1u);
    EXPECT_EQ(records.reinitializeRequests[0].windowed, 0);
    EXPECT_EQ(LogCapture::Count("Window maximized: size 800x600.."), 1);
    EXPECT_FALSE(IsZoomed(window_));
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
    g_core.api = nullptr;  // before pre-initialisation: default processing only
    Send(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600));
    EXPECT_EQ(records.reinitializeRequests.size(), 1u);
}

TEST_F(MainWindowTest, ADropReportsItsFirstFileAndIsReleasedWhateverItHolds) {
    g_core.developerMode = 1;
    OpenWindow();
    EXPECT_NE(GetWindowLongA(window_, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0) << "developer mode accepts dropped files";
    HGLOBAL drop = MakeDrop(std::string("C:\\games\\level one.map\0D:\\second.map\0", 38), {12, 34}, false);
    EXPECT_EQ(Send(WM_DROPFILES, reinterpret_cast<WPARAM>(drop)), 0);
    auto named = ProgramEvents(EVENT_NAMED);
    ASSERT_EQ(named.size(), 1u);
    EXPECT_EQ(named[0].value1, "FILE_DRAGGED|C:/games/level one.map");
    EXPECT_EQ(named[0].value2, "12,34");
    EXPECT_EQ(named[0].As<EventNamedPayload>().unused[0], 0);
    EXPECT_EQ(LogCapture::Count("Dropped file 'C:\\games\\level one.map'"), 1);
    EXPECT_EQ(GlobalFlags(drop), static_cast<UINT>(GMEM_INVALID_HANDLE)) << "the drop was finished";
    // No drop, an empty drop, a header pointing outside its block: nothing, and no crash.
    EXPECT_EQ(Send(WM_DROPFILES, 0), 0);
    Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(std::string("\0", 1), {1, 1}, false)));
    HGLOBAL hostile = MakeDrop("x", {1, 1}, false);
    static_cast<DROPFILES*>(GlobalLock(hostile))->pFiles = 0x7FFFFFF0, GlobalUnlock(hostile);
    Send(WM_DROPFILES, reinterpret_cast<WPARAM>(hostile));
    EXPECT_EQ(ProgramEvents(EVENT_NAMED).size(), 1u);
    GlobalFree(hostile);
    // Dropped on the frame: no position; a longer name is cut to the buffer.
    Send(WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop(std::string(700, 'x'), {5, 5}, true)));
    named = ProgramEvents(EVENT_NAMED);
    ASSERT_EQ(named.size(), 2u);
    EXPECT_EQ(named[1].value1, "FILE_DRAGGED|" + std::string(511, 'x'));
    EXPECT_EQ(named[1].value2, "");
}

TEST(MessagePumpTest, AQuitMessageEndsOnlyThisPassOfPumping) {
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 1, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_QUIT, 0, 0);
    PostThreadMessageA(GetCurrentThreadId(), WM_APP, 2, 0);
    QVI_PumpWindowMessages();
    MSG message;
    EXPECT_TRUE(PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE) && message.wParam == 2);
}

}  // namespace
}  // namespace window_test
