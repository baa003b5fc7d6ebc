// Pre-initialisation: everything that needs no window, in its fixed order. The order is
// what later steps rely on: locks before the file system, the configuration before the
// user folders and the log, the log before the program library, the library before the
// single-instance check, and the renderer interface before the resolution choice.
#include "engine/startup/engine_lifecycle.h"

#include <cstdlib>
#include <cstring>

#include "console/console.h"
#include "core/engine_log.h"
#include "modules/extension_modules.h"
#include "graphics/bitmaps/image_loader_portable.h"
#include "graphics/graphics_frame.h"
#include "engine/api_table.h"
#include "engine/overlays.h"
#include "core/configuration.h"
#include "engine/config/configuration_reader.h"
#include "engine/config/packages.h"
#include "engine/config/variants.h"
#include "core/core_state.h"
#include "core/engine_time.h"
#include "core/events/event_queue.h"
#include "core/locks.h"
#include "core/logging/console.h"
#include "core/logging/early_messages.h"
#include "core/logging/logging.h"
#include "core/threads.h"
#include "engine/program/program_library.h"
#include "engine/startup/device_info.h"
#include "filesystem/backends.h"
#include "filesystem/paths.h"
#include "graphics/setup/screen_state.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "platform/startup_seams.h"
#include "platform/system.h"
#include "quaven/types.h"

namespace {

bool g_coreGlobalsReleaseRegistered = false;
// Held until the process ends: while it exists, later starts know this one runs.
OsNamedMutex* g_instanceMutex = nullptr;

// ---- The release of the global containers at process exit ------------------------------

// The configuration's texts and lists, the logging state, the popup lists and the file
// system's search-path and open-file lists. Nothing else runs at exit; the orderly end of
// the run is QVI_Shutdown.
void FreeCoreGlobals()
{
    QVI_ResetProgramConfiguration();
    QVI_FreeLoggingGlobals();
    QVI_FreeFileSystemGlobals();
}

void FreeCoreGlobalsAtExit()
{
    FreeCoreGlobals();
}

// Registers FreeCoreGlobals to run at process exit; later calls do nothing.
void RegisterCoreGlobalsRelease()
{
    if (g_coreGlobalsReleaseRegistered)
        return;
    g_coreGlobalsReleaseRegistered = true;
    atexit(FreeCoreGlobalsAtExit);
}

// ---- One running instance per program ---------------------------------------------------

// The running instance's window: a top-level window whose title equals the current
// record's title exactly.
bool IsProgramWindowTitle(const char* title, void*)
{
    const ProgramInterface* record = QVI_GetProgramRecord();
    return record && strncmp(title, record->title, sizeof record->title) == 0;
}

// The first instance holds a named mutex carrying the program's id; a later start that
// finds it, and finds a window titled like the program, brings that window to the front
// and ends with exit code 0 (after releasing the program library). The feature
// ALLOW_MULTIPLE_PROGRAM_INSTANCES skips the check.
void CheckSingleInstance(const ProgramInterface* record)
{
    g_core.multipleInstances = QVI_HasFeature("ALLOW_MULTIPLE_PROGRAM_INSTANCES") ? 1 : 0;
    QVI_Report(QV_LOG_SYSTEM, "Checking for multiple program instances...");
    if (g_core.multipleInstances || !record)
        return;

    // The record's id field always ends within its 32 bytes.
    char name[sizeof record->id + 1] = {};
    memcpy(name, record->id, sizeof record->id);
    if (QVI_OsNamedMutexExists(name)) {
        if (QVI_OsRaiseTopLevelWindow(IsProgramWindowTitle, nullptr)) {
            if (!QVI_IsProgramLibraryReleased())
                QVI_UnloadProgramLibrary();
            QVI_EndProcess(0);
        }
        // The other instance is still starting (no window yet): this one runs too.
    } else if (!g_instanceMutex) {
        g_instanceMutex = QVI_OsCreateNamedMutex(name);
    }
    QVI_Report(QV_LOG_SYSTEM, "No other instances running.");
}

// ---- The renderer interface -------------------------------------------------------------

// Attaches the Direct3D 11 renderer that the executable exports ("Using static RendImp.")
// and fills the API table again, so that the members that depend on the renderer match it.
// True when a renderer is attached (also when one already was).
bool AttachStaticRenderer()
{
    if (g_rendererSetup.renderer)
        return true;
    QVI_Report(QV_LOG_SYSTEM, "Using static RendImp.");
    RendererImplementation* renderer = QUAVEN_RendImp_GetInterface();
    if (!renderer)
        return false;
    QVI_AttachRenderer(renderer);
    QVI_FillAPI(qv);
    return true;
}

// ---- The steps of pre-initialisation ----------------------------------------------------

const char* WindowMode(uint8_t windowed)
{
    return windowed ? "windowed" : "fullscreen";
}

// The API table, the core state's defaults and the engine locks: everything later steps
// log, lock and read through.
void SetUpTableStateAndLocks()
{
    memset(qv, 0, sizeof *qv);
    memset(&g_rendererSetup.video, 0, sizeof g_rendererSetup.video);
    QVI_DetachRenderer();
    memset(&g_core, 0, sizeof g_core);
    QVI_FillAPI(qv);

    g_core.api = qv;
    g_core.screenState = &g_screenState;
    g_core.savedVideo = &g_rendererSetup.video;
    QVI_ResetProgramConfiguration();
    g_core.referenceCounting = 1;
    QVI_ResetGraphicsDefaults();
    g_rendererSetup.video.command_line = QVI_GetCommandLineCopy();
    QVI_ResetOrientationState();
    QVI_SetEngineStartTime();
    QVI_ResetAutoscaling();
    QVI_InstallWindowToProgramMapping();

    QVI_CreateEngineLocks();
    QVI_BeginKeepingEarlyMessages();
}

// Features that change the program's video parameters.
void ApplyVideoFeatures()
{
    ProgramInterface* settings = g_core.settings;
    if (QVI_HasFeature("MULTITOUCH") || QVI_HasFeature("MULTIMOUSE")) {
        settings->video.multitouch = 1;
        g_core.video.multitouch = 1;
    }
    if (QVI_HasFeature("AUTOSCALE"))
        g_autoscaleActive = 1;
    if (QVI_HasFeature("NO_SOUND")) {
        settings->video.no_sound = 1;
        g_core.video.no_sound = 1;
    }
}

// What the program should have told about itself (shown once logging has started; the
// folder names below have fallbacks for every one of them).
void WarnAboutMissingIdentity(const ProgramInterface* settings)
{
    if (!settings->title[0])
        qv->LogPopup(QV_LOG_WARNING, "Program doesn't have parm title set: set value prog->title");
    if (!settings->id[0])
        qv->LogPopup(QV_LOG_WARNING, "Program doesn't have parm id set: set value prog->id");
    if (!settings->version[0])
        qv->LogPopup(QV_LOG_WARNING, "Program doesn't have parm version: set value prog->version to e.g. \"1.0.0\"");
    if (!settings->developer_name[0])
        qv->LogPopup(QV_LOG_WARNING, "Program doesn't have parm developer: set value prog->developer_name");
}

// The console's toggle key and lock, and the logging state.
void SetUpConsole()
{
    g_console.toggleKey = static_cast<uint8_t>(g_config.consoleToggleKey & 0xFF);
    QVI_SetConsoleEventHandler(QVI_ConsoleHandleEvent);
    QVI_SetUpConsoleLogging();
}

// The renderer interface (usually attached already while the variant was read)
// and, for a "*" resolutions setting, the concrete list of the device's modes.
void AttachRenderer()
{
    if (!QVI_GetRenderer())
        AttachStaticRenderer();
    g_core.renderer = QVI_GetRenderer();
    if (g_core.renderer && g_config.supportedResolutions && g_config.supportedResolutions[0] == '*')
        QVI_BuildSupportedResolutions();
}

// Packages first, so that the extension modules can be loaded from them; the
// add-on packages leave the search paths again until the final package pass.
void AddPackagesForModules()
{
    QVI_AddPackages(g_config.packages.text, true);
    QVI_AddPackages(g_config.addonPackages.text, true);
    QVI_InitExtensionModules();
    QVI_RemovePackages(g_config.addonPackages);
}

// "auto" asks the platform; the language's data package joins the add-ons.
void ChooseLanguage(ProgramInterface* record)
{
    if (g_config.language && strcmp(g_config.language, "auto") == 0) {
        const char* answer = qv->PlatformCommand("GetLanguage", nullptr);
        if (answer) {
            QVI_ReplaceText(&g_config.language, answer);
            record->video.language = g_config.language;
        }
    }
    if (record->video.language && record->video.language[0])
        g_config.addonPackages.AppendFormat(",data-%s", record->video.language);
}

// The program may change its video parameters before the resolution is chosen.
void NegotiateVideo(ProgramInterface* record)
{
    g_rendererSetup.video = record->video;
    g_core.video = record->video;
    QVI_OfferVideoParameters(record);
    if (g_core.developerMode)
        record->video.windowed = 1;
}

// The program's own resolution with FREE_RESOLUTION when the device can show it,
// otherwise the best one of the configuration. Either way the choice is what the display
// is set up with: it becomes the selected resolution and the video state alike, so that the
// renderer, the window and the program's record agree.
void ChooseResolution(ProgramInterface* record)
{
    VideoParameters& video = record->video;
    bool chosen = false;
    if (video.width != 0 && video.height != 0 && QVI_HasFeature("FREE_RESOLUTION")) {
        qv->LogEx(QV_LOG_SYSTEM, "Checking if program selected resolution (%dx%d %s) is supported by device.",
                  video.width, video.height, WindowMode(video.windowed));
        if (QVI_IsResolutionSupported(video.width, video.height, video.windowed != 0)) {
            g_core.video = video;
            g_selectedResolution.width = video.width;
            g_selectedResolution.height = video.height;
            g_selectedResolution.windowed = video.windowed;
            chosen = true;
        } else {
            QVI_Report(QV_LOG_SYSTEM,
                       "Resolution is not supported, falling back to autoselected resolution for this run.");
        }
    }
    if (!chosen && QVI_SelectOptimalResolution(video.windowed != 0, g_config.forcedVariant != nullptr)) {
        g_core.video.width = g_selectedResolution.width;
        g_core.video.height = g_selectedResolution.height;
        g_core.video.windowed = g_selectedResolution.windowed;
    }
    g_rendererSetup.video = g_core.video;
    video.width = g_core.video.width;
    video.height = g_core.video.height;
    video.windowed = g_core.video.windowed;
}

// The final search paths, packages in front and res:// itself first of all.
void AddPackages()
{
    QVI_Report(QV_LOG_SYSTEM, "Adding packages...");
    QVI_AddPackages(g_config.packages.text, true);
    QVI_AddPackages(g_config.addonPackages.text, true);
    QVI_AddPackages(g_config.soundFxPackage.text, true);
    QVI_AddPackages(g_config.musicPackage.text, true);
    QVI_AddPackages(g_config.developerPackages.text, false);
    QVI_SelectGfxPackage();
    QVI_ApplyOrientationAndOverride();
    qv->fileSystem->AddSearchPath("res://", true);
}

// Debug features that start-up itself applies.
void ApplyDebugFeatures()
{
    if (QVI_HasFeature("PRINT_REFERENCE_COUNT_CHANGES"))
        g_core.traceReferenceCounts = 1;
    if (QVI_HasFeature("HIDE_CURSOR"))
        QVI_SetHideCursor(true);
    if (QVI_HasFeature("UNLIMITED_MEMORY")) {
        g_core.unlimitedMemory = 1;
        qv->Log("Virtually unlimited memory mode active.");
    }
}

}  // namespace

bool QVI_PreInitialize()
{
    QVI_InitializeThreading();
    RegisterCoreGlobalsRelease();
    SetUpTableStateAndLocks();
    QVI_GatherDeviceInfo();
    // Start-up ends before logging could start: what was kept goes nowhere.
    if (!QVI_InitFileSystem()) {
        QVI_DropEarlyMessages();
        return false;
    }

    g_core.settings = &g_config.defaultRecord;
    QVI_SetRendererAttachFunction(AttachStaticRenderer);
    if (!QVI_ReadProgramConfiguration()) {
        QVI_DropEarlyMessages();
        return false;
    }
    ApplyVideoFeatures();

    ProgramInterface* settings = g_core.settings;
    WarnAboutMissingIdentity(settings);
    QVI_SetUpUserFolders(settings->developer_name, settings->title);
    QVI_InitScreenState();
    SetUpConsole();
    QVI_StartLogging();

    if (!QVI_LoadProgramLibrary())
        return false;
    ProgramInterface* record = QVI_GetProgramRecord();
    QVI_AdoptProgramConfiguration(record);
    CheckSingleInstance(record);
    AttachRenderer();
    QVI_FitForcedResolution();

    AddPackagesForModules();
    ChooseLanguage(record);
    NegotiateVideo(record);
    ChooseResolution(record);
    AddPackages();
    ApplyDebugFeatures();

    QVI_Report(QV_LOG_SYSTEM, "Image loader initializing...");
    g_core.imageLoader = QVI_GetImageLoader();
    QVI_Report(QV_LOG_SYSTEM, "Core PreInitialized.");
    return true;
}
