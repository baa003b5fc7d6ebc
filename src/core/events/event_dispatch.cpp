#include "core/events/event_dispatch.h"

#include <cstring>

#include "core/core_state.h"
#include "core/events/console_hooks.h"
#include "core/events/input_tracking.h"

namespace {

bool IsConsoleToggle(const EngineEvent* event, uint8_t toggleKey)
{
    if (event->type == EVENT_CHARACTER)
        return event->payload[0] == toggleKey;
    if (event->type == EVENT_KEY_DOWN) {
        // Compared as a signed byte, so a toggle byte above 127 (the default section
        // sign) is reached only by its character, never by a key code.
        int32_t code;
        memcpy(&code, event->payload, sizeof code);
        return code == static_cast<int8_t>(toggleKey);
    }
    return false;
}

void ToggleConsole(ConsoleDispatchState& console)
{
    console.ctrlDown = 0;
    console.shiftDown = 0;
    if (!console.started) {
        console.open = 0;
        return;
    }
    console.open = console.open ? 0 : 1;
    if (g_core.settings)
        g_core.settings->video.console_open = console.open;
}

}  // namespace

int QVI_DispatchEvent(EngineEvent* event)
{
    if (!event)
        return 0;

    ConsoleDispatchState& console = QVI_GetConsoleDispatchState();
    if (IsConsoleToggle(event, console.toggleKey)) {
        ToggleConsole(console);
        return 0;
    }
    if (console.open && event->type != EVENT_CONSOLE_LINE) {
        const int answer = QVI_ConsoleHandleEvent(event);
        if (answer != 0)
            return answer;
    }

    QVI_TrackKeyEvent(event);
    QVI_TrackPointerEvent(event);

    ProgramInterface* program = g_core.settings;
    if (!g_core.coreInitialized || !program || !program->OnEvent)
        return 0;
    return program->OnEvent(*event);
}
