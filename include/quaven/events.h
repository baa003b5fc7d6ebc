/*
 * Quaven public interface: events and key codes.
 *
 * Every input, window and service notification reaches the game's OnEvent as an
 * EngineEvent: a 32-bit type followed by 32 bytes of payload whose layout depends
 * on the type. Payload bytes a type does not use are zero. Pointers inside the
 * payload are valid only while OnEvent runs.
 */
#ifndef QUAVEN_EVENTS_H
#define QUAVEN_EVENTS_H

#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

/* ---- Event types ----------------------------------------------------------- */

typedef uint32_t EngineEventType;
enum {
    EVENT_CHARACTER = 1,           /* EventCharacterPayload */
    EVENT_MOUSE_MOVE = 2,          /* EventMousePayload */
    EVENT_MOUSE_WHEEL = 4,         /* EventMousePayload with wheel; x, y the last mouse position */
    EVENT_MOUSE_UP = 5,            /* EventMousePayload with button */
    EVENT_MOUSE_DOWN = 6,          /* EventMousePayload with button */
    EVENT_CONSOLE_LINE = 7,        /* bytes 4-7: const char* line typed into the developer console */
    EVENT_KEY_DOWN = 8,            /* EventKeyPayload; flag = first press (the key was up) */
    EVENT_KEY_UP = 9,              /* EventKeyPayload; flag = the key was down */
    EVENT_ACTIVATION = 10,         /* byte 4: 1 deactivated or minimised, 0 activated */
    EVENT_DISPLAY_REINIT = 11,     /* byte 4: 0 just before, 1 just after a display change */
    EVENT_RESOLUTION_CHANGED = 12, /* EventResolutionPayload */
    EVENT_CLOSE_REQUEST = 13,      /* no payload; answer QV_EVENT_KEEP_WINDOW_OPEN to refuse */
    EVENT_VIDEO_PARAMETERS = 16,   /* EventVideoParametersPayload; sent once before the window exists */
    EVENT_SERVICE_FIRST = 18,      /* 18-38: results of online services and extension modules */
    EVENT_LEADERBOARDS = 19,       /* LeaderboardsEvent (quaven/services.h) */
    EVENT_SOCIAL_LOCAL_USER = 37,  /* byte 4: 1; bytes 12-15: SocialUserRecord* (quaven/services.h) */
    EVENT_SOCIAL_FRIENDS = 38,     /* bytes 4-7: SocialUserRecord* array; bytes 8-11: int32 entry count */
    EVENT_SERVICE_LAST = 38,
    EVENT_ACCOUNTS = 43,           /* EventAccountsPayload */
    EVENT_NAMED = 63               /* EventNamedPayload, e.g. "FILE_DRAGGED" with the dropped path */
};

/* OnEvent's answer to EVENT_CLOSE_REQUEST that keeps the window open. The
 * engine ignores OnEvent's answer to every other event. */
#define QV_EVENT_KEEP_WINDOW_OPEN 2

/* ---- The event ------------------------------------------------------------- */

/* 36 bytes, handed to OnEvent by value and to PostEvent by address. Build one
 * with the API member InitEvent, which sets the type and zeroes the payload.
 * The heap blocks that service events (types 18-38) point to come from the
 * engine heap (API Malloc); the engine frees them after OnEvent returns, so copy
 * what you want to keep and never free them yourself. */
typedef struct EngineEvent {
    uint32_t type; /* an EngineEventType */
    uint8_t payload[32];
} EngineEvent;

QUAVEN_ASSERT_SIZE(EngineEvent, 36);
QUAVEN_ASSERT_OFFSET(EngineEvent, type, 0);
QUAVEN_ASSERT_OFFSET(EngineEvent, payload, 4);

/*
 * Payload layouts. Each is the 32 payload bytes of one family of events; copy
 * them out of (or into) EngineEvent.payload with memcpy. Offsets in the comments
 * are bytes within the whole 36-byte event.
 */

/* EVENT_CHARACTER. */
typedef struct EventCharacterPayload {
    uint8_t character; /* byte 4: the character in the window's 8-bit code page */
    uint8_t unused[31];
} EventCharacterPayload;

/* EVENT_MOUSE_MOVE, EVENT_MOUSE_WHEEL, EVENT_MOUSE_UP, EVENT_MOUSE_DOWN. */
typedef struct EventMousePayload {
    int8_t pointer;    /* byte 4: pointer index, 0 for the mouse */
    uint8_t unused5[3];
    int32_t x;         /* bytes 8-11: position in program coordinates */
    int32_t y;         /* bytes 12-15 */
    uint16_t button;   /* bytes 16-17: button key code of up and down (510 left, 511 right, ...) */
    int16_t wheel;     /* bytes 18-19: wheel delta of EVENT_MOUSE_WHEEL (one notch is 120) */
    int32_t previousX; /* bytes 20-23: the pointer's previous position (not for the wheel) */
    int32_t previousY; /* bytes 24-27 */
    uint32_t device;   /* bytes 28-31: 2 for the mouse */
    uint8_t unused32[4];
} EventMousePayload;

/* EVENT_KEY_DOWN, EVENT_KEY_UP. */
typedef struct EventKeyPayload {
    int32_t code;  /* bytes 4-7: a KeyCode */
    uint8_t flag;  /* byte 8: key down: 1 on the first press; key up: 1 when the key was down */
    uint8_t unused[27];
} EventKeyPayload;

/* EVENT_RESOLUTION_CHANGED. */
typedef struct EventResolutionPayload {
    uint16_t width;  /* bytes 4-5 */
    uint16_t height; /* bytes 6-7 */
    uint8_t unused[28];
} EventResolutionPayload;

/* EVENT_VIDEO_PARAMETERS: the game may change the video parameters in place
 * before the engine chooses the resolution and creates the window. */
typedef struct EventVideoParametersPayload {
    QuavenAPI* api;          /* bytes 4-7 */
    VideoParameters* video;  /* bytes 8-11: the program record's video parameters */
    uint8_t unused[24];
} EventVideoParametersPayload;

/* EVENT_ACCOUNTS. */
typedef struct EventAccountsPayload {
    int32_t zero;  /* bytes 4-7: 0 */
    int32_t value; /* bytes 8-11: 1 after pairing a gamepad, 0 after logging out */
    uint8_t unused[24];
} EventAccountsPayload;

/* EVENT_NAMED. The texts belong to the engine and live during dispatch only. */
typedef struct EventNamedPayload {
    const char* name;   /* bytes 4-7: e.g. "FILE_DRAGGED" */
    const char* value1; /* bytes 8-11: e.g. the dropped file's path */
    const char* value2; /* bytes 12-15 */
    uint8_t unused[20];
} EventNamedPayload;

QUAVEN_ASSERT_SIZE(EventCharacterPayload, 32);
QUAVEN_ASSERT_SIZE(EventMousePayload, 32);
QUAVEN_ASSERT_OFFSET(EventMousePayload, pointer, 0);
QUAVEN_ASSERT_OFFSET(EventMousePayload, x, 4);
QUAVEN_ASSERT_OFFSET(EventMousePayload, y, 8);
QUAVEN_ASSERT_OFFSET(EventMousePayload, button, 12);
QUAVEN_ASSERT_OFFSET(EventMousePayload, wheel, 14);
QUAVEN_ASSERT_OFFSET(EventMousePayload, previousX, 16);
QUAVEN_ASSERT_OFFSET(EventMousePayload, previousY, 20);
QUAVEN_ASSERT_OFFSET(EventMousePayload, device, 24);
QUAVEN_ASSERT_SIZE(EventKeyPayload, 32);
QUAVEN_ASSERT_OFFSET(EventKeyPayload, code, 0);
QUAVEN_ASSERT_OFFSET(EventKeyPayload, flag, 4);
QUAVEN_ASSERT_SIZE(EventResolutionPayload, 32);
QUAVEN_ASSERT_OFFSET(EventResolutionPayload, width, 0);
QUAVEN_ASSERT_OFFSET(EventResolutionPayload, height, 2);
QUAVEN_ASSERT_SIZE(EventVideoParametersPayload, 32);
QUAVEN_ASSERT_OFFSET(EventVideoParametersPayload, api, 0);
QUAVEN_ASSERT_OFFSET(EventVideoParametersPayload, video, 4);
QUAVEN_ASSERT_SIZE(EventAccountsPayload, 32);
QUAVEN_ASSERT_OFFSET(EventAccountsPayload, value, 4);
QUAVEN_ASSERT_SIZE(EventNamedPayload, 32);
QUAVEN_ASSERT_OFFSET(EventNamedPayload, name, 0);
QUAVEN_ASSERT_OFFSET(EventNamedPayload, value1, 4);
QUAVEN_ASSERT_OFFSET(EventNamedPayload, value2, 8);

/* ---- Key codes ------------------------------------------------------------------
 * One number space of 2048 codes for every input, indexing both the key-state
 * table (GetKey/SetKey: bit 0 down, bit 1 pressed since the last read) and the
 * axis table (GetAxis/SetAxis). Keyboard keys are Windows virtual-key numbers;
 * letters and digits are their capital character ('A', '7'). */
typedef int32_t KeyCode;
#define QV_KEY_CODE_COUNT 2048

enum {
    QV_KEY_BACK = 8,
    QV_KEY_BACKSPACE = 8,
    QV_KEY_TAB = 9,
    QV_KEY_CLEAR = 12,
    QV_KEY_RETURN = 13,
    QV_KEY_SHIFT = 16,
    QV_KEY_CONTROL = 17,
    QV_KEY_ALT = 18,
    QV_KEY_ESCAPE = 27,
    QV_KEY_SPACE = 32,
    QV_KEY_PAGEUP = 33,
    QV_KEY_PAGEDOWN = 34,
    QV_KEY_END = 35,
    QV_KEY_HOME = 36,
    QV_KEY_LEFT = 37,
    QV_KEY_UP = 38,
    QV_KEY_RIGHT = 39,
    QV_KEY_DOWN = 40,
    QV_KEY_SELECT = 41,
    QV_KEY_INSERT = 45,
    QV_KEY_DELETE = 46,
    QV_KEY_HELP = 47,
    QV_KEY_NUMPAD0 = 96, /* NUMPAD1 to NUMPAD9 follow: 97-105 */
    QV_KEY_MULTIPLY = 106,
    QV_KEY_ADD = 107,
    QV_KEY_SEPARATOR = 108,
    QV_KEY_SUBTRACT = 109,
    QV_KEY_DECIMAL = 110,
    QV_KEY_DIVIDE = 111,
    QV_KEY_MENU = 300,

    /* Mouse: positions in the key-state table as integers and as axes. */
    QV_KEY_MOUSE_X = 504,
    QV_KEY_MOUSE_Y = 505,
    QV_KEY_MOUSE_Z = 506,
    QV_KEY_MOUSE_WHEEL = 507,
    QV_KEY_MOUSE_DELTA_X = 508,
    QV_KEY_MOUSE_DELTA_Y = 509,
    QV_KEY_MOUSE_BUTTON_0 = 510, /* MOUSE_BUTTON_1 to MOUSE_BUTTON_7 follow: 511-517 */
    QV_KEY_MOUSE_BUTTON_LEFT = 510,
    QV_KEY_MOUSE_BUTTON_RIGHT = 511,
    QV_KEY_MOUSE_BUTTON_MIDDLE = 512,

    QV_KEY_ACCELEROMETER_X = 1610,
    QV_KEY_ACCELEROMETER_Y = 1611,
    QV_KEY_ACCELEROMETER_Z = 1612,
    QV_KEY_VOLUME_UP = 1632,
    QV_KEY_VOLUME_DOWN = 1633,

    /* Memory estimates in bytes, refreshed by the command "RefreshMemUsageEstimates". */
    QV_KEY_MEMORY_TOTAL = 2000,
    QV_KEY_MEMORY_SYSTEM = 2001,
    QV_KEY_MEMORY_GPU = 2002,
    QV_KEY_MEMORY_IMAGES = 2003,
    QV_KEY_MEMORY_SOUND = 2004,
    QV_KEY_MEMORY_VERTEX_DATA = 2005
};

/* Pointer p (touch or extra mice) owns the 20 codes from 524 + 20p: its position
 * as axes and its left and right buttons as key states. */
#define QV_KEY_POINTER_X(p) (524 + 20 * (p))
#define QV_KEY_POINTER_Y(p) (525 + 20 * (p))
#define QV_KEY_POINTER_LEFT_BUTTON(p) (530 + 20 * (p))
#define QV_KEY_POINTER_RIGHT_BUTTON(p) (531 + 20 * (p))

/* Gamepad n (0 to 3), control b: code 800 + 64n + b. Triggers and sticks are
 * axes (and keys once pushed far enough); the motor levels are axes the game
 * writes. */
#define QV_KEY_GAMEPAD(n, b) (800 + 64 * (n) + (b))
enum {
    QV_GAMEPAD_CONNECTED = 0, /* key state 1 while the pad is connected */
    QV_GAMEPAD_LEFT_TRIGGER = 1,
    QV_GAMEPAD_RIGHT_TRIGGER = 2,
    QV_GAMEPAD_LEFT_THUMB_X = 4,
    QV_GAMEPAD_LEFT_THUMB_Y = 5, /* up is negative */
    QV_GAMEPAD_RIGHT_THUMB_X = 6,
    QV_GAMEPAD_RIGHT_THUMB_Y = 7, /* up is negative */
    QV_GAMEPAD_DPAD_UP = 10,
    QV_GAMEPAD_DPAD_DOWN = 11,
    QV_GAMEPAD_DPAD_LEFT = 12,
    QV_GAMEPAD_DPAD_RIGHT = 13,
    QV_GAMEPAD_BUTTON_START = 20,
    QV_GAMEPAD_BUTTON_BACK = 21,
    QV_GAMEPAD_BUTTON_LEFT_THUMB = 22,
    QV_GAMEPAD_BUTTON_RIGHT_THUMB = 23,
    QV_GAMEPAD_BUTTON_LEFT_SHOULDER = 24,
    QV_GAMEPAD_BUTTON_RIGHT_SHOULDER = 25,
    QV_GAMEPAD_BUTTON_A = 26,
    QV_GAMEPAD_BUTTON_B = 27,
    QV_GAMEPAD_BUTTON_X = 28,
    QV_GAMEPAD_BUTTON_Y = 29,
    QV_GAMEPAD_LEFT_MOTOR = 40,  /* axis 0..1 the game writes: low-frequency motor */
    QV_GAMEPAD_RIGHT_MOTOR = 41  /* axis 0..1 the game writes: high-frequency motor */
};

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_EVENTS_H */
