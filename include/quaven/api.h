/*
 * Quaven public interface: the API table.
 *
 * The engine's services reach the game through one table of function pointers,
 * whose address arrives in the program record's qv field. The table and its
 * sub-tables belong to the engine and stay valid for the whole run; never write
 * to them. Strings are zero-terminated 8-bit texts (UTF-8 where shown). Any
 * thread may call the members, except that drawing (DrawText too), sound and
 * ReinitializeWithParameters belong to the main thread or to a thread holding
 * LockMainLoop.
 */
#ifndef QUAVEN_API_H
#define QUAVEN_API_H

#include "quaven/bitmap.h"
#include "quaven/events.h"
#include "quaven/filesystem.h"
#include "quaven/graphics.h"
#include "quaven/http.h"
#include "quaven/program.h"
#include "quaven/services.h"
#include "quaven/sound.h"
#include "quaven/text.h"
#include "quaven/types.h"

QUAVEN_EXTERN_C_BEGIN

struct QuavenAPI {
    /* ---- Logging and console ---- */

    /* printf-style message at QV_LOG_INFO, at most 4095 characters. Answers the
     * characters written, -1 when the message was cut, 0 when nothing was logged. */
    int (*Log)(const char* format, ...);
    /* As Log, at a LogLevel. */
    int (*LogEx)(int level, const char* format, ...);
    /* Brings a problem to a person: a dialog before Init has run; afterwards, in
     * developer mode only, each distinct text once. Answers a PopupAnswer. */
    int (*LogPopup)(int level, const char* format, ...);
    /* Registers a name for the developer console's completion. */
    void (*AddConsoleCommand)(const char* name, const char* description);

    /* ---- Time ---- */

    void (*Sleep)(uint32_t milliseconds);
    /* Milliseconds since the engine started (wraps after about 49.7 days). */
    uint32_t (*GetMilliseconds)(void);
    /* Seconds since 1970-01-01 UTC. */
    uint32_t (*GetCalendarTime)(void);
    /* Calendar seconds to local date and time (year to second only). */
    DateTime (*TimeToDateTime)(uint32_t seconds);
    /* The current local date and time, every field filled. */
    DateTime (*GetDateTime)(void);

    /* ---- Locks and threads ---- */

    /* The lock of that name, created on first use; "" or null always makes a new one. */
    Mutex* (*CreateMutex)(const char* name);
    void (*DestroyMutex)(Mutex* mutex);
    void (*LockMutex)(Mutex* mutex);   /* null is ignored */
    void (*UnlockMutex)(Mutex* mutex); /* null is ignored */
    /* Starts a named engine thread running function(argument); flags must be 0.
     * Answers the thread's engine id (2 and up), or 0 when refused. Shutdown
     * waits for engine threads, which should end once IsShuttingDown is true. */
    uint32_t (*CreateThread)(const char* name, QVThreadFunction function, void* argument, uint32_t flags);
    /* The caller's engine thread id: 1 main thread, 2 and up engine threads, 0 others. */
    uint32_t (*GetThreadId)(void);
    bool (*IsMainThread)(void);
    /* Waits for the current frame to end and keeps the next one from starting,
     * so that another thread may use engine state. Pair with UnlockMainLoop. */
    void (*LockMainLoop)(void);
    void (*UnlockMainLoop)(void);
    /* Whether the caller may use engine state now (always true on the main thread). */
    bool (*IsMainLoopLocked)(void);

    /* ---- Fonts ---- */

    /* The font of that name (".mft"), loaded on first use. Counts one reference
     * per font however often it is called; release it with ReleaseFont. */
    Font* (*GetFont)(const char* name);
    /* As GetFont, but every call counts a reference. */
    Font* (*LoadFont)(const char* name);
    bool (*ReloadFont)(Font* font);
    void (*ReleaseFont)(Font* font);
    /* Writes the font as a ".mft" file. */
    bool (*SaveFont)(Font* font, const char* path);

    /* ---- Platform and configuration ---- */

    /* Chooses the mouse cursor by name ("ARROW", ...). */
    void (*SetMouseCursor)(const char* name);
    /* Asks the engine to end after the current frame. */
    void (*RequestShutdown)(void);
    bool (*IsShuttingDown)(void);
    /* Whether prog.xml sets the feature flag. */
    bool (*HasFeature)(const char* name);
    /* A prog.xml parameter of the platform's variant, else of APPLICATION, or
     * null (always null without a VARIANTS array); the text belongs to the engine. */
    const char* (*GetProductValue)(const char* name);
    /* Schedules a change of resolution or window mode for the next frame (which
     * then sends EVENT_DISPLAY_REINIT and EVENT_RESOLUTION_CHANGED). */
    bool (*ReinitializeWithParameters)(VideoParameters parameters);
    /* Runs a string command ("GetLanguage", "OpenURL", ...). The answer, or null,
     * belongs to the engine and may be overwritten by the next call of the same command. */
    const char* (*PlatformCommand)(const char* command, const char* argument);
    /* Frees a StringList from FindFiles: texts, array and list. */
    void (*FreeStringList)(StringList* list);

    /* ---- HTTP and memory ---- */

    /* A blocking HTTP/1.0 request. When response is not null it receives a new
     * Buffer with the body, which the game releases with FreeBuffer. abortFlag may
     * be null; setting *abortFlag to 1 from another thread stops the request.
     * Answers an HTTPResult. */
    int (*HTTPRequest)(HTTPRequestType type, const char* url, const char* contentType, const void* body,
                       int bodyLength, Buffer** response, int* abortFlag);
    /* As HTTPRequest with the game's own header lines (ending with an empty line
     * "\r\n"); receives the response headers and body in Buffers. */
    int (*HTTPRequestEx)(HTTPRequestType type, const char* url, const char* headers, int headersLength,
                         const void* body, int bodyLength, Buffer** responseHeaders, Buffer** responseBody,
                         int* abortFlag);
    /* A zeroed Buffer with size bytes of data; release it with FreeBuffer. */
    Buffer* (*CreateBuffer)(int size);
    void (*FreeBuffer)(Buffer* buffer); /* null is ignored */
    /* The engine heap. Blocks the game puts into events it posts come from here. */
    void* (*Malloc)(uint32_t size);
    void (*Free)(void* block);

    /* ---- Events and input ---- */

    /* Queues a copy of the event for the next frame; any thread. */
    void (*PostEvent)(const EngineEvent* event);
    /* Sets the type and zeroes the payload. */
    void (*InitEvent)(EngineEvent* event, uint32_t type);
    /* The key-state word of a KeyCode (0-2047): bit 0 down, bit 1 pressed since
     * the last read (reading clears it for codes below 256). */
    uint32_t (*GetKey)(uint32_t code);
    void (*SetKey)(uint32_t code, uint32_t state);
    /* The axis value of a KeyCode (0-2047). */
    float (*GetAxis)(uint32_t code);
    void (*SetAxis)(uint32_t code, float value);

    /* ---- Sounds and music (see quaven/sound.h) ---- */

    /* The sound of that name, loaded on first use. Counts one reference per
     * sound however often it is called; release it with ReleaseSound. */
    Sound* (*GetSound)(const char* name);
    /* GetSound with flags (QV_SOUND_LOAD, QV_SOUND_LOOKUP_ONLY). */
    Sound* (*GetSoundEx)(const char* name, uint32_t flags);
    /* As GetSound, but every call counts a reference (capped at 4096). */
    Sound* (*LoadSound)(const char* name);
    /* Adds *count references. */
    void (*AddSoundRef)(Sound* sound, const uint32_t* count);
    void (*ReleaseSound)(Sound* sound);
    void (*SetMasterVolume)(float volume);
    /* Plays the sound once; answers its channel id, or 0 when it cannot play. */
    uint32_t (*PlaySound)(Sound* sound, float volume, float pan, float pitch);
    /* Plays with looping and a delay; answers the channel id, or 0. */
    uint32_t (*PlaySoundEx)(Sound* sound, SoundPlayParameters parameters);
    void (*StopChannel)(uint32_t channel);
    void (*SetChannelPan)(uint32_t channel, float pan);
    void (*SetChannelVolume)(uint32_t channel, float volume);
    void (*SetChannelPaused)(uint32_t channel, bool paused);
    void (*SetChannelLooping)(uint32_t channel, bool looping);
    void (*SetChannelPitch)(uint32_t channel, float pitch);
    /* True while the channel plays, waits for its delay, or loops. */
    bool (*IsChannelPlaying)(uint32_t channel);
    /* The sound playing on the channel, or null. */
    Sound* (*GetChannelSound)(uint32_t channel);
    /* Slides the channel's volume to target over seconds (to 0: then stops it). */
    void (*FadeChannelVolume)(uint32_t channel, float target, float seconds);
    /* Fades the channel out over seconds, then stops it. */
    void (*FadeOutChannel)(uint32_t channel, float seconds);
    /* Plays music, fading in over fadeInSeconds; a playing track fades out over
     * one second first. */
    void (*PlayMusic)(Sound* sound, float volume, float fadeInSeconds);
    void (*StopMusic)(float fadeOutSeconds);
    void (*SetMusicPaused)(bool paused);
    /* Has no effect: music always loops. */
    void (*SetMusicLooping)(bool looping);
    /* The music playing or about to play, or null. */
    Sound* (*GetCurrentMusic)(void);
    void (*SlideMusicVolume)(float target, float seconds);

    /* ---- Text (see quaven/text.h); settings belong to the calling thread ---- */

    /* TextAlignment bits. */
    void (*SetTextAlignment)(const uint32_t* alignment);
    uint32_t (*GetTextAlignment)(void);
    /* Wrap width; below 0.1 means no wrapping. */
    void (*SetTextMaxWidth)(const float* width);
    /* Scale in x and y and rotation in radians. */
    void (*SetTextScale)(const float* x, const float* y, const float* angle);
    /* Draws printf-style text; answers the width of its widest line. */
    float (*DrawText)(Font* font, const float* x, const float* y, const char* format, ...);
    /* Writes the size of the text to the pointers that are not null. */
    void (*MeasureText)(Font* font, float* width, float* height, const char* format, ...);
    float (*GetTextWidth)(Font* font, const char* format, ...);
    float (*GetTextHeight)(Font* font, const char* format, ...);

    /* ---- Sub-tables ---- */

    const QuavenAchievementsAPI* achievements;
    const QuavenCloudAPI* cloud;
    const QuavenDrawAPI* draw;
    const QuavenFileSystemAPI* fileSystem;
    const QuavenGraphicsAPI* graphics;
    const QuavenLeaderboardsAPI* leaderboards;
    const QuavenNotificationsAPI* notifications;
    const QuavenSocialAPI* social;
    const QuavenStatisticsAPI* statistics;
    const QuavenUGCAPI* ugc;
};

QUAVEN_ASSERT_SIZE(QuavenAPI, 86 * 4);
QUAVEN_ASSERT_SLOT(QuavenAPI, Log, 0);
QUAVEN_ASSERT_SLOT(QuavenAPI, LogEx, 1);
QUAVEN_ASSERT_SLOT(QuavenAPI, LogPopup, 2);
QUAVEN_ASSERT_SLOT(QuavenAPI, AddConsoleCommand, 3);
QUAVEN_ASSERT_SLOT(QuavenAPI, Sleep, 4);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetMilliseconds, 5);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetCalendarTime, 6);
QUAVEN_ASSERT_SLOT(QuavenAPI, TimeToDateTime, 7);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetDateTime, 8);
QUAVEN_ASSERT_SLOT(QuavenAPI, CreateMutex, 9);
QUAVEN_ASSERT_SLOT(QuavenAPI, DestroyMutex, 10);
QUAVEN_ASSERT_SLOT(QuavenAPI, LockMutex, 11);
QUAVEN_ASSERT_SLOT(QuavenAPI, UnlockMutex, 12);
QUAVEN_ASSERT_SLOT(QuavenAPI, CreateThread, 13);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetThreadId, 14);
QUAVEN_ASSERT_SLOT(QuavenAPI, IsMainThread, 15);
QUAVEN_ASSERT_SLOT(QuavenAPI, LockMainLoop, 16);
QUAVEN_ASSERT_SLOT(QuavenAPI, UnlockMainLoop, 17);
QUAVEN_ASSERT_SLOT(QuavenAPI, IsMainLoopLocked, 18);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetFont, 19);
QUAVEN_ASSERT_SLOT(QuavenAPI, LoadFont, 20);
QUAVEN_ASSERT_SLOT(QuavenAPI, ReloadFont, 21);
QUAVEN_ASSERT_SLOT(QuavenAPI, ReleaseFont, 22);
QUAVEN_ASSERT_SLOT(QuavenAPI, SaveFont, 23);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetMouseCursor, 24);
QUAVEN_ASSERT_SLOT(QuavenAPI, RequestShutdown, 25);
QUAVEN_ASSERT_SLOT(QuavenAPI, IsShuttingDown, 26);
QUAVEN_ASSERT_SLOT(QuavenAPI, HasFeature, 27);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetProductValue, 28);
QUAVEN_ASSERT_SLOT(QuavenAPI, ReinitializeWithParameters, 29);
QUAVEN_ASSERT_SLOT(QuavenAPI, PlatformCommand, 30);
QUAVEN_ASSERT_SLOT(QuavenAPI, FreeStringList, 31);
QUAVEN_ASSERT_SLOT(QuavenAPI, HTTPRequest, 32);
QUAVEN_ASSERT_SLOT(QuavenAPI, HTTPRequestEx, 33);
QUAVEN_ASSERT_SLOT(QuavenAPI, CreateBuffer, 34);
QUAVEN_ASSERT_SLOT(QuavenAPI, FreeBuffer, 35);
QUAVEN_ASSERT_SLOT(QuavenAPI, Malloc, 36);
QUAVEN_ASSERT_SLOT(QuavenAPI, Free, 37);
QUAVEN_ASSERT_SLOT(QuavenAPI, PostEvent, 38);
QUAVEN_ASSERT_SLOT(QuavenAPI, InitEvent, 39);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetKey, 40);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetKey, 41);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetAxis, 42);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetAxis, 43);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetSound, 44);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetSoundEx, 45);
QUAVEN_ASSERT_SLOT(QuavenAPI, LoadSound, 46);
QUAVEN_ASSERT_SLOT(QuavenAPI, AddSoundRef, 47);
QUAVEN_ASSERT_SLOT(QuavenAPI, ReleaseSound, 48);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetMasterVolume, 49);
QUAVEN_ASSERT_SLOT(QuavenAPI, PlaySound, 50);
QUAVEN_ASSERT_SLOT(QuavenAPI, PlaySoundEx, 51);
QUAVEN_ASSERT_SLOT(QuavenAPI, StopChannel, 52);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetChannelPan, 53);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetChannelVolume, 54);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetChannelPaused, 55);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetChannelLooping, 56);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetChannelPitch, 57);
QUAVEN_ASSERT_SLOT(QuavenAPI, IsChannelPlaying, 58);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetChannelSound, 59);
QUAVEN_ASSERT_SLOT(QuavenAPI, FadeChannelVolume, 60);
QUAVEN_ASSERT_SLOT(QuavenAPI, FadeOutChannel, 61);
QUAVEN_ASSERT_SLOT(QuavenAPI, PlayMusic, 62);
QUAVEN_ASSERT_SLOT(QuavenAPI, StopMusic, 63);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetMusicPaused, 64);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetMusicLooping, 65);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetCurrentMusic, 66);
QUAVEN_ASSERT_SLOT(QuavenAPI, SlideMusicVolume, 67);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetTextAlignment, 68);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetTextAlignment, 69);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetTextMaxWidth, 70);
QUAVEN_ASSERT_SLOT(QuavenAPI, SetTextScale, 71);
QUAVEN_ASSERT_SLOT(QuavenAPI, DrawText, 72);
QUAVEN_ASSERT_SLOT(QuavenAPI, MeasureText, 73);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetTextWidth, 74);
QUAVEN_ASSERT_SLOT(QuavenAPI, GetTextHeight, 75);
QUAVEN_ASSERT_SLOT(QuavenAPI, achievements, 76);
QUAVEN_ASSERT_SLOT(QuavenAPI, cloud, 77);
QUAVEN_ASSERT_SLOT(QuavenAPI, draw, 78);
QUAVEN_ASSERT_SLOT(QuavenAPI, fileSystem, 79);
QUAVEN_ASSERT_SLOT(QuavenAPI, graphics, 80);
QUAVEN_ASSERT_SLOT(QuavenAPI, leaderboards, 81);
QUAVEN_ASSERT_SLOT(QuavenAPI, notifications, 82);
QUAVEN_ASSERT_SLOT(QuavenAPI, social, 83);
QUAVEN_ASSERT_SLOT(QuavenAPI, statistics, 84);
QUAVEN_ASSERT_SLOT(QuavenAPI, ugc, 85);

QUAVEN_EXTERN_C_END

#endif /* QUAVEN_API_H */
