// The popup answerer must see message boxes of other processes, report exactly what they say
// and press the button a test asks for; MessageBoxA then answers that button.
#include "support/popup_answerer.h"

#include <gtest/gtest.h>
#include <windows.h>

using quaven_test::PopupAnswerer;

namespace {

TEST(PopupAnswerer, RecordsCaptionAndTextAndPressesOk) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK}, 1));
    const int answer = MessageBoxA(nullptr, "Line one.\nLine two.", "QUAVEN", MB_OK | MB_ICONEXCLAMATION);
    ASSERT_TRUE(answerer.Finish());
    EXPECT_EQ(answer, IDOK);
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].caption, "QUAVEN");
    EXPECT_EQ(records[0].text, "Line one.\nLine two.");
    EXPECT_EQ(records[0].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(records[0].pressed, IDOK);
}

TEST(PopupAnswerer, PressesTheChosenButtonOfEachPopupInTurn) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDNO, IDCONTINUE}, 2));
    const int first = MessageBoxA(nullptr, "Save?", "Question", MB_YESNO);
    const int second = MessageBoxA(nullptr, "Shader failed.", "Error", MB_CANCELTRYCONTINUE);
    ASSERT_TRUE(answerer.Finish());
    EXPECT_EQ(first, IDNO);
    EXPECT_EQ(second, IDCONTINUE);
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].buttons, (std::vector<int>{IDYES, IDNO}));
    EXPECT_EQ(records[1].buttons, (std::vector<int>{IDCANCEL, IDTRYAGAIN, IDCONTINUE}));
}

TEST(PopupAnswerer, FallsBackToAButtonThatExists) {
    // Asking for "Yes" on an OK-only box must still close it rather than hang the test.
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDYES}, 1));
    EXPECT_EQ(MessageBoxA(nullptr, "Only OK here.", "Info", MB_OK), IDOK);
    ASSERT_TRUE(answerer.Finish());
}

TEST(PopupAnswerer, TimesOutWhenNothingAppears) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDOK}, 1, 300));
    EXPECT_FALSE(answerer.Finish());
    EXPECT_TRUE(answerer.Records().empty());
}

}  // namespace
