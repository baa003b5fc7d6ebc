#pragma once

#include <windows.h>

#include "quaven/api.h"
#include "quaven/program.h"

// The engine-wide state record, zeroed at the start of pre-initialisation. The renderer,
// input and sound implementations receive its address: they read the API table from the
// first member and the main window from the last, so those two stay where they are.
// Members are added here as the subsystems that own them arrive.
struct CoreState {
    QuavenAPI* api;
    // The program record whose values are in force: the engine's default record until the
    // program library is loaded, the program's own record afterwards.
    ProgramInterface* settings;
    void* screenState;   // typed when video-mode selection arrives
    void* imageLoader;   // typed when image loading arrives
    uint8_t programInitRan;

    // Set once core initialisation has finished: window input is queued from then on,
    // and popups may go to the non-blocking "Popup" thread.
    uint8_t coreInitialized;
    uint8_t quit;

    // Configuration (prog.xml / developer.xml) that the core services read.
    uint8_t developerMode;
    uint8_t logging;
    uint8_t console;
    int32_t loggingVerboseLevel;

    // The 13 engine locks, indexed by MutexId.
    Mutex* locks[13];

    HWND mainWindow;
};

extern CoreState g_core;
