/*
 * The demo game's gamepad: while a pad is connected, its left stick or its D-pad moves the
 * turning ring about the top right of the window, and A brings the ring back to where it
 * started. The first connected pad of the four steers; moving it counts as input, so the
 * demo does not end while someone plays.
 */
#include "demo_game.h"

#define PAD_COUNT 4
#define SPRITE_SPEED 260.0f /* pixels per second at full deflection */
#define MAX_OFFSET_X 200.0f
#define MAX_OFFSET_Y 120.0f

static float s_offsetX, s_offsetY;
static int s_pad = -1; /* the steering pad, -1 while none is connected */

static float Clamp(float value, float limit) {
    return value < -limit ? -limit : value > limit ? limit : value;
}

static int FirstConnectedPad(QuavenAPI* qv) {
    int pad;
    for (pad = 0; pad < PAD_COUNT; ++pad)
        if (qv->GetKey(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_CONNECTED))) return pad;
    return -1;
}

/* -1, 0 or 1 from a pair of D-pad buttons. */
static float Direction(QuavenAPI* qv, int pad, int negative, int positive) {
    return (float)((qv->GetKey(QV_KEY_GAMEPAD(pad, positive)) & 1u) - (qv->GetKey(QV_KEY_GAMEPAD(pad, negative)) & 1u));
}

void Demo_UpdateGamepad(QuavenAPI* qv, float seconds) {
    int pad = FirstConnectedPad(qv);
    float dx, dy;
    if (pad != s_pad) {
        if (pad >= 0) qv->Log("Demo: gamepad %d connected: its left stick or D-pad moves the ring, A centres it.", pad);
        else qv->Log("Demo: no gamepad connected any more.");
        s_pad = pad;
    }
    if (pad < 0) return;
    /* The stick's up is negative, as the window's y. */
    dx = qv->GetAxis(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_LEFT_THUMB_X)) +
         Direction(qv, pad, QV_GAMEPAD_DPAD_LEFT, QV_GAMEPAD_DPAD_RIGHT);
    dy = qv->GetAxis(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_LEFT_THUMB_Y)) +
         Direction(qv, pad, QV_GAMEPAD_DPAD_UP, QV_GAMEPAD_DPAD_DOWN);
    if (qv->GetKey(QV_KEY_GAMEPAD(pad, QV_GAMEPAD_BUTTON_A)) & 1u) {
        s_offsetX = s_offsetY = 0.0f;
        g_demo.lastInputMs = qv->GetMilliseconds();
    }
    if (dx == 0.0f && dy == 0.0f) return;
    s_offsetX = Clamp(s_offsetX + Clamp(dx, 1.0f) * SPRITE_SPEED * seconds, MAX_OFFSET_X);
    s_offsetY = Clamp(s_offsetY + Clamp(dy, 1.0f) * SPRITE_SPEED * seconds, MAX_OFFSET_Y);
    g_demo.lastInputMs = qv->GetMilliseconds();
}

void Demo_GetSpriteOffset(float* x, float* y) {
    *x = s_offsetX;
    *y = s_offsetY;
}
