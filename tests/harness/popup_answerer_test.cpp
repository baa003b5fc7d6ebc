// The popup answerer must see message boxes of other processes, report exactly what they say
// and press the button a test asks for; MessageBoxA then answers that button.
#include "support/popup_answerer.h"

#include <gtest/gtest.h>
#include "platform/windows/win32.h"

using quaven_test::PopupAnswerer;

namespace {

TEST(PopupAnswerer, RecordsEachPopupPressesTheChosenButtonOrOneThatExistsAndTimesOutWhenNothingAppears) {
    PopupAnswerer answerer;
    // "Yes" on an OK-only box must still close it rather than hang the test.
    ASSERT_TRUE(answerer.Start({IDCONTINUE, IDYES}, 2));
    EXPECT_EQ(MessageBoxA(nullptr, "Shader failed.", "Error", MB_CANCELTRYCONTINUE), IDCONTINUE);
    EXPECT_EQ(MessageBoxA(nullptr, "Line one.\nLine two.", "QUAVEN", MB_OK | MB_ICONEXCLAMATION), IDOK);
    ASSERT_TRUE(answerer.Finish());
    const auto records = answerer.Records();
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].buttons, (std::vector<int>{IDCANCEL, IDTRYAGAIN, IDCONTINUE}));
    EXPECT_EQ(records[1].caption, "QUAVEN");
    EXPECT_EQ(records[1].text, "Line one.\nLine two.");
    EXPECT_EQ(records[1].buttons, std::vector<int>{IDOK});
    EXPECT_EQ(records[1].pressed, IDOK);

    PopupAnswerer idle;
    ASSERT_TRUE(idle.Start({IDOK}, 1, 300));
    EXPECT_FALSE(idle.Finish());
    EXPECT_TRUE(idle.Records().empty());
}

}  // namespace
