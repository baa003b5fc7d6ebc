// The engine's message box seen from outside: the popup answerer reads each box's caption,
// text and buttons and presses the button the test chooses.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/popups/popup_test_support.h"
#include "platform/popups.h"
#include "support/popup_answerer.h"

using popup_test::PopupTest;
using quaven_test::PopupAnswerer;
using quaven_test::PopupRecord;

namespace {

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
