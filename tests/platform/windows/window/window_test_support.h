// Shared by the window tests: a fixture that opens the real main window for a program record
// whose OnEvent records what it receives.
#pragma once

#include <gtest/gtest.h>
#include "platform/windows/win32.h"

#include <cstring>
#include <string>
#include <vector>

#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "platform/window_seams.h"
#include "platform/windows/desktop/desktop_services.h"
#include "platform/windows/window/main_window.h"
#include "quaven/api.h"
#include "support/engine_table.h"

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
inline Records records;

inline std::vector<ReceivedEvent> ProgramEvents(uint32_t type) {
    std::vector<ReceivedEvent> events;
    for (const ReceivedEvent& received : records.events)
        if (received.event.type == type) events.push_back(received);
    return events;
}

class MainWindowTest : public quaven_test::EngineTableTest {
protected:
    void SetUp() override {
        g_core.video = VideoParameters{};
        qv->ReinitializeWithParameters = [](auto v) { return records.reinitializeRequests.push_back(v), true; };
        qv->SetMouseCursor = QV_SetMouseCursor;
        g_core.api = qv;
        g_core.quit = g_core.coreInitialized = g_core.developerMode = 0, g_core.mainWindow = nullptr;
        records = Records();
        ResetWindowSeams();
        QVI_SetInputActivationFunction([](bool active) { records.inputActivations.push_back(active); });
        program_.interface_version = QUAVEN_INTERFACE_VERSION;
        strcpy(program_.title, "Window Test");
        program_.video.width = 640, program_.video.height = 480, program_.video.windowed = 1;
        program_.OnEvent = RecordingOnEvent;
        g_core.settings = &program_;
    }

    void TearDown() override {
        QVI_DestroyMainWindow();
        DrainMessages();  // the window's last messages and its WM_QUIT
        RunEventStep();
        ResetWindowSeams();
    }

    // Opens the window for the record, lets its first activation pass, and starts the
    // records afresh; coreInitialized decides whether input is queued from then on.
    void OpenWindow(bool coreInitialized = true) {
        ASSERT_TRUE(QVI_CreateMainWindow());
        window_ = g_core.mainWindow;
        DrainMessages();
        g_core.coreInitialized = 1;
        RunEventStep();
        g_core.coreInitialized = coreInitialized ? 1 : 0;
        records = Records();
        quaven_test::LogCapture::Clear();
    }
    LRESULT Send(UINT message, WPARAM w, LPARAM l = 0) { return SendMessageA(window_, message, w, l); }
    void PostAndPump(UINT message, WPARAM wParam, LPARAM lParam = 0) {
        ASSERT_TRUE(PostMessageA(window_, message, wParam, lParam));
        QVI_PumpWindowMessages();
    }
    static void RunEventStep() { QVI_DispatchQueuedEvents(); }

    ProgramInterface program_ = {};
    HWND window_ = nullptr;

private:
    static int RecordingOnEvent(EngineEvent event) {
        ReceivedEvent received = {event, {}, {}};
        if (event.type == EVENT_NAMED) {
            const auto named = received.As<EventNamedPayload>();
            received.value1 = std::string(named.name ? named.name : "") + "|" + (named.value1 ? named.value1 : "");
            received.value2 = named.value2 ? named.value2 : "";
        }
        records.events.push_back(received);
        return event.type == EVENT_CLOSE_REQUEST ? records.closeAnswer : 0;
    }
    static void ResetWindowSeams() {
        QVI_SetInputActivationFunction(nullptr);
        QVI_SetWindowVideoModeSource(nullptr);
        QVI_SetWindowRendererSource(nullptr);
        QVI_SetHideCursor(false);
        QVI_SetMainWindowActive(false);
        for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) QV_SetKey(code, 0), QV_SetAxis(code, 0.0f);
    }
    static void DrainMessages() {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
    }
};

}  // namespace window_test
