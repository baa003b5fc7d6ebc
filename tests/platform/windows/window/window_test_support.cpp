#include "platform/windows/window/window_test_support.h"

#include "core/engine_log.h"
#include "engine/api_table.h"
#include "core/events/event_queue.h"
#include "core/events/key_state.h"
#include "core/locks.h"
#include "core/threads.h"
#include "platform/windows/desktop/desktop_services.h"
#include "platform/windows/window/main_window.h"
#include "platform/window_seams.h"

namespace window_test {

Records records;

namespace {

int RecordingOnEvent(EngineEvent event) {
    ReceivedEvent received = {event, {}, {}};
    if (event.type == EVENT_NAMED) {
        const auto named = received.As<EventNamedPayload>();
        received.value1 = std::string(named.name ? named.name : "") + "|" + (named.value1 ? named.value1 : "");
        received.value2 = named.value2 ? named.value2 : "";
    }
    records.events.push_back(received);
    return event.type == EVENT_CLOSE_REQUEST ? records.closeAnswer : 0;
}

bool RecordingReinitialize(VideoParameters parameters) {
    records.reinitializeRequests.push_back(parameters);
    return true;
}

void RecordingInputActivation(bool active) { records.inputActivations.push_back(active); }

void ClearKeys() {
    for (uint32_t code = 0; code < QV_KEY_CODE_COUNT; ++code) {
        QV_SetKey(code, 0);
        QV_SetAxis(code, 0.0f);
    }
}

void DrainMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

}  // namespace

void MainWindowTest::SetUp() {
    savedApi_ = *qv;
    savedCore_ = g_core;
    g_core.video = VideoParameters{};
    QVI_InitializeThreading();
    QVI_FillAPI(qv);
    log_ = std::make_unique<quaven_test::LogCapture>(qv);
    qv->ReinitializeWithParameters = RecordingReinitialize;
    qv->SetMouseCursor = QV_SetMouseCursor;
    if (!g_core.locks[MUTEX_RESOURCE_QUEUE]) QVI_CreateEngineLocks();
    g_core.api = qv;
    g_core.quit = g_core.coreInitialized = g_core.developerMode = 0;
    g_core.mainWindow = nullptr;

    records = Records();
    QVI_SetInputActivationFunction(RecordingInputActivation);
    QVI_SetWindowVideoModeSource(nullptr);
    QVI_SetWindowRendererSource(nullptr);
    QVI_SetHideCursor(false);
    ClearKeys();

    program_.interface_version = QUAVEN_INTERFACE_VERSION;
    strcpy(program_.title, "Window Test");
    program_.video.width = 640;
    program_.video.height = 480;
    program_.video.windowed = 1;
    program_.OnEvent = RecordingOnEvent;
    g_core.settings = &program_;
}

void MainWindowTest::TearDown() {
    QVI_DestroyMainWindow();
    DrainMessages();  // the window's last messages and its WM_QUIT
    RunEventStep();
    QVI_SetInputActivationFunction(nullptr);
    QVI_SetWindowVideoModeSource(nullptr);
    QVI_SetWindowRendererSource(nullptr);
    QVI_SetHideCursor(false);
    QVI_SetMainWindowActive(false);
    ClearKeys();
    log_.reset();
    // The engine locks stay for the rest of the process.
    CoreState restored = savedCore_;
    memcpy(restored.locks, g_core.locks, sizeof restored.locks);
    g_core = restored;
    *qv = savedApi_;
}

void MainWindowTest::OpenWindow(bool coreInitialized) {
    ASSERT_TRUE(QVI_CreateMainWindow());
    window_ = g_core.mainWindow;
    DrainMessages();
    g_core.coreInitialized = 1;
    RunEventStep();
    g_core.coreInitialized = coreInitialized ? 1 : 0;
    records = Records();
    quaven_test::LogCapture::Clear();
}

LRESULT MainWindowTest::Send(UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(window_, message, wParam, lParam);
}

void MainWindowTest::PostAndPump(UINT message, WPARAM wParam, LPARAM lParam) {
    ASSERT_TRUE(PostMessageA(window_, message, wParam, lParam));
    QVI_PumpWindowMessages();
}

void MainWindowTest::RunEventStep() { QVI_DispatchQueuedEvents(); }

std::vector<ReceivedEvent> MainWindowTest::ProgramEvents(uint32_t type) const {
    std::vector<ReceivedEvent> events;
    for (const ReceivedEvent& received : records.events)
        if (received.event.type == type) events.push_back(received);
    return events;
}

}  // namespace window_test
