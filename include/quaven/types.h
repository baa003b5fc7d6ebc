/*
 * Quaven public interface: foundation types shared by the API tables.
 */
#ifndef QUAVEN_TYPES_H
#define QUAVEN_TYPES_H

#include "quaven/base.h"

QUAVEN_EXTERN_C_BEGIN

/* ---- Handles ----------------------------------------------------------------
 * Records the game only ever holds by pointer. The engine owns them; the game
 * gets them from the API tables and gives them back the same way. */

/* A named lock (CreateMutex). Recursive: the holder may lock it again and must
 * unlock it as many times. */
typedef struct Mutex Mutex;
/* A bitmap font in the engine's font pool (GetFont, LoadFont). */
typedef struct Font Font;
/* A sound in the engine's sound pool (GetSound, LoadSound). */
typedef struct Sound Sound;
/* A shader in the engine's shader pool (graphics GetShader). */
typedef struct Shader Shader;
/* An open file of the virtual file system (fileSystem OpenFile). */
typedef struct FileHandle FileHandle;

/* Records defined by other Quaven headers, named here once so that every header
 * can refer to them (C99 allows each typedef only once). */
typedef struct QuavenAPI QuavenAPI;             /* quaven/api.h */
typedef struct ProgramInterface ProgramInterface; /* quaven/program.h */
typedef struct VideoParameters VideoParameters; /* quaven/program.h */
typedef struct Bitmap Bitmap;                   /* quaven/bitmap.h */

/* ---- Values -------------------------------------------------------------- */

/* A colour: four floats, each normally 0 to 1. */
typedef struct Color {
    float r;
    float g;
    float b;
    float a;
#if defined(__cplusplus) && defined(QUAVEN_BUILDING_ENGINE)
    /* Parses "RRGGBB" or "RRGGBBAA" (an optional leading '#'); a missing alpha is
     * 1.0, fewer than six digits leave the colour unchanged. */
    void SetFromHex(const char* text);
#endif
} Color;

QUAVEN_ASSERT_SIZE(Color, 16);
QUAVEN_ASSERT_OFFSET(Color, r, 0);
QUAVEN_ASSERT_OFFSET(Color, g, 4);
QUAVEN_ASSERT_OFFSET(Color, b, 8);
QUAVEN_ASSERT_OFFSET(Color, a, 12);

/* A 4x4 matrix stored row-major: element (row r, column c) is m[r * 4 + c].
 * Transforms are used with column vectors: projection x view x world x v. */
typedef struct Matrix4 {
    float m[16];
#if defined(__cplusplus) && defined(QUAVEN_BUILDING_ENGINE)
    void SetIdentity();
    void Invert();
    /* out = a x b; out must be neither a nor b. */
    static void Multiply(Matrix4* out, const Matrix4* a, const Matrix4* b);
#endif
} Matrix4;

QUAVEN_ASSERT_SIZE(Matrix4, 64);

/* A local date and time, returned by value by GetDateTime and TimeToDateTime. */
typedef struct DateTime {
    uint16_t year;        /* full year, e.g. 2024 */
    uint8_t month;        /* 1-12 */
    uint8_t day;          /* 1-31 */
    uint8_t hour;         /* 0-23 */
    uint8_t minute;       /* 0-59 */
    uint8_t second;       /* 0-60 */
    uint8_t reserved7;
    int32_t weekday;      /* 0-6, 0 is Sunday; filled by GetDateTime only */
    uint16_t day_of_year; /* 0-365; filled by GetDateTime only */
    uint16_t reserved14;
} DateTime;

QUAVEN_ASSERT_SIZE(DateTime, 16);
QUAVEN_ASSERT_OFFSET(DateTime, year, 0);
QUAVEN_ASSERT_OFFSET(DateTime, month, 2);
QUAVEN_ASSERT_OFFSET(DateTime, day, 3);
QUAVEN_ASSERT_OFFSET(DateTime, hour, 4);
QUAVEN_ASSERT_OFFSET(DateTime, minute, 5);
QUAVEN_ASSERT_OFFSET(DateTime, second, 6);
QUAVEN_ASSERT_OFFSET(DateTime, weekday, 8);
QUAVEN_ASSERT_OFFSET(DateTime, day_of_year, 12);

/* A block of bytes the engine allocates for the game (HTTP responses, cloud
 * reads). The game owns it and releases it with the API member FreeBuffer. */
typedef struct Buffer {
    uint8_t* data;    /* size bytes, followed by a zero byte after HTTP responses */
    int32_t reserved; /* 0 */
    int32_t size;     /* bytes of data */
    int32_t capacity; /* bytes allocated */
} Buffer;

QUAVEN_ASSERT_SIZE(Buffer, 16);
QUAVEN_ASSERT_OFFSET(Buffer, data, 0);
QUAVEN_ASSERT_OFFSET(Buffer, reserved, 4);
QUAVEN_ASSERT_OFFSET(Buffer, size, 8);
QUAVEN_ASSERT_OFFSET(Buffer, capacity, 12);

/* A list of texts the engine allocates for the game (fileSystem FindFiles). The
 * game owns it and releases list, array and texts at once with the API member
 * FreeStringList. */
typedef struct StringList {
    char** items; /* count zero-terminated texts */
    int32_t count;
} StringList;

QUAVEN_ASSERT_SIZE(StringList, 8);
QUAVEN_ASSERT_OFFSET(StringList, items, 0);
QUAVEN_ASSERT_OFFSET(StringList, count, 4);

/* The head that the engine's pooled resources (bitmaps, sounds, fonts) begin
 * with. Read-only for the game. */
typedef struct ResourceHeader {
    char* name;       /* the name the resource was asked for; null marks a free record */
    uint32_t hash;    /* hash of the name */
    int32_t type;     /* 1 bitmap, 2 sound, 3 font */
    int32_t slot;     /* index of the record in its pool */
    int16_t refCount; /* references held */
    uint16_t padding18;
} ResourceHeader;

QUAVEN_ASSERT_SIZE(ResourceHeader, 20);
QUAVEN_ASSERT_OFFSET(ResourceHeader, name, 0);
QUAVEN_ASSERT_OFFSET(ResourceHeader, hash, 4);
QUAVEN_ASSERT_OFFSET(ResourceHeader, type, 8);
QUAVEN_ASSERT_OFFSET(ResourceHeader, slot, 12);
QUAVEN_ASSERT_OFFSET(ResourceHeader, refCount, 16);

/* ---- Logging and popups --------------------------------------------------- */

/* Level of a log message (LogEx, LogPopup). Messages below the configured
 * minimum level are dropped. */
typedef int32_t LogLevel;
enum {
    QV_LOG_INFO = 0,    /* ordinary messages; the level of Log */
    QV_LOG_WARNING = 1, /* problems the run survives */
    QV_LOG_ERROR = 2,   /* failures */
    QV_LOG_SYSTEM = 3   /* engine status lines */
};

/* What LogPopup answers. */
typedef int32_t PopupAnswer;
enum {
    QV_POPUP_NOTHING = 0,   /* nothing was shown */
    QV_POPUP_OK = 1,        /* OK, or the text had been shown before */
    QV_POPUP_TRY_AGAIN = 3,
    QV_POPUP_CONTINUE = 4,  /* also: queued for the main thread's next frame */
    QV_POPUP_YES = 5,
    QV_POPUP_NO = 6
};

/* ---- Threads ------------------------------------------------------------- */

/* The function an engine thread runs (CreateThread); it gets the argument given
 * to CreateThread. */
typedef void (*QVThreadFunction)(void* argument);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_TYPES_H */
