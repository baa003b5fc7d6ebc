// Activation, close requests, maximising and dropped files.
#include <gtest/gtest.h>
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include <string>

#include "core/events/key_state.h"
#include "platform/windows/window/main_window.h"
#include "platform/windows/window/window_test_support.h"

using quaven_test::LogCapture;

namespace window_test {
namespace {

// A drop as the shell hands it over: a DROPFILES header and the double-terminated names.
HGLOBAL MakeDrop(const std::string& names, POINT point, bool outsideClient) {
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() + 2);
    auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
    *header = {sizeof(DROPFILES), point, outsideClient, FALSE};
    memcpy(header + 1, names.data(), names.size());
    GlobalUnlock(drop);
    return drop;
}

TEST_F(MainWindowTest, ActivationChangesQueueOneEventEachAndAlwaysReleaseTheKeys) {
    OpenWindow();
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

    const auto activations = ProgramEvents(EVENT_ACTIVATION);
    ASSERT_EQ(activations.size(), 3u);
    EXPECT_EQ(activations[0].event.payload[0], 0);
    EXPECT_EQ(activations[1].event.payload[0], 1);
    EXPECT_EQ(activations[2].event.payload[0], 0);
    EXPECT_EQ(records.inputActivations, (std::vector<bool>{true, false, true, false}));

    g_core.api = nullptr;  // before pre-initialisation: default processing only
    Send(WM_ACTIVATE, WA_ACTIVE);
    EXPECT_FALSE(QVI_IsMainWindowActive());
}

TEST_F(MainWindowTest, ACloseAnsweredTwoKeepsTheWindowOpenAndTheRunGoing) {
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
}

TEST_F(MainWindowTest, MaximisingRestoresTheWindowAndAsksForFullScreenAtThatSize) {
    OpenWindow();
    EXPECT_EQ(Send(WM_SIZE, SIZE_MAXIMIZED, MAKELPARAM(800, 600)), 0);
    ASSERT_EQ(records.reinitializeRequests.size(), 1u);
    EXPECT_EQ(records.reinitializeRequests[0].windowed, 0);
    EXPECT_EQ(LogCapture::Count("Window maximized: size 800x600.."), 1);
    EXPECT_FALSE(IsZoomed(window_));
    Send(WM_SIZE, SIZE_RESTORED, MAKELPARAM(640, 480));
    EXPECT_EQ(records.reinitializeRequests.size(), 1u);
}

TEST_F(MainWindowTest, ADropReportsItsFirstFileAndIsReleasedWhateverItHolds) {
    OpenWindow();
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
    static_cast<DROPFILES*>(GlobalLock(hostile))->pFiles = 0x7FFFFFF0;
    GlobalUnlock(hostile);
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

}  // namespace
}  // namespace window_test
