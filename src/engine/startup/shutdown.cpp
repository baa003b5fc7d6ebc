// The orderly end of a run, on the main thread once the frame loop has ended. Nothing here
// can fail visibly: what is missing (a window, a library, logging) skips its step.

#include "engine/startup/engine_lifecycle.h"

#include "core/engine_log.h"
#include "modules/extension_modules.h"
#include "input/input.h"
#include "sound/sound_api.h"
#include "core/core_state.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/logging.h"
#include "engine/program/program_library.h"
#include "core/threads.h"
#include "filesystem/backends.h"
#include "filesystem/mount_system.h"
#include "filesystem/open_files.h"
#include "graphics/setup/renderer_setup.h"
#include "platform/windows/window/main_window.h"
#include "sound/interface/sound_implementation.h"
#include "sound/sound_implementation_null.h"

namespace {

// Program threads get up to 60 x 200 ms (12 seconds) to end after shutdown was signalled.
const int kThreadWaits = 60;
const uint32_t kThreadWaitMs = 200;

// Signals shutdown and gives program threads their time to end; answers whether some are
// still running after the wait.
bool WaitForProgramThreads()
{
    QVI_Report(QV_LOG_SYSTEM, "QUAVEN Shutdown.");
    qv->RequestShutdown();
    qv->LogEx(QV_LOG_SYSTEM, "Waiting for threads to exit... (%d threads)", QVI_GetRunningThreadCount());
    const int left = QVI_WaitForProgramThreads(kThreadWaits, kThreadWaitMs);
    if (left <= 0)
        return false;
    qv->LogEx(QV_LOG_WARNING, "Time out: %d threads left running!", left);
    QVI_LogThreadsAlive(QV_LOG_INFO);
    return true;
}

void CallProgramExit()
{
    ProgramInterface* record = QVI_GetProgramRecord();
    if (g_core.programInitRan && record && record->Exit)
        record->Exit();
    g_core.programInitRan = 0;
}

void ReleaseDevices()
{
    qv->Log("Releasing Sound Implementation.");
    if (g_core.sound)
        g_core.sound->Shutdown();
    // Late sound calls land on the implementation that does nothing.
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());

    g_core.rendererCallInProgress = 1;
    QVI_ShutdownRenderer();
    QVI_DetachRenderer();
    g_core.renderer = nullptr;

    // Logs "Destroying window..." and forgets the handle before the window goes.
    QVI_DestroyMainWindow();

    QVI_ShutdownExtensionModules();
    QVI_ClearInputImplementations();
}

void WriteSummary()
{
    qv->Log("Shutdown successful. Closing console and logging.");
    if (!QVI_IsLoggingStarted())
        return;
    QVI_LogShutdownSummary();
    QVI_ReportOpenFiles();
}

// Logging, the file system's back ends and every lock go: nothing logs, locks or calls the
// API table after this.
void ReleaseEngineServices()
{
    QVI_StopLogging();
    QVI_DeleteFileSystemBackends();
    QVI_DeleteEngineLocks();
    QVI_DeleteUserMutexes();
    QVI_DeleteThreadListLock();
    QVI_FreeCommandLine();
}

}  // namespace

void QVI_Shutdown()
{
    if (!g_core.api)
        return;

    const bool threadsStillRunning = WaitForProgramThreads();
    CallProgramExit();
    // Unmount is the game's commit: what it never unmounted (its Exit included) is dropped,
    // but a save it unmounted and that could not be written then is written now.
    QVI_WriteCommittedSaveFiles();
    qv->Log("Performance optimization: skipping releasing resources on exit.");
    ReleaseDevices();

    // A program thread that outlived the wait may still run code of the program library and
    // take the locks: both stay, and the process ends once the log is complete.
    if (!threadsStillRunning && !QVI_IsProgramLibraryReleased())
        QVI_UnloadProgramLibrary();
    WriteSummary();
    if (threadsStillRunning)
        QVI_EndProcess(0);

    ReleaseEngineServices();
}
