// The program library and the record the engine drives it through: loading prog.dll and
// checking its interface, the placeholder record after a version mismatch, putting the
// configuration into the program's record, offering it its video parameters, and the
// command line and the immediate end of the process that loading relies on.
#include "engine/program/program_library.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "core/cstring_utils.h"
#include "platform/popups.h"
#include "platform/system.h"

static_assert(sizeof(EventVideoParametersPayload) == sizeof(EngineEvent::payload),
              "the video parameters payload fills the event's payload");
static_assert(offsetof(EventVideoParametersPayload, api) == 0 && offsetof(EventVideoParametersPayload, video) == 4,
              "the API table at event bytes 4-7, the video parameters at bytes 8-11");

namespace {

const char kLibraryName[] = "prog.dll";

const char kLibraryMissing[] =
    "Could not locate Program library file. Please download and install the application again.";
const char kInterfaceNotFound[] =
    "Program library file bad: Interface not found. Please download and install the application again.";
const char kProgramNotCreated[] =
    "Program library file bad: Program couldn't be created. Please download and install the application again.";
const char kIncompatibleInterface[] =
    "Program library uses incompatible QUAVEN interface (%.4d instead of %.4d). This program cannot run.\n\n"
    "Use <app>/tools/update-local-quaven-version.bat to update sources and then rebuild your binaries.";
// The mismatch message is formatted into a buffer of this size; longer text is cut.
const int kMismatchMessageBytes = 512;

// Written by the main thread at start-up and shutdown only.
char* g_commandLine = nullptr;

// Loading and unloading happen on the main thread before any other engine thread exists
// (and at shutdown after they have ended).
OsLibrary* g_library = nullptr;
ProgramInterface g_recordBuffer = {};
ProgramInterface* g_currentRecord = nullptr;
ProgramInterface g_placeholderRecord = {};
bool g_libraryReleased = false;

// ---- The placeholder program ---------------------------------------------------------

bool PlaceholderInit()
{
    return true;
}

void PlaceholderExit() {}

void PlaceholderUpdate(float) {}

// Leaves the overlay drawing state as the overlays expect it: opaque white, alpha
// blending, and a green screen that shows nothing is running.
void PlaceholderRender(float)
{
    const QuavenGraphicsAPI* graphics = qv ? qv->graphics : nullptr;
    if (!graphics)
        return;
    const float one = 1.0f;
    if (graphics->SetAlpha)
        graphics->SetAlpha(&one);
    if (graphics->SetColor)
        graphics->SetColor(&one, &one, &one);
    if (graphics->SetBlendMode)
        graphics->SetBlendMode(1);
    if (graphics->ClearColor)
        graphics->ClearColor(0.0f, 1.0f, 0.0f);
}

int PlaceholderOnEvent(EngineEvent)
{
    return 0;
}

// The stand-in record installed when the program library was built for another interface
// version and has been released: interface version 1406, windowed, developer mode, and
// callbacks that do nothing (Init answers true, Render resets the overlay drawing state,
// OnEvent answers 0). Everything else is zero.
void MakePlaceholderProgram(ProgramInterface* record)
{
    *record = ProgramInterface{};
    record->interface_version = QUAVEN_INTERFACE_VERSION;
    record->video.windowed = 1;
    record->video.developer_mode = 1;
    record->Init = PlaceholderInit;
    record->Exit = PlaceholderExit;
    record->Update = PlaceholderUpdate;
    record->Render = PlaceholderRender;
    record->OnEvent = PlaceholderOnEvent;
}

// ---- Loading ---------------------------------------------------------------------------

template <typename Function>
Function FindExport(const char* name)
{
    return reinterpret_cast<Function>(QVI_OsFindLibrarySymbol(g_library, name));
}

void ReleaseLibrary()
{
    if (g_library)
        QVI_OsFreeLibrary(g_library);
    g_library = nullptr;
}

// The program's record through the first export the library has; null when there is
// none or the program could not be created (the user has been told).
ProgramInterface* CreateProgram()
{
    memset(&g_recordBuffer, 0, sizeof g_recordBuffer);
    if (auto create = FindExport<QV_GetProgramInterfaceProc>("QV_GetProgramInterface")) {
        if (create(&g_recordBuffer, QUAVEN_INTERFACE_VERSION))
            return &g_recordBuffer;
        QVI_ShowPopup(QV_LOG_ERROR, kProgramNotCreated);
        return nullptr;
    }

    auto getInterface = FindExport<QV_GetInterfaceProc>("QV_GetInterface");
    if (!getInterface) {
        QVI_ShowPopup(QV_LOG_ERROR, kInterfaceNotFound);
        ReleaseLibrary();
        return nullptr;
    }
    ProgramInterface* record = getInterface();
    if (!record)
        QVI_ShowPopup(QV_LOG_ERROR, kProgramNotCreated);
    return record;
}

// A library built against another interface cannot be driven at all: its record may be
// laid out differently. The version has been read before the library (which may own the
// record) is released.
[[noreturn]] void EndWithIncompatibleInterface(int libraryVersion)
{
    QVI_UnloadProgramLibrary();
    MakePlaceholderProgram(&g_placeholderRecord);
    g_currentRecord = &g_placeholderRecord;
    g_libraryReleased = true;

    char message[kMismatchMessageBytes];
    snprintf(message, sizeof message, kIncompatibleInterface, libraryVersion, QUAVEN_INTERFACE_VERSION);
    QVI_Report(QV_LOG_SYSTEM, "%s", message);
    QVI_ShowPopup(QV_LOG_ERROR, message);
    g_placeholderRecord.video.developer_mode = 0;
    QVI_EndProcess(0);
}

} // namespace

void QVI_KeepCommandLine(const char* text)
{
    char* copy = QVI_StrDup(text);
    free(g_commandLine);
    g_commandLine = copy;
}

char* QVI_GetCommandLineCopy()
{
    return g_commandLine;
}

void QVI_FreeCommandLine()
{
    free(g_commandLine);
    g_commandLine = nullptr;
}

void QVI_EndProcess(int exitCode)
{
    if (PopupLogFlushHook flush = QVI_GetPopupLogFlushHook())
        flush();
    QVI_OsEndProcess(exitCode);
}

bool QVI_LoadProgramLibrary()
{
    QVI_Report(QV_LOG_SYSTEM, "Loading program implementation...");
    g_library = QVI_OsLoadLibrary(kLibraryName, nullptr);
    if (!g_library) {
        QVI_ShowPopup(QV_LOG_INFO, kLibraryMissing);
        QVI_EndProcess(1);
    }

    ProgramInterface* record = CreateProgram();
    g_currentRecord = record;
    QVI_Report(QV_LOG_SYSTEM, "Validating program implementation...");
    if (!record)
        return false;

    const int libraryVersion = record->interface_version;
    if (libraryVersion != QUAVEN_INTERFACE_VERSION)
        EndWithIncompatibleInterface(libraryVersion);

    record->qv = qv;
    record->video.command_line = QVI_GetCommandLineCopy();
    record->video.developer_mode = g_core.developerMode;
    QVI_Report(QV_LOG_SYSTEM, "Program implementation validation OK.");
    return true;
}

void QVI_UnloadProgramLibrary()
{
    QVI_Report(QV_LOG_SYSTEM, "Unloading ProgImp Library.");
    // The record may live in the library, and its callbacks always do: nothing may reach
    // them through the settings once the library is gone.
    if (g_currentRecord && g_core.settings == g_currentRecord)
        g_core.settings = &g_config.defaultRecord;
    ReleaseLibrary();
    g_currentRecord = nullptr;
}

ProgramInterface* QVI_GetProgramRecord()
{
    return g_currentRecord;
}

OsLibrary* QVI_GetProgramLibraryModule()
{
    return g_library;
}

bool QVI_IsProgramLibraryReleased()
{
    return g_libraryReleased;
}

void QVI_AdoptProgramConfiguration(ProgramInterface* record)
{
    if (!record)
        return;
    const ProgramInterface program = *record;
    ProgramInterface& defaults = g_config.defaultRecord;
    defaults.video.developer_mode = program.video.developer_mode;

    *record = defaults;
    record->interface_version = program.interface_version;
    record->Init = program.Init;
    record->Exit = program.Exit;
    record->Update = program.Update;
    record->Render = program.Render;
    record->OnEvent = program.OnEvent;

    g_core.settings = record;
    record->video.command_line = QVI_GetCommandLineCopy();
}

void QVI_OfferVideoParameters(ProgramInterface* record)
{
    if (qv && qv->Log)
        qv->Log("Checking parameters with the program before video init.");
    if (!record || !record->OnEvent)
        return;

    EventVideoParametersPayload payload = {};
    payload.api = qv;
    payload.video = &record->video;
    EngineEvent event = {};
    event.type = EVENT_VIDEO_PARAMETERS;
    memcpy(event.payload, &payload, sizeof payload);
    record->OnEvent(event);
}
