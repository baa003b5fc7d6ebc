// QVI_ShowPopup and the engine's message box seen from outside: who may show a popup, how a
// non-blocking popup leaves the main thread free, and each box's caption, text, buttons and
// answer, read and pressed by the popup answerer.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "core/api_pointer.h"
#include "core/threads.h"
#include "platform/popups.h"
#include "platform/windows/popups/popup_test_support.h"
#include "support/popup_answerer.h"

using popup_test::LoggedLines;
using popup_test::PopupTest;
using popup_test::ThreadRequests;
using quaven_test::PopupAnswerer;
using quaven_test::PopupRecord;

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
    QVI_PopupThread(nullptr);  // a "Popup" thread without its record
    EXPECT_TRUE(watch.NothingShown());

    const auto lines = LoggedLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].level, QV_LOG_ERROR);
    // Passed as an argument of "%s", never as a format of its own.
    EXPECT_EQ(lines[0].format, "%s");
    EXPECT_EQ(lines[0].text, "Texture 'a.png' is 100% %s broken.");
    EXPECT_EQ(lines[1].level, QV_LOG_WARNING);
    EXPECT_EQ(lines[1].text, "from a game thread");

    *qv = QuavenAPI{};  // no logging at all
    std::thread silent([&answer] { answer = QVI_ShowPopup(QV_LOG_INFO, nullptr); });
    silent.join();
    EXPECT_EQ(answer, QV_POPUP_CONTINUE);
}

// Blocking on the main thread: without the feature, and with it until core initialisation
// has finished.
TEST_F(PopupTest, MainThreadShowsABlockingBoxAndReturnsItsAnswer) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDYES, IDOK}, 2));
    g_core.coreInitialized = 1;
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_SYSTEM, "Continue loading?"), QV_POPUP_YES);
    g_core.coreInitialized = 0;
    QVI_SetNonBlockingPopupsFeature(true);
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_WARNING, "early"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].caption, "QUAVEN - Error");
    EXPECT_EQ(records[0].text, "Continue loading?");
    EXPECT_EQ(records[1].text, "early");
    EXPECT_TRUE(ThreadRequests().empty());
    EXPECT_TRUE(LoggedLines().empty());
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

const std::vector<int> kOk{IDOK};
const std::vector<int> kOkCancel{IDOK, IDCANCEL};
const std::vector<int> kYesNoCancel{IDYES, IDNO, IDCANCEL};
const std::vector<int> kCancelTryContinue{IDCANCEL, IDTRYAGAIN, IDCONTINUE};

// One box: what is shown, the button pressed, and what the box and its answer must be.
struct Box {
    const char* title;  // the program record's title; null: no record yet
    int level;
    int buttons;
    const char* text;
    int press;
    int answer;
    std::string caption;
    std::vector<int> offered;
};

class MessageBoxTest : public PopupTest {
protected:
    void EnableDeveloperQuestions() {
        g_core.developerMode = 1;
        g_core.logging = 1;
        g_core.loggingVerboseLevel = QV_LOG_INFO;
    }

    // Shows the boxes in turn, one answerer pressing each box's button.
    void ShowAndCheck(const std::vector<Box>& boxes) {
        std::vector<int> presses;
        for (const Box& box : boxes) presses.push_back(box.press);
        PopupAnswerer answerer;
        ASSERT_TRUE(answerer.Start(presses, static_cast<int>(boxes.size())));
        std::vector<int> answers;
        for (const Box& box : boxes) {
            if (box.title) UseProgramRecord(box.title, true);
            else g_core.settings = nullptr;
            answers.push_back(QVI_ShowMessageBox(box.level, box.buttons, box.text));
        }
        EXPECT_TRUE(answerer.Finish());
        const std::vector<PopupRecord> records = answerer.Records();
        ASSERT_EQ(records.size(), boxes.size());
        for (size_t i = 0; i < boxes.size(); ++i) {
            SCOPED_TRACE(boxes[i].caption + " / " + (boxes[i].text ? boxes[i].text : "(null)"));
            EXPECT_EQ(answers[i], boxes[i].answer);
            EXPECT_EQ(records[i].caption, boxes[i].caption);
            EXPECT_EQ(records[i].buttons, boxes[i].offered);
            EXPECT_EQ(records[i].text, boxes[i].text ? boxes[i].text : "");
        }
    }
};

TEST_F(MessageBoxTest, CaptionButtonsAndAnswerFollowTheLevel) {
    const char* const kTitle = "Harbour Lights";
    ShowAndCheck({
        {nullptr, QV_LOG_INFO, 0, "Could not locate Program library file.", IDOK, QV_POPUP_OK, "QUAVEN", kOk},
        {nullptr, QV_LOG_WARNING, 0, "careful", IDOK, QV_POPUP_OK, "QUAVEN - Warning", kOkCancel},
        {nullptr, -1, 0, "odd level", IDOK, QV_POPUP_OK, "QUAVEN", kOk},
        {nullptr, INT32_MIN, 0, "odd level", IDOK, QV_POPUP_OK, "QUAVEN", kOk},
        {kTitle, QV_LOG_INFO, 0, "info", IDOK, QV_POPUP_OK, kTitle, kOk},
        {kTitle, QV_LOG_ERROR, 0, "error", IDOK, QV_POPUP_OK, "Harbour Lights - Error", kOkCancel},
        {kTitle, QV_LOG_SYSTEM, 0, "Keep going?", IDYES, QV_POPUP_YES, "Harbour Lights - Error", kYesNoCancel},
        {kTitle, QV_LOG_SYSTEM, 0, "Keep going?", IDNO, QV_POPUP_NO, "Harbour Lights - Error", kYesNoCancel},
        // Shown unchanged: line breaks and percent signs are no format.
        {kTitle, 1000, 0, "Unable (640x480 windowed).\n100% %s %d sure.", IDOK, QV_POPUP_OK, kTitle, kOk},
        {nullptr, QV_LOG_INFO, 0, nullptr, IDOK, QV_POPUP_OK, "QUAVEN", kOk},
    });
}

TEST_F(MessageBoxTest, TitleFillingItsWholeFieldIsNotReadPastItsEnd) {
    UseProgramRecord("", true);
    memset(program_.title, 'T', sizeof program_.title);  // no terminator
    memcpy(program_.version, "1.0", 4);                   // the field after the title
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK}, 1));
    EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_WARNING, 0, "long title"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    ASSERT_EQ(answerer.Records().size(), 1u);
    EXPECT_EQ(answerer.Records()[0].caption, std::string(sizeof program_.title, 'T') + " - Warning");
}

TEST_F(MessageBoxTest, DeveloperQuestionsOfferTheirButtonSets) {
    EnableDeveloperQuestions();
    ShowAndCheck({
        {nullptr, QV_LOG_ERROR, 4, "Failed to translate shader 'a.xml':\nline 3", IDTRYAGAIN, QV_POPUP_TRY_AGAIN,
         "QUAVEN - Error", kCancelTryContinue},
        {nullptr, QV_LOG_ERROR, 4, "again", IDCONTINUE, QV_POPUP_CONTINUE, "QUAVEN - Error", kCancelTryContinue},
        {nullptr, QV_LOG_ERROR, 1, "only OK", IDOK, QV_POPUP_OK, "QUAVEN - Error", kOk},
        {nullptr, QV_LOG_INFO, 2, "OK or Cancel", IDOK, QV_POPUP_OK, "QUAVEN", kOkCancel},
        {nullptr, QV_LOG_INFO, 3, "Yes, No or Cancel", IDNO, QV_POPUP_NO, "QUAVEN", kYesNoCancel},
    });
    // The minimum level itself still allows the question.
    g_core.loggingVerboseLevel = QV_LOG_ERROR;
    ShowAndCheck({{nullptr, QV_LOG_ERROR, 4, "at the minimum", IDCONTINUE, QV_POPUP_CONTINUE, "QUAVEN - Error",
                   kCancelTryContinue}});
}

TEST_F(MessageBoxTest, DeveloperQuestionsStayHiddenWhenTheirConditionsFail) {
    // A blocking box here would never return; the answerer closes it and the test then
    // fails on the records instead of hanging.
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDCONTINUE}, 1, 1500));

    EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_ERROR, 4, "not in developer mode"), QV_POPUP_NOTHING);
    EnableDeveloperQuestions();
    g_core.logging = 0;
    EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_ERROR, 4, "logging off"), QV_POPUP_NOTHING);
    EnableDeveloperQuestions();
    g_core.loggingVerboseLevel = QV_LOG_SYSTEM;
    EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_ERROR, 4, "below the minimum level"), QV_POPUP_NOTHING);
    EnableDeveloperQuestions();
    for (int buttons : {5, -1, 0x7FFFFFFF})
        EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_ERROR, buttons, "unknown button set"), QV_POPUP_NOTHING) << buttons;

    EXPECT_FALSE(answerer.Finish());
    EXPECT_TRUE(answerer.Records().empty());
}

// The owner decides which window the box blocks: the main window of a windowed game, but
// never a full-screen one, and never when popups must not block.
TEST_F(MessageBoxTest, TheMainWindowOwnsTheBoxOnlyWhenItMayBlockIt) {
    HWND window = CreateWindowExA(0, "STATIC", "main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    g_core.mainWindow = window;
    auto ownerOfShownBox = [] {
        HWND owner = reinterpret_cast<HWND>(-1);
        popup_test::DialogDriver driver([&owner](HWND box) {
            if (!box) return;
            owner = GetWindow(box, GW_OWNER);
            popup_test::PressButton(box, IDOK);
        });
        EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_INFO, 0, "whose box?"), QV_POPUP_OK);
        EXPECT_TRUE(driver.Finish());
        return owner;
    };

    EXPECT_EQ(ownerOfShownBox(), window) << "before the program record exists";
    UseProgramRecord("Windowed", true);
    EXPECT_EQ(ownerOfShownBox(), window);
    QVI_SetNonBlockingPopupsFeature(true);
    EXPECT_NE(ownerOfShownBox(), window) << "non-blocking popups";
    QVI_SetNonBlockingPopupsFeature(false);
    UseProgramRecord("Full screen", false);
    EXPECT_NE(ownerOfShownBox(), window);
    DestroyWindow(window);
    EXPECT_NE(ownerOfShownBox(), window) << "a destroyed main window still lets the box show";
}

}  // namespace
