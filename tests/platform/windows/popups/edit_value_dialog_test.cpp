// The value-editing dialog run for real from its templates; a driver thread types into it
// and presses its buttons while the test's thread waits in the modal loop.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/windows/popups/edit_value_dialog.h"
#include "platform/windows/popups/popup_test_support.h"
#include "platform/windows/resources/resource.h"

using popup_test::DialogDriver;

namespace {

// What the driver saw when the dialog came up.
struct DialogView {
    std::string title;
    std::string initialText;
    bool editHasFocus = false;
};

DialogView Look(HWND dialog) {
    DialogView view;
    view.title = popup_test::WindowText(dialog);
    view.initialText = popup_test::DialogItemText(dialog, IDC_EDIT_VALUE_TEXT);
    // The dialog is visible a moment before its activation has settled the focus.
    HWND edit = GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT);
    const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
    const DWORD start = GetTickCount();
    while (!view.editHasFocus && GetTickCount() - start < 5000) {
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        view.editHasFocus = GetGUIThreadInfo(thread, &info) && info.hwndFocus == edit;
        if (!view.editHasFocus) Sleep(10);
    }
    return view;
}

class EditValueDialogTest : public popup_test::PopupTest {
protected:
    void SetUp() override {
        PopupTest::SetUp();
        memcpy(savedBuffer_, g_editValueBuffer, sizeof savedBuffer_);
        memcpy(savedTitle_, g_editValueTitle, sizeof savedTitle_);
    }
    void TearDown() override {
        memcpy(g_editValueBuffer, savedBuffer_, sizeof savedBuffer_);
        memcpy(g_editValueTitle, savedTitle_, sizeof savedTitle_);
        PopupTest::TearDown();
    }

    // Runs the dialog with `text` and `title` in the buffers; the driver looks at it, types
    // `typed` (unless null) and presses `button` (0: closes the dialog instead).
    INT_PTR Run(bool multiline, const char* text, const char* title, const char* typed, int button) {
        snprintf(g_editValueBuffer, sizeof g_editValueBuffer, "%s", text);
        snprintf(g_editValueTitle, sizeof g_editValueTitle, "%s", title);
        DialogDriver driver([this, typed, button](HWND dialog) {
            if (!dialog) return;
            view_ = Look(dialog);
            if (typed) SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, typed);
            if (button) popup_test::PressButton(dialog, button);
            else PostMessageA(dialog, WM_CLOSE, 0, 0);
        });
        const INT_PTR result = QVI_RunEditValueDialog(nullptr, multiline);
        EXPECT_TRUE(driver.Finish());
        return result;
    }

    DialogView view_;

private:
    char savedBuffer_[kEditValueBufferSize];
    char savedTitle_[kEditValueTitleSize];
};

// What the dialog shows, and what the buffer holds after OK, Cancel or the close box.
TEST_F(EditValueDialogTest, ShowsTheBufferAndTitleWithTheFocusInTheFieldAndOnlyOkTakesTheText) {
    EXPECT_STREQ(g_editValueTitle, "Edit value") << "until a command sets it";
    const std::string longest(2046, 'v'), overlong(2047, 'v');
    const struct {
        bool multiline;
        const char* text;
        const char* title;
        const char* typed;
        int button;  // 0: the close box
        std::string after;
    } cases[] = {
        {false, "42", "EditValue", "new value", IDOK, "new value"},
        {false, "something", "EditValue", "", IDOK, ""},
        {false, "keep me", "EditValue", "typed but cancelled", IDCANCEL, "keep me"},
        {false, "keep me", "EditValue", "typed", 0, "keep me"},
        {true, "one\r\ntwo", "EditValueMultiline", "first\r\nsecond\r\nthird", IDOK, "first\r\nsecond\r\nthird"},
        // The buffer holds 2046 characters and the terminator; OK cuts a longer text.
        {false, "", "EditValue", longest.c_str(), IDOK, longest},
        {false, "", "EditValue", overlong.c_str(), IDOK, longest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.button));
        EXPECT_EQ(Run(c.multiline, c.text, c.title, c.typed, c.button), c.button ? c.button : IDCANCEL);
        EXPECT_EQ(view_.title, c.title);
        EXPECT_EQ(view_.initialText, c.text);
        EXPECT_TRUE(view_.editHasFocus);
        EXPECT_EQ(std::string(g_editValueBuffer), c.after);
    }
}

TEST_F(EditValueDialogTest, UnterminatedBuffersAreNotReadPastTheirEnd) {
    memset(g_editValueBuffer, 'b', sizeof g_editValueBuffer);
    memset(g_editValueTitle, 't', sizeof g_editValueTitle);
    DialogDriver driver([this](HWND dialog) {
        if (!dialog) return;
        view_ = Look(dialog);
        popup_test::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(QVI_RunEditValueDialog(nullptr, false), IDCANCEL);
    EXPECT_TRUE(driver.Finish());
    EXPECT_EQ(view_.title, std::string(kEditValueTitleSize - 1, 't'));
    EXPECT_EQ(view_.initialText, std::string(kEditValueBufferSize - 1, 'b'));
}

TEST_F(EditValueDialogTest, MainWindowOwnsTheDialog) {
    HWND window = CreateWindowExA(0, "STATIC", "main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(window, nullptr);
    g_core.mainWindow = window;
    HWND owner = nullptr;
    DialogDriver driver([&owner](HWND dialog) {
        if (!dialog) return;
        owner = GetWindow(dialog, GW_OWNER);
        popup_test::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(QVI_RunEditValueDialog(nullptr, false), IDCANCEL);
    EXPECT_TRUE(driver.Finish());
    EXPECT_EQ(owner, window);
    DestroyWindow(window);
}

TEST_F(EditValueDialogTest, OtherCommandsAreLeftToTheDialogManager) {
    // A notification from the edit control must neither end the dialog nor touch the buffer.
    EXPECT_EQ(QVI_EditValueDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(IDC_EDIT_VALUE_TEXT, EN_CHANGE), 0), FALSE);
    EXPECT_EQ(QVI_EditValueDialogProc(nullptr, WM_TIMER, 0, 0), FALSE);
}

// Presses Enter in the edit control as the keyboard would deliver it.
void PressEnterInField(HWND dialog) {
    HWND edit = GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT);
    PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
}

TEST_F(EditValueDialogTest, EnterInTheSingleLineFieldPressesOk) {
    DialogDriver driver([](HWND dialog) {
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, "typed then Enter");
        PressEnterInField(dialog);
    });
    snprintf(g_editValueBuffer, sizeof g_editValueBuffer, "%s", "before");
    EXPECT_EQ(QVI_RunEditValueDialog(nullptr, false), IDOK);
    EXPECT_TRUE(driver.Finish());
    EXPECT_STREQ(g_editValueBuffer, "typed then Enter");
}

TEST_F(EditValueDialogTest, EnterInTheMultiLineFieldStartsANewLine) {
    bool newLineArrived = false;
    DialogDriver driver([&newLineArrived](HWND dialog) {
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, "");
        PressEnterInField(dialog);
        // The dialog stays open; the line break shows up in the field.
        const DWORD start = GetTickCount();
        while (!newLineArrived && GetTickCount() - start < 5000) {
            newLineArrived = popup_test::DialogItemText(dialog, IDC_EDIT_VALUE_TEXT) == "\r\n";
            if (!newLineArrived) Sleep(10);
        }
        popup_test::PressButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(QVI_RunEditValueDialog(nullptr, true), IDCANCEL);
    EXPECT_TRUE(driver.Finish());
    EXPECT_TRUE(newLineArrived);
}

}  // namespace
