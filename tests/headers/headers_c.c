/*
 * The C side of the header tests, compiled as strict C99 like a C game: it must
 * build warning-free against the public headers (whose static assertions then
 * run in C), it reports the C compiler's view of every layout, and it calls the
 * API table the way a C game does.
 */
#include "c_game_side.h"

#include <string.h>

/* ---- Layout as C sees it ---- */

const long qv_c_layout[] = {
#define QV_LAYOUT_ITEM(name, expression, expected) (long)(expression),
#include "layout_items.inc"
#undef QV_LAYOUT_ITEM
};
const int qv_c_layout_count = (int)(sizeof qv_c_layout / sizeof qv_c_layout[0]);

/* ---- Calls a C game makes ---- */

void qv_c_varargs_calls(const QuavenAPI* qv, Font* font, float answers[3]) {
    float x = 10.5f;
    float y = 20.25f;
    /* Mixed varargs: int, text, double (a float promoted) and char. */
    answers[0] = (float)qv->Log("%d|%s|%.2f|%c", 42, "text", 1.5f, 'z');
    answers[1] = (float)qv->LogEx(QV_LOG_WARNING, "%u-%s", 7u, "w");
    answers[2] = qv->DrawText(font, &x, &y, "%s=%d", "hp", 99);
}

uint32_t qv_c_records_by_value(const QuavenAPI* qv, Sound* sound, const char* language) {
    SoundPlayParameters parameters = {.volume = 0.5f, .pan = -0.25f, .pitch = 1.5f, .loop = 1, .delay = 2.0f};
    VideoParameters video = {.width = 1280, .height = 720, .windowed = 1, .no_sound = 1, .frame_time_ms = 8,
                             .developer_mode = 1, .language = (char*)language, .quit = 1,
                             .reference_width = 640, .reference_height = 360};
    ScoreRecord score = {.id = "player-1", .name = "Name", .points = 12345, .rank = 7, .dataLength = 188, .time = 99};
    uint32_t answer = qv->PlaySoundEx(sound, parameters);
    video.reserved[15] = 0xC0FFEEu; /* marks the last word of the 104 bytes */
    if (!qv->ReinitializeWithParameters(video))
        answer = 0;
    score.data[0] = 0x11;
    score.data[187] = 0xEE;
    qv->leaderboards->SubmitScore(2, score, "category");
    return answer;
}

void qv_c_records_returned(const QuavenAPI* qv, DateTime dates[2], Matrix4* matrix, Color* colour) {
    dates[0] = qv->GetDateTime();
    dates[1] = qv->TimeToDateTime(0xFFFFFFF0u);
    *matrix = qv->graphics->PeekWorldTransform();
    *colour = qv->graphics->GetColor();
}

void qv_c_post_event(const QuavenAPI* qv) {
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

int qv_c_pass_through_calls(const QuavenAPI* qv, Buffer** response, int* abortFlag) {
    static const char body[] = "abc";
    qv->ugc->Call1(11, 22, 33);
    return qv->HTTPRequest(QV_HTTP_POST, "http://example.invalid/x", "text/plain", body, 3, response, abortFlag);
}
