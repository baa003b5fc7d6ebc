// The program's entry: prepares the process, hands over to the engine's start-up, runs the
// message loop and shuts down. Exit codes: 0 after a normal run or a failed
// pre-initialisation, 1 after a failed core initialisation (-1 comes from a Cancel in an
// engine message box, which ends the process where it is pressed).
#include "platform/windows/win32.h"
#include <mmsystem.h>

#include "core/engine_log.h"
#include "engine/program/program_library.h"
#include "engine/startup/engine_lifecycle.h"
#include "platform/windows/desktop/desktop_services.h"
#include "platform/windows/d3d11/rendimp_direct3d11.h"
#include "platform/popups.h"
#include "platform/windows/window/main_window.h"

// The executable exports the renderer and the hybrid-graphics hints, but they are defined
// in the engine library: naming them here makes the linker take them into the executable
// even though nothing in this file calls them.
__attribute__((used)) const void* const kExecutableExports[] = {
    reinterpret_cast<const void*>(&QUAVEN_RendImp_GetInterface),
    &NvOptimusEnablement,
    &AmdPowerXpressRequestHighPerformance,
};

namespace {

const char kPreInitializeFailedMessage[] =
    "Failed to initialize the application. You can try the following: 1) Reboot your system, 2) Update your drivers, "
    "3) Restart the application.\n\nSee generated log for details.";
const char kCoreInitializeFailedMessage[] = "Core initialization failed.";
const char kCoreInitializeFailedCaption[] = "QUAVEN";

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int)
{
    // The frame pacing and the idle sleep rely on 1 ms sleeps for the whole run.
    timeBeginPeriod(1);
    QVI_SetPlatformInstance(nullptr);
    // Kept for the whole run; the program finds it in its record.
    QVI_KeepCommandLine(commandLine ? commandLine : "");

    if (!QVI_PreInitialize()) {
        QVI_ShowPopup(QV_LOG_ERROR, kPreInitializeFailedMessage);
        return 0;
    }
    if (qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "WIN32_WINNT defined to %x.", _WIN32_WINNT);
    QVI_SetPlatformInstance(instance);

    if (!QVI_InitializeCore()) {
        // Core initialisation has said what failed; this says that the run is over. No
        // shutdown: the program's Exit must not run for an Init that never did.
        MessageBoxA(nullptr, kCoreInitializeFailedMessage, kCoreInitializeFailedCaption, MB_OK | MB_ICONEXCLAMATION);
        return 1;
    }
    QVI_SetPlatformInstance(instance);
    QVI_InitCursors();

    QVI_RunMessageLoop(QVI_RunFrame);
    QVI_Shutdown();
    return 0;
}
