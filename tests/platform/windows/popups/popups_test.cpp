// The engine's modal boxes seen from outside, read and pressed by the popup answerer or by a
// driver thread while the test's thread waits in the modal loop: popups, message boxes, the
// value-editing dialog run for real from its templates, and Cancel, which ends the process.
#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <future>
#include <thread>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "platform/popups.h"
#include "platform/windows/popups/edit_value_dialog.h"
#include "platform/windows/resources/resource.h"
#include "support/engine_table.h"
#include "support/popup_answerer.h"
#include "support/process.h"
#include "support/windows_ui.h"

namespace {

using quaven_test::LoggedLine;
using quaven_test::PopupAnswerer;
using quaven_test::WaitUntil;
using quaven_test::WindowText;

// The CreateThread requests the fake received, as "name flags"; while refuseThreads is set
// it refuses like an operating system out of threads. Popups ask from the main thread only.
std::vector<std::string> threadRequests;
bool refuseThreads = false;

uint32_t RecordingCreateThread(const char* name, QVThreadFunction function, void* argument, uint32_t flags) {
    threadRequests.push_back(std::string(name ? name : "(null)") + " " + std::to_string(flags));
    return refuseThreads ? 0 : QV_CreateThread(name, function, argument, flags);
}

// The LogEx calls the fixture's capture received, as "level|format|text".
std::vector<std::string> LoggedLines() {
    std::vector<std::string> lines;
    for (const LoggedLine& line : quaven_test::LogCapture::Lines())
        if (line.kind == LoggedLine::LogEx)
            lines.push_back(std::to_string(line.level) + "|" + line.format + "|" + line.text);
    return lines;
}

HWND WaitForOwnDialog() { return quaven_test::WaitForWindow(GetCurrentProcessId(), "#32770", 30000); }

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitForEngineThreadsToEnd() { return WaitUntil([] { return QVI_GetRunningThreadCount() == 0; }, 30000); }

// Meant for a thread of its own while the test's thread is inside a modal loop: runs
// `action`, which must close the dialog, on the first dialog of this process that appears;
// false when none does.
bool DriveDialog(const std::function<void(HWND)>& action) {
    HWND dialog = WaitForOwnDialog();
    return dialog && (action(dialog), true);
}

// Over the engine's table with the recording CreateThread (which starts real engine threads),
// no program record, no main window and the popup switches off; the value-editing dialog's
// buffers are put back afterwards.
class PopupTest : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        memcpy(savedBuffer_, g_editValueBuffer, sizeof savedBuffer_);
        memcpy(savedTitle_, g_editValueTitle, sizeof savedTitle_);
        threadRequests.clear();
        refuseThreads = false;
        qv->CreateThread = RecordingCreateThread;
        g_core.settings = nullptr, g_core.mainWindow = nullptr;
        g_core.coreInitialized = g_core.developerMode = g_core.logging = 0, g_core.loggingVerboseLevel = 0;
        QVI_SetNonBlockingPopupsFeature(false);
        QVI_SetPopupLogFlushHook(nullptr);
    }

    void TearDown() override {
        // A popup thread still showing a box would outlive the table it calls through.
        EXPECT_TRUE(WaitForEngineThreadsToEnd());
        if (window_) DestroyWindow(window_);
        QVI_SetNonBlockingPopupsFeature(false);
        QVI_SetPopupLogFlushHook(nullptr);
        memcpy(g_editValueBuffer, savedBuffer_, sizeof savedBuffer_);
        memcpy(g_editValueTitle, savedTitle_, sizeof savedTitle_);
    }

    // A program record in force as the engine's settings. A title of 128 characters or more
    // fills the field unterminated; the field after it is never empty.
    void UseProgramRecord(const std::string& title, bool windowed) {
        program_ = ProgramInterface{};
        memcpy(program_.title, title.data(), std::min(title.size(), sizeof program_.title));
        memcpy(program_.version, "1.0", 4);
        program_.video.windowed = windowed ? 1 : 0;
        g_core.settings = &program_;
    }

    HWND OpenMainWindow() {
        g_core.mainWindow = window_ = quaven_test::CreateTestWindow("main window", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100);
        return window_;
    }

    ProgramInterface program_ = {};
    HWND window_ = nullptr;

private:
    char savedBuffer_[kEditValueBufferSize];
    char savedTitle_[kEditValueTitleSize];
};

TEST_F(PopupTest, ThreadsOtherThanTheMainThreadOnlyLogTheTextAndAnswerContinue) {
    PopupAnswerer watch;  // would close and record any box shown
    ASSERT_TRUE(watch.Start({IDOK}, 1, 1000));
    int answer = -1;
    std::thread([&answer] { answer = QVI_ShowPopup(QV_LOG_ERROR, "Texture 'a.png' is 100% %s broken."); }).join();
    EXPECT_EQ(answer, QV_POPUP_CONTINUE);
    std::atomic<int> engineAnswer{-1};
    auto showFromEngineThread = [](void* answer) {
        *static_cast<std::atomic<int>*>(answer) = QVI_ShowPopup(QV_LOG_WARNING, "from a game thread");
    };
    ASSERT_NE(QV_CreateThread("Loader", showFromEngineThread, &engineAnswer, 0), 0u);
    ASSERT_TRUE(WaitForEngineThreadsToEnd());
    EXPECT_EQ(engineAnswer.load(), QV_POPUP_CONTINUE);
    QVI_PopupThread(nullptr);  // a "Popup" thread without its record
    EXPECT_FALSE(watch.Finish());
    EXPECT_TRUE(watch.Records().empty());
    // The text is an argument of "%s", never a format of its own.
    EXPECT_EQ(LoggedLines(), (std::vector<std::string>{"2|%s|Texture 'a.png' is 100% %s broken.",
                                                       "1|%s|from a game thread"}));

    *qv = QuavenAPI{};  // no logging at all
    std::thread([&answer] { answer = QVI_ShowPopup(QV_LOG_INFO, nullptr); }).join();
    EXPECT_EQ(answer, QV_POPUP_CONTINUE);
}

// Blocking on the main thread: without the feature, with it until core initialisation has
// finished, and when no popup thread can take the box (refused, or no CreateThread yet).
TEST_F(PopupTest, TheMainThreadShowsABlockingBoxUnlessAPopupThreadTakesIt) {
    PopupAnswerer answerer;
    ASSERT_TRUE(answerer.Start({IDYES, IDOK}, 4));
    g_core.coreInitialized = 1;
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_SYSTEM, "Continue loading?"), QV_POPUP_YES);
    g_core.coreInitialized = 0;
    QVI_SetNonBlockingPopupsFeature(true);
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_WARNING, "early"), QV_POPUP_OK);
    EXPECT_TRUE(threadRequests.empty());
    g_core.coreInitialized = 1;
    refuseThreads = true;
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_ERROR, "no threads left"), QV_POPUP_OK);
    EXPECT_EQ(threadRequests.size(), 1u);
    qv->CreateThread = nullptr;  // before the table is filled
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_INFO, "no CreateThread"), QV_POPUP_OK);
    ASSERT_TRUE(answerer.Finish());
    std::vector<std::string> shown;
    for (const auto& record : answerer.Records()) shown.push_back(record.caption + "|" + record.text);
    EXPECT_EQ(shown, (std::vector<std::string>{"QUAVEN - Error|Continue loading?", "QUAVEN - Warning|early",
                                               "QUAVEN - Error|no threads left", "QUAVEN|no CreateThread"}));
    EXPECT_TRUE(LoggedLines().empty());
}

TEST_F(PopupTest, NonBlockingPopupReturnsAtOnceAndAPopupThreadShowsTheBoxOfItsLevel) {
    UseProgramRecord("Night Market", true);
    QVI_SetNonBlockingPopupsFeature(true);
    g_core.coreInitialized = 1;
    std::string text = "Shader 'water' could not be loaded.";
    EXPECT_EQ(QVI_ShowPopup(QV_LOG_SYSTEM, text.c_str()), QV_POPUP_OK);
    // The caller's text may go away at once: the popup keeps its own copy.
    text.assign(text.size(), 'x');
    // The box is still up after the call returned, so the caller never waited for it.
    HWND box = WaitForOwnDialog();
    ASSERT_NE(box, nullptr);
    EXPECT_NE(GetWindowThreadProcessId(box, nullptr), GetCurrentThreadId());
    EXPECT_EQ(WindowText(box), "Night Market - Error");
    EXPECT_EQ(WindowText(GetDlgItem(box, 0xFFFF)), "Shader 'water' could not be loaded.");
    for (int id : {IDOK, IDYES, IDNO, IDCANCEL})
        EXPECT_EQ(GetDlgItem(box, id) && IsWindowVisible(GetDlgItem(box, id)), id != IDOK) << "button " << id;
    PressButton(box, IDNO);
    EXPECT_TRUE(WaitForEngineThreadsToEnd());
    EXPECT_EQ(threadRequests, std::vector<std::string>{"Popup 0"});
}

const std::vector<int> kOk{IDOK}, kOkCancel{IDOK, IDCANCEL};
const std::vector<int> kYesNoCancel{IDYES, IDNO, IDCANCEL}, kCancelTryContinue{IDCANCEL, IDTRYAGAIN, IDCONTINUE};

// One box: what is shown, the button pressed, and what the box and its answer must be.
struct Box {
    const char* title;  // the program record's title; null: no record yet
    int level, buttons;
    const char* text;
    int press, answer;
    std::string caption;
    std::vector<int> offered;
};

class MessageBoxTest : public PopupTest {
protected:
    void EnableDeveloperQuestions() {
        g_core.developerMode = g_core.logging = 1, g_core.loggingVerboseLevel = QV_LOG_INFO;
    }

    void ShowAndCheck(const std::vector<Box>& boxes) {
        std::vector<int> presses;
        for (const Box& box : boxes) presses.push_back(box.press);
        PopupAnswerer answerer;
        ASSERT_TRUE(answerer.Start(presses, static_cast<int>(boxes.size())));
        std::vector<int> answers;
        for (const Box& box : boxes) {
            box.title ? UseProgramRecord(box.title, true) : void(g_core.settings = nullptr);
            answers.push_back(QVI_ShowMessageBox(box.level, box.buttons, box.text));
        }
        EXPECT_TRUE(answerer.Finish());
        const auto records = answerer.Records();
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

// The level decides the caption and, unless a developer's question asks for its own set,
// the buttons.
TEST_F(MessageBoxTest, CaptionButtonsAndAnswerFollowTheLevelOrTheDevelopersQuestionWhichStaysHiddenUnlessAllowed) {
    EnableDeveloperQuestions();
    const char* const kTitle = "Harbour Lights";
    const std::string fullTitle(sizeof program_.title, 'T');  // not read past the field's end
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
        {fullTitle.c_str(), QV_LOG_WARNING, 0, "long title", IDOK, QV_POPUP_OK, fullTitle + " - Warning", kOkCancel},
        {nullptr, QV_LOG_ERROR, 4, "Failed to translate shader 'a.xml':\nline 3", IDTRYAGAIN, QV_POPUP_TRY_AGAIN,
         "QUAVEN - Error", kCancelTryContinue},
        {nullptr, QV_LOG_ERROR, 4, "again", IDCONTINUE, QV_POPUP_CONTINUE, "QUAVEN - Error", kCancelTryContinue},
        {nullptr, QV_LOG_ERROR, 1, "only OK", IDOK, QV_POPUP_OK, "QUAVEN - Error", kOk},
        {nullptr, QV_LOG_INFO, 2, "OK or Cancel", IDOK, QV_POPUP_OK, "QUAVEN", kOkCancel},
        {kTitle, QV_LOG_INFO, 3, "Yes, No or Cancel", IDNO, QV_POPUP_NO, kTitle, kYesNoCancel},
    });
    // The minimum level itself still allows the question.
    g_core.loggingVerboseLevel = QV_LOG_ERROR;
    ShowAndCheck({{nullptr, QV_LOG_ERROR, 4, "at the minimum", IDCONTINUE, QV_POPUP_CONTINUE, "QUAVEN - Error",
                   kCancelTryContinue}});
    // Developer questions stay hidden when their conditions fail. A blocking box here would
    // never return; the answerer closes it and the test fails on the records instead.
    g_core.developerMode = 0;
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
    HWND window = OpenMainWindow();
    ASSERT_NE(window, nullptr);
    auto ownerOfShownBox = [] {
        HWND owner = reinterpret_cast<HWND>(-1);
        auto driver = std::async(std::launch::async, DriveDialog, [&owner](HWND box) {
            owner = GetWindow(box, GW_OWNER);
            PressButton(box, IDOK);
        });
        EXPECT_EQ(QVI_ShowMessageBox(QV_LOG_INFO, 0, "whose box?"), QV_POPUP_OK);
        EXPECT_TRUE(driver.get());
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

// As the button of a run: Enter in the field as the keyboard delivers it.
const int kEnter = -1;

class EditValueDialogTest : public PopupTest {
protected:
    // Runs the dialog over the buffers as they are; the driver notes what it shows, types
    // `typed` (unless null) and presses `button` (0: closes the dialog instead). After
    // kEnter, a field showing just the line break it made is confirmed with OK, and a
    // dialog still open without one is cancelled.
    INT_PTR Run(bool multiline, const char* typed, int button) {
        auto driver = std::async(std::launch::async, DriveDialog, [this, typed, button](HWND dialog) {
            Look(dialog);
            if (typed) SetDlgItemTextA(dialog, IDC_EDIT_VALUE_TEXT, typed);
            int press = button;
            if (button == kEnter) {
                HWND edit = GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT);
                PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0x001C0001);
                PostMessageA(edit, WM_KEYUP, VK_RETURN, 0xC01C0001);
                auto newLine = [dialog] { return WindowText(GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT)) == "\r\n"; };
                WaitUntil([&] { return !IsWindow(dialog) || newLine(); }, 5000);
                press = IsWindow(dialog) && newLine() ? IDOK : IDCANCEL;
            }
            press ? PressButton(dialog, press) : void(PostMessageA(dialog, WM_CLOSE, 0, 0));
        });
        const INT_PTR result = QVI_RunEditValueDialog(nullptr, multiline);
        EXPECT_TRUE(driver.get());
        return result;
    }

    // What the driver saw when the dialog came up. It is visible a moment before its
    // activation has settled the focus. Tests running beside this one open windows on the
    // same display and may take the activation away, which takes the focus with it: the
    // dialog is brought back to the front then, and the dialog manager gives the focus back
    // to the control that had it.
    void Look(HWND dialog) {
        HWND edit = GetDlgItem(dialog, IDC_EDIT_VALUE_TEXT);
        view_ = {WindowText(dialog), WindowText(edit), GetWindow(dialog, GW_OWNER), false};
        const DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
        view_.editHasFocus = WaitUntil([dialog, edit, thread] {
            if (GetForegroundWindow() != dialog)
                SetForegroundWindow(dialog);
            GUITHREADINFO info = {};
            info.cbSize = sizeof info;
            return GetGUIThreadInfo(thread, &info) && info.hwndFocus == edit;
        }, 5000);
    }

    struct { std::string title, initialText; HWND owner; bool editHasFocus; } view_ = {};
};

// What the dialog shows, and what the buffer holds after OK, Enter, Cancel or the close box.
TEST_F(EditValueDialogTest, ShowsTheBufferAndTitleNeverPastTheirEndWithTheFocusInTheFieldAndOnlyOkTakesTheText) {
    EXPECT_STREQ(g_editValueTitle, "Edit value") << "until a command sets it";
    HWND window = OpenMainWindow();
    const std::string longest(2046, 'v'), overlong(2047, 'v');
    const struct {
        bool multiline;
        const char *text, *title, *typed;
        int button, result;  // button 0: the close box
        std::string after;
    } cases[] = {
        {false, "42", "EditValue", "new value", IDOK, IDOK, "new value"},
        {false, "something", "EditValue", "", IDOK, IDOK, ""},
        {false, "keep me", "EditValue", "typed but cancelled", IDCANCEL, IDCANCEL, "keep me"},
        {false, "keep me", "EditValue", "typed", 0, IDCANCEL, "keep me"},
        {true, "one\r\ntwo", "EditValueMultiline", "first\r\nsecond\r\nthird", IDOK, IDOK, "first\r\nsecond\r\nthird"},
        // The buffer holds 2046 characters and the terminator; OK cuts a longer text.
        {false, "", "EditValue", longest.c_str(), IDOK, IDOK, longest},
        {false, "", "EditValue", overlong.c_str(), IDOK, IDOK, longest},
        // Enter presses OK in a single-line field and starts a new line in a multi-line one.
        {false, "before", "EditValue", "typed then Enter", kEnter, IDOK, "typed then Enter"},
        {true, "one", "EditValueMultiline", "", kEnter, IDOK, "\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " / " + std::to_string(c.button));
        snprintf(g_editValueBuffer, sizeof g_editValueBuffer, "%s", c.text);
        snprintf(g_editValueTitle, sizeof g_editValueTitle, "%s", c.title);
        EXPECT_EQ(Run(c.multiline, c.typed, c.button), c.result);
        EXPECT_EQ(view_.title, c.title);
        EXPECT_EQ(view_.initialText, c.text);
        EXPECT_TRUE(view_.editHasFocus);
        EXPECT_EQ(view_.owner, window) << "the main window owns the dialog";
        EXPECT_EQ(std::string(g_editValueBuffer), c.after);
    }
    // Buffers without their terminator are not read past their end.
    memset(g_editValueBuffer, 'b', sizeof g_editValueBuffer);
    memset(g_editValueTitle, 't', sizeof g_editValueTitle);
    EXPECT_EQ(Run(false, nullptr, IDCANCEL), IDCANCEL);
    EXPECT_EQ(view_.title, std::string(kEditValueTitleSize - 1, 't'));
    EXPECT_EQ(view_.initialText, std::string(kEditValueBufferSize - 1, 'b'));
    // Other commands are left to the dialog manager: a notification from the edit control
    // must neither end the dialog nor touch the buffer.
    EXPECT_EQ(QVI_EditValueDialogProc(nullptr, WM_COMMAND, MAKEWPARAM(IDC_EDIT_VALUE_TEXT, EN_CHANGE), 0), FALSE);
    EXPECT_EQ(QVI_EditValueDialogProc(nullptr, WM_TIMER, 0, 0), FALSE);
}

// Cancel in an engine message box ends the whole process with exit code -1, after the log
// file is flushed and without running the C runtime's exit handlers. The box is shown by a
// child process (this test executable in a child role) so that the test survives it.
const char kRoleVariable[] = "QUAVEN_POPUP_CHILD_ROLE";
const char kMarkerVariable[] = "QUAVEN_POPUP_CHILD_MARKER";

// The file the child notes its steps in, a line each.
std::string childMarker;
void Note(const char* step) { quaven_test::AppendLine(childMarker, step); }

// Runs only as the child of the test below, which sets the role; otherwise it is skipped.
TEST(PopupChildRole, ShowsTheBoxOfItsRole) {
    const std::string role = quaven_test::EnvironmentVariable(kRoleVariable);
    if (role.empty()) GTEST_SKIP() << "runs only as the child of the Cancel test";
    childMarker = quaven_test::EnvironmentVariable(kMarkerVariable);
    ASSERT_FALSE(childMarker.empty());
    QVI_InitializeThreading();
    QVI_SetPopupLogFlushHook([] { Note("flushed"); });
    atexit([] { Note("exit-handlers"); });
    qv->CreateThread = QV_CreateThread;
    if (role == "error") {
        QVI_ShowMessageBox(QV_LOG_ERROR, 0, "Cancel ends the run.");
    } else if (role == "question") {
        g_core.developerMode = g_core.logging = 1;
        QVI_ShowMessageBox(QV_LOG_ERROR, 4, "Failed to translate shader 'sky.xml':\nunexpected token");
    } else if (role == "popup-thread") {
        g_core.coreInitialized = 1;
        QVI_SetNonBlockingPopupsFeature(true);
        if (QVI_ShowPopup(QV_LOG_WARNING, "Cancel on the popup thread.") == QV_POPUP_OK) Note("returned");
        // The main thread goes on with its frames until the popup thread ends the process.
        for (int i = 0; i < 6000 && QVI_GetRunningThreadCount() > 0; ++i) Sleep(10);
    }
    Note("survived");
}

TEST(PopupCancel, CancelEndsTheProcessWithMinusOneAfterFlushingTheLogOnEitherThread) {
    const struct {
        const char *role, *caption;
        std::vector<int> buttons;
        std::vector<std::string> notes;  // never "exit-handlers" nor "survived"
    } cases[] = {
        {"error", "QUAVEN - Error", {IDOK, IDCANCEL}, {"flushed"}},
        {"question", "QUAVEN - Error", {IDCANCEL, IDTRYAGAIN, IDCONTINUE}, {"flushed"}},
        // The main thread had its answer before the box was closed.
        {"popup-thread", "QUAVEN - Warning", {IDOK, IDCANCEL}, {"returned", "flushed"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.role);
        const std::string marker = quaven_test::MakeTempDir("popup-child") + "\\marker.txt";
        quaven_test::ChildProcess child;
        ASSERT_TRUE(child.StartSelf("PopupChildRole.ShowsTheBoxOfItsRole",
                                    {{kRoleVariable, c.role}, {kMarkerVariable, marker}}));
        quaven_test::PopupAnswerer answerer;
        EXPECT_TRUE(answerer.Start({IDCANCEL}, 1, 30000, child.ProcessId()));
        DWORD exitCode = 0;
        ASSERT_TRUE(child.Wait(60000, &exitCode));
        EXPECT_TRUE(answerer.Finish());
        EXPECT_EQ(exitCode, 0xFFFFFFFFu);  // ExitProcess(-1) as GetExitCodeProcess reports it
        const auto boxes = answerer.Records();
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].buttons, c.buttons);
        EXPECT_EQ(quaven_test::ReadLines(marker), c.notes);
    }
}

}  // namespace
