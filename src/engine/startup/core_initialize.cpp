// Core initialisation: the window and the devices, once pre-initialisation has the
// configuration, the program and the display resolution. Only the window and the renderer
// can end the run; input, sound and the global font fall back to doing without.

#include "engine/startup/engine_lifecycle.h"

#include <cstdio>

#include "core/engine_log.h"
#include "text/text_api.h"
#include "graphics/graphics_frame.h"
#include "input/input.h"
#include "sound/sound_api.h"
#include "core/configuration.h"
#include "engine/config/configuration_reader.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "core/logging/console.h"
#include "engine/program/program_library.h"
#include "data/datamanager/database.h"
#include "data/datamanager/data_manager.h"
#include "graphics/setup/screen_state.h"
#include "graphics/setup/renderer_setup.h"
#include "graphics/setup/resolution_selection.h"
#include "platform/popups.h"
#include "platform/window_seams.h"
#include "platform/windows/window/main_window.h"
#include "sound/interface/sound_implementation.h"
#include "sound/sound_implementation_null.h"

namespace {

// The byte order the engine reports (little-endian).
const int kEndianness = 1234;
// Input libraries named by the configuration that are listed as ignored.
const int kMaxInputLibraryNames = 8;
const int kInputNameBytes = 256;

const char kWindowFailed[] = "Unable to create window. Please try rebooting your system.";
const char kRendererFailedLog[] =
    "Unable to initialize the renderer. Tried all listed renderers but was unable to initialize any.";
const char kRendererFailedPopup[] =
    "Unable to initialize the graphics (%dx%d %s). Please try restarting the application.\nIf that doesn't help, "
    "consider updating your display adapter driver software.\nFor more information on how to do this, please see "
    "your hardware \nmanufacturer's support page.";

// Full screen needs at least this size (the renderer's own rule).
const int kMinimumFullscreenWidth = 640;
const int kMinimumFullscreenHeight = 480;

// ---- What the main window is made for ------------------------------------------------

// The resolution start-up selected for the display (in a window whenever the renderer will
// use one: asked for, smaller than 640 x 480, or a forced variant) on the desktop of the
// screen state.
WindowVideoMode SelectedVideoMode()
{
    WindowVideoMode mode = {};
    mode.clientWidth = g_selectedResolution.width;
    mode.clientHeight = g_selectedResolution.height;
    bool windowed = g_selectedResolution.windowed != 0;
    if (!QVI_IsPositiveSize(mode.clientWidth, mode.clientHeight) && g_core.settings) {
        // Nothing was selected: the program's own size.
        mode.clientWidth = g_core.settings->video.width;
        mode.clientHeight = g_core.settings->video.height;
        windowed = g_core.settings->video.windowed != 0;
    }
    const bool tooSmall = mode.clientWidth < kMinimumFullscreenWidth || mode.clientHeight < kMinimumFullscreenHeight;
    mode.windowed = windowed || tooSmall || g_config.forcedVariant;
    mode.desktopWidth = g_screenState.desktopWidth;
    mode.desktopHeight = g_screenState.desktopHeight;
    return mode;
}

// Installed before the window is created; the attached renderer hears about activation
// changes.
void InstallStartupWindowSources()
{
    QVI_SetWindowVideoModeSource(SelectedVideoMode);
    QVI_SetWindowRendererSource(QVI_GetRenderer);
}

// A start-up failure that ends the run reaches the person who started it: through LogPopup
// when logging runs (before the program's Init that shows a dialog at once), and straight
// through the platform's popup when logging has not started or filters errors out.
void ShowStartupFailure(const char* text)
{
    if (!text)
        return;
    const bool logPopupShows = QVI_IsLoggingStarted() && g_core.loggingVerboseLevel <= QV_LOG_ERROR &&
                               !g_core.programInitRan && qv->LogPopup;
    if (logPopupShows)
        qv->LogPopup(QV_LOG_ERROR, "%s", text);
    else
        QVI_ShowPopup(QV_LOG_ERROR, text);
}

// ---- The devices -------------------------------------------------------------------------

bool InitializeRenderer()
{
    g_core.rendererCallInProgress = 1;
    const bool initialized = QVI_InitRenderer();
    g_core.rendererCallInProgress = 0;
    if (initialized)
        return true;

    qv->LogEx(QV_LOG_ERROR, "%s", kRendererFailedLog);
    // The size and mode the game and the display were set up for, as the person chose or
    // forced them: the renderer's copy may hold a window forced for a small size instead.
    const VideoParameters& tried = g_core.video;
    char message[sizeof kRendererFailedPopup + 64];
    snprintf(message, sizeof message, kRendererFailedPopup, tried.width, tried.height,
             tried.windowed ? "windowed" : "fullscreen");
    QVI_ShowPopup(QV_LOG_ERROR, message);
    QVI_DestroyMainWindow();
    return false;
}

void SetUpInput()
{
    QVI_Report(QV_LOG_SYSTEM, "Using static XInput InputImp.");
    QVI_AddStaticInputImplementations();
    char name[kInputNameBytes];
    for (int i = 0; i < kMaxInputLibraryNames; ++i) {
        if (!QVI_CopyToken(name, sizeof name, g_config.inputImplementations, ",", i))
            break;
        if (name[0])
            qv->LogEx(QV_LOG_SYSTEM, "In static build mode. Ignoring InputImp Library: '%s'", name);
    }
    QVI_InitInputImplementations(&g_core);
}

void SetUpSound(ProgramInterface* record)
{
    if (record->video.no_sound) {
        QVI_Report(QV_LOG_SYSTEM, "Sounds disabled. Null Sound Implementation in use.");
        // The pool still counts the game's references; its new records stay unloaded.
        QVI_UseSoundImplementation(SoundImplementationNull::GetInstance(), true);
        return;
    }
    QVI_StartSoundDevice();
}

void ApplyDebugFeatures()
{
    g_core.referenceCounting = QVI_HasFeature("DISABLE_REFERENCE_COUNTING") ? 0 : 1;
    g_core.showFps = QVI_HasFeature("SHOW_FPS") ? 1 : 0;
    g_core.renderStereo = QVI_HasFeature("RENDER_STEREO") ? 1 : 0;
    g_core.drawTimeDeltaTest = QVI_HasFeature("DEBUG_DRAW_TIME_DELTA_TEST") ? 1 : 0;
    g_core.drawBlackScreenInsteadOfProgram = QVI_HasFeature("DEBUG_DRAW_BLACK_SCREEN_INSTEAD_OF_PROGRAM") ? 1 : 0;
}

// In developer mode prog.xml is read as a database and checked for ids used twice.
void CheckProgramXml()
{
    if (!g_core.developerMode)
        return;
    Database* programXml = DataManager::GetDatabase(kProgramXmlPath);
    if (!programXml)
        return;
    for (int32_t i = 0; i < programXml->arrays.count; ++i)
        QVI_CheckDuplicateIds(programXml->arrays.data[i]);
}

}  // namespace

void QVI_StartSoundDevice()
{
    qv->LogEx(QV_LOG_SYSTEM, "Loading Sound Implementation...");
    SoundImplementation* sound = QVI_GetStaticSoundImplementation();
    if (sound) {
        QVI_UseSoundImplementation(sound);
        if (sound->Initialize(&g_core, &g_rendererSetup.video)) {
            qv->LogEx(QV_LOG_SYSTEM, "SoundImplementation initialized.");
            sound->SetMasterVolume(QVI_GetSoundMasterVolume());
            return;
        }
    }
    qv->LogEx(QV_LOG_WARNING, "No Sound Implementation available.");
    QVI_UseSoundImplementation(SoundImplementationNull::GetInstance());
}

bool QVI_InitializeCore()
{
    ProgramInterface* record = QVI_GetProgramRecord();
    if (!record)
        return false;

    qv->LogEx(QV_LOG_SYSTEM, "Endianness: %d.", kEndianness);
    QVI_SetupAutoscaling();
    QVI_ResetRenderTargetStack();

    InstallStartupWindowSources();
    if (!QVI_CreateMainWindow()) {
        ShowStartupFailure(kWindowFailed);
        return false;
    }
    if (!InitializeRenderer())
        return false;

    SetUpInput();
    SetUpSound(record);
    record->video.developer_mode = g_core.developerMode;
    record->video.language = g_config.language;

    ApplyDebugFeatures();
    g_core.coreInitialized = 1;

    QVI_InitializeGlobalFont();
    CheckProgramXml();
    return true;
}
