/*
 * The demo game: what it has seen so far, shared by its callbacks and its event handler.
 *
 * The engine calls every callback of a game on its main thread, so one plain record
 * serves without locks.
 */
#ifndef QUAVEN_DEMO_GAME_H
#define QUAVEN_DEMO_GAME_H

#include <quaven/quaven.h>

typedef struct DemoState {
    ProgramInterface* record; /* the record the engine drives the demo through */
    uint32_t idleLimitMs;     /* the demo ends after this long without input */
    uint32_t initMs;          /* engine time when Init ran */
    uint32_t lastInputMs;     /* engine time of the last key, character or mouse event */
    uint32_t lastReportMs;    /* engine time of the last once-a-second report */
    uint32_t framesAtLastReport;
    uint32_t lastMoveLogMs;   /* mouse moves are logged at most every few hundred ms */
    uint32_t frames;          /* Update calls */
    uint32_t renders;         /* Render calls */
    uint32_t events;          /* OnEvent calls */
    uint32_t keyPresses;      /* first presses; auto-repeat is not counted */
    uint32_t characters;
    uint32_t mouseButtons;    /* button presses */
    uint32_t mouseMoves;
    int32_t wheelTotal;       /* sum of the wheel deltas (one notch is 120) */
    Bitmap* sprite;           /* made in code at Init (demo_scene.c) */
    Bitmap* target;           /* a render target drawn into every frame */
    Bitmap* star;             /* loaded from sprites/star.png in the resource folder */
    Font* font;               /* generated from a TrueType file on the first run (demo_text.c) */
    float framesPerSecond;    /* measured over the last quarter second; 0 until then */
    uint32_t lastRateMs;      /* engine time of the last frame-rate measurement */
    uint32_t framesAtLastRate;
    bool initDone;
    bool shutdownRequested;
} DemoState;

extern DemoState g_demo;

/* The engine's API table, or null before the engine has handed it over. */
QuavenAPI* Demo_Api(void);

/* Asks the engine to end after the current frame, once, saying why in the log. */
void Demo_RequestShutdown(const char* reason);

/* The picture (demo_scene.c): its bitmaps are made at Init and released at Exit; Render
   draws it at the given time since Init. */
bool Demo_CreateScene(QuavenAPI* qv);
void Demo_DrawScene(QuavenAPI* qv, float seconds);
void Demo_ReleaseScene(QuavenAPI* qv);

/* The sound (demo_sound.c): music from Init to Exit, a click for every key press. */
void Demo_StartSound(QuavenAPI* qv);
void Demo_PlayKeySound(QuavenAPI* qv, int32_t keyCode);
void Demo_StopSound(QuavenAPI* qv);

/* The text (demo_text.c): the font is asked for at Init; Render draws the demo's name and its
   frame rate with it. */
void Demo_LoadFont(QuavenAPI* qv);
void Demo_DrawText(QuavenAPI* qv);

/* The gamepad (demo_gamepad.c): Update steers the ring with the first connected pad; the
   scene draws the ring moved by the offset. */
void Demo_UpdateGamepad(QuavenAPI* qv, float seconds);
void Demo_GetSpriteOffset(float* x, float* y);

/* The demo's OnEvent: logs what it receives and reacts to keys and the mouse. */
int Demo_OnEvent(EngineEvent event);

#endif /* QUAVEN_DEMO_GAME_H */
