#include "platform/windows/win32.h"

#include "engine/program/program_library.h"

#include <cstdio>
#include <cstring>

#include "core/engine_log.h"
#include "core/configuration.h"
#include "core/core_state.h"
#include "engine/program/command_line.h"
#include "engine/program/end_process.h"
#include "engine/program/placeholder_program.h"
#include "platform/popups.h"

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

// Loading and unloading happen on the main thread before any other engine thread exists
// (and at shutdown after they have ended).
HMODULE g_library = nullptr;
ProgramInterface g_recordBuffer = {};
ProgramInterface* g_currentRecord = nullptr;
ProgramInterface g_placeholderRecord = {};
bool g_libraryReleased = false;

void LogSystem(const char* text)
{
    if (qv && qv->LogEx)
        qv->LogEx(QV_LOG_SYSTEM, "%s", text);
}

template <typename Function>
Function FindExport(const char* name)
{
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(g_library, name)));
}

void ReleaseLibrary()
{
    if (g_library)
        FreeLibrary(g_library);
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
    QVI_MakePlaceholderProgram(&g_placeholderRecord);
    g_currentRecord = &g_placeholderRecord;
    g_libraryReleased = true;

    char message[kMismatchMessageBytes];
    snprintf(message, sizeof message, kIncompatibleInterface, libraryVersion, QUAVEN_INTERFACE_VERSION);
    LogSystem(message);
    QVI_ShowPopup(QV_LOG_ERROR, message);
    g_placeholderRecord.video.developer_mode = 0;
    QVI_EndProcess(0);
}

} // namespace

bool QVI_LoadProgramLibrary()
{
    LogSystem("Loading program implementation...");
    g_library = LoadLibraryA(kLibraryName);
    if (!g_library) {
        QVI_ShowPopup(QV_LOG_INFO, kLibraryMissing);
        QVI_EndProcess(1);
    }

    ProgramInterface* record = CreateProgram();
    g_currentRecord = record;
    LogSystem("Validating program implementation...");
    if (!record)
        return false;

    const int libraryVersion = record->interface_version;
    if (libraryVersion != QUAVEN_INTERFACE_VERSION)
        EndWithIncompatibleInterface(libraryVersion);

    record->qv = qv;
    record->video.command_line = QVI_GetCommandLineCopy();
    record->video.developer_mode = g_core.developerMode;
    LogSystem("Program implementation validation OK.");
    return true;
}

void QVI_UnloadProgramLibrary()
{
    LogSystem("Unloading ProgImp Library.");
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

HMODULE QVI_GetProgramLibraryModule()
{
    return g_library;
}

bool QVI_IsProgramLibraryReleased()
{
    return g_libraryReleased;
}
