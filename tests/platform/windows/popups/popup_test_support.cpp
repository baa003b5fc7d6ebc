#include "platform/windows/popups/popup_test_support.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "core/engine_log.h"
#include "core/threads.h"
#include "platform/popup_seams.h"

namespace popup_test {

namespace {

std::mutex recordsLock;
std::vector<ThreadRequest> threadRequests;
bool refuseThreads = false;

uint32_t RecordingCreateThread(const char* name, QVThreadFunction function, void* argument, uint32_t flags) {
    {
        std::lock_guard<std::mutex> hold(recordsLock);
        threadRequests.push_back({name ? name : "(null)", flags});
        if (refuseThreads) return 0;
    }
    return QV_CreateThread(name, function, argument, flags);
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM context) {
    char className[16] = {};
    GetClassNameA(window, className, sizeof className);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (strcmp(className, "#32770") || !IsWindowVisible(window) || processId != GetCurrentProcessId()) return TRUE;
    *reinterpret_cast<HWND*>(context) = window;
    return FALSE;
}

}  // namespace

std::vector<LoggedLine> LoggedLines() {
    std::vector<LoggedLine> lines;
    for (LoggedLine& line : quaven_test::LogCapture::Lines())
        if (line.kind == LoggedLine::LogEx) lines.push_back(std::move(line));
    return lines;
}

std::vector<ThreadRequest> ThreadRequests() {
    std::lock_guard<std::mutex> hold(recordsLock);
    return threadRequests;
}

void RefuseThreads(bool refuse) {
    std::lock_guard<std::mutex> hold(recordsLock);
    refuseThreads = refuse;
}

void PopupTest::SetUp() {
    savedApi_ = *qv;
    savedCore_ = g_core;
    {
        std::lock_guard<std::mutex> hold(recordsLock);
        threadRequests.clear();
        refuseThreads = false;
    }
    *qv = QuavenAPI{};
    log_.emplace();
    qv->CreateThread = RecordingCreateThread;
    g_core.settings = nullptr;
    g_core.mainWindow = nullptr;
    g_core.coreInitialized = 0;
    g_core.developerMode = 0;
    g_core.logging = 0;
    g_core.loggingVerboseLevel = 0;
    QVI_SetNonBlockingPopupsFeature(false);
    QVI_SetPopupLogFlushHook(nullptr);
    QVI_InitializeThreading();  // this thread becomes engine thread 1
}

void PopupTest::TearDown() {
    // A popup thread still showing a box would outlive the fake table it calls through.
    EXPECT_TRUE(WaitForEngineThreadsToEnd(30000));
    QVI_SetNonBlockingPopupsFeature(false);
    QVI_SetPopupLogFlushHook(nullptr);
    log_.reset();
    *qv = savedApi_;
    g_core = savedCore_;
}

void PopupTest::UseProgramRecord(const char* title, bool windowed) {
    program_ = ProgramInterface{};
    snprintf(program_.title, sizeof program_.title, "%s", title);
    program_.video.windowed = windowed ? 1 : 0;
    g_core.settings = &program_;
}

HWND WaitForOwnDialog(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        HWND found = nullptr;
        EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&found));
        if (found) return found;
        if (GetTickCount() - start > timeoutMs) return nullptr;
        Sleep(10);
    }
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string DialogItemText(HWND dialog, int id) {
    std::string text(8192, '\0');
    const UINT length = GetDlgItemTextA(dialog, id, &text[0], static_cast<int>(text.size()));
    text.resize(length);
    return text;
}

void PressButton(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

bool WaitForEngineThreadsToEnd(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (QVI_GetRunningThreadCount() > 0) {
        if (GetTickCount() - start > timeoutMs) return false;
        Sleep(10);
    }
    return true;
}

DialogDriver::DialogDriver(std::function<void(HWND)> action, DWORD timeoutMs) {
    thread_ = std::thread([this, action, timeoutMs] {
        HWND dialog = WaitForOwnDialog(timeoutMs);
        found_ = dialog != nullptr;
        action(dialog);
    });
}

DialogDriver::~DialogDriver() {
    if (thread_.joinable()) thread_.join();
}

bool DialogDriver::Finish() {
    if (thread_.joinable()) thread_.join();
    return found_;
}

}  // namespace popup_test
