// QVI_ShowPopup: who may show a popup, and how a non-blocking popup leaves the main thread
// free.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <string>
#include <thread>

#include "core/engine_log.h"
#include "core/threads.h"
#include "platform/popup_seams.h"
#include "platform/windows/popups/popup_test_support.h"
#include "platform/popups.h"
#include "support/popup_answerer.h"

using popup_test::LoggedLines;
using popup_test::PopupTest;
using popup_test::ThreadRequests;
using quaven_test::PopupAnswerer;

namespace {

// Proves that nothing was shown: any box would be closed by the answerer and recorded.
class NothingShownWatch {
public:
    NothingShownWatch() { started_ = answerer_.Start({IDOK}, 1, 1000); }
    bool NothingShown() {
        const bool answeredSomething = answerer_.Finish();
        return started_ && !answeredSomething && answerer_.Records().empty();
    }

private:
    PopupAnswerer answerer_;
    bool started_ = false;
};

void ShowPopupFromEngineThread(void* answer) {
    *static_cast<std::atomic<int>*>(answer) = QVI_ShowPopup(QV_LOG_WARNING, "from a game thread");
}

TEST_F(PopupTest, ThreadsOtherThanTheMainThreadOnlyLogTheTextAndAnswerContinue) {
    NothingShownWatch watch;
    int answer = -1;
    std::thread worker([&answer] { answer = QVI_ShowPopup(QV_LOG_ERROR, "Texture 'a.png' is 100% %s broken."); });
    worker.join();
    EXPECT_EQ(answer, QV_POPUP_CONTINUE);
    std::atomic<int> engineAnswer{-1};
    ASSERT_NE(QV_CreateThread("Loader", ShowPopupFromEngineThread, &engineAnswer, 0), 0u);
    ASSERT_TRUE(popup_test::WaitForEngineThreadsToEnd(30000));
    EXPECT_EQ(engineAnswer.load(), QV_POPUP_CONTINUE);
    EXPECT_TRUE(watch.NothingShown());

    const auto lines = LoggedLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, QV_LOG_ERROR);
    // Passed as an argument of "%s", never as a format of its own.
    EXPECT_EQ(lines[0].format, "%s");
    EXPECT_EQ(lines[0].text, "Texture 'a.png' is 100% %s broken.");
    EXPECT_EQ(lines[1].level, QV_LOG_WARNING);
    EXPECT_EQ(lines[1].text, "from a game thread");
}

TEST_F(PopupTest, OtherThreadsAnswerContinueEvenWithoutAnyLogging) {
    *qv = QuavenAPI{};
    int answer = -1;
    std::thread worker([&answer] { answer = QVI_ShowPopup(QV_LOG_INFO, nullptr); });
    worker.join();
    EXPECT_EQ(answer, QV_POPUP_CONTINUE);
}

TEST_F(PopupTest, MainThreadShowsABlockingBoxAndReturnsItsAnswer) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDYES}, 1));
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_SYSTEM, "Continue loading?"), QV_POPUP_YES);
    ASSERT_TRUE(answerer.Finish());
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].caption, "QUAVEN - Error");
    EXPECT_EQ(records[0].text, "Continue loading?");
    EXPECT_TRUE(ThreadRequests().empty());
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(PopupTest, NonBlockingPopupsBlockUntilCoreInitialisationHasFinished) {
    QVI_SetNonBlockingPopupsFeature(true);
    g_core.coreInitialized = 0;
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK}, 1));
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_WARNING, "early"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    EXPECT_TRUE(ThreadRequests().empty());
}

TEST_F(PopupTest, NonBlockingPopupReturnsAtOnceAndShowsTheBoxFromAPopupThread) {
    UseProgramRecord("Night Market", true);
    QVI_SetNonBlockingPopupsFeature(true);
    g_core.coreInitialized = 1;

    std::string text = "Shader 'water' could not be loaded.";
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_WARNING, text.c_str()), QV_POPUP_OK);
    // The caller's text may go away at once: the popup keeps its own copy.
    text.assign(text.size(), 'x');

    // The box is still up after the call returned, so the caller never waited for it.
    HWND box = popup_test::WaitForOwnDialog(30000);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(box, nullptr), GetCurrentThreadId());
    EXPECT_EQ(popup_test::WindowText(box), "Night Market - Warning");
    EXPECT_EQ(popup_test::DialogItemText(box, 0xFFFF), "Shader 'water' could not be loaded.");
    popup_test::PressButton(box, IDOK);
    EXPECT_TRUE(popup_test::WaitForEngineThreadsToEnd(30000));

    const auto requests = ThreadRequests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_EQ(requests[0].name, "Popup");
    EXPECT_EQ(requests[0].flags, 0u);
}

TEST_F(PopupTest, PopupThreadAnswersTheBoxWithTheLevelsButtons) {
    QVI_SetNonBlockingPopupsFeature(true);
    g_core.coreInitialized = 1;
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDNO}, 1));
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_SYSTEM, "asked from the popup thread"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    EXPECT_TRUE(popup_test::WaitForEngineThreadsToEnd(30000));
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].buttons, (std::vector<int>{IDYES, IDNO, IDCANCEL}));
    EXPECT_EQ(records[0].text, "asked from the popup thread");
}

TEST_F(PopupTest, ARefusedOrMissingPopupThreadFallsBackToABlockingBox) {
    QVI_SetNonBlockingPopupsFeature(true);
    g_core.coreInitialized = 1;
    popup_test::RefuseThreads(true);
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK, IDOK}, 2));
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_ERROR, "no threads left"), QV_POPUP_OK);
    qv->CreateThread = nullptr;  // before the table is filled
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_INFO, "no CreateThread"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].text, "no threads left");
    EXPECT_EQ(ThreadRequests().size(), 1u);
}

TEST_F(PopupTest, PopupThreadWithoutARecordDoesNothing) {
    NothingShownWatch watch;
    QVI_PopupThread(nullptr);
    EXPECT_TRUE(watch.NothingShown());
}

}  // namespace
