// The Windows commands against the real clipboard, the system's user and region, and the
// file and value dialogs answered by the popup answerer.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <tlhelp32.h>

#include <cstdio>
#include <optional>
#include <set>
#include <string>
#include <thread>

#include "filesystem/backends.h"
#include "platform/windows/desktop/windows_platform_command.h"
#include "platform/windows/window/window_test_support.h"
#include "support/popup_answerer.h"
#include "support/res_folder.h"

namespace window_test {
namespace {

using quaven_test::LogCapture;
using quaven_test::PopupAnswerer;

// The executables of the processes running now, this one's children among them.
std::multiset<std::string> RunningExecutables() {
    std::multiset<std::string> names;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return names;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        if (entry.th32ParentProcessID == GetCurrentProcessId()) names.insert(entry.szExeFile);
    CloseHandle(snapshot);
    return names;
}

std::string Ask(const char* name, const char* argument = nullptr) {
    const char* answer = QVI_WindowsPlatformCommand(name, argument);
    return answer ? answer : "(null)";
}

class WindowsCommandTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        OpenWindow();
    }
    // Runs the command while the answerer presses `button` in the one dialog it shows.
    std::string AnswerDialog(const char* name, const char* argument, int button, std::string* caption = nullptr) {
        PopupAnswerer answerer;
        EXPECT_TRUE(answerer.Start({button}, 1));
        const std::string answer = Ask(name, argument);
        EXPECT_TRUE(answerer.Finish());
        const auto seen = answerer.Records();
        EXPECT_EQ(seen.size(), 1u);
        if (caption && !seen.empty()) *caption = seen[0].caption;
        return answer;
    }
};

// One test for every clipboard case: the clipboard is shared by every process on the display.
TEST_F(WindowsCommandTest, TheClipboardTakesAndGivesText) {
    EXPECT_EQ(Ask("Clipboard_SetText", "Hello, clipboard"), "(null)");
    EXPECT_EQ(Ask("Clipboard_GetText"), "Hello, clipboard");
    Ask("Clipboard_SetText");  // no text: nothing happens
    EXPECT_EQ(Ask("Clipboard_GetText"), "Hello, clipboard");
    const std::string longest(1022, 'x');
    Ask("Clipboard_SetText", longest.c_str());
    EXPECT_EQ(Ask("Clipboard_GetText"), longest);
    Ask("Clipboard_SetText", (longest + "y").c_str());
    EXPECT_EQ(Ask("Clipboard_GetText"), "") << "1023 characters do not fit the answer";
    Ask("Clipboard_SetText", "");
    EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT)) << "an empty text empties the clipboard";
    EXPECT_EQ(Ask("Clipboard_GetText"), "") << "nothing on the clipboard";
}

TEST_F(WindowsCommandTest, UserRegionAndTheSmallCommands) {
    char user[257] = "";
    DWORD size = sizeof user;
    ASSERT_TRUE(GetUserNameA(user, &size));
    EXPECT_EQ(Ask("GetUserName"), user);
    char region[64] = "";
    GetGeoInfoA(GetUserGeoID(GEOCLASS_NATION), GEO_ISO2, region, 60, 0);
    EXPECT_EQ(Ask("GetRegion"), region);
    EXPECT_EQ(Ask("SystemInfo"), "DEPRECATED");
    EXPECT_EQ(Ask("RawInput", "on"), "(null)");
    EXPECT_EQ(Ask("NoSuchCommand"), "(null)");
    EXPECT_EQ(Ask(nullptr, "x"), "(null)");
    EXPECT_EQ(Ask("clipboard_gettext"), "(null)") << "names are compared exactly";

    Ask("Accounts", "PairGamepad,now,please");
    Ask("Accounts", "Pair");
    Ask("Accounts", "");
    Ask("Accounts", "Logout");
    Array<EngineEvent> events;
    QVI_TakeQueuedEvents(events);
    ASSERT_EQ(events.count, 2);
    EXPECT_EQ(events.data[0].type, static_cast<uint32_t>(EVENT_ACCOUNTS));
    EXPECT_EQ(events.data[0].payload[4], 1);
    EXPECT_EQ(events.data[1].payload[4], 0);

    // The mouse delta: the cursor goes back to the window's centre.
    RECT window;
    ASSERT_TRUE(GetWindowRect(window_, &window));
    const POINT centre = {(window.left + window.right) / 2, (window.top + window.bottom) / 2};
    // The cursor is the display's: another test of a parallel run may move it meanwhile, so a
    // disturbed reading is taken again.
    POINT cursor = {};
    int32_t dx = 0, dy = 0;
    for (int attempt = 0; attempt < 3 && !(cursor.x == centre.x && dx == 7 && dy == -3); ++attempt) {
        SetCursorPos(centre.x + 7, centre.y - 3);
        Ask("ReadMouseDelta");
        GetCursorPos(&cursor);
        dx = static_cast<int32_t>(QV_GetKey(508)), dy = static_cast<int32_t>(QV_GetKey(509));
    }
    EXPECT_EQ(cursor.x, centre.x);
    EXPECT_EQ(dx, 7);
    EXPECT_EQ(dy, -3);
    // Wine without a window manager keeps the cursor free whatever is asked; what holds
    // everywhere is that any other argument releases it.
    EXPECT_EQ(Ask("ClipCursor", "TrUe"), "(null)");
    Ask("ClipCursor", "yes");
    RECT clip;
    GetClipCursor(&clip);
    EXPECT_EQ(clip.right - clip.left, GetSystemMetrics(SM_CXVIRTUALSCREEN)) << "released";
}

TEST_F(WindowsCommandTest, TheValueDialogEditsText) {
    std::string caption;
    EXPECT_EQ(AnswerDialog("EditValue", "one\ntwo", IDOK, &caption), "one\ntwo");
    EXPECT_EQ(caption, "EditValue");
    EXPECT_EQ(AnswerDialog("EditValueMultiline", "kept", IDCANCEL, &caption), "(null)");
    EXPECT_EQ(caption, "EditValueMultiline");
    EXPECT_EQ(AnswerDialog("EditValueName", nullptr, IDOK, &caption), "") << "OK on an empty field";
    EXPECT_EQ(caption, "EditValueName");

    // A text that cannot fit the edit buffer with its line breaks is refused, not cut.
    const std::string lines(1500, '\n');
    EXPECT_EQ(Ask("EditValue", lines.c_str()), "(null)");
    EXPECT_EQ(LogCapture::CountContaining("too long to edit", QV_LOG_WARNING), 1);
    std::string fromThread;
    std::thread([&fromThread] { fromThread = Ask("EditValue", "x"); }).join();
    EXPECT_EQ(fromThread, "(null)");
    EXPECT_EQ(LogCapture::CountContaining("the value dialog opens on the main thread only", QV_LOG_WARNING), 1);
}

TEST_F(WindowsCommandTest, TheFileDialogsAnswerEnginePaths) {
    ASSERT_TRUE(QVI_InitFileSystem());
    quaven_test::ResFolder res("dialogs");
    ASSERT_TRUE(res.Put("pick.txt", "picked"));
    static const char kOpen[] = "res://pick.txt;Text files\0*.txt\0\0";
    EXPECT_EQ(AnswerDialog("OpenFileDialog", kOpen, IDOK), "res://pick.txt");
    EXPECT_EQ(AnswerDialog("OpenFileDialog", kOpen, IDCANCEL), "(null)");
    static const char kSave[] = "res://saved.txt;Text files\0*.txt\0\0";
    EXPECT_EQ(AnswerDialog("SaveFileDialog", kSave, IDOK), "res://saved.txt");
    EXPECT_EQ(Ask("OpenFileDialog"), "(null)");

    // Paths through the same conversions.
    EXPECT_EQ(Ask("GetNativeOSPath", "res://pick.txt"), res.Root() + "/pick.txt");
    EXPECT_EQ(Ask("ConvertNativeOSPathToStaticPath", (res.Root() + "/pick.txt").c_str()), "res://pick.txt");
    const std::string tooLong = "res://" + std::string(600, 'a');
    EXPECT_EQ(Ask("GetNativeOSPath", tooLong.c_str()), "") << "does not fit its answer";
}

TEST_F(WindowsCommandTest, OpenUrlReportsWhatTheShellAnswered) {
    LogCapture::Clear();
    EXPECT_EQ(Ask("OpenURL", "Z:\\no\\such\\file.qvnothing"), "OK");
    EXPECT_EQ(LogCapture::CountContaining("ShellExecute open 'Z:\\no\\such\\file.qvnothing' returned "), 1);

    // Without an argument the shell is asked with no file: it answers an error value (32 or
    // below) and starts nothing.
    const std::multiset<std::string> before = RunningExecutables();
    LogCapture::Clear();
    EXPECT_EQ(Ask("OpenURL"), "OK");
    EXPECT_EQ(Ask("IPHONE_OpenURL"), "OK");
    EXPECT_EQ(Ask("ComposeMail"), "(null)");
    const std::vector<std::string> lines = LogCapture::Texts();
    ASSERT_EQ(lines.size(), 3u);
    for (const std::string& line : lines) {
        unsigned value = 0;
        ASSERT_EQ(sscanf(line.c_str(), "ShellExecute open '' returned %x", &value), 1) << line;
        EXPECT_LE(value, 32u) << line;
    }
    EXPECT_EQ(RunningExecutables(), before) << "no program started by the shell";
}

}  // namespace
}  // namespace window_test
