// LogPopup's answers before and after the program's Init, in and out of developer mode,
// on the main thread and from engine threads, and the queue the frame empties. Every box
// that appears is answered by the popup answerer. After the engine's boxes the test shows
// a sentinel box of its own, which must be the next one the answerer sees: a box that
// should not have appeared takes the sentinel's place and is caught (the sentinel is then
// closed by the test itself, so nothing is left waiting).
#include "platform/windows/win32.h"

#include <gtest/gtest.h>

#include <string>

#include "core/logging/log_popup.h"
#include "logging_fixture.h"
#include "support/popup_answerer.h"

namespace logging_test {
namespace {

using quaven_test::PopupAnswerer;
using quaven_test::PopupRecord;

const char kSentinel[] = "sentinel: no engine popup before this one";

DWORD WINAPI ShowSentinel(LPVOID) {
    MessageBoxA(nullptr, kSentinel, "sentinel", MB_OK);
    return 0;
}

BOOL CALLBACK PressOk(HWND window, LPARAM) {
    PostMessageA(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

class LogPopup : public LoggingTest {
protected:
    // The answerer presses the given buttons on the engine boxes, in order, and OK on the
    // sentinel.
    void ExpectBoxes(std::vector<int> presses) {
        const int boxes = static_cast<int>(presses.size());
        presses.push_back(IDOK);
        ASSERT_TRUE(answerer_.Start(presses, boxes + 1));
        answering_ = true;
    }

    // Shows the sentinel and describes the engine boxes shown before it, one
    // "caption|text|button ids" line each.
    std::string FinishBoxes() {
        answering_ = false;
        DWORD sentinelThreadId = 0;
        HANDLE sentinel = CreateThread(nullptr, 0, ShowSentinel, nullptr, 0, &sentinelThreadId);
        EXPECT_NE(sentinel, nullptr);
        EXPECT_TRUE(answerer_.Finish());
        // When an unexpected box took the sentinel's turn, the sentinel is still up.
        while (sentinel && WaitForSingleObject(sentinel, 20) == WAIT_TIMEOUT)
            EnumThreadWindows(sentinelThreadId, PressOk, 0);
        CloseHandle(sentinel);

        std::vector<PopupRecord> records = answerer_.Records();
        EXPECT_TRUE(!records.empty() && records.back().text == kSentinel) << "a popup appeared that should not have";
        std::string boxes;
        for (size_t i = 0; i + 1 < records.size(); ++i) {
            boxes += records[i].caption + "|" + records[i].text + "|";
            for (int id : records[i].buttons)
                boxes += std::to_string(id) + (id == records[i].buttons.back() ? "\n" : ",");
        }
        return boxes;
    }

    void TearDown() override {
        if (answering_)
            FinishBoxes();
        LoggingTest::TearDown();
    }

private:
    PopupAnswerer answerer_;
    bool answering_ = false;
};

int LogPopupOnEngineThread(int level, const char* text) {
    int answer = -99;
    RunOnThread(true, "Worker", [&] { answer = QV_LogPopup(level, "%s", text); });
    return answer;
}

TEST_F(LogPopup, BeforeInitOnlyTheMainThreadShowsAndAfterItOnlyDevelopersSeeAnything) {
    g_core.loggingVerboseLevel = QV_LOG_WARNING;
    StartBareLogging(true);
    ExpectBoxes({IDOK, IDOK});
    EXPECT_EQ(QV_LogPopup(QV_LOG_WARNING, "Disk %d is missing.", 3), QV_POPUP_NOTHING);
    EXPECT_EQ(QV_LogPopup(QV_LOG_WARNING, "Disk %d is missing.", 3), QV_POPUP_NOTHING);
    EXPECT_EQ(QV_LogPopup(QV_LOG_INFO, "below the minimum"), QV_POPUP_NOTHING);
    // Another thread's text is logged instead.
    EXPECT_EQ(LogPopupOnEngineThread(QV_LOG_ERROR, "worker trouble"), QV_POPUP_NOTHING);
    EXPECT_EQ(FinishBoxes(), "QUAVEN - Warning|Disk 3 is missing.|1,2\nQUAVEN - Warning|Disk 3 is missing.|1,2\n");
    // Nothing else is logged, counted or remembered for a popup before Init.
    ExpectLogFileLines({kHead + "\\[Worker\\]> \\[ERROR\\] worker trouble"});
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 0);
    EXPECT_EQ(g_shownPopups.count, 0);

    g_core.programInitRan = 1;
    ExpectBoxes({});
    EXPECT_EQ(QV_LogPopup(QV_LOG_ERROR, "hidden from players"), QV_POPUP_NOTHING);
    EXPECT_EQ(LogPopupOnEngineThread(QV_LOG_ERROR, "also hidden"), QV_POPUP_NOTHING);
    EXPECT_EQ(FinishBoxes(), "");
    EXPECT_EQ(g_console.lines.count, 1);
    EXPECT_EQ(g_popupQueue.count, 0);
    EXPECT_EQ(g_shownPopups.count, 0);
}

TEST_F(LogPopup, InDeveloperModeEachTextIsShownOnceAtOnceOrFromOtherThreadsAtTheNextFrameAndLoggedEveryTime) {
    StartBareLogging(true);
    g_core.programInitRan = g_core.developerMode = 1;  // in developer mode, after Init
    ExpectBoxes({IDOK, IDNO});
    EXPECT_EQ(QV_LogPopup(QV_LOG_WARNING, "Shader %s failed.", "water"), QV_POPUP_OK);  // pressed OK
    EXPECT_EQ(QV_LogPopup(QV_LOG_WARNING, "Shader %s failed.", "water"), QV_POPUP_OK);  // shown before
    EXPECT_EQ(QV_LogPopup(QV_LOG_SYSTEM, "Keep the old settings?"), QV_POPUP_NO);
    EXPECT_EQ(FinishBoxes(),
              "QUAVEN - Warning|Shader water failed.|1,2\nQUAVEN - Error|Keep the old settings?|6,7,2\n");
    EXPECT_EQ(g_console.counters[QV_LOG_WARNING], 2);
    EXPECT_EQ(g_shownPopups.count, 2);

    // From another thread a text is queued; the same text again is only logged.
    ExpectBoxes({});
    EXPECT_EQ(LogPopupOnEngineThread(QV_LOG_ERROR, "Texture too big."), QV_POPUP_CONTINUE);
    EXPECT_EQ(LogPopupOnEngineThread(QV_LOG_ERROR, "Texture too big."), QV_POPUP_OK);
    EXPECT_EQ(LogPopupOnEngineThread(QV_LOG_INFO, "second"), QV_POPUP_CONTINUE);
    QVI_ShowQueuedPopups();  // the core is not initialised yet: nothing is shown
    EXPECT_EQ(FinishBoxes(), "");
    ASSERT_EQ(g_popupQueue.count, 2);
    const std::string shown = kHead + "\\[WARNING\\] \\[POPUP\\] Shader water failed\\.";
    const std::string queued = kHead + "\\[Worker\\]> \\[ERROR\\] \\[POPUP\\] Texture too big\\.";
    ExpectLogFileLines({shown, shown, kHead + "\\[SYSTEM\\] \\[POPUP\\] Keep the old settings\\?", queued, queued,
                        kHead + "\\[Worker\\]> \\[POPUP\\] second"});
    // The frame shows them in order and empties the queue.
    g_core.coreInitialized = 1;
    ExpectBoxes({IDOK, IDOK});
    QVI_ShowQueuedPopups();
    EXPECT_EQ(FinishBoxes(), "QUAVEN - Error|Texture too big.|1,2\nQUAVEN|second|1\n");
    EXPECT_EQ(g_popupQueue.count, 0);
    ExpectBoxes({});
    QVI_ShowQueuedPopups();
    EXPECT_EQ(FinishBoxes(), "");
}

}  // namespace
}  // namespace logging_test
