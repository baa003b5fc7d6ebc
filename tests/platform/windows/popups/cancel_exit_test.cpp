// Cancel in an engine message box ends the whole process with exit code -1, after the log
// file is flushed and without running the C runtime's exit handlers. The box is shown by a
// child process (this test executable in a child role) so that the test survives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/api_pointer.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "platform/popups.h"
#include "support/popup_answerer.h"
#include "support/process.h"

namespace {

const char kRoleVariable[] = "QUAVEN_POPUP_CHILD_ROLE";
const char kMarkerVariable[] = "QUAVEN_POPUP_CHILD_MARKER";

// ---- Child side -------------------------------------------------------------

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
        g_core.developerMode = 1;
        g_core.logging = 1;
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

// ---- Parent side ------------------------------------------------------------

TEST(PopupCancel, CancelEndsTheProcessWithMinusOneAfterFlushingTheLogOnEitherThread) {
    const struct {
        const char* role;
        const char* caption;
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
