#include "core/events/input_tracking.h"

#include <cstring>

#include "core/events/key_state.h"
#include "core/events/safe_truncate.h"

namespace {

const uint32_t kKeyDownState = 3;
const uint32_t kKeyUpState = 0;

// The last pointer whose block of 20 codes lies wholly inside the tables.
const int kLastPointerIndex = (QV_KEY_CODE_COUNT - 1 - QV_KEY_POINTER_RIGHT_BUTTON(0)) / 20;

bool IsPointerEvent(uint32_t type)
{
    return type == EVENT_MOUSE_MOVE || type == EVENT_MOUSE_UP || type == EVENT_MOUSE_DOWN;
}

}  // namespace

void QVI_TrackKeyEvent(EngineEvent* event)
{
    if (event->type != EVENT_KEY_DOWN && event->type != EVENT_KEY_UP)
        return;
    EventKeyPayload key;
    memcpy(&key, event->payload, sizeof key);
    if (key.code <= 0 || key.code >= QV_KEY_CODE_COUNT)
        return;

    const uint32_t code = static_cast<uint32_t>(key.code);
    const uint32_t previous = QVI_PeekKeyState(code);
    if (event->type == EVENT_KEY_DOWN) {
        key.flag = previous == 0 ? 1 : 0;
        QV_SetKey(code, kKeyDownState);
    } else {
        key.flag = previous != 0 ? 1 : 0;
        QV_SetKey(code, kKeyUpState);
    }
    memcpy(event->payload, &key, sizeof key);
}

void QVI_TrackPointerEvent(EngineEvent* event)
{
    if (!IsPointerEvent(event->type))
        return;
    EventMousePayload mouse;
    memcpy(&mouse, event->payload, sizeof mouse);
    const int pointer = mouse.pointer;
    if (pointer < 0 || pointer > kLastPointerIndex)
        return;

    mouse.previousX = QVI_TruncateToInt(QV_GetAxis(QV_KEY_POINTER_X(pointer)));
    mouse.previousY = QVI_TruncateToInt(QV_GetAxis(QV_KEY_POINTER_Y(pointer)));
    QV_SetAxis(QV_KEY_POINTER_X(pointer), static_cast<float>(mouse.x));
    QV_SetAxis(QV_KEY_POINTER_Y(pointer), static_cast<float>(mouse.y));

    const bool hasButtonValue = event->type != EVENT_MOUSE_MOVE;
    const uint32_t buttonValue = event->type == EVENT_MOUSE_DOWN ? kKeyDownState : kKeyUpState;
    if (hasButtonValue && mouse.button == QV_KEY_MOUSE_BUTTON_LEFT)
        QV_SetKey(QV_KEY_POINTER_LEFT_BUTTON(pointer), buttonValue);
    if (hasButtonValue && mouse.button == QV_KEY_MOUSE_BUTTON_RIGHT)
        QV_SetKey(QV_KEY_POINTER_RIGHT_BUTTON(pointer), buttonValue);

    if (pointer == 0) {
        QV_SetKey(QV_KEY_MOUSE_X, static_cast<uint32_t>(mouse.x));
        QV_SetKey(QV_KEY_MOUSE_Y, static_cast<uint32_t>(mouse.y));
        QV_SetAxis(QV_KEY_MOUSE_X, static_cast<float>(mouse.x));
        QV_SetAxis(QV_KEY_MOUSE_Y, static_cast<float>(mouse.y));
        // The button code comes from the poster: SetKey ignores one outside the table.
        if (hasButtonValue)
            QV_SetKey(mouse.button, buttonValue);
    }
    memcpy(event->payload, &mouse, sizeof mouse);
}
