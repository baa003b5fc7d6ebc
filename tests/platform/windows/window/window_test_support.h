// Shared by the window tests: a fixture that opens the real main window for a program record
// whose OnEvent records what it receives, and restores the API table and the core state.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "core/core_state.h"
#include "quaven/api.h"
#include "support/log_capture.h"

namespace window_test {

// An event as the program saw it, with the texts of a named event copied while they lived.
struct ReceivedEvent {
    EngineEvent event;
    std::string value1, value2;

    template <typename Payload>
    Payload As() const {
        Payload payload;
        memcpy(&payload, event.payload, sizeof payload);
        return payload;
    }
};

// What the program's OnEvent and the fake API members received in the running test.
struct Records {
    std::vector<ReceivedEvent> events;
    std::vector<VideoParameters> reinitializeRequests;
    std::vector<bool> inputActivations;
    int closeAnswer = 0;  // OnEvent's answer to a close request
};
extern Records records;

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Opens the window for the record, lets its first activation pass, and starts the
    // records afresh; coreInitialized decides whether input is queued from then on.
    void OpenWindow(bool coreInitialized = true);
    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam = 0);
    // Posts to the window and pumps as the message loop does.
    void PostAndPump(UINT message, WPARAM wParam, LPARAM lParam = 0);
    // The frame's event step: queued events reach the program.
    void RunEventStep();
    // The program's events of one type, in order.
    std::vector<ReceivedEvent> ProgramEvents(uint32_t type) const;

    ProgramInterface program_ = {};
    HWND window_ = nullptr;

private:
    QuavenAPI savedApi_ = {};
    CoreState savedCore_ = {};
    std::unique_ptr<quaven_test::LogCapture> log_;
};

}  // namespace window_test
