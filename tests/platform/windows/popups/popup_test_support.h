// Shared by the popup tests: a fixture that saves and restores everything a popup reads,
// fake API members that record what the popups hand them, and helpers that find and drive
// this process's dialogs.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/core_state.h"
#include "quaven/api.h"
#include "support/log_capture.h"

namespace popup_test {

using LoggedLine = quaven_test::LoggedLine;

// One CreateThread request as the fake received it.
struct ThreadRequest {
    std::string name;
    uint32_t flags = 0;
};

// The LogEx calls the fixture's capture received.
std::vector<LoggedLine> LoggedLines();
std::vector<ThreadRequest> ThreadRequests();
// When set, the fake CreateThread refuses like an operating system out of threads.
void RefuseThreads(bool refuse);

// Saves the API table, the core state and the popup switches, captures the logging members, installs a
// CreateThread that records its request and starts a real engine thread, makes this thread
// the engine's main thread, and restores everything afterwards.
class PopupTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A program record with the given title, in force as the engine's settings.
    void UseProgramRecord(const char* title, bool windowed);

    ProgramInterface program_ = {};

private:
    QuavenAPI savedApi_ = {};
    CoreState savedCore_ = {};
    std::optional<quaven_test::LogCapture> log_;   // over the emptied table, gone before it is restored
};

// The first visible dialog (class "#32770") of this process that appears within timeoutMs,
// or null.
HWND WaitForOwnDialog(DWORD timeoutMs);
std::string WindowText(HWND window);
std::string DialogItemText(HWND dialog, int id);
// Presses a dialog's button the way a click does.
void PressButton(HWND dialog, int id);

// Waits until no engine thread is running; false when some still run after timeoutMs.
bool WaitForEngineThreadsToEnd(DWORD timeoutMs);

// Runs `action` on a thread of its own with the first dialog of this process that appears
// (null when none appears within timeoutMs), while the test's own thread is inside a modal
// loop. The action must close the dialog.
class DialogDriver {
public:
    explicit DialogDriver(std::function<void(HWND)> action, DWORD timeoutMs = 30000);
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;
    // Waits for the action to finish; false when no dialog appeared.
    bool Finish();

private:
    std::thread thread_;
    bool found_ = false;
};


}  // namespace popup_test
