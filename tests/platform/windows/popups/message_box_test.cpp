// The engine's message box seen from outside: the popup answerer reads each box's caption,
// text and buttons and presses the button the test chooses.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/windows/popups/popup_seams.h"
#include "platform/windows/popups/popup_test_support.h"
#include "platform/windows/popups/popups.h"
#include "support/popup_answerer.h"

using popup_test::PopupTest;
using quaven_test::PopupAnswerer;
using quaven_test::PopupRecord;

namespace {

const std::vector<int> kOk{IDOK};
const std::vector<int> kOkCancel{IDOK, IDCANCEL};
const std::vector<int> kYesNoCancel{IDYES, IDNO, IDCANCEL};
const std::vector<int> kCancelTryContinue{IDCANCEL, IDTRYAGAIN, IDCONTINUE};

// Shows one box, presses `press` in it and hands back the answer and what the box showed.
int AnswerOneBox(int level, int buttons, const char* text, int press, PopupRecord* seen) {
    PopupAnswerer answerer;
    EXPECT_TRUE(answerer.Start({press}, 1));
    const int answer = QVI_ShowMessageBox(level, buttons, text);
    EXPECT_TRUE(answerer.Finish());
    const auto records = answerer.Records();
    EXPECT_EQ(records.size(), 1u);
    if (!records.empty()) *seen = records[0];
    return answer;
}

class MessageBoxTest : public PopupTest {
protected:
    void EnableDeveloperQuestions() {
        g_core.developerMode = 1;
        g_core.logging = 1;
        g_core.loggingVerboseLevel = QV_LOG_INFO;
    }
};

TEST_F(MessageBoxTest, InfoWithoutProgramRecordIsAnOkBoxCaptionedQuaven) {
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 0, "Could not locate Program library file.", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "QUAVEN");
    EXPECT_EQ(seen.text, "Could not locate Program library file.");
    EXPECT_EQ(seen.buttons, kOk);
}

TEST_F(MessageBoxTest, CaptionIsTheProgramTitleWithTheLevelsSuffix) {
    UseProgramRecord("Harbour Lights", true);
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 0, "info", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "Harbour Lights");
    EXPECT_EQ(AnswerOneBox(QV_LOG_WARNING, 0, "warning", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "Harbour Lights - Warning");
    EXPECT_EQ(seen.buttons, kOkCancel);
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 0, "error", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "Harbour Lights - Error");
    EXPECT_EQ(seen.buttons, kOkCancel);
    EXPECT_EQ(AnswerOneBox(QV_LOG_SYSTEM, 0, "system", IDYES, &seen), QV_POPUP_YES);
    EXPECT_EQ(seen.caption, "Harbour Lights - Error");
    EXPECT_EQ(seen.buttons, kYesNoCancel);
}

TEST_F(MessageBoxTest, WarningSuffixAlsoFollowsTheDefaultCaption) {
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_WARNING, 0, "careful", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "QUAVEN - Warning");
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 0, "broken", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, "QUAVEN - Error");
}

TEST_F(MessageBoxTest, LevelsOutsideTheKnownFourGetAPlainOkBox) {
    for (int level : {-1, 4, 1000, INT32_MIN}) {
        PopupRecord seen;
        EXPECT_EQ(AnswerOneBox(level, 0, "odd level", IDOK, &seen), QV_POPUP_OK) << level;
        EXPECT_EQ(seen.caption, "QUAVEN") << level;
        EXPECT_EQ(seen.buttons, kOk) << level;
    }
}

TEST_F(MessageBoxTest, SystemLevelAnswersYesAndNo) {
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_SYSTEM, 0, "Keep going?", IDYES, &seen), QV_POPUP_YES);
    EXPECT_EQ(AnswerOneBox(QV_LOG_SYSTEM, 0, "Keep going?", IDNO, &seen), QV_POPUP_NO);
    EXPECT_EQ(seen.text, "Keep going?");
}

TEST_F(MessageBoxTest, TextIsShownUnchangedIncludingLineBreaksAndPercentSigns) {
    PopupRecord seen;
    const char* text = "Unable to initialize the graphics (640x480 windowed).\n100% %s %d sure.";
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 0, text, IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.text, text);
}

TEST_F(MessageBoxTest, NullTextShowsAnEmptyBox) {
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 0, nullptr, IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.text, "");
}

TEST_F(MessageBoxTest, TitleFillingItsWholeFieldIsNotReadPastItsEnd) {
    UseProgramRecord("", true);
    memset(program_.title, 'T', sizeof program_.title);  // no terminator
    memcpy(program_.version, "1.0", 4);                   // the field after the title
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_WARNING, 0, "long title", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.caption, std::string(sizeof program_.title, 'T') + " - Warning");
}

TEST_F(MessageBoxTest, DeveloperQuestionsOfferTheirButtonSets) {
    EnableDeveloperQuestions();
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 4, "Failed to translate shader 'a.xml':\nline 3", IDTRYAGAIN, &seen),
              QV_POPUP_TRY_AGAIN);
    EXPECT_EQ(seen.buttons, kCancelTryContinue);
    EXPECT_EQ(seen.caption, "QUAVEN - Error");
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 4, "again", IDCONTINUE, &seen), QV_POPUP_CONTINUE);
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 1, "only OK", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.buttons, kOk);
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 2, "OK or Cancel", IDOK, &seen), QV_POPUP_OK);
    EXPECT_EQ(seen.buttons, kOkCancel);
    EXPECT_EQ(AnswerOneBox(QV_LOG_INFO, 3, "Yes, No or Cancel", IDNO, &seen), QV_POPUP_NO);
    EXPECT_EQ(seen.buttons, kYesNoCancel);
    EXPECT_EQ(seen.caption, "QUAVEN");
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

TEST_F(MessageBoxTest, MinimumLevelItselfStillAllowsTheQuestion) {
    EnableDeveloperQuestions();
    g_core.loggingVerboseLevel = QV_LOG_ERROR;
    PopupRecord seen;
    EXPECT_EQ(AnswerOneBox(QV_LOG_ERROR, 4, "at the minimum", IDCONTINUE, &seen), QV_POPUP_CONTINUE);
}

// The owner decides which window the box blocks: the main window of a windowed game, but
// never a full-screen one, and never when popups must not block.
class MessageBoxOwnerTest : public MessageBoxTest {
protected:
    void SetUp() override {
        MessageBoxTest::SetUp();
        window_ = CreateWindowExA(0, "STATIC", "main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
        g_core.mainWindow = window_;
    }
    void TearDown() override {
        DestroyWindow(window_);
        MessageBoxTest::TearDown();
    }

    // The owner of the box that QVI_ShowMessageBox shows.
    HWND OwnerOfShownBox() {
        HWND owner = reinterpret_cast<HWND>(-1);
        popup_test::DialogDriver driver([&owner](HWND box) {
            if (!box) return;
            owner = GetWindow(box, GW_OWNER);
            popup_test::PressButton(box, IDOK);
        });
        EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_INFO, 0, "whose box?"), QV_POPUP_OK);
        EXPECT_TRUE(driver.Finish());
        return owner;
    }

    HWND window_ = nullptr;
};

TEST_F(MessageBoxOwnerTest, WindowedGameOwnsTheBox) {
    UseProgramRecord("Windowed", true);
    EXPECT_EQ(OwnerOfShownBox(), window_);
}

TEST_F(MessageBoxOwnerTest, MainWindowOwnsTheBoxBeforeTheProgramRecordExists) {
    EXPECT_EQ(OwnerOfShownBox(), window_);
}

TEST_F(MessageBoxOwnerTest, FullScreenGameDoesNotOwnTheBox) {
    UseProgramRecord("Full screen", false);
    EXPECT_NE(OwnerOfShownBox(), window_);
}

TEST_F(MessageBoxOwnerTest, NonBlockingPopupsNeverUseTheMainWindow) {
    UseProgramRecord("Windowed", true);
    QVI_SetNonBlockingPopupsFeature(true);
    EXPECT_NE(OwnerOfShownBox(), window_);
}

TEST_F(MessageBoxOwnerTest, DestroyedMainWindowStillLetsTheBoxShow) {
    DestroyWindow(window_);
    const HWND owner = OwnerOfShownBox();
    EXPECT_NE(owner, window_);
}

}  // namespace
