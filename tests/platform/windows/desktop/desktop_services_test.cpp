// Cursor names, the clipboard's text and the accounts event.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <future>
#include <thread>

#include "platform/windows/window/window_test_support.h"
#include "support/child_run.h"

namespace window_test {
namespace {

const char kEmptyTableRole[] = "QUAVEN_CURSOR_EMPTY_TABLE_CHILD";

std::vector<std::string> cursorRequests;

void RecordingSetMouseCursor(const char* name) {
    cursorRequests.push_back(name ? name : "(null)");
    QV_SetMouseCursor(name);
}

HCURSOR SystemCursor(WORD id) { return LoadCursorA(nullptr, MAKEINTRESOURCEA(id)); }

bool PutOnClipboard(HWND owner, UINT format, const void* data, size_t size) {
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    memcpy(GlobalLock(block), data, size);
    GlobalUnlock(block);
    const bool put = SetClipboardData(format, block) != nullptr;
    CloseClipboard();
    return put;
}

std::string ClipboardText() {
    String text = QVI_GetClipboardText();
    return text.text ? text.text : "(null)";
}

TEST_F(MainWindowTest, CursorNamesChooseSystemCursorsExactly) {
    OpenWindow();
    QVI_InitCursors();
    QVI_InitCursors();  // filling again replaces the table
    cursorRequests.clear();
    qv->SetMouseCursor = RecordingSetMouseCursor;
    QV_SetMouseCursor("FINGER_POINT");
    EXPECT_EQ(GetCursor(), SystemCursor(32649));
    QV_SetMouseCursor("SIZE_DIAGONAL_UP");
    EXPECT_EQ(GetCursor(), SystemCursor(32643));
    QV_SetMouseCursor("NULL");
    EXPECT_EQ(GetCursor(), nullptr);
    QV_SetMouseCursor("NO");
    QV_SetMouseCursor(nullptr);
    EXPECT_EQ(GetCursor(), nullptr);
    EXPECT_TRUE(cursorRequests.empty());
    // Unlisted names, "null" and other cases included, ask for the arrow as the program would.
    QV_SetMouseCursor("null");
    EXPECT_EQ(GetCursor(), SystemCursor(32512));
    QV_SetMouseCursor("finger_point");
    EXPECT_EQ(cursorRequests, (std::vector<std::string>{"ARROW", "ARROW"}));
    QVI_SetHideCursor(true);
    QV_SetMouseCursor("ARROW");
    EXPECT_EQ(GetCursor(), nullptr);
}

// In a fresh process, whose cursor table is empty.
TEST_F(MainWindowTest, BeforeTheCursorTableIsFilledEveryNameShowsTheSystemArrowWithoutAskingAgain) {
    if (!quaven_test::InChild(kEmptyTableRole)) {
        EXPECT_EQ(quaven_test::RunCurrentTestInChild(kEmptyTableRole), 0u);
        return;
    }
    OpenWindow();
    qv->SetMouseCursor = RecordingSetMouseCursor;
    for (const char* name : {"CROSS", "ARROW"}) {
        QV_SetMouseCursor("NULL");
        QV_SetMouseCursor(name);
        EXPECT_EQ(GetCursor(), SystemCursor(32512)) << name;
    }
    EXPECT_TRUE(cursorRequests.empty()) << "the fallback must not ask again";
}

// One test for every clipboard case: the clipboard is shared by every process on the display.
TEST_F(MainWindowTest, TheClipboardGivesItsTextOrTheEmptyText) {
    OpenWindow();
    ASSERT_TRUE(PutOnClipboard(window_, CF_TEXT, "Hello, clipboard", 17));
    EXPECT_EQ(ClipboardText(), "Hello, clipboard");
    std::promise<void> opened, released;
    std::thread holder([&] {
        OpenClipboard(nullptr);
        opened.set_value();
        released.get_future().wait();
        CloseClipboard();
    });
    opened.get_future().wait();
    EXPECT_EQ(ClipboardText(), "") << "held open by someone else";
    released.set_value();
    holder.join();
    const BITMAPINFOHEADER image = {sizeof(BITMAPINFOHEADER), 1, 1, 1, 32, BI_RGB, 4, 0, 0, 0, 0};
    char dib[sizeof image + 4] = {};
    memcpy(dib, &image, sizeof image);
    ASSERT_TRUE(PutOnClipboard(window_, CF_DIB, dib, sizeof dib));
    EXPECT_EQ(ClipboardText(), "") << "only an image";
    ASSERT_TRUE(OpenClipboard(window_) && EmptyClipboard() && CloseClipboard());
    EXPECT_EQ(ClipboardText(), "");
}

TEST(AccountsEventTest, IsQueuedWithItsValue) {
    QVI_PostAccountsEvent(1);
    Array<EngineEvent> events;
    QVI_TakeQueuedEvents(events);
    ASSERT_EQ(events.count, 1);
    EXPECT_EQ(events.data[0].type, static_cast<uint32_t>(EVENT_ACCOUNTS));
    const EngineEvent expected = {EVENT_ACCOUNTS, {0, 0, 0, 0, 1}};
    EXPECT_EQ(memcmp(events.data[0].payload, expected.payload, sizeof expected.payload), 0);
}

}  // namespace
}  // namespace window_test
