/*
 * The C side of the header tests, compiled as strict C99 like a C game: it must
 * build warning-free against the public headers (whose static assertions then
 * run in C), it reports the C compiler's view of every layout, and it calls the
 * API table the way a C game does.
 */
#include "c_game_side.h"

#include <string.h>

/* ---- Layout as C sees it ---- */

static const long kCLayout[] = {
#define QV_LAYOUT_ITEM(name, expression, expected) (long)(expression),
#include "layout_items.inc"
#undef QV_LAYOUT_ITEM
};

int qv_c_layout_count(void)
{
    return (int)(sizeof kCLayout / sizeof kCLayout[0]);
}

long qv_c_layout_value(int index)
{
    return index >= 0 && index < qv_c_layout_count() ? kCLayout[index] : -1;
}

/* ---- Calls a C game makes ---- */

int qv_c_log(const QuavenAPI* qv)
{
    /* Mixed varargs: int, text, double (a float promoted) and char. */
    return qv->Log("%d|%s|%.2f|%c", 42, "text", 1.5f, 'z');
}

int qv_c_log_ex(const QuavenAPI* qv)
{
    return qv->LogEx(QV_LOG_WARNING, "%u-%s", 7u, "w");
}

uint32_t qv_c_play_sound_ex(const QuavenAPI* qv, Sound* sound)
{
    SoundPlayParameters parameters = {.volume = 0.5f, .pan = -0.25f, .pitch = 1.5f, .loop = 1, .delay = 2.0f};
    return qv->PlaySoundEx(sound, parameters);
}

bool qv_c_reinitialize(const QuavenAPI* qv, const char* language)
{
    VideoParameters video = {.width = 1280, .height = 720, .windowed = 1, .no_sound = 1, .frame_time_ms = 8,
                             .developer_mode = 1, .language = (char*)language, .quit = 1,
                             .reference_width = 640, .reference_height = 360};
    video.reserved[15] = 0xC0FFEEu; /* marks the last word of the 104 bytes */
    return qv->ReinitializeWithParameters(video);
}

void qv_c_get_date_time(const QuavenAPI* qv, DateTime* out)
{
    *out = qv->GetDateTime();
}

void qv_c_time_to_date_time(const QuavenAPI* qv, uint32_t seconds, DateTime* out)
{
    *out = qv->TimeToDateTime(seconds);
}

void qv_c_peek_world_transform(const QuavenAPI* qv, Matrix4* out)
{
    *out = qv->graphics->PeekWorldTransform();
}

void qv_c_get_color(const QuavenAPI* qv, Color* out)
{
    *out = qv->graphics->GetColor();
}

void qv_c_submit_score(const QuavenAPI* qv)
{
    ScoreRecord score = {.id = "player-1", .name = "Name", .points = 12345, .rank = 7, .dataLength = 188, .time = 99};
    score.data[0] = 0x11;
    score.data[187] = 0xEE;
    qv->leaderboards->SubmitScore(2, score, "category");
}

float qv_c_draw_text(const QuavenAPI* qv, Font* font)
{
    float x = 10.5f;
    float y = 20.25f;
    return qv->DrawText(font, &x, &y, "%s=%d", "hp", 99);
}

void qv_c_post_event(const QuavenAPI* qv)
{
    EngineEvent event;
    EventKeyPayload key;
    memset(&event, 0xFF, sizeof event); /* InitEvent must clear all of it */
    qv->InitEvent(&event, EVENT_KEY_DOWN);
    memset(&key, 0, sizeof key);
    key.code = QV_KEY_GAMEPAD(1, QV_GAMEPAD_BUTTON_A);
    key.flag = 1;
    memcpy(event.payload, &key, sizeof key);
    qv->PostEvent(&event);
}

void qv_c_ugc_call1(const QuavenAPI* qv)
{
    qv->ugc->Call1(11, 22, 33);
}

int qv_c_http_request(const QuavenAPI* qv, Buffer** response, int* abortFlag)
{
    static const char body[] = "abc";
    return qv->HTTPRequest(QV_HTTP_POST, "http://example.invalid/x", "text/plain", body, 3, response, abortFlag);
}
