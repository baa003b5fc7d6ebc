#pragma once

struct HWND__;  // the OS window handle, opaque here

#include "quaven/api.h"
#include "quaven/program.h"

class RendererImplementation;
class SoundImplementation;
class ImageLoaderImp;

// The engine-wide state record, zeroed at the start of pre-initialisation. The renderer,
// input and sound implementations receive its address: they read the API table from the
// first member and the main window from the last, so those two stay where they are.
// Members are added here as the subsystems that own them arrive. The thread list, its lock
// and the per-thread state live outside: they exist before the record is zeroed.
struct CoreState {
    QuavenAPI* api;
    // The program record whose values are in force: the engine's default record until the
    // program library is loaded, the program's own record afterwards.
    ProgramInterface* settings;
    void* screenState;   // the ScreenState of the graphics set-up
    ImageLoaderImp* imageLoader;  // the engine-wide image loader (graphics)
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

    // The video state in use: the parameters negotiated with the program and chosen for the
    // display at start-up, and those a re-initialisation asks for until it is applied.
    VideoParameters video;
    // The parameters the display and the sound device were last set up with (the graphics
    // set-up keeps them); their no_sound governs the sound members.
    const VideoParameters* savedVideo;

    // The renderer attached at start-up (the graphics set-up keeps the original), and the
    // flag that marks a call into it in progress.
    RendererImplementation* renderer;
    uint8_t rendererCallInProgress;

    // The sound implementation in use (the null implementation once sound is off or gone).
    // Set only through the sound module's QVI_UseSoundImplementation, which also decides
    // whether the module plays through it.
    SoundImplementation* sound;

    // Feature ALLOW_MULTIPLE_PROGRAM_INSTANCES: the single-instance check is skipped.
    uint8_t multipleInstances;

    // Debug features read at start-up.
    uint8_t referenceCounting;            // off with DISABLE_REFERENCE_COUNTING
    uint8_t traceReferenceCounts;         // PRINT_REFERENCE_COUNT_CHANGES
    uint8_t unlimitedMemory;              // UNLIMITED_MEMORY
    uint8_t showFps;                      // SHOW_FPS
    uint8_t renderStereo;                 // RENDER_STEREO: two eye passes per frame
    uint8_t drawTimeDeltaTest;            // DEBUG_DRAW_TIME_DELTA_TEST
    uint8_t drawBlackScreenInsteadOfProgram;  // DEBUG_DRAW_BLACK_SCREEN_INSTEAD_OF_PROGRAM

    // Frame state: the clock at the end of the previous frame's wait (0 before the first),
    // the eye being drawn (0 mono, 1 left, 2 right), the program's rotation in degrees and
    // the offsets that keep a zoomed overlay centred.
    uint32_t lastFrameTime;
    int32_t eye;
    int32_t rotationDegrees;
    int32_t frameOffsetX;
    int32_t frameOffsetY;

    HWND__* mainWindow;
};

extern CoreState g_core;
