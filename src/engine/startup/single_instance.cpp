#include "platform/windows/win32.h"

#include "engine/startup/single_instance.h"

#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/program/end_process.h"
#include "engine/program/program_library.h"

namespace {

// Window titles are read up to this many characters.
const int kTitleBytes = 512;

bool g_windowFound = false;
// Held until the process ends: while it exists, later starts know this one runs.
HANDLE g_instanceMutex = nullptr;

void LogSystem(const char* text)
{
    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "%s", text);
}

}  // namespace

BOOL CALLBACK QVI_FindProgramWindow(HWND window, LPARAM unused)
{
    char title[kTitleBytes] = {};
    GetWindowTextA(window, title, sizeof title);
    const ProgramInterface* record = QVI_GetProgramRecord();
    if (!record || strncmp(title, record->title, sizeof record->title) != 0)
        return TRUE;
    SetForegroundWindow(window);
    ShowWindow(window, SW_RESTORE);
    g_windowFound = true;
    return FALSE;
}

bool QVI_WasProgramWindowFound()
{
    return g_windowFound;
}

void QVI_CheckSingleInstance(const ProgramInterface* record)
{
    g_core.multipleInstances = QVI_HasFeature("ALLOW_MULTIPLE_PROGRAM_INSTANCES") ? 1 : 0;
    LogSystem("Checking for multiple program instances...");
    if (g_core.multipleInstances || !record)
        return;

    // The record's id field always ends within its 32 bytes.
    char name[sizeof record->id + 1] = {};
    memcpy(name, record->id, sizeof record->id);
    HANDLE existing = OpenMutexA(MUTEX_ALL_ACCESS, FALSE, name);
    if (existing) {
        CloseHandle(existing);
        g_windowFound = false;
        EnumWindows(QVI_FindProgramWindow, 0);
        if (g_windowFound) {
            if (!QVI_IsProgramLibraryReleased())
                QVI_UnloadProgramLibrary();
            QVI_EndProcess(0);
        }
        // The other instance is still starting (no window yet): this one runs too.
    } else if (!g_instanceMutex) {
        g_instanceMutex = CreateMutexA(nullptr, FALSE, name);
    }
    LogSystem("No other instances running.");
}
