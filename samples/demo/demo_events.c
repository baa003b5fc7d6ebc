/*
 * The demo game's OnEvent: every event the engine hands over is logged, key presses and
 * mouse buttons are counted, Escape ends the demo, and any key or mouse input restarts
 * the idle countdown that otherwise ends it.
 */
#include "demo_game.h"

#include <stdio.h>
#include <string.h>

#define MOVE_LOG_PERIOD_MS 250

static const char* ButtonName(int button) {
    switch (button) {
    case QV_KEY_MOUSE_BUTTON_LEFT: return "left";
    case QV_KEY_MOUSE_BUTTON_RIGHT: return "right";
    case QV_KEY_MOUSE_BUTTON_MIDDLE: return "middle";
    default: return "other";
    }
}

/* A readable name for the common keys; the others show their code alone. */
static const char* KeyName(int32_t code, char* buffer, size_t size) {
    static const struct { int32_t code; const char* name; } names[] = {
        {QV_KEY_BACKSPACE, "Backspace"}, {QV_KEY_TAB, "Tab"}, {QV_KEY_RETURN, "Return"},
        {QV_KEY_SHIFT, "Shift"}, {QV_KEY_CONTROL, "Control"}, {QV_KEY_ALT, "Alt"},
        {QV_KEY_ESCAPE, "Escape"}, {QV_KEY_SPACE, "Space"}, {QV_KEY_PAGEUP, "PageUp"},
        {QV_KEY_PAGEDOWN, "PageDown"}, {QV_KEY_END, "End"}, {QV_KEY_HOME, "Home"},
        {QV_KEY_LEFT, "Left"}, {QV_KEY_UP, "Up"}, {QV_KEY_RIGHT, "Right"}, {QV_KEY_DOWN, "Down"},
        {QV_KEY_INSERT, "Insert"}, {QV_KEY_DELETE, "Delete"}};
    size_t i;
    for (i = 0; i < sizeof names / sizeof names[0]; ++i)
        if (names[i].code == code) return names[i].name;
    if ((code >= 'A' && code <= 'Z') || (code >= '0' && code <= '9')) {
        snprintf(buffer, size, "%c", (char)code);
        return buffer;
    }
    return "key";
}

static void NoteInput(QuavenAPI* qv) {
    g_demo.lastInputMs = qv->GetMilliseconds();
}

static void OnKey(QuavenAPI* qv, const EngineEvent* event, bool down) {
    EventKeyPayload key;
    char buffer[8];
    const char* name;
    memcpy(&key, event->payload, sizeof key);
    name = KeyName(key.code, buffer, sizeof buffer);
    NoteInput(qv);
    if (!down) {
        qv->Log("Demo: key up %s (code %d).", name, (int)key.code);
        return;
    }
    /* The key-state table has already taken the press when OnEvent runs: bit 0 is "down". */
    qv->Log("Demo: key down %s (code %d)%s, key state %u.", name, (int)key.code, key.flag ? "" : ", repeated",
            (unsigned)(qv->GetKey((uint32_t)key.code) & 1u));
    if (!key.flag) return;
    ++g_demo.keyPresses;
    Demo_PlayKeySound(qv, key.code);
    if (key.code == QV_KEY_ESCAPE) Demo_RequestShutdown("Escape pressed");
}

static void OnCharacter(QuavenAPI* qv, const EngineEvent* event) {
    EventCharacterPayload character;
    memcpy(&character, event->payload, sizeof character);
    NoteInput(qv);
    ++g_demo.characters;
    if (character.character >= 32 && character.character < 127)
        qv->Log("Demo: character '%c'.", (char)character.character);
    else
        qv->Log("Demo: character %u.", (unsigned)character.character);
}

static void OnMouse(QuavenAPI* qv, const EngineEvent* event) {
    EventMousePayload mouse;
    uint32_t now = qv->GetMilliseconds();
    memcpy(&mouse, event->payload, sizeof mouse);
    NoteInput(qv);
    switch (event->type) {
    case EVENT_MOUSE_DOWN:
        ++g_demo.mouseButtons;
        qv->Log("Demo: %s button down at (%d, %d).", ButtonName(mouse.button), (int)mouse.x, (int)mouse.y);
        break;
    case EVENT_MOUSE_UP:
        qv->Log("Demo: %s button up at (%d, %d).", ButtonName(mouse.button), (int)mouse.x, (int)mouse.y);
        break;
    case EVENT_MOUSE_WHEEL:
        g_demo.wheelTotal += mouse.wheel;
        qv->Log("Demo: wheel %+d at (%d, %d), total %d.", (int)mouse.wheel, (int)mouse.x, (int)mouse.y,
                (int)g_demo.wheelTotal);
        break;
    default: /* EVENT_MOUSE_MOVE: a stream, so only a sample of it reaches the log */
        ++g_demo.mouseMoves;
        if (g_demo.mouseMoves > 1 && now - g_demo.lastMoveLogMs < MOVE_LOG_PERIOD_MS) break;
        g_demo.lastMoveLogMs = now;
        qv->Log("Demo: mouse at (%d, %d), %u moves so far.", (int)mouse.x, (int)mouse.y,
                (unsigned)g_demo.mouseMoves);
        break;
    }
}

static void OnVideoParameters(QuavenAPI* qv, const EngineEvent* event) {
    EventVideoParametersPayload offer;
    memcpy(&offer, event->payload, sizeof offer);
    if (!offer.video) return;
    /* A game could change the parameters in place here; the demo keeps what prog.xml gives
       (a size of 0x0 leaves the choice of resolution to the engine). */
    qv->Log("Demo: video parameters before the window opens: %dx%d %s, frame time %d ms; kept as they are.",
            (int)offer.video->width, (int)offer.video->height, offer.video->windowed ? "windowed" : "fullscreen",
            (int)offer.video->frame_time_ms);
}

static void OnNamed(QuavenAPI* qv, const EngineEvent* event) {
    EventNamedPayload named;
    memcpy(&named, event->payload, sizeof named);
    qv->Log("Demo: event '%s' ('%s').", named.name ? named.name : "", named.value1 ? named.value1 : "");
}

int Demo_OnEvent(EngineEvent event) {
    QuavenAPI* qv = Demo_Api();
    if (!qv) return 0;
    ++g_demo.events;
    switch (event.type) {
    case EVENT_KEY_DOWN:
    case EVENT_KEY_UP:
        OnKey(qv, &event, event.type == EVENT_KEY_DOWN);
        break;
    case EVENT_CHARACTER:
        OnCharacter(qv, &event);
        break;
    case EVENT_MOUSE_MOVE:
    case EVENT_MOUSE_WHEEL:
    case EVENT_MOUSE_UP:
    case EVENT_MOUSE_DOWN:
        OnMouse(qv, &event);
        break;
    case EVENT_ACTIVATION:
        qv->Log("Demo: window %s.", event.payload[0] ? "deactivated" : "activated");
        break;
    case EVENT_RESOLUTION_CHANGED: {
        EventResolutionPayload size;
        memcpy(&size, event.payload, sizeof size);
        qv->Log("Demo: resolution changed to %ux%u.", (unsigned)size.width, (unsigned)size.height);
        break;
    }
    case EVENT_CLOSE_REQUEST:
        qv->Log("Demo: the window asks to close; letting it.");
        break;
    case EVENT_VIDEO_PARAMETERS:
        OnVideoParameters(qv, &event);
        break;
    case EVENT_NAMED:
        OnNamed(qv, &event);
        break;
    default:
        qv->Log("Demo: event %u.", (unsigned)event.type);
        break;
    }
    return 0;
}
