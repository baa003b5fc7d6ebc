/*
 * Quaven public interface: the program record and the exports of prog.dll.
 *
 * A game is a library, prog.dll, that exports QV_GetProgramInterface (or the
 * older QV_GetInterface) and fills in one ProgramInterface: the interface
 * version, its identity, and its five callbacks. The engine then writes its own
 * configuration (from prog.xml and developer.xml) over everything but the
 * version and the callbacks, stores the API table's address in qv, and drives
 * the game through the callbacks, always on the main thread.
 *
 *     static bool Init(void) { ... return true; }
 *     ...
 *     QUAVEN_PROGRAM_EXPORT bool QV_GetProgramInterface(ProgramInterface* record, int interfaceVersion)
 *     {
 *         record->interface_version = QUAVEN_INTERFACE_VERSION;
 *         record->Init = Init; record->Exit = Exit; record->Update = Update;
 *         record->Render = Render; record->OnEvent = OnEvent;
 *         return true;
 *     }
 */
#ifndef QUAVEN_PROGRAM_H
#define QUAVEN_PROGRAM_H

#include "quaven/events.h"
#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* The display and run settings negotiated between engine and game. The engine
 * fills them from its configuration; the game may change them in place when it
 * receives EVENT_VIDEO_PARAMETERS, and later asks for a new display mode with
 * the API member ReinitializeWithParameters. */
struct VideoParameters {
    int32_t width;          /* screen or window width in pixels */
    int32_t height;         /* height in pixels */
    uint8_t windowed;       /* 1 windowed, 0 fullscreen */
    uint8_t no_sound;       /* 1: sound is off and every sound member does nothing;
                             * turned on through ReinitializeWithParameters sound comes
                             * back, turned off it keeps running */
    uint8_t multitouch;     /* 1 with the feature MULTITOUCH or MULTIMOUSE */
    uint8_t padding11;
    int32_t frame_time_ms;  /* frame period for pacing; 0 runs unpaced */
    uint8_t console_open;   /* 1 while the developer console is shown */
    uint8_t developer_mode; /* the configuration's developer_mode */
    uint8_t padding18[2];
    char* command_line;     /* the process command line; owned by the engine */
    char* language;         /* the chosen language code; owned by the engine */
    uint8_t quit;           /* set to 1 by the API member RequestShutdown */
    uint8_t padding29[3];
    int32_t reference_width;  /* the game's design resolution */
    int32_t reference_height;
    uint32_t reserved[16];  /* zero; not for use */
};

QUAVEN_ASSERT_SIZE(VideoParameters, 104);

/* The record a game hands the engine. 372 bytes. */
struct ProgramInterface {
    int32_t interface_version; /* must be QUAVEN_INTERFACE_VERSION */
    char id[32];               /* program id (replaced by prog.xml "program_id") */
    char title[128];           /* title (replaced by prog.xml "name") */
    char version[16];          /* version text (replaced by prog.xml "version") */
    char developer_name[64];   /* developer (replaced by prog.xml "developer") */
    QuavenAPI* qv;             /* the engine's API table; written by the engine */
    VideoParameters video;     /* written by the engine; see VideoParameters */

    /* Called once, on the first frame. A false answer is reported; the run goes on. */
    bool (*Init)(void);
    /* Called at shutdown when Init ran. May be null. */
    void (*Exit)(void);
    /* Called once per frame with the frame's time in seconds. */
    void (*Update)(float seconds);
    /* Called once per frame (once per eye in stereo) after Update. */
    void (*Render)(float seconds);
    /* Called for every event, by value. May be null. The answer matters only for
     * EVENT_CLOSE_REQUEST (see QV_EVENT_KEEP_WINDOW_OPEN). */
    int (*OnEvent)(EngineEvent event);
};

QUAVEN_ASSERT_SIZE(ProgramInterface, 372);
QUAVEN_ASSERT_OFFSET(ProgramInterface, interface_version, 0);
QUAVEN_ASSERT_OFFSET(ProgramInterface, id, 4);
QUAVEN_ASSERT_OFFSET(ProgramInterface, title, 36);
QUAVEN_ASSERT_OFFSET(ProgramInterface, version, 164);
QUAVEN_ASSERT_OFFSET(ProgramInterface, developer_name, 180);
QUAVEN_ASSERT_OFFSET(ProgramInterface, qv, 244);
QUAVEN_ASSERT_OFFSET(ProgramInterface, video, 248);
QUAVEN_ASSERT_OFFSET(ProgramInterface, Init, 352);
QUAVEN_ASSERT_OFFSET(ProgramInterface, Exit, 356);
QUAVEN_ASSERT_OFFSET(ProgramInterface, Update, 360);
QUAVEN_ASSERT_OFFSET(ProgramInterface, Render, 364);
QUAVEN_ASSERT_OFFSET(ProgramInterface, OnEvent, 368);

/* Offsets of the video parameters within the program record. */
#define QUAVEN_ASSERT_VIDEO_OFFSET(field, offset) \
    QUAVEN_STATIC_ASSERT(offsetof(ProgramInterface, video) + offsetof(VideoParameters, field) == (offset), \
                         "VideoParameters." #field " must be at byte " #offset " of the program record")
QUAVEN_ASSERT_VIDEO_OFFSET(width, 248);
QUAVEN_ASSERT_VIDEO_OFFSET(height, 252);
QUAVEN_ASSERT_VIDEO_OFFSET(windowed, 256);
QUAVEN_ASSERT_VIDEO_OFFSET(no_sound, 257);
QUAVEN_ASSERT_VIDEO_OFFSET(multitouch, 258);
QUAVEN_ASSERT_VIDEO_OFFSET(padding11, 259);
QUAVEN_ASSERT_VIDEO_OFFSET(frame_time_ms, 260);
QUAVEN_ASSERT_VIDEO_OFFSET(console_open, 264);
QUAVEN_ASSERT_VIDEO_OFFSET(developer_mode, 265);
QUAVEN_ASSERT_VIDEO_OFFSET(padding18, 266);
QUAVEN_ASSERT_VIDEO_OFFSET(command_line, 268);
QUAVEN_ASSERT_VIDEO_OFFSET(language, 272);
QUAVEN_ASSERT_VIDEO_OFFSET(quit, 276);
QUAVEN_ASSERT_VIDEO_OFFSET(padding29, 277);
QUAVEN_ASSERT_VIDEO_OFFSET(reference_width, 280);
QUAVEN_ASSERT_VIDEO_OFFSET(reference_height, 284);
QUAVEN_ASSERT_VIDEO_OFFSET(reserved, 288);

/* ---- Exports of prog.dll ----------------------------------------------------- */

/* QV_GetProgramInterface: the engine passes a zeroed record and
 * QUAVEN_INTERFACE_VERSION; the game fills the record and answers true, or
 * false when it cannot create the program. Looked up first. */
typedef bool (*QV_GetProgramInterfaceProc)(ProgramInterface* record, int interfaceVersion);

/* QV_GetInterface: the older form, looked up only when QV_GetProgramInterface is
 * missing. Answers a writable record owned by the game that stays valid until
 * the library is unloaded, or null. */
typedef ProgramInterface* (*QV_GetInterfaceProc)(void);

/* Put before the definition of an export so that it gets C linkage and is
 * exported from prog.dll under its plain name. */
#define QUAVEN_PROGRAM_EXPORT QUAVEN_EXTERN_C __declspec(dllexport)

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_PROGRAM_H */
