/*
 * The demo game's sound: a short click on every key press, panned by the key, and a
 * piece of music that loops from Init to Exit, fading in at the start. The build makes
 * both files (sounds/click.wav and sounds/music.ogg in the run folder); the names carry no
 * extension, the engine finds the file. Without a sound device, or with NO_SOUND, every
 * call still succeeds and nothing is heard.
 */
#include "demo_game.h"

#define MUSIC_VOLUME 0.6f
#define MUSIC_FADE_IN_SECONDS 2.0f
#define MUSIC_FADE_OUT_SECONDS 0.5f

static Sound* s_click;
static Sound* s_music;

void Demo_StartSound(QuavenAPI* qv) {
    s_click = qv->LoadSound("sounds/click");
    s_music = qv->LoadSound("sounds/music");
    qv->PlayMusic(s_music, MUSIC_VOLUME, MUSIC_FADE_IN_SECONDS);
    qv->Log("Demo: music '%s' fading in; every key press clicks.", s_music ? "sounds/music" : "(none)");
}

void Demo_PlayKeySound(QuavenAPI* qv, int32_t keyCode) {
    /* Keys spread from left to right by their code, so that different keys sound apart. */
    float pan = (float)(keyCode % 9 - 4) / 4.0f;
    uint32_t channel = qv->PlaySound(s_click, 1.0f, pan, 1.0f);
    if (!channel) qv->Log("Demo: the click did not play (no sound device, or pressed too fast).");
}

void Demo_StopSound(QuavenAPI* qv) {
    qv->StopMusic(MUSIC_FADE_OUT_SECONDS);
    qv->ReleaseSound(s_click);
    qv->ReleaseSound(s_music);
    s_click = NULL;
    s_music = NULL;
}
