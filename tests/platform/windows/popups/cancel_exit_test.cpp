// Cancel in an engine message box ends the whole process with exit code -1, after the log
// file is flushed and without running the C runtime's exit handlers. The box is shown by a
// child process (this test executable in a child role) so that the test survives it.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/engine_log.h"
#include "core/core_state.h"
#include "core/threads.h"
#include "platform/popups.h"
#include "support/popup_answerer.h"
#include "support/process.h"

using quaven_test::PopupAnswerer;

namespace {

const char kRoleVariable[] = "QUAVEN_POPUP_CHILD_ROLE";
const char kMarkerVariable[] = "QUAVEN_POPUP_CHILD_MARKER";
const char kChildTest[] = "PopupChildRole.ShowsTheBoxOfItsRole";
constexpr DWORD kExitCodeOfCancel = 0xFFFFFFFFu;  // ExitProcess(-1) as GetExitCodeProcess reports it

// ---- Child side -------------------------------------------------------------

std::string childMarker;

void AppendToMarker(const char* word) {
    if (FILE* marker = fopen(childMarker.c_str(), "ab")) {
        fprintf(marker, "%s;", word);
        fclose(marker);
    }
}

void MarkFlushed() { AppendToMarker("flushed"); }
void MarkExitHandlers() { AppendToMarker("exit-handlers"); }

std::string Variable(const char* name) {
    char value[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

// Runs only as the child of the tests below, which set the role; otherwise it is skipped.
TEST(PopupChildRole, ShowsTheBoxOfItsRole) {
    const std::string role = Variable(kRoleVariable);
    if (role.empty()) GTEST_SKIP() << "runs only as the child of the Cancel tests";
    childMarker = Variable(kMarkerVariable);
    ASSERT_FALSE(childMarker.empty());

    QVI_InitializeThreading();
    QVI_SetPopupLogFlushHook(MarkFlushed);
    atexit(MarkExitHandlers);
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
        if (QVI_ShowPopup(QV_LOG_WARNING, "Cancel on the popup thread.") == QV_POPUP_OK) AppendToMarker("returned");
        // The main thread goes on with its frames until the popup thread ends the process.
        for (int i = 0; i < 6000 && QVI_GetRunningThreadCount() > 0; ++i) Sleep(10);
    }
    AppendToMarker("survived");
}

// ---- Parent side ------------------------------------------------------------

struct CancelOutcome {
    bool ended = false;
    DWORD exitCode = 0;
    std::string marker;
    std::vector<quaven_test::PopupRecord> boxes;
};

CancelOutcome RunChildAndCancel(const std::string& role) {
    CancelOutcome outcome;
    const std::string marker = quaven_test::MakeTempDir("popup-child") + "\\marker.txt";
    quaven_test::ChildProcess child;
    EXPECT_TRUE(child.StartSelf(kChildTest, {{kRoleVariable, role}, {kMarkerVariable, marker}}));
    PopupAnswerer answerer;
    EXPECT_TRUE(answerer.Start({IDCANCEL}, 1, 30000, child.ProcessId()));
    outcome.ended = child.Wait(60000, &outcome.exitCode);
    EXPECT_TRUE(answerer.Finish());
    outcome.boxes = answerer.Records();
    outcome.marker = quaven_test::ReadFile(marker);
    return outcome;
}

TEST(PopupCancel, CancelInABlockingBoxEndsTheProcessWithMinusOneAfterFlushingTheLog) {
    const struct {
        const char* role;
        const char* caption;
        std::vector<int> buttons;
    } boxes[] = {
        {"error", "QUAVEN - Error", {IDOK, IDCANCEL}},
        {"question", "QUAVEN - Error", {IDCANCEL, IDTRYAGAIN, IDCONTINUE}},
    };
    for (const auto& box : boxes) {
        SCOPED_TRACE(box.role);
        const CancelOutcome outcome = RunChildAndCancel(box.role);
        ASSERT_TRUE(outcome.ended);
        EXPECT_EQ(outcome.exitCode, kExitCodeOfCancel);
        ASSERT_EQ(outcome.boxes.size(), 1u);
        EXPECT_EQ(outcome.boxes[0].caption, box.caption);
        EXPECT_EQ(outcome.boxes[0].buttons, box.buttons);
        // The log was flushed, and the runtime's exit handlers never ran.
        EXPECT_EQ(outcome.marker, "flushed;");
    }
}

TEST(PopupCancel, CancelOnThePopupThreadEndsTheWholeProcess) {
    const CancelOutcome outcome = RunChildAndCancel("popup-thread");
    ASSERT_TRUE(outcome.ended);
    EXPECT_EQ(outcome.exitCode, kExitCodeOfCancel);
    ASSERT_EQ(outcome.boxes.size(), 1u);
    EXPECT_EQ(outcome.boxes[0].caption, "QUAVEN - Warning");
    // The main thread had its answer before the box was closed.
    EXPECT_EQ(outcome.marker, "returned;flushed;");
}

}  // namespace
